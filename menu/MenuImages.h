#pragma once
#include <windows.h>

// The handler's menu bitmaps, looked up by resource id. Loading the fixed images and
// droplet images comes later; until then every lookup answers "no image".
class MenuImages {
public:
    MenuImages() = default;
    ~MenuImages() = default;
    MenuImages(const MenuImages&) = delete;
    MenuImages& operator=(const MenuImages&) = delete;

    HBITMAP Get(UINT /*imageId*/) const { return nullptr; }
    // Attaches the image as the unchecked bitmap of the entry at position; none: no-op.
    void Attach(HMENU menu, UINT position, UINT imageId) const {
        if (HBITMAP image = Get(imageId)) SetMenuItemBitmaps(menu, position, MF_BYPOSITION, image, nullptr);
    }
};
