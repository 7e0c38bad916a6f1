#pragma once
#include <windows.h>

#include <cstdio>

#include "support/UniqueHandle.h"

struct FileCloser {
    void operator()(FILE* file) const noexcept { fclose(file); }
};

// Owns a runtime file stream.
using UniqueFile = UniqueHandle<FILE*, FileCloser>;

struct FileHandleCloser {
    void operator()(HANDLE file) const noexcept { CloseHandle(file); }
};

// Owns a Win32 file handle. CreateFileW fails with INVALID_HANDLE_VALUE, not null: check
// before taking ownership.
using UniqueFileHandle = UniqueHandle<HANDLE, FileHandleCloser>;
