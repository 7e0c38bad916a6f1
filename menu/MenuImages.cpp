#include "menu/MenuImages.h"

#include <gdiplus.h>
#include <shellapi.h>

#include <utility>

#include "module/CKrShellExtModule.h"
#include "resources/resource.h"

namespace Flat = Gdiplus::DllExports;

namespace {
static_assert(sizeof(SHFILEINFOW) == 696, "the shell fills the 64-bit SHFILEINFOW");

constexpr INT DropletImageSize = 14;
constexpr Gdiplus::ARGB OpaqueWhite = 0xFFFFFFFF;

class UniqueIcon {
public:
    explicit UniqueIcon(HICON icon) : Handle(icon) {}
    ~UniqueIcon() {
        if (Handle) DestroyIcon(Handle);
    }
    UniqueIcon(const UniqueIcon&) = delete;
    UniqueIcon& operator=(const UniqueIcon&) = delete;
    HICON Get() const { return Handle; }

private:
    HICON Handle;
};

class GdiplusGraphics {
public:
    explicit GdiplusGraphics(Gdiplus::GpImage* image) { Flat::GdipGetImageGraphicsContext(image, &Graphics); }
    ~GdiplusGraphics() {
        if (Graphics) Flat::GdipDeleteGraphics(Graphics);
    }
    GdiplusGraphics(const GdiplusGraphics&) = delete;
    GdiplusGraphics& operator=(const GdiplusGraphics&) = delete;
    Gdiplus::GpGraphics* Get() const { return Graphics; }

private:
    Gdiplus::GpGraphics* Graphics = nullptr;
};

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
}  // namespace

const MenuImages::FixedImage MenuImages::FixedImages[11] = {
    {IDB_PRODUCT, &MenuImages::ProductImage}, {IDB_CONVERT, &MenuImages::ConvertImage},
    {IDB_SELF_EXTRACT, &MenuImages::SelfExtractImage}, {IDB_SCHEDULE, &MenuImages::ScheduleImage},
    {IDB_CREATE_NEW, &MenuImages::CreateNewImage}, {IDB_EMAIL, &MenuImages::EmailImage},
    {IDB_FTP, &MenuImages::FtpImage}, {IDB_BURN, &MenuImages::BurnImage},
    {IDB_ZIP, &MenuImages::ZipImage}, {IDB_KESX, &MenuImages::KesxImage},
    {IDB_SPARE_CREATE, &MenuImages::SpareCreateImage},
};

void MenuImages::LoadMenuImages() {
    for (const FixedImage& image : FixedImages)
        this->*image.Field = UniqueBitmap(LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(image.Id)));
    if (!GdiplusToken) {
        const Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
        Gdiplus::GdiplusStartup(&GdiplusToken, &input, nullptr);
    }
}

HBITMAP MenuImages::MakeDropletImage(const wchar_t* path) {
    // Room first, so keeping what is made below cannot fail.
    DropletImages.reserve(DropletImages.size() + 1);
    DropletBitmaps.reserve(DropletBitmaps.size() + 1);

    SHFILEINFOW info{};
    SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    const UniqueIcon icon(info.hIcon);

    Gdiplus::GpBitmap* canvas = nullptr;
    Flat::GdipCreateBitmapFromScan0(DropletImageSize, DropletImageSize, 0, PixelFormat32bppARGB, nullptr, &canvas);
    if (!canvas) return nullptr;
    DropletImages.emplace_back(canvas);

    Gdiplus::GpBitmap* iconBitmap = nullptr;
    if (icon.Get()) Flat::GdipCreateBitmapFromHICON(icon.Get(), &iconBitmap);
    const GdiplusImage iconImage(iconBitmap);
    if (iconBitmap) Whiten(iconBitmap);

    HBITMAP image = nullptr;
    {
        const GdiplusGraphics graphics(canvas);
        if (graphics.Get() && iconBitmap)
            Flat::GdipDrawImageRectI(graphics.Get(), iconBitmap, 0, 0, DropletImageSize, DropletImageSize);
        Flat::GdipCreateHBITMAPFromBitmap(canvas, &image, OpaqueWhite);
    }
    if (image) DropletBitmaps.emplace_back(image);
    return image;
}

void MenuImages::ReleaseMenuImages() {
    for (const FixedImage& image : FixedImages) (this->*image.Field).Reset();
    for (GdiplusImage& canvas : DropletImages) canvas.Reset();
    DropletImages.clear();
    for (UniqueBitmap& image : DropletBitmaps) image.Reset();
    DropletBitmaps.clear();
    if (GdiplusToken) Gdiplus::GdiplusShutdown(std::exchange(GdiplusToken, 0));
}

HBITMAP MenuImages::Get(UINT imageId) const {
    for (const FixedImage& image : FixedImages)
        if (image.Id == imageId) return (this->*image.Field).Get();
    return nullptr;
}
