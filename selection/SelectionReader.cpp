#include "selection/SelectionReader.h"

#include <shellapi.h>

#include "selection/ClassifyPath.h"
#include "selection/ScopedGlobalLock.h"
#include "selection/ScopedStgMedium.h"

namespace {
constexpr UINT NameCapacity = 1024;
}

HRESULT ReadDropList(IDataObject* data, SelectionList& items, UINT& listed) {
    listed = 0;
    if (!data) return E_INVALIDARG;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ScopedStgMedium medium;
    if (FAILED(medium.GetFrom(data, &format))) return E_INVALIDARG;
    ScopedGlobalLock lock(medium.Global());
    if (!lock.Get()) return E_INVALIDARG;

    items.clear();
    const auto drop = static_cast<HDROP>(lock.Get());
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
