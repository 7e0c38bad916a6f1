#include "proppage/CPropPageExt.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <new>

#include "com/IsolationAware.h"
#include "com/ModuleInstance.h"
#include "proppage/ArchiveAssociation.h"
#include "proppage/ArchivePage.h"
#include "selection/DropFileList.h"
#include "selection/LockedMedium.h"
#include "support/RegistryValues.h"

STDMETHODIMP CPropPageExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) noexcept {
    try {
        if (!IsContextMenuEnabled()) return E_INVALIDARG;
        DropFileList list;
        {
            const LockedMedium medium(data, CF_HDROP);
            if (!medium.Data()) return E_INVALIDARG;
            Path.clear();
            if (!list.Read(medium.Data(), medium.Size())) return E_INVALIDARG;
        }
        // A longer path would arrive cut, naming some other file: no page for it.
        if (list.Names.size() != 1 || list.AnyCut || list.Names[0].empty()) return E_INVALIDARG;
        const wchar_t* path = list.Names[0].c_str();

        // Not this handler's business: folders, and files the archiver does not own now.
        if (PathIsDirectoryW(path) || !IsAssociatedWithArchiver(path)) return E_FAIL;
        Path = path;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// The shell calls this only after Initialize accepted a file. The sheet's refusal is no
// failure of ours: the page is destroyed and S_OK returned all the same.
STDMETHODIMP CPropPageExt::AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM shellParam) noexcept {
    try {
        if (!addPage) return S_OK;
        const HPROPSHEETPAGE page = ArchivePage::Create(Path);
        if (page && !addPage(page, shellParam)) IsolationAware::DestroyPropertySheetPage(page);
    } catch (...) {
        // No page, as when the sheet cannot make one.
    }
    return S_OK;
}

STDMETHODIMP CPropPageExt::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) noexcept { return E_NOTIMPL; }
