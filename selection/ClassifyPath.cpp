#include "selection/ClassifyPath.h"

#include <windows.h>

SelectionItem ClassifyPath(const wchar_t* path) {
    SelectionItem item{path ? path : L"", NotAnArchive};
    if (IsFolderPath(item.Path)) return item;
    // The last "." of the whole path: a dot in a folder name gives an "extension" with a
    // backslash in it, which matches nothing.
    const size_t dot = item.Path.rfind(L'.');
    if (dot == std::wstring::npos) return item;
    item.Kind = ArchiveKindOfExtension(item.Path.c_str() + dot);
    return item;
}

std::wstring SelectionFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

bool IsFolderPath(const std::wstring& path) {
    // INVALID_FILE_ATTRIBUTES has every bit set, so unreadable paths count as folders.
    return (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
