#pragma once
#include <windows.h>

#include <utility>

// Owns a GDI bitmap and deletes it.
class UniqueBitmap {
public:
    UniqueBitmap() = default;
    explicit UniqueBitmap(HBITMAP bitmap) : Handle(bitmap) {}
    ~UniqueBitmap() { Reset(); }
    UniqueBitmap(UniqueBitmap&& other) noexcept : Handle(std::exchange(other.Handle, nullptr)) {}
    UniqueBitmap& operator=(UniqueBitmap&& other) noexcept {
        std::swap(Handle, other.Handle);
        return *this;
    }
    UniqueBitmap(const UniqueBitmap&) = delete;
    UniqueBitmap& operator=(const UniqueBitmap&) = delete;

    HBITMAP Get() const { return Handle; }
    void Reset() {
        if (Handle) DeleteObject(std::exchange(Handle, nullptr));
    }

private:
    HBITMAP Handle = nullptr;
};
