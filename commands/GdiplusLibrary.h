#pragma once
#include <windows.h>
#include <gdiplus.h>

// The GDI+ functions the droplet images use, taken from the system's own gdiplus.dll (never a
// copy that a host's folder might hold), loaded and started with the first droplet image and
// freed after GDI+ is shut down. One per process; the caller serialises Start and Stop.
class GdiplusLibrary {
public:
    static GdiplusLibrary& Process();

    // Loads the library from System32 and starts GDI+ once; false when either fails, and
    // then every function below stays null.
    bool Start();
    // Shuts GDI+ down and frees the library; the functions are null again.
    void Stop();

    // The flat API's functions, by their names without the "Gdip" prefix.
    decltype(&Gdiplus::DllExports::GdipDisposeImage) DisposeImage = nullptr;
    decltype(&Gdiplus::DllExports::GdipDeleteGraphics) DeleteGraphics = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageWidth) GetImageWidth = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageHeight) GetImageHeight = nullptr;
    decltype(&Gdiplus::DllExports::GdipBitmapGetPixel) BitmapGetPixel = nullptr;
    decltype(&Gdiplus::DllExports::GdipBitmapSetPixel) BitmapSetPixel = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateBitmapFromScan0) CreateBitmapFromScan0 = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateBitmapFromHICON) CreateBitmapFromHICON = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageGraphicsContext) GetImageGraphicsContext = nullptr;
    decltype(&Gdiplus::DllExports::GdipDrawImageRectI) DrawImageRectI = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap) CreateHBITMAPFromBitmap = nullptr;

private:
    GdiplusLibrary() = default;
    bool Resolve();

    HMODULE Module = nullptr;
    ULONG_PTR Token = 0;
};
