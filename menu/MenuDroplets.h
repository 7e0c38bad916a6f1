#pragma once
#include <windows.h>

#include "menu/CommandCode.h"
#include "menu/ContextMenuState.h"
#include "menu/MenuCursor.h"

// Where the droplet catalogue meets the menu. Every entry a hook inserts takes the cursor's
// next identifier (never one above cursor.LastId), advances its insert position and appends
// the droplet's code to InsertedKinds.
namespace MenuDroplets {
// True when the catalogue lists at least one droplet.
bool Available(const ContextMenuState& state);
// Appends the droplets to the "Droplets" popup.
void FillSubmenu(ContextMenuState& state, HMENU popup, MenuCursor& cursor);
// The entry of a remembered droplet code on the shell's menu at the insert position, when
// that droplet exists; also advances the shell index.
void InsertRemembered(ContextMenuState& state, HMENU shellMenu, MenuCursor& cursor, CommandCode code);
}  // namespace MenuDroplets
