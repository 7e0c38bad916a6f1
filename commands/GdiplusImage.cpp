#include "commands/GdiplusImage.h"

#include <windows.h>
#include <gdiplus.h>

void GdiplusImageCloser::operator()(Gdiplus::GpBitmap* bitmap) const noexcept {
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
}
