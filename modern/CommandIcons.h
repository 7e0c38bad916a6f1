#pragma once
#include <windows.h>

#include <string>

// The icon Windows 11 shows for a menu image: "<library path>,-<icon id>", the ICON resource
// drawn from the same picture as the bitmap. Empty for no image.
std::wstring IconOf(UINT imageId);
