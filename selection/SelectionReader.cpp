#include "selection/SelectionReader.h"

#include <shellapi.h>

#include "selection/ClassifyPath.h"
#include "selection/LockedDropList.h"

namespace {
constexpr UINT NameCapacity = 1024;
}

HRESULT ReadDropList(IDataObject* data, SelectionList& items, UINT& listed) {
    listed = 0;
    const LockedDropList list(data);
    const HDROP drop = list.Get();
    if (!drop) return E_INVALIDARG;

    items.clear();
    listed = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < listed; ++i) {
        wchar_t name[NameCapacity];
        if (DragQueryFileW(drop, i, name, NameCapacity) == 0) continue;
        items.push_back(ClassifyPath(name));
    }
    return S_OK;
}

HRESULT ReadSelection(IDataObject* data, SelectionList& items) {
    UINT listed = 0;
    const HRESULT hr = ReadDropList(data, items, listed);
    return SUCCEEDED(hr) && !items.empty() ? S_OK : E_INVALIDARG;
}
