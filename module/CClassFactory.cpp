#include "module/CClassFactory.h"

#include <new>

#include "module/CKrShellExtModule.h"

HRESULT CClassFactory::Create(InstanceCreator creator, IUnknown** cached) noexcept {
    *cached = nullptr;
    CClassFactory* object = new (std::nothrow) CClassFactory(creator);
    if (!object) return E_OUTOFMEMORY;
    if (!object->Section.IsCreated()) {
        delete object;
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(cached));
    if (FAILED(hr)) delete object;
    return hr;
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() noexcept {
    const LONG count = InterlockedIncrement(&RefCount);
    if (count == 2) CKrShellExtModule::Instance().Lock();  // the first reference beyond the cache's
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CClassFactory::Release() noexcept {
    const LONG count = InterlockedDecrement(&RefCount);
    if (count == 1) {
        CKrShellExtModule::Instance().Unlock();  // only the cache holds it again
    } else if (count == 0) {
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return Creator(outer, riid, ppv);
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) noexcept {
    if (lock) {
        CKrShellExtModule::Instance().Lock();
    } else {
        CKrShellExtModule::Instance().Unlock();
    }
    return S_OK;
}
