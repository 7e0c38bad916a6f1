#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "selection/ArchiveKind.h"

// One selected (or dropped) file or folder, in the shell's order, with the attributes it was
// classified by: the shell's own when its data object gave them, else GetFileAttributesW's
// (whose failure value, every bit set, counts as a folder).
struct SelectionItem {
    std::wstring Path;
    ArchiveKind Kind = NotAnArchive;
    DWORD Attributes = INVALID_FILE_ATTRIBUTES;
    bool AttributesFromShell = false;
};

using SelectionList = std::vector<SelectionItem>;

// Whether a selected path can be an item: not empty, and no character below U+0020. No file
// name holds one, and a CR or LF would split a request file's line.
inline bool IsItemPath(std::wstring_view path) {
    return !path.empty() && std::none_of(path.begin(), path.end(), [](wchar_t c) { return c < L' '; });
}
