#include "support/RegistryValues.h"

#include "support/CRegistry.h"

bool IsContextMenuEnabled() {
    CRegistry registry;
    registry.SetKeyPath(RegistryValues::ProductKey);
    DWORD enabled = 0;
    return registry.GetDword(RegistryValues::EnableContextMenu, &enabled) && enabled == 1;
}
