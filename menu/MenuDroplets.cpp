#include "menu/MenuDroplets.h"

// No catalogue is read yet: no droplets, so nothing is ever inserted.
namespace MenuDroplets {
bool Available(const ContextMenuState&) { return false; }
void FillSubmenu(ContextMenuState&, HMENU, MenuCursor&) {}
void InsertRemembered(ContextMenuState&, HMENU, MenuCursor&, CommandCode) {}
}  // namespace MenuDroplets
