#pragma once
#include <windows.h>
#include <objbase.h>

#include <array>
#include <atomic>

#include "com/CCriticalSection.h"
#include "module/ObjectMap.h"

// The COM side of the module: the class objects of the object map, made on first request
// and kept until unload.
class CKrComModule {
public:
    static CKrComModule& Instance();

    bool IsInitialised() const noexcept { return Section.IsCreated(); }
    // The class object serving clsid, queried for riid.
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept;

    CKrComModule(const CKrComModule&) = delete;
    CKrComModule& operator=(const CKrComModule&) = delete;

private:
    CKrComModule();
    ~CKrComModule();

    HRESULT CachedClassObject(size_t index, IUnknown** object) noexcept;

    CCriticalSection Section;  // guards the creation of class objects
    std::array<std::atomic<IUnknown*>, ObjectMap.size()> ClassObjects{};
};
