#pragma once
#include <windows.h>

// Puts a function of one's own in place of a function a module imports, by its entry in the
// module's import table, and puts the original back when it goes. Used to count the system
// calls a handler makes (attribute queries, folder probes) and to time a launch.
class ImportHook {
public:
    ImportHook(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool Installed() const { return Slot != nullptr; }
    // The function the module imported, to be called by the replacement.
    void* Original() const { return Saved; }

private:
    void** Slot = nullptr;
    void* Saved = nullptr;
};
