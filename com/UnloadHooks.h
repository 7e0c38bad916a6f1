#pragma once

// Per-process state that may not be given back inside DllMain (GDI+ must not be shut down
// there) registers a hook here; the module runs the hooks each time it answers S_OK to
// DllCanUnloadNow, the last call it gets before COM may free it. A hook gives back only what
// the next use can make again cheaply; what DllMain may release (memory, GDI handles,
// activation contexts) goes with its owner's static object when the library really unloads.
namespace UnloadHooks {
using Hook = void (*)() noexcept;
// Registering the same hook again keeps one; false when the table is full.
bool Register(Hook hook) noexcept;
void RunAll() noexcept;
}  // namespace UnloadHooks
