#pragma once
#include <windows.h>
#include <objbase.h>

#include <new>

#include "module/CKrShellExtModule.h"

// The COM plumbing every shell handler shares: created with new (std::nothrow) and never
// aggregated, a plain reference count (the shell calls each object on one thread), the
// module kept loaded while the object lives, and QueryInterface over the listed interfaces
// (the first one also answers IUnknown).
template <class Derived, class FirstInterface, class... OtherInterfaces>
class CShellObject : public FirstInterface, public OtherInterfaces... {
public:
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            Derived* object = new (std::nothrow) Derived();
            if (!object) return E_OUTOFMEMORY;
            const HRESULT hr = object->QueryInterface(riid, ppv);
            object->Release();
            return hr;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(FirstInterface))) {
            *ppv = static_cast<FirstInterface*>(this);
        } else {
            ((!*ppv && IsEqualIID(riid, __uuidof(OtherInterfaces)) ? *ppv = static_cast<OtherInterfaces*>(this) : nullptr),
             ...);
        }
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++RefCount; }

    STDMETHODIMP_(ULONG) Release() noexcept override {
        const ULONG count = --RefCount;
        if (count == 0) delete this;
        return count;
    }

protected:
    CShellObject() noexcept { CKrShellExtModule::Instance().Lock(); }
    virtual ~CShellObject() { CKrShellExtModule::Instance().Unlock(); }

private:
    ULONG RefCount = 1;
};
