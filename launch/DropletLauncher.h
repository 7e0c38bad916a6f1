#pragma once
#include <windows.h>

#include <cstdint>

#include "selection/SelectionItem.h"
#include "support/InstallLocations.h"

// Starts droplet number with the selected paths as its parameters: S_OK when it started,
// E_FAIL when the droplet is gone or could not be started. The catalogue is read afresh: it
// may have changed since the menu was built.
HRESULT LaunchDroplet(const InstallLocations& paths, const SelectionList& items, uint32_t number);
