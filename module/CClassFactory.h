#pragma once
#include <windows.h>
#include <objbase.h>

#include "com/CCriticalSection.h"
#include "module/ObjectMap.h"

// The class object of every served class, cached by the COM module. The cache's own
// reference does not lock the module; each reference a client holds does.
class CClassFactory final : public IClassFactory {
public:
    // A new class object whose only reference is returned in *cached.
    static HRESULT Create(InstanceCreator creator, IUnknown** cached) noexcept;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP LockServer(BOOL lock) noexcept override;

private:
    explicit CClassFactory(InstanceCreator creator) noexcept : Creator(creator) {}
    ~CClassFactory() = default;

    volatile LONG RefCount = 0;
    // Clients may call from any thread; an object that cannot have its lock is not made.
    CCriticalSection Section;
    InstanceCreator Creator;
};
