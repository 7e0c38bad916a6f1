#include "HDropDataObject.h"

#include <shlobj.h>

#include <cstring>
#include <new>

IDataObject* HDropDataObject::Create(const std::vector<std::wstring>& paths) {
    return new (std::nothrow) HDropDataObject(paths);
}

STDMETHODIMP HDropDataObject::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) HDropDataObject::AddRef() noexcept { return ++RefCount; }

STDMETHODIMP_(ULONG) HDropDataObject::Release() noexcept {
    ULONG count = --RefCount;
    if (count == 0) delete this;
    return count;
}

STDMETHODIMP HDropDataObject::QueryGetData(FORMATETC* format) noexcept {
    if (!format) return E_INVALIDARG;
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return S_OK;
}

STDMETHODIMP HDropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) noexcept {
    if (!medium) return E_INVALIDARG;
    HRESULT hr = QueryGetData(format);
    if (FAILED(hr)) return hr;

    SIZE_T chars = 1;  // the list's final NUL
    for (const std::wstring& path : Paths) chars += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (!block) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& path : Paths) {
        std::memcpy(names, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        names += path.size() + 1;
    }
    *names = L'\0';
    GlobalUnlock(block);

    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP HDropDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP HDropDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, out);
}
