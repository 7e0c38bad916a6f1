#pragma once
#include <windows.h>

#include <utility>

// Owns a popup menu until it is inserted into its parent, which then owns it.
class UniqueMenu {
public:
    UniqueMenu() = default;
    explicit UniqueMenu(HMENU menu) : Handle(menu) {}
    ~UniqueMenu() {
        if (Handle) DestroyMenu(Handle);
    }
    UniqueMenu(UniqueMenu&& other) noexcept : Handle(other.Release()) {}
    UniqueMenu& operator=(UniqueMenu&& other) noexcept {
        std::swap(Handle, other.Handle);
        return *this;
    }
    UniqueMenu(const UniqueMenu&) = delete;
    UniqueMenu& operator=(const UniqueMenu&) = delete;

    HMENU Get() const { return Handle; }
    HMENU Release() { return std::exchange(Handle, nullptr); }

private:
    HMENU Handle = nullptr;
};
