#pragma once
#include <cstdio>

#include "support/UniqueHandle.h"

struct FileCloser {
    void operator()(FILE* file) const noexcept { fclose(file); }
};

// Owns a runtime file stream.
using UniqueFile = UniqueHandle<FILE*, FileCloser>;
