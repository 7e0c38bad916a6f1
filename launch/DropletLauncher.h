#pragma once
#include <windows.h>

#include <cstdint>

#include "selection/SelectionItem.h"
#include "support/InstallLocations.h"

// Starts droplet number with the selected paths as its parameters (DropletArguments): S_OK
// when it started, E_FAIL when the droplet is gone, could not be started, or is run by cmd.exe
// and a path holds what cmd.exe cannot be handed safely. The catalogue is read afresh: it
// may have changed since the menu was built.
HRESULT LaunchDroplet(const InstallLocations& paths, const SelectionList& items, uint32_t number);
