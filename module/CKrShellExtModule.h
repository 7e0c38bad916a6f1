#pragma once
#include <windows.h>
#include <objbase.h>

// The process-wide module object: lock count, instance handle, global interface table.
class CKrShellExtModule {
public:
    CKrShellExtModule();
    virtual ~CKrShellExtModule();
    CKrShellExtModule(const CKrShellExtModule&) = delete;
    CKrShellExtModule& operator=(const CKrShellExtModule&) = delete;

    virtual LONG Lock();
    virtual LONG Unlock();
    virtual LONG GetLockCount() const;

    static CKrShellExtModule& Instance();

private:
    volatile LONG LockCount = 0;
};

// Handle through which every string, bitmap, icon and dialog resource is loaded.
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);
