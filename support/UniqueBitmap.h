#pragma once
#include <windows.h>

#include "support/UniqueHandle.h"

struct BitmapCloser {
    void operator()(HBITMAP bitmap) const noexcept { DeleteObject(bitmap); }
};

// Owns a GDI bitmap and deletes it.
using UniqueBitmap = UniqueHandle<HBITMAP, BitmapCloser>;
