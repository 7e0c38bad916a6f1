#pragma once
#include <shobjidl.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/ContextMenuState.h"
#include "commands/MenuPlan.h"
#include "commands/RecentCommands.h"
#include "support/UniqueComPtr.h"

// What the commands of one tree share while Explorer shows it for a selection: the shell item
// array that every call hands over, and what is worked out from it on first need, so the tree
// reads the disk no more often than one classic right-click does.
class CommandSession {
public:
    // Takes the array a call hands over; another array starts afresh. True when the tree shows
    // at all: the switch is on and every item, at least one, has a file-system path. Reads the
    // registry, never a file.
    bool Select(IShellItemArray* items);

    // The remembered codes, read from the registry once per selection.
    const RecentCommands& Recent();
    // The classified selection and the archiver's locations: one attribute query per item.
    const ContextMenuState& State();
    // What the classic menu offers for the selection: the folder probe, the droplet catalogue.
    bool HasPlan() const { return Planned.has_value(); }
    const MenuPlan& Plan();
    // The file of a remembered droplet code when that droplet exists, else empty.
    std::wstring RememberedDroplet(CommandCode code);
    // Drops the array and everything worked out from it.
    void Forget();

private:
    UniqueComPtr<IShellItemArray> Items;
    std::vector<std::wstring> Paths;
    bool Shown = false;
    std::optional<RecentCommands> Remembered;
    std::unique_ptr<ContextMenuState> Selection;
    std::optional<MenuPlan> Planned;
    std::vector<std::pair<CommandCode, std::wstring>> RememberedDroplets;
};
