#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "shellkit/MenuSnapshot.h"

// Shows a menu as Explorer would (TrackPopupMenu), opens the "Kestrel" submenu and the
// last submenu inside it with the keyboard, and saves the open menus to a PNG file.
class MenuScreenshot {
public:
    static bool Capture(HMENU menu, const std::vector<MenuItemSnapshot>& tree, UINT kestrelId, const std::wstring& pngPath);
};
