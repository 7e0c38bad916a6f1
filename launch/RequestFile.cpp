#include "launch/RequestFile.h"

#include <shellapi.h>

#include "support/CRegistry.h"
#include "support/RegistryValues.h"

namespace {
constexpr DWORD FolderCapacity = 1024;

// What ShellExecuteW takes: the program's path within MAX_PATH, and the command line it makes
// of it (the path in quotes, a blank, the parameters) within the 32,767 characters that
// CreateProcessW allows, terminator included. Past that it may overrun its own buffers.
constexpr size_t ProgramPathLimit = MAX_PATH - 1;
constexpr size_t CommandLineLimit = 32767 - 1;

bool ShellExecuteAccepts(const std::wstring& executable, const std::wstring& parameters) {
    return executable.size() <= ProgramPathLimit && executable.size() + 3 + parameters.size() <= CommandLineLimit;
}
}  // namespace

std::wstring UserTempFolder() {
    wchar_t folder[FolderCapacity];
    const DWORD length = GetTempPathW(FolderCapacity, folder);
    return length > 0 && length < FolderCapacity ? std::wstring(folder, length) : std::wstring();
}

std::wstring CreateUniqueFile(const std::wstring& folder, const wchar_t* prefix) {
    if (folder.empty()) return {};
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(folder.c_str(), prefix, 0, name) == 0) return {};
    return name;
}

std::wstring CreateRequestFile() {
    CRegistry product;
    product.SetKeyPath(RegistryValues::ProductKey);
    wchar_t folder[FolderCapacity];
    // An empty value names no folder (it would mean the current directory): fall back too.
    if (product.GetString(RegistryValues::TempFolder, folder, FolderCapacity) && folder[0] != L'\0')
        return CreateUniqueFile(folder, L"KES");
    return CreateUniqueFile(UserTempFolder(), L"KES");
}

std::wstring QuotedFileParameter(const wchar_t* option, const std::wstring& path) {
    return std::wstring(option) + L" \"" + path + L'"';
}

HRESULT StartProgram(const std::wstring& executable, const std::wstring& parameters) {
    if (!ShellExecuteAccepts(executable, parameters)) return E_FAIL;
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", executable.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32 ? S_OK : E_FAIL;
}
