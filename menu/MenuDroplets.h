#pragma once
#include <windows.h>

#include <cstdint>

#include "commands/CommandCode.h"
#include "commands/ContextMenuState.h"
#include "menu/MenuCursor.h"

// Where the droplet catalogue meets the menu. Every entry a hook inserts takes the cursor's
// next identifier (never one above cursor.LastId), advances its insert position and appends
// the droplet's code (36 + its number) to InsertedKinds.
namespace MenuDroplets {
// True when the catalogue lists at least one droplet.
bool Available(const ContextMenuState& state);
// Appends the droplets whose files exist to the "Droplets" popup, each with its image.
void FillSubmenu(ContextMenuState& state, HMENU popup, MenuCursor& cursor);
// The entry of a remembered droplet code on the shell's menu at the shell index, when that
// droplet exists; also advances the shell index.
void InsertRemembered(ContextMenuState& state, HMENU shellMenu, MenuCursor& cursor, CommandCode code);
// Starts droplet number with the selected paths as its parameters: S_OK when it started,
// E_FAIL when the droplet is gone or could not be started.
HRESULT LaunchDroplet(const ContextMenuState& state, uint32_t number);
}  // namespace MenuDroplets
