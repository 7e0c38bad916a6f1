#include "selection/Applicability.h"

#include <windows.h>

#include <algorithm>

#include "selection/ClassifyPath.h"
#include "support/UniqueFile.h"

namespace {

bool IsSingleOf(const SelectionList& items, bool (*kindTest)(ArchiveKind)) {
    return items.size() == 1 && kindTest(items[0].Kind);
}

bool AnyOf(const SelectionList& items, bool (*kindTest)(ArchiveKind)) {
    return std::any_of(items.begin(), items.end(),
                       [kindTest](const SelectionItem& item) { return kindTest(item.Kind); });
}

}  // namespace

bool IsSingleArchive(const SelectionList& items) { return IsSingleOf(items, IsArchive); }
bool HasAnyArchive(const SelectionList& items) { return AnyOf(items, IsArchive); }
bool HasConvertibleArchive(const SelectionList& items) { return AnyOf(items, IsConvertibleKind); }
bool IsSingleVerifiableArchive(const SelectionList& items) { return IsSingleOf(items, IsVerifiableKind); }
bool IsSingleZipOrKesArchive(const SelectionList& items) { return IsSingleOf(items, IsZipOrKesKind); }

// By the attributes read with the selection: no second query for the same item.
bool IsSingleFile(const SelectionList& items) { return items.size() == 1 && !IsFolderItem(items[0]); }

std::wstring WritableProbeFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0) return {};
    std::wstring folder = path.substr(0, slash);
    // "C:" alone would mean the drive's current folder, not its root.
    if (folder.back() == L':') folder += L'\\';
    return folder;
}

bool IsFirstFolderWritable(const SelectionList& items) {
    if (items.empty()) return false;
    const std::wstring folder = WritableProbeFolder(items[0].Path);
    // GetTempFileNameW takes no longer folder (and Wine's would overrun the name buffer).
    if (folder.empty() || folder.size() > MAX_PATH - 14) return false;
    // Creating a file is the only sure test: attributes and ACLs do not tell the whole story.
    // The file is opened delete-on-close, so the probe costs one open and one close where
    // GetTempFileNameW's create and DeleteFileW take two of each; GetTempFileNameW, given a
    // number, only forms the name.
    wchar_t probe[MAX_PATH] = {};
    UINT unique = GetTickCount();
    for (UINT tries = 0; tries < 0x10000; ++tries, ++unique) {
        if (LOWORD(unique) == 0) ++unique;
        if (GetTempFileNameW(folder.c_str(), L"111", LOWORD(unique), probe) == 0) return false;
        const HANDLE file = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const UniqueFileHandle created(file);  // closing it deletes the probe file
            return true;
        }
        const DWORD error = GetLastError();
        // Delete-on-close also needs the right to delete: a folder that lets us create files
        // but not delete them still counts as writable, as the plain create says.
        if (error == ERROR_ACCESS_DENIED) break;
        if (error != ERROR_FILE_EXISTS && error != ERROR_SHARING_VIOLATION) return false;
    }
    if (GetTempFileNameW(folder.c_str(), L"111", 0, probe) == 0) return false;
    DeleteFileW(probe);
    return true;
}
