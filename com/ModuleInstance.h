#pragma once
#include <windows.h>

// What every part of the library knows of the module it lives in: the image through which
// every string, bitmap, icon and dialog resource is loaded, and the lock count of what keeps it
// loaded (live objects, outside references to class objects, server locks).
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

namespace ModuleLock {
// Atomic; each returns the new count.
LONG Lock() noexcept;
LONG Unlock() noexcept;
LONG Count() noexcept;
}  // namespace ModuleLock
