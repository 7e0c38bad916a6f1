#pragma once
#include <windows.h>

#include <string_view>

#include "support/UniqueHandle.h"

struct FileHandleCloser {
    void operator()(HANDLE file) const noexcept { CloseHandle(file); }
};

// Owns a Win32 file handle. CreateFileW fails with INVALID_HANDLE_VALUE, not null: check
// before taking ownership.
using UniqueFileHandle = UniqueHandle<HANDLE, FileHandleCloser>;

// Writes all of bytes through file; false when any of it was not written.
inline bool WriteAll(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    return bytes.size() <= MAXDWORD && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
