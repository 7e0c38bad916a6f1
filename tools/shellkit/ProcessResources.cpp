#include "shellkit/ProcessResources.h"

#include <winternl.h>

#include <vector>

namespace {

// Handle values are multiples of four, handed out from the lowest free one: past the last
// one in use, a long run of values that name nothing ends the table.
size_t HandleCount() {
    constexpr size_t EmptyRunAtEnd = 4096;
    const HANDLE self = GetCurrentProcess();
    size_t count = 0;
    for (size_t value = 4, empty = 0; empty < EmptyRunAtEnd; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(self, reinterpret_cast<HANDLE>(value), self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            CloseHandle(copy);
            ++count;
            empty = 0;
        } else {
            ++empty;
        }
    }
    return count;
}

size_t HeapBytesInUse() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    size_t bytes = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        HeapUnlock(heap);
    }
    return bytes;
}

}  // namespace

DWORD GdiObjectCount() {
    SetLastError(ERROR_SUCCESS);
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return count;
    // 65,536 entries of 24 bytes whose type byte is 0 when the entry is free.
    const auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
    for (size_t entry = 0; table && entry < 0x10000; ++entry) count += table[entry * 24 + 14] != 0;
    return count;
}

ProcessResources ProcessResources::Now() {
    // Heap first: counting handles allocates nothing, counting the heap may.
    ProcessResources now;
    now.HeapBytes = HeapBytesInUse();
    now.Handles = HandleCount();
    now.GdiObjects = GdiObjectCount();
    return now;
}
