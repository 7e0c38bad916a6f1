#include "selection/ClassifyPath.h"

namespace {
SelectionItem Classified(std::wstring path, DWORD attributes, bool fromShell) {
    SelectionItem item{std::move(path), NotAnArchive, attributes, fromShell};
    if (IsFolderItem(item)) return item;
    // The last "." of the whole path: a dot in a folder name gives an "extension" with a
    // backslash in it, which matches nothing.
    const size_t dot = item.Path.rfind(L'.');
    if (dot == std::wstring::npos) return item;
    item.Kind = ArchiveKindOfExtension(item.Path.c_str() + dot);
    return item;
}
}  // namespace

SelectionItem ClassifyPath(const wchar_t* path) {
    const wchar_t* text = path ? path : L"";
    return Classified(text, GetFileAttributesW(text), false);
}

SelectionItem ClassifyPath(std::wstring path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return Classified(std::move(path), attributes, false);
}

SelectionItem ClassifyPath(std::wstring path, DWORD shellAttributes) {
    return Classified(std::move(path), shellAttributes, true);
}

std::wstring SelectionFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

bool IsFolderPath(const std::wstring& path) {
    // INVALID_FILE_ATTRIBUTES has every bit set, so unreadable paths count as folders.
    return (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
