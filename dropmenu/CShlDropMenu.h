#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "com/CShellObject.h"
#include "commands/CommandCode.h"
#include "selection/SelectionItem.h"

// The right-drag handler: offers extraction of dropped archives at the drop target.
class CShlDropMenu final : public CShellObject<CShlDropMenu, IShellExtInit, IContextMenu> {
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
    CShlDropMenu();
    ~CShlDropMenu() override = default;

    std::wstring BatchToolPath;
    SelectionList DroppedItems;
    std::wstring DropTargetFolder;
    std::vector<CommandCode> InsertedKinds;
};
