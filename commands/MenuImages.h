#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "com/CCriticalSection.h"
#include "resources/resource.h"
#include "support/UniqueBitmap.h"

// The menu bitmaps of the whole process, shared by every handler object on every thread: the
// eleven fixed images, loaded together on first use, and the droplet images, made once per
// droplet file (its path and last-write time) with GDI+, which starts with the first of them.
// The images stay until the library unloads; GDI+, which must not be shut down inside DllMain,
// goes each time the library may be unloaded, with the images of files changed since.
class MenuImages {
public:
    static MenuImages& Process();

    // The fixed image of a bitmap resource id; null when it cannot be loaded.
    HBITMAP Get(UINT imageId);
    // Attaches the image as the unchecked bitmap of the entry at position; none: no-op.
    void Attach(HMENU menu, UINT position, UINT imageId);
    // The 14 x 14 image of a droplet's file: its small icon on white; null when no canvas
    // could be made. The process keeps the images of its first CachedDroplets droplet files;
    // those of any further file (or of one whose time cannot be read, or that showed no icon)
    // are made for each menu and go into handlerOwned, so a huge catalogue cannot hold GDI
    // objects past its menus.
    HBITMAP DropletImage(const std::wstring& path, std::vector<UniqueBitmap>& handlerOwned);
    static constexpr size_t CachedDroplets = 64;

    MenuImages(const MenuImages&) = delete;
    MenuImages& operator=(const MenuImages&) = delete;

private:
    MenuImages() = default;
    // Registered with UnloadHooks once GDI+ runs; does nothing while a handler object lives.
    static void WhenUnloadable() noexcept;
    void LoadFixedImages();

    struct FixedImage {
        UINT Id;
        UniqueBitmap Image;
    };
    struct Droplet {
        FILETIME Written{};
        UniqueBitmap Image;
    };

    CCriticalSection Section;
    bool FixedLoaded = false;
    FixedImage Fixed[11] = {{IDB_PRODUCT, {}}, {IDB_CONVERT, {}},      {IDB_SELF_EXTRACT, {}}, {IDB_SCHEDULE, {}},
                            {IDB_CREATE_NEW, {}}, {IDB_EMAIL, {}},  {IDB_FTP, {}},          {IDB_BURN, {}},
                            {IDB_ZIP, {}},        {IDB_KESX, {}},   {IDB_SPARE_CREATE, {}}};  // in the order of loading
    ULONG_PTR GdiplusToken = 0;
    std::map<std::wstring, Droplet> Droplets;
    // Images of droplet files changed since: an open menu may still show them.
    std::vector<UniqueBitmap> Replaced;
};
