#include "proppage/CPropPageExt.h"

#include <new>

#include "module/CKrShellExtModule.h"

HRESULT CPropPageExt::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CPropPageExt* object = new (std::nothrow) CPropPageExt();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

CPropPageExt::CPropPageExt() { CKrShellExtModule::Instance().Lock(); }

CPropPageExt::~CPropPageExt() { CKrShellExtModule::Instance().Unlock(); }

STDMETHODIMP CPropPageExt::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit)) {
        *ppv = static_cast<IShellExtInit*>(this);
    } else if (IsEqualIID(riid, IID_IShellPropSheetExt)) {
        *ppv = static_cast<IShellPropSheetExt*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CPropPageExt::AddRef() noexcept { return ++RefCount; }

STDMETHODIMP_(ULONG) CPropPageExt::Release() noexcept {
    const ULONG count = --RefCount;
    if (count == 0) delete this;
    return count;
}

// Not wired up yet: Initialize refuses every file, so the shell never asks for a page.
STDMETHODIMP CPropPageExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) noexcept { return E_INVALIDARG; }

STDMETHODIMP CPropPageExt::AddPages(LPFNSVADDPROPSHEETPAGE, LPARAM) noexcept { return S_OK; }

STDMETHODIMP CPropPageExt::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) noexcept { return E_NOTIMPL; }
