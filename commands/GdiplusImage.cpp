#include "commands/GdiplusImage.h"

#include "commands/GdiplusLibrary.h"

// Images exist only while GDI+ runs, so the library is loaded whenever one is disposed of.
void GdiplusImageCloser::operator()(Gdiplus::GpBitmap* bitmap) const noexcept {
    if (const auto dispose = GdiplusLibrary::Process().DisposeImage) dispose(bitmap);
}
