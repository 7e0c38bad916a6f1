#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

// The property-sheet handler: one page for an archive the archiver owns.
class CPropPageExt final : public IShellExtInit, public IShellPropSheetExt {
public:
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) noexcept override;

    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM shellParam) noexcept override;
    STDMETHODIMP ReplacePage(EXPPS pageId, LPFNSVADDPROPSHEETPAGE replaceWith, LPARAM shellParam) noexcept override;

private:
    CPropPageExt();
    ~CPropPageExt();

    ULONG RefCount = 1;
    std::wstring Path;  // the one selected archive; empty until Initialize accepts it
};
