#include "support/CRegistry.h"

#include "support/UniqueKey.h"

namespace {

const HKEY Roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT};

UniqueKey OpenKey(HKEY root, const wchar_t* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, access, &key) != ERROR_SUCCESS) return UniqueKey();
    return UniqueKey(key);
}

// A new key takes the security its parent hands down (another account may not write our
// settings), through a handle no started program inherits; an existing key is only opened.
void CreateOpenKey(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    wchar_t emptyClass[] = L"";
    const LSTATUS status = RegCreateKeyExW(parent, name.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const UniqueKey created(status == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

void CRegistry::SetRoot(int root) {
    if (root >= 0 && root < static_cast<int>(std::size(Roots))) RootHandle = Roots[root];
}

void CRegistry::SetKeyPath(const wchar_t* path) {
    HasPath = path != nullptr;
    Path = HasPath ? path : L"";
}

bool CRegistry::GetDword(const wchar_t* name, DWORD* out) const {
    const UniqueKey key = OpenKey(RootHandle, HasPath ? Path.c_str() : nullptr, KEY_QUERY_VALUE);
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!key || !out ||
        RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return false;
    *out = value;
    return true;
}

void CRegistry::GetDwords(const wchar_t* const* names, DWORD* out, size_t count) const {
    const UniqueKey key = OpenKey(RootHandle, HasPath ? Path.c_str() : nullptr, KEY_QUERY_VALUE);
    for (size_t i = 0; i < count; ++i) {
        DWORD value = 0;  // shorter data fills only the low bytes
        DWORD size = sizeof value;
        const bool read = key && RegQueryValueExW(key.Get(), names[i], nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                                                  &size) == ERROR_SUCCESS;
        out[i] = read ? value : 0;
    }
}

bool CRegistry::GetString(const wchar_t* name, wchar_t* out, DWORD capacity) const {
    if (!out || capacity == 0 || capacity > MAXDWORD / sizeof(wchar_t)) return false;
    const UniqueKey key = OpenKey(RootHandle, HasPath ? Path.c_str() : nullptr, KEY_QUERY_VALUE);
    DWORD size = capacity * sizeof(wchar_t);
    if (!key || RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(out), &size) != ERROR_SUCCESS)
        return false;
    // The stored data need not end in a terminator; one that does not fit means it is too long.
    const DWORD length = size / sizeof(wchar_t);
    if (length > 0 && out[length - 1] == L'\0') return true;
    if (length == capacity) return false;
    out[length] = L'\0';
    return true;
}

bool CRegistry::SetDword(const wchar_t* name, DWORD value) const {
    const UniqueKey key = OpenKey(RootHandle, HasPath ? Path.c_str() : nullptr, KEY_SET_VALUE);
    return key && RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                      ERROR_SUCCESS;
}

// Level by level: a level that cannot be opened leaves the levels below it uncreated.
void CRegistry::CreateKeyPath(const wchar_t* path) {
    if (!path) return;
    if (!HasPath) SetKeyPath(path);
    const std::wstring full = path;
    size_t separator = full.find(L'\\');
    if (separator == std::wstring::npos) {
        CreateOpenKey(RootHandle, full);
        return;
    }
    // The first component (Software) is only ever opened, never created.
    while (separator != std::wstring::npos) {
        const size_t next = full.find(L'\\', separator + 1);
        const UniqueKey parent = OpenKey(RootHandle, full.substr(0, separator).c_str(), KEY_ALL_ACCESS);
        if (parent) CreateOpenKey(parent.Get(), full.substr(separator + 1, next == std::wstring::npos ? next : next - separator - 1));
        separator = next;
    }
}
