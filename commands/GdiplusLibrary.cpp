#include "commands/GdiplusLibrary.h"

namespace {

template <class Function>
bool Find(HMODULE module, const char* name, Function*& function) {
    function = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

}  // namespace

GdiplusLibrary& GdiplusLibrary::Process() {
    static GdiplusLibrary library;
    return library;
}

bool GdiplusLibrary::Resolve() {
    return Find(Module, "GdipDisposeImage", DisposeImage) &&
           Find(Module, "GdipDeleteGraphics", DeleteGraphics) &&
           Find(Module, "GdipGetImageWidth", GetImageWidth) &&
           Find(Module, "GdipGetImageHeight", GetImageHeight) &&
           Find(Module, "GdipBitmapGetPixel", BitmapGetPixel) &&
           Find(Module, "GdipBitmapSetPixel", BitmapSetPixel) &&
           Find(Module, "GdipCreateBitmapFromScan0", CreateBitmapFromScan0) &&
           Find(Module, "GdipCreateBitmapFromHICON", CreateBitmapFromHICON) &&
           Find(Module, "GdipGetImageGraphicsContext", GetImageGraphicsContext) &&
           Find(Module, "GdipDrawImageRectI", DrawImageRectI) &&
           Find(Module, "GdipCreateHBITMAPFromBitmap", CreateHBITMAPFromBitmap);
}

bool GdiplusLibrary::Start() {
    if (Token) return true;
    if (!Module) Module = LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
    const Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
    if (!Module || !Find(Module, "GdiplusStartup", startup) || !Resolve() || startup(&Token, &input, nullptr) != Gdiplus::Ok) {
        Stop();
        return false;
    }
    return true;
}

void GdiplusLibrary::Stop() {
    const HMODULE module = Module;
    decltype(&Gdiplus::GdiplusShutdown) shutdown = nullptr;
    if (Token && Find(module, "GdiplusShutdown", shutdown)) shutdown(Token);
    *this = GdiplusLibrary();
    if (module) FreeLibrary(module);
}
