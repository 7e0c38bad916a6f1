#include "selection/SelectionReader.h"

#include <shlobj.h>

#include <cstddef>

#include "selection/ClassifyPath.h"
#include "selection/DropFileList.h"
#include "selection/LockedMedium.h"

namespace {

CLIPFORMAT FileAttributesFormat() {
    static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_FILE_ATTRIBUTES_ARRAY));
    return format;
}

// The shell's attributes of the listed items; empty unless it gives them for exactly count items.
std::vector<DWORD> ShellAttributes(IDataObject* data, size_t count) {
    const LockedMedium medium(data, FileAttributesFormat());
    constexpr size_t header = offsetof(FILE_ATTRIBUTES_ARRAY, rgdwFileAttributes);
    if (!medium.Data() || medium.Size() < header) return {};
    const auto* array = static_cast<const FILE_ATTRIBUTES_ARRAY*>(medium.Data());
    if (array->cItems != count || (medium.Size() - header) / sizeof(DWORD) < count) return {};
    return std::vector<DWORD>(array->rgdwFileAttributes, array->rgdwFileAttributes + count);
}

}  // namespace

SelectionList ClassifyPaths(std::vector<std::wstring> paths, std::span<const DWORD> shellAttributes) {
    const bool given = shellAttributes.size() == paths.size();
    SelectionList items;
    items.reserve(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!IsItemPath(paths[i])) continue;
        items.push_back(given ? ClassifyPath(std::move(paths[i]), shellAttributes[i]) : ClassifyPath(std::move(paths[i])));
    }
    return items;
}

HRESULT ReadDropList(IDataObject* data, SelectionList& items, UINT& listed) {
    listed = 0;
    DropFileList list;
    {
        const LockedMedium medium(data, CF_HDROP);
        if (!medium.Data()) return E_INVALIDARG;
        items.clear();
        if (!list.Read(medium.Data(), medium.Size())) return E_INVALIDARG;
    }
    listed = static_cast<UINT>(list.Names.size());
    const std::vector<DWORD> attributes = ShellAttributes(data, list.Names.size());
    items = ClassifyPaths(std::move(list.Names), attributes);
    return S_OK;
}

HRESULT ReadSelection(IDataObject* data, SelectionList& items) {
    UINT listed = 0;
    const HRESULT hr = ReadDropList(data, items, listed);
    return SUCCEEDED(hr) && !items.empty() ? S_OK : E_INVALIDARG;
}
