#pragma once
#include <windows.h>

#include <array>

#include "commands/CommandTable.h"
#include "commands/ContextMenuState.h"
#include "commands/MenuPlan.h"
#include "commands/MenuText.h"
#include "menu/MenuCursor.h"
#include "support/UniqueMenu.h"

// QueryContextMenu's work: the remembered group and the "Kestrel" submenu. Returns the
// number of identifiers used (0 when nothing was added) and refills InsertedKinds.
UINT BuildContextMenu(ContextMenuState& state, HMENU menu, UINT indexMenu, UINT idCmdFirst,
                      UINT idCmdLast, UINT flags);

// Inserts the planned entries. Every entry takes the cursor's next identifier and insert
// position and appends its code to InsertedKinds, whether or not the menu call succeeds, so
// offsets and codes stay aligned. The caller has checked that the fixed entries fit.
class MenuBuilder {
public:
    MenuBuilder(ContextMenuState& state, HMENU shellMenu, const MenuCursor& cursor, const MenuPlan& plan);

    // The separator and the remembered commands on the shell's menu.
    void InsertRememberedGroup();
    // The entries of the "Kestrel" submenus in insertion order, ending with "Kestrel".
    void InsertKestrelMenu();

    UINT IdentifiersUsed() const { return Cursor.NextId - FirstId; }

private:
    UINT TakeIdentifier(CommandCode code);
    UINT PositionIn(HMENU menu) const;
    void InsertSeparator(HMENU menu);
    void InsertCommand(HMENU menu, const CommandInfo& info, UINT imageId);
    void InsertSubmenuEntry(const CommandInfo& info, Place opens);
    template <class InsertDroplets> void WithDropletRoom(InsertDroplets insert);

    HMENU Popup(Place place);
    MenuText TextOf(const CommandInfo& info);

    ContextMenuState& State;
    const MenuPlan& Plan;
    HMENU ShellMenu;
    MenuCursor Cursor;
    UINT FirstId;
    size_t FixedLeft;
    std::array<UniqueMenu, static_cast<size_t>(Place::None) + 1> Popups;
};
