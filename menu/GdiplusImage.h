#pragma once
#include <utility>

namespace Gdiplus {
class GpBitmap;
}

// Owns a GDI+ bitmap made through the flat API and disposes of it.
class GdiplusImage {
public:
    GdiplusImage() = default;
    explicit GdiplusImage(Gdiplus::GpBitmap* bitmap) : Bitmap(bitmap) {}
    ~GdiplusImage() { Reset(); }
    GdiplusImage(GdiplusImage&& other) noexcept : Bitmap(std::exchange(other.Bitmap, nullptr)) {}
    GdiplusImage& operator=(GdiplusImage&& other) noexcept {
        std::swap(Bitmap, other.Bitmap);
        return *this;
    }
    GdiplusImage(const GdiplusImage&) = delete;
    GdiplusImage& operator=(const GdiplusImage&) = delete;

    Gdiplus::GpBitmap* Get() const { return Bitmap; }
    void Reset();

private:
    Gdiplus::GpBitmap* Bitmap = nullptr;
};
