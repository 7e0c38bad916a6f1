#pragma once
#include <string>
#include <vector>

#include "commands/CommandCode.h"
#include "selection/SelectionItem.h"
#include "support/InstallLocations.h"

// Everything a context-menu handler object knows: the paths worked out at construction
// (the droplet files when first needed), the selection from Initialize and the codes of the menu built last.
struct ContextMenuState {
    InstallLocations Paths;
    SelectionList SelectionItems;
    std::wstring SelectionFolder;
    std::vector<CommandCode> InsertedKinds;
};
