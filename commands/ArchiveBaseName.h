#pragma once
#include <string>

#include "selection/SelectionItem.h"

// The name shown in "Create <name>.zip": a single item's name (a file's without its last
// extension), or for several items the name of the folder holding the first ("C:" on a drive root).
std::wstring ArchiveBaseName(const SelectionList& items);
