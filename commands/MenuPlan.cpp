#include "commands/MenuPlan.h"

#include <algorithm>

#include "commands/ArchiveBaseName.h"
#include "commands/CommandConditions.h"
#include "commands/MenuLayout.h"

size_t MenuPlan::FixedCount() const {
    const size_t rememberedCommands = std::count_if(Remembered.begin(), Remembered.end(), IsCommandEntry);
    return 1 + rememberedCommands + Kestrel.size();
}

bool MenuPlan::Offers(CommandCode code) const { return std::find(Kestrel.begin(), Kestrel.end(), code) != Kestrel.end(); }

bool MenuPlan::Remembers(CommandCode code) const {
    return std::find(Remembered.begin(), Remembered.end(), code) != Remembered.end();
}

MenuPlan PlanContextMenu(const ContextMenuState& state, const RecentCommands& recent) {
    MenuPlan plan;
    CommandConditions conditions(state);
    for (CommandCode code : {recent.Cmd1, recent.Cmd2}) {
        if (IsCommandEntry(code)) {
            if (conditions.Holds(FindCommand(code)->When)) plan.Remembered.push_back(code);
        } else if (code >= Cmd::FirstDroplet) {
            plan.Remembered.push_back(code);
        }
    }

    for (CommandCode code : KestrelMenuLayout) {
        if (conditions.Holds(FindCommand(code)->When)) plan.Kestrel.push_back(code);
    }

    const auto composed = [](CommandCode code) { return FindComposedText(code) != nullptr; };
    if (std::any_of(plan.Remembered.begin(), plan.Remembered.end(), composed) ||
        std::any_of(plan.Kestrel.begin(), plan.Kestrel.end(), composed)) {
        plan.ArchiveName = ArchiveBaseName(state.SelectionItems);
    }
    return plan;
}
