#pragma once
#include <string>
#include <vector>

#include "commands/CommandCode.h"
#include "droplets/DropletCatalogue.h"
#include "selection/SelectionItem.h"
#include "support/InstallLocations.h"
#include "support/UniqueBitmap.h"

// Everything a context-menu handler object knows: the archiver's paths (worked out when first
// needed), the selection from Initialize and the codes of the menu built last.
struct ContextMenuState {
    InstallLocations Paths;
    // The catalogue as the menu being built reads it; a launch reads it afresh.
    DropletCatalogue Catalogue{Paths};
    SelectionList SelectionItems;
    std::wstring SelectionFolder;
    std::vector<CommandCode> InsertedKinds;
    // Droplet images the process does not keep: they live as long as the handler's menus.
    std::vector<UniqueBitmap> DropletImages;
};
