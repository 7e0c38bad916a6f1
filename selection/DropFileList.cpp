#include "selection/DropFileList.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {
// The buffer DragQueryFileW is given in every handler: names arrive cut to one less.
constexpr size_t NameCapacity = 1024;

std::wstring Widen(const wchar_t* name, size_t length) { return std::wstring(name, length); }

// As DragQueryFileW does for an ANSI list: the bytes cut first, then converted.
std::wstring Widen(const char* name, size_t length) {
    if (length == 0) return {};
    std::wstring wide(length, L'\0');
    const int made = MultiByteToWideChar(CP_ACP, 0, name, static_cast<int>(length), wide.data(), static_cast<int>(length));
    wide.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return wide;
}

// Each name ends at its NUL; the list ends at the empty name that follows one (the first
// name itself may be empty).
template <class Char>
bool Split(const Char* at, const Char* end, DropFileList& list) {
    std::vector<std::wstring> names;
    bool anyCut = false;
    do {
        const Char* nul = std::find(at, end, Char{});
        if (nul == end) return false;
        const size_t length = static_cast<size_t>(nul - at);
        anyCut |= length >= NameCapacity;
        names.push_back(Widen(at, std::min(length, NameCapacity - 1)));
        at = nul + 1;
    } while (at != end && *at != Char{});
    if (at == end) return false;
    list.Names = std::move(names);
    list.AnyCut = anyCut;
    return true;
}
}  // namespace

bool DropFileList::Read(const void* block, size_t size) {
    if (!block || size < sizeof(DROPFILES)) return false;
    DROPFILES header;
    std::memcpy(&header, block, sizeof(header));
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles > size) return false;
    const auto* list = static_cast<const unsigned char*>(block) + header.pFiles;
    const size_t bytes = size - header.pFiles;
    if (!header.fWide) {
        const auto* names = reinterpret_cast<const char*>(list);
        return Split(names, names + bytes, *this);
    }
    const size_t units = bytes / sizeof(wchar_t);
    if (header.pFiles % alignof(wchar_t) == 0) {
        const auto* names = reinterpret_cast<const wchar_t*>(list);
        return Split(names, names + units, *this);
    }
    // A list at an odd offset is read from an aligned copy.
    std::wstring copy(units, L'\0');
    std::memcpy(copy.data(), list, units * sizeof(wchar_t));
    return Split(copy.data(), copy.data() + units, *this);
}
