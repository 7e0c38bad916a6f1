#include "selection/Applicability.h"

#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>

#include "selection/ClassifyPath.h"
#include "support/UniqueFile.h"

namespace {

bool IsSingleOf(const SelectionList& items, bool (*kindTest)(ArchiveKind)) {
    return items.size() == 1 && kindTest(items[0].Kind);
}

bool AnyOf(const SelectionList& items, bool (*kindTest)(ArchiveKind)) {
    return std::any_of(items.begin(), items.end(),
                       [kindTest](const SelectionItem& item) { return kindTest(item.Kind); });
}

// "111" and 128 random bits in hexadecimal: nobody can pre-create the probe's name to slow
// it down or make it miss. Empty when the system has no random numbers to give.
std::wstring UnguessableName() {
    unsigned char bits[16];
    if (!RtlGenRandom(bits, sizeof bits)) return {};
    static constexpr wchar_t Hex[] = L"0123456789abcdef";
    std::wstring name = L"111";
    for (unsigned char byte : bits) {
        name += Hex[byte >> 4];
        name += Hex[byte & 0xF];
    }
    return name + L".tmp";
}

// The probe's long name may take a folder that GetTempFileNameW accepts past MAX_PATH: such a
// path goes in its extended form, which has no such limit.
std::wstring WithinPathLimit(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
    wchar_t full[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 2) return path;
    const std::wstring whole(full, length);
    if (whole.rfind(L"\\\\", 0) == 0) return whole.rfind(L"\\\\.\\", 0) == 0 ? whole : L"\\\\?\\UNC\\" + whole.substr(2);
    return L"\\\\?\\" + whole;
}

}  // namespace

bool IsSingleArchive(const SelectionList& items) { return IsSingleOf(items, IsArchive); }
bool HasAnyArchive(const SelectionList& items) { return AnyOf(items, IsArchive); }
bool HasConvertibleArchive(const SelectionList& items) { return AnyOf(items, IsConvertibleKind); }
bool IsSingleVerifiableArchive(const SelectionList& items) { return IsSingleOf(items, IsVerifiableKind); }
bool IsSingleZipOrKesArchive(const SelectionList& items) { return IsSingleOf(items, IsZipOrKesKind); }

// By the attributes read with the selection: no second query for the same item.
bool IsSingleFile(const SelectionList& items) { return items.size() == 1 && !IsFolderItem(items[0]); }

std::wstring WritableProbeFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0) return {};
    std::wstring folder = path.substr(0, slash);
    // "C:" alone would mean the drive's current folder, not its root.
    if (folder.back() == L':') folder += L'\\';
    return folder;
}

bool IsFirstFolderWritable(const SelectionList& items) {
    if (items.empty()) return false;
    const std::wstring folder = WritableProbeFolder(items[0].Path);
    // No temporary name fits a longer folder: nothing could be created there by the archiver.
    if (folder.empty() || folder.size() > MAX_PATH - 14) return false;
    // Creating a file is the only sure test: attributes and ACLs do not tell the whole story.
    // One attempt under a name nobody can have made beforehand, opened delete-on-close, so
    // nothing is ever left behind: a folder that lets us create files but not delete them
    // counts as not writable.
    const std::wstring name = UnguessableName();
    if (name.empty()) return false;
    const std::wstring probe = (folder.back() == L'\\' ? folder : folder + L'\\') + name;
    const HANDLE file = CreateFileW(WithinPathLimit(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const UniqueFileHandle created(file);  // closing it deletes the probe file
    return true;
}
