#include "menu/MenuBuilder.h"
UINT BuildContextMenu(ContextMenuState&, HMENU, UINT, UINT, UINT, UINT) { return 0; }
