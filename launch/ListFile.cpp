#include "launch/ListFile.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <optional>

#include "support/UniqueFile.h"

namespace {

// Converts into a real buffer: some runtimes only count, without checking, when given none.
std::optional<std::string> ConvertExactly(const std::wstring& text) {
    std::string narrow(text.size() * MB_CUR_MAX + 1, '\0');
    const size_t length = wcstombs(narrow.data(), text.c_str(), narrow.size());
    if (length == static_cast<size_t>(-1) || length >= narrow.size()) return std::nullopt;
    narrow.resize(length);
    return narrow;
}

// Character by character, with '?' for what the narrow set cannot hold.
std::string ConvertWithReplacement(const std::wstring& text) {
    std::string narrow;
    char bytes[MB_LEN_MAX];
    for (wchar_t c : text) {
        const int length = wctomb(bytes, c);
        if (length > 0)
            narrow.append(bytes, length);
        else
            narrow.push_back('?');
    }
    return narrow;
}

std::wstring ShortForm(const std::wstring& path) {
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return {};
    std::wstring shortPath(needed, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed) return {};
    shortPath.resize(length);
    return shortPath;
}

}  // namespace

std::string NarrowListPath(const std::wstring& path) {
    if (auto narrow = ConvertExactly(path)) return *narrow;
    const std::wstring shortPath = ShortForm(path);
    if (!shortPath.empty()) {
        if (auto narrow = ConvertExactly(shortPath)) return *narrow;
    }
    return ConvertWithReplacement(path);
}

bool WriteListFile(HANDLE file, const SelectionList& items) {
    std::string text;
    for (const SelectionItem& item : items) text += NarrowListPath(item.Path) + "\r\n";
    return WriteAll(file, text);
}
