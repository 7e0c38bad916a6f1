#include "RawDropObject.h"

#include <cstring>

STDMETHODIMP RawDropObject::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject) ? static_cast<IDataObject*>(this) : nullptr;
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) RawDropObject::Release() noexcept {
    if (--RefCount) return RefCount;
    delete this;
    return 0;
}

STDMETHODIMP RawDropObject::QueryGetData(FORMATETC* format) noexcept {
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP RawDropObject::GetData(FORMATETC* format, STGMEDIUM* medium) noexcept {
    if (!format || !medium) return E_INVALIDARG;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    // GlobalAlloc of 0 bytes gives a discarded block, which GlobalLock refuses: as a host may.
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
    if (!block) return E_OUTOFMEMORY;
    if (void* data = GlobalLock(block)) {
        std::memcpy(data, Bytes.data(), Bytes.size());
        GlobalUnlock(block);
    }
    *medium = {};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    return S_OK;
}
