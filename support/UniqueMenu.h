#pragma once
#include <windows.h>

#include "support/UniqueHandle.h"

struct MenuCloser {
    void operator()(HMENU menu) const noexcept { DestroyMenu(menu); }
};

// Owns a popup menu until it is inserted into its parent, which then owns it.
using UniqueMenu = UniqueHandle<HMENU, MenuCloser>;
