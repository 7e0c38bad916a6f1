#include "support/UiResource.h"

#include <algorithm>

#include "support/UiLanguage.h"

const void* LockUiResource(HMODULE module, LPCWSTR type, LPCWSTR name, DWORD* size) noexcept {
    const HRSRC found = FindResourceExW(module, type, name, UiLanguage());
    if (!found) return nullptr;
    if (size) *size = SizeofResource(module, found);
    return LockResource(LoadResource(module, found));
}

int LoadUiString(HMODULE module, UINT id, wchar_t* buffer, int capacity) noexcept {
    if (!buffer || capacity <= 0) return 0;
    buffer[0] = L'\0';
    // Strings come in blocks of 16, each a count followed by that many characters.
    DWORD bytes = 0;
    const auto* entry = static_cast<const WCHAR*>(
        LockUiResource(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), &bytes));
    if (!entry) return 0;
    const WCHAR* const end = entry + bytes / sizeof(WCHAR);
    for (UINT skip = id & 15; skip > 0 && entry < end; --skip) entry += 1 + *entry;
    if (entry >= end) return 0;
    const int length = std::min<int>({*entry, static_cast<int>(end - entry - 1), capacity - 1});
    std::copy(entry + 1, entry + 1 + length, buffer);
    buffer[length] = L'\0';
    return length;
}
