#include "menu/CShlContextMenu.h"

#include <new>

#include "com/IsolationAware.h"
#include "commands/HelpStrings.h"
#include "launch/CommandDispatch.h"
#include "menu/MenuBuilder.h"
#include "selection/ClassifyPath.h"
#include "selection/SelectionReader.h"
#include "support/RegistryValues.h"

CShlContextMenu::CShlContextMenu() = default;

CShlContextMenu::~CShlContextMenu() = default;

STDMETHODIMP CShlContextMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) noexcept {
    try {
        if (!IsContextMenuEnabled()) return E_INVALIDARG;
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES};
        IsolationAware::InitCommonControlsEx(&controls);
        if (!data) return E_INVALIDARG;
        HRESULT hr = ReadSelection(data, State.SelectionItems);
        if (SUCCEEDED(hr)) State.SelectionFolder = SelectionFolder(State.SelectionItems.front().Path);
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CShlContextMenu::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                               UINT idCmdLast, UINT flags) noexcept {
    try {
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0,
                            BuildContextMenu(State, menu, indexMenu, idCmdFirst, idCmdLast, flags));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CShlContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
    if (!info) return E_INVALIDARG;
    // A verb with any of its high 16 bits set is a string: no canonical verbs here.
    if (HIWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb)) != 0) return E_INVALIDARG;
    const UINT offset = LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb));
    if (offset >= State.InsertedKinds.size()) return E_INVALIDARG;
    try {
        return InvokeContextCommand(State, State.InsertedKinds[offset]);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CShlContextMenu::GetCommandString(UINT_PTR idCmd, UINT flags, UINT*, LPSTR name,
                                               UINT capacity) noexcept {
    if (idCmd >= State.InsertedKinds.size()) return E_INVALIDARG;
    if ((flags & (GCS_HELPTEXTA | GCS_UNICODE)) == 0) return E_INVALIDARG;
    try {
        return WriteHelpText(State.InsertedKinds[idCmd], flags, name, capacity);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
