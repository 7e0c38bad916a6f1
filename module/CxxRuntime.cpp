// The parts of the static C++ runtime that would outlive an unload. A host such as Explorer
// loads and frees the library again and again for as long as the user stays logged on, so
// each load must give back what it took:
//  - libstdc++ keeps each thread's exception state in a thread_local, which MinGW emulates
//    with a TLS slot that is never freed; here it lives in a slot freed at unload;
//  - function-local statics are guarded by a runtime mutex whose semaphore is never closed;
//    here each guard is its own lock and no handle is made;
//  - the runtime's emergency exception pool (about 73 KB) is allocated at every load and
//    freed only on request.
// Linked into the DLL only: the test programs and tools keep the runtime's own versions.
#include <windows.h>

#include <cxxabi.h>
#include <exception>

namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace {

// Room for the runtime's per-thread exception record (the caught-exception stack and the
// count of uncaught exceptions).
struct alignas(MEMORY_ALLOCATION_ALIGNMENT) ThreadExceptionState {
    SLIST_ENTRY Link;  // every record is listed so that unload can free them all
    void* Record[4];
};

constexpr DWORD NoSlot = TLS_OUT_OF_INDEXES;
volatile LONG g_slot = static_cast<LONG>(NoSlot);
SLIST_HEADER g_records;

DWORD Slot() {
    const DWORD slot = static_cast<DWORD>(g_slot);
    if (slot != NoSlot) return slot;
    const DWORD made = TlsAlloc();
    if (made == NoSlot) return NoSlot;
    const LONG previous = InterlockedCompareExchange(&g_slot, static_cast<LONG>(made), static_cast<LONG>(NoSlot));
    if (previous == static_cast<LONG>(NoSlot)) return made;
    TlsFree(made);  // another thread was first
    return static_cast<DWORD>(previous);
}

// Runs last at unload, after every other static of the library is gone: constructed first.
struct RuntimeRelease {
    RuntimeRelease() { InitializeSListHead(&g_records); }
    ~RuntimeRelease() {
        while (PSLIST_ENTRY entry = InterlockedPopEntrySList(&g_records)) HeapFree(GetProcessHeap(), 0, entry);
        const DWORD slot = static_cast<DWORD>(InterlockedExchange(&g_slot, static_cast<LONG>(NoSlot)));
        if (slot != NoSlot) TlsFree(slot);
        __gnu_cxx::__freeres();
    }
};
[[gnu::init_priority(101)]] RuntimeRelease g_release;

}  // namespace

namespace __cxxabiv1 {

extern "C" __cxa_eh_globals* __cxa_get_globals_fast() noexcept {
    const DWORD slot = static_cast<DWORD>(g_slot);
    return slot == NoSlot ? nullptr : static_cast<__cxa_eh_globals*>(TlsGetValue(slot));
}

// A record per thread that ever handled an exception here; freed at unload. Without a slot
// or memory the runtime cannot track an exception at all, as when it cannot allocate one.
extern "C" __cxa_eh_globals* __cxa_get_globals() noexcept {
    const DWORD slot = Slot();
    if (slot == NoSlot) std::terminate();
    if (void* record = TlsGetValue(slot)) return static_cast<__cxa_eh_globals*>(record);
    auto* state = static_cast<ThreadExceptionState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ThreadExceptionState)));
    if (!state) std::terminate();
    InterlockedPushEntrySList(&g_records, &state->Link);
    TlsSetValue(slot, state->Record);
    return reinterpret_cast<__cxa_eh_globals*>(state->Record);
}

// Guard bytes: the first says "done" (what the compiler's inline test reads), the second
// "being initialised". A second thread waits for the first; nested statics use other guards.
extern "C" int __cxa_guard_acquire(__guard* guard) {
    auto* bytes = reinterpret_cast<volatile char*>(guard);
    for (;;) {
        if (__atomic_load_n(&bytes[0], __ATOMIC_ACQUIRE)) return 0;
        char idle = 0;
        if (__atomic_compare_exchange_n(&bytes[1], &idle, 1, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED)) {
            if (!__atomic_load_n(&bytes[0], __ATOMIC_ACQUIRE)) return 1;
            __atomic_store_n(&bytes[1], 0, __ATOMIC_RELEASE);  // finished meanwhile
            return 0;
        }
        SwitchToThread();
    }
}

extern "C" void __cxa_guard_release(__guard* guard) noexcept {
    auto* bytes = reinterpret_cast<volatile char*>(guard);
    __atomic_store_n(&bytes[0], 1, __ATOMIC_RELEASE);
    __atomic_store_n(&bytes[1], 0, __ATOMIC_RELEASE);
}

extern "C" void __cxa_guard_abort(__guard* guard) noexcept {
    __atomic_store_n(&reinterpret_cast<volatile char*>(guard)[1], 0, __ATOMIC_RELEASE);
}

}  // namespace __cxxabiv1
