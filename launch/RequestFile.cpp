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

NewUniqueFile CreateUniqueFile(const std::wstring& folder, const wchar_t* prefix) {
    if (folder.empty() || folder.size() > MAX_PATH - 14) return {};
    // GetTempFileNameW's own walk, but keeping the handle: given a number, it only forms the name.
    wchar_t name[MAX_PATH];
    UINT unique = GetTickCount();
    for (UINT tries = 0; tries < 0x10000; ++tries, ++unique) {
        if (LOWORD(unique) == 0) ++unique;
        if (GetTempFileNameW(folder.c_str(), prefix, LOWORD(unique), name) == 0) return {};
        const HANDLE file = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return {name, UniqueFileHandle(file)};
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_SHARING_VIOLATION) return {};
    }
    return {};
}

NewUniqueFile CreateRequestFile() {
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
