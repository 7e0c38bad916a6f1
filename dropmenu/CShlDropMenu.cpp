#include "dropmenu/CShlDropMenu.h"

#include <new>

#include "module/CKrShellExtModule.h"

HRESULT CShlDropMenu::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CShlDropMenu* object = new (std::nothrow) CShlDropMenu();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

CShlDropMenu::CShlDropMenu() { CKrShellExtModule::Instance().Lock(); }

CShlDropMenu::~CShlDropMenu() { CKrShellExtModule::Instance().Unlock(); }

STDMETHODIMP CShlDropMenu::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit)) {
        *ppv = static_cast<IShellExtInit*>(this);
    } else if (IsEqualIID(riid, IID_IContextMenu)) {
        *ppv = static_cast<IContextMenu*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CShlDropMenu::AddRef() noexcept { return ++RefCount; }

STDMETHODIMP_(ULONG) CShlDropMenu::Release() noexcept {
    const ULONG count = --RefCount;
    if (count == 0) delete this;
    return count;
}

// Not wired up yet: Initialize refuses every drop, so the shell shows nothing from this
// handler, and the menu methods have nothing to work on.
STDMETHODIMP CShlDropMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) noexcept { return E_INVALIDARG; }

STDMETHODIMP CShlDropMenu::QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) noexcept {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
}

STDMETHODIMP CShlDropMenu::InvokeCommand(CMINVOKECOMMANDINFO*) noexcept { return S_OK; }

STDMETHODIMP CShlDropMenu::GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) noexcept { return E_NOTIMPL; }
