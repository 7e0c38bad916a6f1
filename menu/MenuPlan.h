#pragma once
#include <cstddef>
#include <vector>

#include "menu/CommandCode.h"
#include "menu/ContextMenuState.h"
#include "menu/RecentCommands.h"

// What one menu build inserts, decided before anything is inserted so that an identifier
// range too small for the fixed entries can be refused whole.
struct MenuPlan {
    // After the separator on the shell's menu: the remembered commands that fit the
    // selection, and remembered droplet codes, which the droplet catalogue resolves.
    std::vector<CommandCode> Remembered;
    // The "Kestrel" entries that fit, in insertion order.
    std::vector<CommandCode> Kestrel;

    // Identifiers the fixed entries take (droplets take what is left).
    size_t FixedCount() const;
};

// Evaluates the conditions in menu order: the remembered commands each afresh, then the
// "Kestrel" entries with each condition evaluated once.
MenuPlan PlanContextMenu(const ContextMenuState& state, const RecentCommands& recent);
