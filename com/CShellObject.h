#pragma once
#include <windows.h>
#include <objbase.h>

#include <iterator>
#include <new>

#include "com/ModuleInstance.h"

// One row of an object's interface table, as the SDK's QITAB: the interface's IID and the
// object seen through it.
struct InterfaceRow {
    const IID* Iid;
    IUnknown* Pointer;
};

// QISearch over the rows: the first row also answers IUnknown.
inline HRESULT SearchInterfaces(const InterfaceRow* rows, size_t count, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (IsEqualIID(riid, *rows[i].Iid) || (i == 0 && IsEqualIID(riid, IID_IUnknown))) {
            rows[i].Pointer->AddRef();
            *ppv = rows[i].Pointer;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

// The COM plumbing every shell handler shares: created with new (std::nothrow) and never
// aggregated, an atomic reference count (a handler may be released on another thread than
// the one that made it), the module kept loaded while the object lives, and QueryInterface
// over a table of the listed interfaces.
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
        const InterfaceRow rows[] = {
            {&__uuidof(FirstInterface), static_cast<FirstInterface*>(this)},
            {&__uuidof(OtherInterfaces), static_cast<OtherInterfaces*>(this)}...,
        };
        return SearchInterfaces(rows, std::size(rows), riid, ppv);
    }

    STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(InterlockedIncrement(&RefCount)); }

    STDMETHODIMP_(ULONG) Release() noexcept override {
        const LONG count = InterlockedDecrement(&RefCount);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

protected:
    CShellObject() noexcept { ModuleLock::Lock(); }
    virtual ~CShellObject() { ModuleLock::Unlock(); }

private:
    LONG RefCount = 1;
};
