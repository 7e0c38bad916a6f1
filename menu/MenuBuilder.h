#pragma once
#include <windows.h>

#include "menu/ContextMenuState.h"

// QueryContextMenu's work: the remembered group and the "Kestrel" submenu. Returns the
// number of identifiers used (0 when nothing was added) and refills InsertedKinds.
UINT BuildContextMenu(ContextMenuState& state, HMENU menu, UINT indexMenu, UINT idCmdFirst,
                      UINT idCmdLast, UINT flags);
