#pragma once
#include <windows.h>

#include "commands/ContextMenuState.h"

// Records the code as recently used, then runs its action. S_OK for codes without one.
HRESULT InvokeContextCommand(const ContextMenuState& state, CommandCode code);
