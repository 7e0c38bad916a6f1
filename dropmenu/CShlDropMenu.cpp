#include "dropmenu/CShlDropMenu.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <new>

#include "com/IsolationAware.h"
#include "com/ModuleInstance.h"
#include "commands/CommandTable.h"
#include "commands/MenuImages.h"
#include "commands/MenuText.h"
#include "launch/RequestLauncher.h"
#include "selection/SelectionReader.h"
#include "support/InstallLocations.h"
#include "support/RegistryValues.h"
#include "support/UniqueMenu.h"

namespace {
static_assert(sizeof(MENUITEMINFOW) == 80, "the shell expects the 64-bit MENUITEMINFOW");

// The submenu's entries in identifier order; "Kestrel" takes the identifier after them.
constexpr CommandCode DropCommands[] = {Cmd::ExtractHere, Cmd::ExtractToNamedFolder};
constexpr UINT IdentifiersUsed = std::size(DropCommands) + 1;

UINT MenuTextIdOf(CommandCode code) { return FindCommand(code)->MenuTextId; }

}  // namespace

CShlDropMenu::CShlDropMenu() : BatchToolPath(InstallLocations::DropMenuBatchToolPath()) {}

STDMETHODIMP CShlDropMenu::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) noexcept {
    try {
        if (!IsContextMenuEnabled()) return E_INVALIDARG;
        // Targets outside the file system (Control Panel, a phone) have nowhere to extract to.
        wchar_t target[MAX_PATH];
        if (!folder || !SHGetPathFromIDListW(folder, target)) return E_FAIL;
        DropTargetFolder = target;
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES};
        IsolationAware::InitCommonControlsEx(&controls);
        // Unlike the context menu, a list whose names all failed to read still counts.
        UINT listed = 0;
        const HRESULT hr = ReadDropList(data, DroppedItems, listed);
        return SUCCEEDED(hr) && listed > 0 ? S_OK : E_INVALIDARG;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CShlDropMenu::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                            UINT flags) noexcept {
    constexpr HRESULT NothingAdded = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    if (flags & CMF_DEFAULTONLY) return NothingAdded;
    // Offered only when everything dropped is an archive.
    if (std::any_of(DroppedItems.begin(), DroppedItems.end(),
                    [](const SelectionItem& item) { return !IsArchive(item.Kind); }))
        return NothingAdded;
    if (uint64_t{idCmdFirst} + IdentifiersUsed - 1 > idCmdLast) return NothingAdded;
    try {
        UniqueMenu popup(CreatePopupMenu());
        if (!popup.Get()) return NothingAdded;
        // Offsets index the menu built last, so every build starts the list afresh.
        InsertedKinds.clear();
        InsertedKinds.reserve(IdentifiersUsed);
        for (CommandCode code : DropCommands) {
            const MenuText text(MenuTextIdOf(code));
            const auto position = static_cast<UINT>(InsertedKinds.size());
            InsertMenuW(popup.Get(), position, MF_BYPOSITION | MF_STRING, idCmdFirst + position, text.Get());
            InsertedKinds.push_back(code);
        }

        const MenuText text(MenuTextIdOf(Cmd::KestrelMenu));
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.fType = MFT_STRING;
        item.wID = idCmdFirst + static_cast<UINT>(InsertedKinds.size());
        item.hSubMenu = popup.Get();
        item.dwTypeData = const_cast<wchar_t*>(text.Get());
        if (InsertMenuItemW(menu, indexMenu, TRUE, &item)) popup.Release();
        MenuImages::Process().Attach(menu, indexMenu, IDB_PRODUCT);
        InsertedKinds.push_back(Cmd::KestrelMenu);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, IdentifiersUsed);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CShlDropMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
    // Whatever happens, the shell hears S_OK: the drop is over and there is no one to tell.
    if (!info) return S_OK;
    // A verb with any bit above the low word set is a string: this menu knows no verbs.
    const auto verb = reinterpret_cast<ULONG_PTR>(info->lpVerb);
    if (verb >> 16 != 0) return S_OK;
    if (verb >= InsertedKinds.size()) return S_OK;
    try {
        LaunchDropRequest(DroppedItems, DropTargetFolder, BatchToolPath, InsertedKinds[verb]);
    } catch (...) {
        // Out of memory is one more launch that did not happen.
    }
    return S_OK;
}

STDMETHODIMP CShlDropMenu::GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) noexcept { return E_NOTIMPL; }
