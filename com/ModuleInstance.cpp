#include "com/ModuleInstance.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
// The image that holds this code: the DLL, or a test executable linking the library.
HINSTANCE g_instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
volatile LONG g_lockCount = 0;
}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

namespace ModuleLock {
LONG Lock() noexcept { return InterlockedIncrement(&g_lockCount); }
LONG Unlock() noexcept { return InterlockedDecrement(&g_lockCount); }
LONG Count() noexcept { return InterlockedCompareExchange(&g_lockCount, 0, 0); }
}  // namespace ModuleLock
