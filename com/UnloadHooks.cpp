#include "com/UnloadHooks.h"

#include <windows.h>

namespace {
// A few owners at most; a fixed table needs no allocation and no lock.
constexpr int Capacity = 8;
void* volatile g_hooks[Capacity] = {};
}  // namespace

namespace UnloadHooks {

bool Register(Hook hook) noexcept {
    void* const wanted = reinterpret_cast<void*>(hook);
    for (void* volatile& slot : g_hooks) {
        void* const seen = InterlockedCompareExchangePointer(&slot, wanted, nullptr);
        if (seen == nullptr || seen == wanted) return true;
    }
    return false;
}

void RunAll() noexcept {
    for (void* volatile& slot : g_hooks)
        if (void* const hook = InterlockedCompareExchangePointer(&slot, nullptr, nullptr))
            reinterpret_cast<Hook>(hook)();
}

}  // namespace UnloadHooks
