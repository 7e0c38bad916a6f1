#pragma once
#include <windows.h>

// A critical section whose creation can fail (and says so), deleted with its owner.
class CCriticalSection {
public:
    CCriticalSection() noexcept : Created(InitializeCriticalSectionEx(&Section, 0, 0) != FALSE) {}
    ~CCriticalSection() {
        if (Created) DeleteCriticalSection(&Section);
    }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    bool IsCreated() const noexcept { return Created; }
    void Enter() noexcept { EnterCriticalSection(&Section); }
    void Leave() noexcept { LeaveCriticalSection(&Section); }

    // Holds the section for one scope.
    class Guard {
    public:
        explicit Guard(CCriticalSection& section) noexcept : Owner(section) { Owner.Enter(); }
        ~Guard() { Owner.Leave(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CCriticalSection& Owner;
    };

private:
    CRITICAL_SECTION Section{};
    bool Created;
};
