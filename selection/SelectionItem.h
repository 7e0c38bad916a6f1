#pragma once
#include <string>
#include <vector>

#include "selection/ArchiveKind.h"

// One selected (or dropped) file or folder, in the shell's order.
struct SelectionItem {
    std::wstring Path;
    ArchiveKind Kind = NotAnArchive;
};

using SelectionList = std::vector<SelectionItem>;
