#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "com/CShellObject.h"

// The property-sheet handler: one page for an archive the archiver owns.
class CPropPageExt final : public CShellObject<CPropPageExt, IShellExtInit, IShellPropSheetExt> {
public:
    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) noexcept override;

    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM shellParam) noexcept override;
    STDMETHODIMP ReplacePage(EXPPS pageId, LPFNSVADDPROPSHEETPAGE replaceWith, LPARAM shellParam) noexcept override;

private:
    friend CShellObject;
    CPropPageExt() = default;
    ~CPropPageExt() override = default;

    std::wstring Path;  // the one selected archive; empty until Initialize accepts it
};
