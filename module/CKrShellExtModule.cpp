#include "module/CKrShellExtModule.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
// The image that holds this code: the DLL, or a test executable linking the library.
HINSTANCE g_instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

CKrShellExtModule::CKrShellExtModule() = default;
CKrShellExtModule::~CKrShellExtModule() = default;

LONG CKrShellExtModule::Lock() { return InterlockedIncrement(&LockCount); }
LONG CKrShellExtModule::Unlock() { return InterlockedDecrement(&LockCount); }
LONG CKrShellExtModule::GetLockCount() const { return LockCount; }

CKrShellExtModule& CKrShellExtModule::Instance() {
    static CKrShellExtModule module;
    return module;
}
