#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "resources/resource.h"

// One menu item as the shell reads it back with GetMenuItemInfoW.
struct MenuItemSnapshot {
    std::wstring Text;
    UINT Id = 0;
    bool Separator = false;
    HBITMAP Image = nullptr;  // the unchecked-state bitmap (SetMenuItemBitmaps)
    bool HasSubmenu = false;
    std::vector<MenuItemSnapshot> Submenu;
};

// Every item of a menu, submenus included, in screen order.
std::vector<MenuItemSnapshot> SnapshotMenu(HMENU menu);

// The bitmap resource among the candidates whose pixels the image shows, or 0 when none
// does: a menu holds its own copy of the handle, so only the pixels can tell.
UINT BitmapResourceOf(HBITMAP image, HINSTANCE module,
                      std::initializer_list<UINT> candidates = {IDB_PRODUCT, IDB_CONVERT, IDB_KESX, IDB_SPARE_CREATE,
                                                                IDB_BURN, IDB_EMAIL, IDB_FTP, IDB_CREATE_NEW, IDB_ZIP,
                                                                IDB_SELF_EXTRACT, IDB_SCHEDULE});
bool HasBitmapResource(HINSTANCE module, UINT id);
