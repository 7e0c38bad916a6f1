#pragma once
#include <windows.h>

// Resources in the chosen UI language, whatever the thread's locale says.

// As LoadStringW: at most capacity - 1 characters, terminated; the length, 0 when missing.
int LoadUiString(HMODULE module, UINT id, wchar_t* buffer, int capacity) noexcept;

// The resource's bytes in the UI language (they live as long as the module), or nullptr.
const void* LockUiResource(HMODULE module, LPCWSTR type, LPCWSTR name, DWORD* size = nullptr) noexcept;
