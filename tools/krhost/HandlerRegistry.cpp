#include "HandlerRegistry.h"

#include <algorithm>

#include "UserClasses.h"

namespace {

const wchar_t* ListName(HandlerRegistry::Kind kind) {
    switch (kind) {
        case HandlerRegistry::Kind::ContextMenu: return L"ContextMenuHandlers";
        case HandlerRegistry::Kind::DragDrop: return L"DragDropHandlers";
        case HandlerRegistry::Kind::PropertySheet: return L"PropertySheetHandlers";
    }
    return L"";
}

bool IsDriveRoot(const std::wstring& path) {
    return path.size() <= 3 && path.size() >= 2 && path[1] == L':';
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::vector<std::wstring> HandlerRegistry::TypeKeysOf(Kind kind, const std::wstring& path) {
    if (kind == Kind::DragDrop) {
        if (IsDriveRoot(path)) return {L"Drive", L"Folder"};
        return {L"Directory", L"Folder"};
    }
    if (IsFolder(path)) return {L"Directory", L"Folder", L"AllFilesystemObjects"};
    return {L"*", L"AllFilesystemObjects"};
}

std::vector<HandlerRegistry::Handler> HandlerRegistry::ListedUnder(const std::wstring& typeKey, Kind kind) {
    std::vector<Handler> handlers;
    std::wstring listPath = typeKey + L"\\shellex\\" + ListName(kind);
    // The user's own list first, then the machine's: the merged view Explorer reads.
    HKEY lists[2] = {UserClasses::Open(listPath), nullptr};
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, listPath.c_str(), 0, KEY_READ, &lists[1]) != ERROR_SUCCESS) lists[1] = nullptr;
    for (HKEY list : lists) {
        if (!list) continue;
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = ARRAYSIZE(name);
            if (RegEnumKeyExW(list, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            // The entry's default value names the CLSID; an entry may also be named by it.
            wchar_t value[64] = {};
            DWORD size = sizeof(value) - sizeof(wchar_t);
            CLSID clsid;
            if (RegGetValueW(list, name, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
                SUCCEEDED(CLSIDFromString(value, &clsid))) {
                handlers.push_back({name, clsid});
            } else if (SUCCEEDED(CLSIDFromString(name, &clsid))) {
                handlers.push_back({name, clsid});
            }
        }
        RegCloseKey(list);
    }
    return handlers;
}

std::vector<HandlerRegistry::Handler> HandlerRegistry::For(Kind kind, const std::vector<std::wstring>& paths) {
    std::vector<Handler> common;
    for (size_t i = 0; i < paths.size(); ++i) {
        std::vector<Handler> forPath;
        for (const std::wstring& typeKey : TypeKeysOf(kind, paths[i])) {
            for (const Handler& handler : ListedUnder(typeKey, kind)) {
                auto same = [&](const Handler& h) { return IsEqualCLSID(h.Clsid, handler.Clsid); };
                if (std::none_of(forPath.begin(), forPath.end(), same)) forPath.push_back(handler);
            }
        }
        if (i == 0) {
            common = forPath;
        } else {
            std::erase_if(common, [&](const Handler& h) {
                return std::none_of(forPath.begin(), forPath.end(),
                                    [&](const Handler& p) { return IsEqualCLSID(p.Clsid, h.Clsid); });
            });
        }
    }
    return common;
}
