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
// Appends the droplets whose files exist to the "Droplets" popup, each with its image.
void FillSubmenu(ContextMenuState& state, HMENU popup, MenuCursor& cursor);
// The entry of a remembered droplet code on the shell's menu at the shell index, when that
// droplet exists; also advances the shell index.
void InsertRemembered(ContextMenuState& state, HMENU shellMenu, MenuCursor& cursor, CommandCode code);
}  // namespace MenuDroplets
