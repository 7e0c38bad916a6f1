#include "commands/MenuImages.h"

#include <gdiplus.h>
#include <shellapi.h>

#include <utility>

#include "com/ModuleInstance.h"
#include "com/UnloadHooks.h"
#include "commands/GdiplusImage.h"
#include "resources/resource.h"
#include "support/UniqueHandle.h"

namespace Flat = Gdiplus::DllExports;

namespace {
static_assert(sizeof(SHFILEINFOW) == 696, "the shell fills the 64-bit SHFILEINFOW");

constexpr INT DropletImageSize = 14;
constexpr Gdiplus::ARGB OpaqueWhite = 0xFFFFFFFF;

struct IconCloser {
    void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
struct GraphicsCloser {
    void operator()(Gdiplus::GpGraphics* graphics) const noexcept { Flat::GdipDeleteGraphics(graphics); }
};
using UniqueIcon = UniqueHandle<HICON, IconCloser>;
using GdiplusGraphics = UniqueHandle<Gdiplus::GpGraphics*, GraphicsCloser>;

UINT WidthOf(Gdiplus::GpImage* image) {
    UINT width = 0;
    Flat::GdipGetImageWidth(image, &width);
    return width;
}

UINT HeightOf(Gdiplus::GpImage* image) {
    UINT height = 0;
    Flat::GdipGetImageHeight(image, &height);
    return height;
}

// Black pixels and the icon's transparent background (ARGB 0) become opaque white, so the
// icon sits on white in the menu. A pixel that cannot be read is judged by the last one read.
void Whiten(Gdiplus::GpBitmap* icon) {
    Gdiplus::ARGB last = OpaqueWhite;
    for (UINT x = 0; x < WidthOf(icon); ++x) {
        for (UINT y = 0; y < HeightOf(icon); ++y) {
            Gdiplus::ARGB colour;
            if (Flat::GdipBitmapGetPixel(icon, static_cast<INT>(x), static_cast<INT>(y), &colour) == Gdiplus::Ok)
                last = colour;
            if ((last & 0x00FFFFFF) == 0)
                Flat::GdipBitmapSetPixel(icon, static_cast<INT>(x), static_cast<INT>(y), OpaqueWhite);
        }
    }
}

// The shell's small icon of the file, whitened and drawn onto a 14 x 14 canvas over white;
// drewIcon tells whether there was an icon to draw.
HBITMAP MakeDropletImage(const wchar_t* path, bool& drewIcon) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    const UniqueIcon icon(info.hIcon);

    Gdiplus::GpBitmap* canvasBitmap = nullptr;
    Flat::GdipCreateBitmapFromScan0(DropletImageSize, DropletImageSize, 0, PixelFormat32bppARGB, nullptr,
                                    &canvasBitmap);
    const GdiplusImage canvas(canvasBitmap);
    if (!canvas.Get()) return nullptr;

    Gdiplus::GpBitmap* iconBitmap = nullptr;
    if (icon.Get()) Flat::GdipCreateBitmapFromHICON(icon.Get(), &iconBitmap);
    const GdiplusImage iconImage(iconBitmap);
    if (iconBitmap) Whiten(iconBitmap);

    Gdiplus::GpGraphics* surface = nullptr;
    Flat::GdipGetImageGraphicsContext(canvas.Get(), &surface);
    const GdiplusGraphics graphics(surface);
    drewIcon = graphics.Get() && iconBitmap &&
               Flat::GdipDrawImageRectI(graphics.Get(), iconBitmap, 0, 0, DropletImageSize, DropletImageSize) == Gdiplus::Ok;
    HBITMAP image = nullptr;
    Flat::GdipCreateHBITMAPFromBitmap(canvas.Get(), &image, OpaqueWhite);
    return image;
}

}  // namespace

MenuImages& MenuImages::Process() {
    // Destroyed when the library unloads: it then frees only memory and GDI handles, which is
    // safe inside DllMain; GDI+ has been shut down by WhenUnloadable, or is left to the ending
    // process.
    static MenuImages images;
    return images;
}

void MenuImages::LoadFixedImages() {
    if (FixedLoaded) return;
    // An image that failed to load (GDI objects exhausted, say) is tried again next time.
    FixedLoaded = true;
    for (FixedImage& fixed : Fixed) {
        if (!fixed.Image.Get()) fixed.Image = UniqueBitmap(LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(fixed.Id)));
        FixedLoaded &= fixed.Image.Get() != nullptr;
    }
}

HBITMAP MenuImages::Get(UINT imageId) {
    CCriticalSection::Guard guard(Section);
    LoadFixedImages();
    for (const FixedImage& fixed : Fixed)
        if (fixed.Id == imageId) return fixed.Image.Get();
    return nullptr;
}

void MenuImages::Attach(HMENU menu, UINT position, UINT imageId) {
    if (HBITMAP image = Get(imageId)) SetMenuItemBitmaps(menu, position, MF_BYPOSITION, image, nullptr);
}

HBITMAP MenuImages::DropletImage(const std::wstring& path, std::vector<UniqueBitmap>& handlerOwned) {
    WIN32_FILE_ATTRIBUTE_DATA file{};
    const bool known = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file) != FALSE;

    CCriticalSection::Guard guard(Section);
    auto found = known ? Droplets.find(path) : Droplets.end();
    if (found != Droplets.end() && CompareFileTime(&found->second.Written, &file.ftLastWriteTime) == 0)
        return found->second.Image.Get();
    // Room first where the made image, or the one it replaces, goes.
    handlerOwned.reserve(handlerOwned.size() + 1);
    if (found != Droplets.end()) Replaced.reserve(Replaced.size() + 1);

    if (!GdiplusToken) {
        const Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
        if (Gdiplus::GdiplusStartup(&GdiplusToken, &input, nullptr) == Gdiplus::Ok) UnloadHooks::Register(&WhenUnloadable);
    }
    bool drewIcon = false;
    UniqueBitmap image(MakeDropletImage(path.c_str(), drewIcon));
    const HBITMAP made = image.Get();
    // The process keeps the images of its first CachedDroplets files; one made without an icon
    // is not kept, so the next menu tries again.
    const bool keep = made && known && drewIcon && (found != Droplets.end() || Droplets.size() < CachedDroplets);
    if (!keep) {
        if (made) handlerOwned.push_back(std::move(image));
        return made;
    }
    if (found == Droplets.end()) found = Droplets.emplace(path, Droplet{}).first;
    if (found->second.Image.Get()) Replaced.push_back(std::move(found->second.Image));
    found->second = Droplet{file.ftLastWriteTime, std::move(image)};
    return made;
}

void MenuImages::WhenUnloadable() noexcept {
    MenuImages& images = Process();
    CCriticalSection::Guard guard(images.Section);
    // A handler made meanwhile on another thread may be using both.
    if (ModuleLock::Count() != 0) return;
    // No menu is open any more that could show a replaced image.
    images.Replaced.clear();
    images.Replaced.shrink_to_fit();
    if (images.GdiplusToken) Gdiplus::GdiplusShutdown(std::exchange(images.GdiplusToken, 0));
}
