#pragma once
#include <windows.h>

#include <vector>

#include "menu/GdiplusImage.h"
#include "menu/UniqueBitmap.h"

// The handler's menu bitmaps: the eleven fixed images, loaded when the handler is made, and
// the droplet images made while a menu is built. GDI+ stays started while they live; all of
// it goes at once when the handler is destroyed, after the menu that shows the images.
class MenuImages {
public:
    MenuImages() = default;
    ~MenuImages() { ReleaseMenuImages(); }
    MenuImages(const MenuImages&) = delete;
    MenuImages& operator=(const MenuImages&) = delete;

    // Loads the fixed images (a failed load leaves its image out) and starts GDI+.
    void LoadMenuImages();
    // The 14 x 14 image of a droplet's file: its small icon on white. Owned here; null when
    // no canvas could be made.
    HBITMAP MakeDropletImage(const wchar_t* path);
    // Deletes every image and shuts GDI+ down; nothing is left to free afterwards.
    void ReleaseMenuImages();

    // The fixed image of a bitmap resource id; null when it is not loaded.
    HBITMAP Get(UINT imageId) const;
    // Attaches the image as the unchecked bitmap of the entry at position; none: no-op.
    void Attach(HMENU menu, UINT position, UINT imageId) const {
        if (HBITMAP image = Get(imageId)) SetMenuItemBitmaps(menu, position, MF_BYPOSITION, image, nullptr);
    }

private:
    struct FixedImage {
        UINT Id;
        UniqueBitmap MenuImages::*Field;
    };
    static const FixedImage FixedImages[11];  // in the order of loading

    UniqueBitmap ProductImage;
    UniqueBitmap ConvertImage;
    UniqueBitmap CreateNewImage;
    UniqueBitmap EmailImage;
    UniqueBitmap FtpImage;
    UniqueBitmap BurnImage;
    UniqueBitmap ZipImage;
    UniqueBitmap KesxImage;
    UniqueBitmap SpareCreateImage;
    UniqueBitmap SelfExtractImage;
    UniqueBitmap ScheduleImage;
    ULONG_PTR GdiplusToken = 0;
    std::vector<GdiplusImage> DropletImages;  // the canvases
    std::vector<UniqueBitmap> DropletBitmaps; // what the menus show, made from the canvases
};
