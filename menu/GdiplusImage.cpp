#include "menu/GdiplusImage.h"

#include <windows.h>
#include <gdiplus.h>

void GdiplusImage::Reset() {
    if (Bitmap) Gdiplus::DllExports::GdipDisposeImage(std::exchange(Bitmap, nullptr));
}
