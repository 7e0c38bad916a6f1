#pragma once
#include <windows.h>
#include <shlobj.h>

#include "com/CShellObject.h"
#include "commands/ContextMenuState.h"

// The context-menu handler for files and folders: a thin COM shell around ContextMenuState
// and the plain functions that build the menu and run its commands.
class CShlContextMenu final : public CShellObject<CShlContextMenu, IShellExtInit, IContextMenu> {
public:
    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) noexcept override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT flags) noexcept override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT flags, UINT* reserved, LPSTR name,
                                  UINT capacity) noexcept override;

private:
    friend CShellObject;
    CShlContextMenu();
    ~CShlContextMenu() override;

    ContextMenuState State;
};
