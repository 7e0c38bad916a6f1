#pragma once
#include <windows.h>

#include <string>
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
