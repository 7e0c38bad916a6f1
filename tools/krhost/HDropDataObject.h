#pragma once
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

// A data object that carries a file list the way the shell hands it to handlers:
// CF_HDROP in an HGLOBAL DROPFILES block with wide, double-NUL-terminated names.
class HDropDataObject final : public IDataObject {
public:
    static IDataObject* Create(const std::vector<std::wstring>& paths);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) noexcept override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** out) noexcept override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    explicit HDropDataObject(std::vector<std::wstring> paths) : Paths(std::move(paths)) {}
    ~HDropDataObject() = default;

    ULONG RefCount = 1;
    std::vector<std::wstring> Paths;
};
