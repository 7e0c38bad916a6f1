#include "menu/MenuBuilder.h"

#include <shlobj.h>

#include <cstdint>

#include "commands/MenuImages.h"
#include "commands/MenuLayout.h"
#include "commands/RecentCommands.h"
#include "menu/MenuDroplets.h"

namespace {
static_assert(sizeof(MENUITEMINFOW) == 80, "the shell expects the 64-bit MENUITEMINFOW");

// Drops the catalogue a build has read, however the build ends.
struct CatalogueForgotten {
    DropletCatalogue& Catalogue;
    ~CatalogueForgotten() { Catalogue.Forget(); }
};

// Index the next entry appended to a menu will have: where its image goes.
UINT NextIndex(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    return count > 0 ? static_cast<UINT>(count) : 0;
}
}  // namespace

UINT BuildContextMenu(ContextMenuState& state, HMENU menu, UINT indexMenu, UINT idCmdFirst,
                      UINT idCmdLast, UINT flags) {
    if ((flags & (CMF_EXPLORE | CMF_CANRENAME)) == 0) return 0;
    if (state.SelectionItems.empty()) return 0;

    // A build reads the catalogue once; the handler keeps none of it between menus.
    const CatalogueForgotten forgotten{state.Catalogue};
    const MenuPlan plan = PlanContextMenu(state, RecentCommands::Read());
    const uint64_t room = idCmdLast >= idCmdFirst ? uint64_t{idCmdLast} - idCmdFirst + 1 : 0;
    if (plan.FixedCount() > room) return 0;

    // Offsets index the menu built last, so every build starts the list afresh.
    state.InsertedKinds.clear();
    state.InsertedKinds.reserve(plan.FixedCount());
    MenuBuilder builder(state, menu, MenuCursor{idCmdFirst, idCmdLast, 0, indexMenu}, plan);
    builder.InsertRememberedGroup();
    builder.InsertKestrelMenu();
    return builder.IdentifiersUsed();
}

MenuBuilder::MenuBuilder(ContextMenuState& state, HMENU shellMenu, const MenuCursor& cursor, const MenuPlan& plan)
    : State(state),
      Plan(plan),
      ShellMenu(shellMenu),
      Cursor(cursor),
      FirstId(cursor.NextId),
      FixedLeft(plan.FixedCount()) {}

void MenuBuilder::InsertRememberedGroup() {
    // The group stands where the shell offered us room, directly above "Kestrel": a separator
    // at the very top of Explorer's menu would look broken. Each entry moves the shell index
    // on, so "Kestrel" still lands below the group.
    InsertSeparator(ShellMenu);
    ++Cursor.ShellIndex;
    for (CommandCode code : Plan.Remembered) {
        if (IsCommandEntry(code)) {
            const CommandInfo& info = *FindCommand(code);
            InsertCommand(ShellMenu, info, info.RecentImageId);
            ++Cursor.ShellIndex;
        } else {
            WithDropletRoom([&] { MenuDroplets::InsertRemembered(State, ShellMenu, Cursor, code); });
        }
    }
}

void MenuBuilder::InsertKestrelMenu() {
    for (CommandCode code : Plan.Kestrel) {
        const CommandInfo& info = *FindCommand(code);
        if (const SubmenuEntry* submenu = FindSubmenuEntry(code)) {
            InsertSubmenuEntry(info, submenu->Opens);
        } else if (code == Cmd::Separator) {
            InsertSeparator(Popup(info.Where));
        } else {
            InsertCommand(Popup(info.Where), info, info.ImageId);
        }
    }
}

UINT MenuBuilder::TakeIdentifier(CommandCode code) {
    State.InsertedKinds.push_back(code);
    if (FixedLeft > 0) --FixedLeft;
    ++Cursor.InsertPosition;
    return Cursor.NextId++;
}

// Entries go in by position. In a popup the cursor's insert position is never below its item
// count, so the entry is appended; on the shell's menu the entry goes at the shell index.
UINT MenuBuilder::PositionIn(HMENU menu) const {
    return menu == ShellMenu ? Cursor.ShellIndex : Cursor.InsertPosition;
}

void MenuBuilder::InsertSeparator(HMENU menu) {
    const UINT position = PositionIn(menu);
    InsertMenuW(menu, position, MF_BYPOSITION | MF_SEPARATOR, TakeIdentifier(Cmd::Separator), nullptr);
}

void MenuBuilder::InsertCommand(HMENU menu, const CommandInfo& info, UINT imageId) {
    const MenuText text = TextOf(info);
    const UINT position = PositionIn(menu);
    const UINT index = menu == ShellMenu ? position : NextIndex(menu);
    InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING, TakeIdentifier(info.Code), text.Get());
    MenuImages::Process().Attach(menu, index, imageId);
}

void MenuBuilder::InsertSubmenuEntry(const CommandInfo& info, Place opens) {
    UniqueMenu popup(std::move(Popups[static_cast<size_t>(opens)]));
    if (!popup.Get()) popup = UniqueMenu(CreatePopupMenu());  // a submenu that got no entries
    if (opens == Place::Droplets) {
        WithDropletRoom([&] { MenuDroplets::FillSubmenu(State, popup.Get(), Cursor); });
    }

    // "Kestrel" goes into the shell's menu at the shell index, the others into their parent popup.
    const bool onShellMenu = info.Where == Place::Shell;
    HMENU parent = onShellMenu ? ShellMenu : Popup(info.Where);
    const UINT position = onShellMenu ? Cursor.ShellIndex : Cursor.InsertPosition;
    const UINT index = onShellMenu ? position : NextIndex(parent);

    MenuText text(info.MenuTextId);
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.wID = TakeIdentifier(info.Code);
    item.hSubMenu = popup.Get();
    item.dwTypeData = const_cast<wchar_t*>(text.Get());
    if (InsertMenuItemW(parent, position, TRUE, &item)) popup.Release();
    MenuImages::Process().Attach(parent, index, info.ImageId);
}

// Droplets take only the identifiers the fixed entries still to come leave free.
template <class InsertDroplets>
void MenuBuilder::WithDropletRoom(InsertDroplets insert) {
    const UINT lastId = Cursor.LastId;
    Cursor.LastId = lastId - static_cast<UINT>(FixedLeft);
    insert();
    Cursor.LastId = lastId;
}

HMENU MenuBuilder::Popup(Place place) {
    UniqueMenu& popup = Popups[static_cast<size_t>(place)];
    if (!popup.Get()) popup = UniqueMenu(CreatePopupMenu());
    return popup.Get();
}

MenuText MenuBuilder::TextOf(const CommandInfo& info) { return EntryText(info, Plan.ArchiveName); }
