#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "commands/CommandCode.h"
#include "commands/ContextMenuState.h"
#include "commands/RecentCommands.h"

// What one menu build inserts, decided before anything is inserted so that an identifier
// range too small for the fixed entries can be refused whole.
struct MenuPlan {
    // After the separator on the shell's menu: the remembered commands that fit the
    // selection, and remembered droplet codes, which the droplet catalogue resolves.
    std::vector<CommandCode> Remembered;
    // The "Kestrel" entries that fit, in insertion order.
    std::vector<CommandCode> Kestrel;
    // The name in "Create <name>.zip", worked out only when such an entry is planned.
    std::wstring ArchiveName;

    // Identifiers the fixed entries take (droplets take what is left).
    size_t FixedCount() const;
    // Whether the "Kestrel" menus offer code, or the shell's menu remembers it.
    bool Offers(CommandCode code) const;
    bool Remembers(CommandCode code) const;
};

// Evaluates the conditions in menu order, the remembered commands first, then the "Kestrel"
// entries, each condition (and the folder probe) at most once per build. Everything that may allocate happens
// here, before the menu is touched.
MenuPlan PlanContextMenu(const ContextMenuState& state, const RecentCommands& recent);
