#pragma once
#include <utility>

// Owns one handle and closes it with Closer when it goes; Release hands it on (a submenu
// once its parent menu owns it).
template <class Handle, class Closer>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : Value(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : Value(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            Value = other.Release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    explicit operator bool() const noexcept { return Value != Handle{}; }
    Handle Get() const noexcept { return Value; }
    Handle Release() noexcept { return std::exchange(Value, Handle{}); }
    void Reset() noexcept {
        if (Value) Closer{}(std::exchange(Value, Handle{}));
    }

private:
    Handle Value{};
};
