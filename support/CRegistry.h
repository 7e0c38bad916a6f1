#pragma once
#include <windows.h>
#include <string>

// Thin registry key wrapper: every operation opens root\path, works and closes again.
class CRegistry {
public:
    enum Root : int { CurrentUser = 0, LocalMachine = 1, ClassesRoot = 2 };

    CRegistry() = default;
    virtual ~CRegistry() = default;

    void SetRoot(int root);                  // other numbers leave the root unchanged
    void SetKeyPath(const wchar_t* path);
    bool GetDword(const wchar_t* name, DWORD* out) const;
    // Several values through one open of the key; a value that cannot be read gives 0.
    template <size_t N>
    void GetDwords(const wchar_t* const (&names)[N], DWORD (&out)[N]) const { GetDwords(names, out, N); }
    bool GetString(const wchar_t* name, wchar_t* out, DWORD capacity) const;
    bool SetDword(const wchar_t* name, DWORD value) const;
    void CreateKeyPath(const wchar_t* path);

    HKEY RootKey() const { return RootHandle; }
    const std::wstring& KeyPath() const { return Path; }

private:
    void GetDwords(const wchar_t* const* names, DWORD* out, size_t count) const;

    std::wstring Path;
    bool HasPath = false;
    HKEY RootHandle = HKEY_CURRENT_USER;
};
