#pragma once
#include <unknwn.h>

#include "support/UniqueHandle.h"

struct ComReleaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};

// Owns one reference to a COM object and releases it.
template <class Interface>
using UniqueComPtr = UniqueHandle<Interface*, ComReleaser>;
