#pragma once
#include <windows.h>
#include <objbase.h>
#include <objidl.h>

#include <span>
#include <string_view>

#include "com/CCriticalSection.h"
#include "com/ModuleInstance.h"

class CRegistrar;

// An extra replacement pair for a registrar script.
struct RgsReplacement {
    std::wstring_view Name;
    std::wstring_view Value;
};

// The process-wide module object: lock count, global interface table, AppID, and the
// work behind the four exports.
class CKrShellExtModule {
public:
    virtual ~CKrShellExtModule();
    CKrShellExtModule(const CKrShellExtModule&) = delete;
    CKrShellExtModule& operator=(const CKrShellExtModule&) = delete;

    virtual LONG Lock();
    virtual LONG Unlock();
    virtual LONG GetLockCount() const;
    // The process's global interface table, made on first use; one reference for the caller.
    virtual HRESULT GetGITPtr(IGlobalInterfaceTable** git) noexcept;
    // Gives a registrar the replacements every script may use ("APPID").
    virtual HRESULT AddCommonRGSReplacements(CRegistrar& registrar) noexcept;

    static CKrShellExtModule& Instance();

    // False when a critical section could not be made at load; the library must not load.
    bool IsInitialised() const noexcept;

    HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept;
    HRESULT DllCanUnloadNow() noexcept;
    HRESULT DllRegisterServer() noexcept;
    HRESULT DllUnregisterServer() noexcept;
    // Runs one registrar script of this library in the given direction.
    HRESULT UpdateRegistryFromResource(UINT scriptId, bool doRegister,
                                       std::span<const RgsReplacement> extra = {}) noexcept;

private:
    CKrShellExtModule();

    CCriticalSection Section;  // guards the lazily made global interface table
    IGlobalInterfaceTable* Git = nullptr;
};
