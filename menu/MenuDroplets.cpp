#include "menu/MenuDroplets.h"

#include "commands/MenuImages.h"
#include "droplets/DropletCatalogue.h"
#include "droplets/DropletName.h"

namespace MenuDroplets {
namespace {

bool HasRoom(const MenuCursor& cursor) { return cursor.NextId <= cursor.LastId; }

// One entry with the droplet's name and image, by position: the caller says where the image goes.
void InsertDroplet(ContextMenuState& state, HMENU menu, UINT position, UINT imagePosition, MenuCursor& cursor,
                   uint32_t number, const std::wstring& path) {
    // Everything that may allocate comes first, so an entry is never left without its code.
    const std::wstring name = DropletName(path);
    const HBITMAP image = MenuImages::Process().DropletImage(path, state.DropletImages);
    state.InsertedKinds.reserve(state.InsertedKinds.size() + 1);

    InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING, cursor.NextId, name.c_str());
    ++cursor.InsertPosition;
    ++cursor.NextId;
    SetMenuItemBitmaps(menu, imagePosition, MF_BYPOSITION | MF_BITMAP, image, nullptr);
    state.InsertedKinds.push_back(Cmd::FirstDroplet + number);
}

}  // namespace

void FillSubmenu(ContextMenuState& state, HMENU popup, MenuCursor& cursor) {
    UINT imagePosition = 0;  // counts the entries of the popup
    state.Catalogue.ForEachShown([&](const DropletCatalogue::Droplet& droplet) {
        if (!HasRoom(cursor)) return false;
        InsertDroplet(state, popup, cursor.InsertPosition, imagePosition++, cursor, droplet.Number, droplet.Path);
        return true;
    });
}

// InsertDropletEntry: codes below 36 name no droplet.
void InsertRemembered(ContextMenuState& state, HMENU shellMenu, MenuCursor& cursor, CommandCode code) {
    if (code < Cmd::FirstDroplet || !HasRoom(cursor)) return;
    const uint32_t number = code - Cmd::FirstDroplet;
    const std::wstring path = state.Catalogue.Find(number);
    if (path.empty()) return;
    InsertDroplet(state, shellMenu, cursor.ShellIndex, cursor.ShellIndex, cursor, number, path);
    ++cursor.ShellIndex;
}

}  // namespace MenuDroplets
