#include "selection/SelectionReader.h"

#include <shellapi.h>

#include "selection/ClassifyPath.h"
#include "selection/ScopedGlobalLock.h"
#include "selection/ScopedStgMedium.h"

namespace {
constexpr UINT NameCapacity = 1024;
}

HRESULT ReadSelection(IDataObject* data, SelectionList& items) {
    if (!data) return E_INVALIDARG;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ScopedStgMedium medium;
    if (FAILED(medium.GetFrom(data, &format))) return E_INVALIDARG;
    ScopedGlobalLock lock(medium.Global());
    if (!lock.Get()) return E_INVALIDARG;

    items.clear();
    const auto drop = static_cast<HDROP>(lock.Get());
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    bool anyRead = false;
    for (UINT i = 0; i < count; ++i) {
        wchar_t name[NameCapacity];
        // Longer names arrive cut to 1,023 characters; a name that cannot be fetched is skipped.
        if (DragQueryFileW(drop, i, name, NameCapacity) == 0) continue;
        items.push_back(ClassifyPath(name));
        anyRead = true;
    }
    return anyRead ? S_OK : E_INVALIDARG;
}
