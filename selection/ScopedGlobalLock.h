#pragma once
#include <windows.h>

// GlobalLock for the lifetime of the object.
class ScopedGlobalLock {
public:
    explicit ScopedGlobalLock(HGLOBAL block) : Block(block), Data(block ? GlobalLock(block) : nullptr) {}
    ~ScopedGlobalLock() {
        if (Data) GlobalUnlock(Block);
    }
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

    void* Get() const { return Data; }

private:
    HGLOBAL Block;
    void* Data;
};
