#include "menu/MenuDroplets.h"

#include "droplets/DropletCatalogue.h"
#include "droplets/DropletFile.h"
#include "droplets/DropletName.h"
#include "launch/RequestFile.h"
#include "menu/MenuImages.h"

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

// The droplets of one catalogue file. Numbers count every entry, shown or not; the image
// position counts the entries of the popup.
void AppendDropletItems(ContextMenuState& state, const std::wstring& catalogueFile, HMENU popup, MenuCursor& cursor,
                        uint32_t& nextNumber, UINT& imagePosition) {
    DropletFile file(catalogueFile);
    for (bool more = file.First(); more && HasRoom(cursor); more = file.Next(), ++nextNumber) {
        const std::wstring path = file.Droplet();
        if (path.empty()) continue;
        InsertDroplet(state, popup, cursor.InsertPosition, imagePosition, cursor, nextNumber, path);
        ++imagePosition;
    }
}

// Each path followed by a blank, in double quotes when it holds one (as PathQuoteSpacesW
// quotes, without its MAX_PATH limit).
std::wstring DropletParameters(const SelectionList& items) {
    std::wstring parameters;
    for (const SelectionItem& item : items) {
        const bool quote = item.Path.find(L' ') != std::wstring::npos;
        if (quote) parameters += L'"';
        parameters += item.Path;
        if (quote) parameters += L'"';
        parameters += L' ';
    }
    return parameters;
}

}  // namespace

bool Available(const ContextMenuState& state) { return DropletCatalogue(state.Paths).HasDroplets(); }

void FillSubmenu(ContextMenuState& state, HMENU popup, MenuCursor& cursor) {
    uint32_t nextNumber = 0;
    UINT imagePosition = 0;
    AppendDropletItems(state, state.Paths.UserDropletFile(), popup, cursor, nextNumber, imagePosition);
    AppendDropletItems(state, state.Paths.SharedDropletFile(), popup, cursor, nextNumber, imagePosition);
}

// InsertDropletEntry: codes below 36 name no droplet.
void InsertRemembered(ContextMenuState& state, HMENU shellMenu, MenuCursor& cursor, CommandCode code) {
    if (code < Cmd::FirstDroplet || !HasRoom(cursor)) return;
    const uint32_t number = code - Cmd::FirstDroplet;
    const std::wstring path = DropletCatalogue(state.Paths).Find(number);
    if (path.empty()) return;
    InsertDroplet(state, shellMenu, cursor.ShellIndex, cursor.ShellIndex, cursor, number, path);
    ++cursor.ShellIndex;
}

HRESULT LaunchDroplet(const ContextMenuState& state, uint32_t number) {
    const std::wstring path = DropletCatalogue(state.Paths).Find(number);
    if (path.empty()) return E_FAIL;
    return StartProgram(path, DropletParameters(state.SelectionItems));
}

}  // namespace MenuDroplets
