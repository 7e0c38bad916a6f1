#pragma once
#include <windows.h>

#include "support/UniqueHandle.h"

struct KeyCloser {
    void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};

// Owns an open registry key.
using UniqueKey = UniqueHandle<HKEY, KeyCloser>;
