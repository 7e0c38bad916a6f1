#include "commands/ArchiveBaseName.h"

#include "selection/ClassifyPath.h"

namespace {
std::wstring AfterLastBackslash(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::wstring ArchiveBaseName(const SelectionList& items) {
    if (items.empty()) return {};
    const std::wstring& first = items.front().Path;
    if (items.size() > 1) return AfterLastBackslash(SelectionFolder(first));

    std::wstring name = AfterLastBackslash(first);
    if (!IsFolderItem(items.front())) {
        const size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos) name.resize(dot);
    }
    return name;
}
