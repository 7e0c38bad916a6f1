#pragma once
#include "support/UniqueHandle.h"

namespace Gdiplus {
class GpBitmap;
}

struct GdiplusImageCloser {
    void operator()(Gdiplus::GpBitmap* bitmap) const noexcept;
};

// Owns a GDI+ bitmap made through the flat API and disposes of it.
using GdiplusImage = UniqueHandle<Gdiplus::GpBitmap*, GdiplusImageCloser>;
