#pragma once
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How an HDropDataObject answers GetData for CF_HDROP.
enum class HDropMode {
    Serve,        // a real DROPFILES block (wide names, double-NUL terminated)
    FailGetData,  // GetData fails with DV_E_FORMATETC, as for an object without files
    NullHandle,   // GetData succeeds but hands out no memory (GlobalLock yields nothing)
};

// A data object that carries a file list the way Explorer's does: GetData hands out an HGLOBAL
// DROPFILES block for CF_HDROP / TYMED_HGLOBAL, made on the first call and kept by the object,
// and, when asked to, the shell's "File Attributes Array" of the paths as they are at that
// first call. Each medium carries a release object, so a test can see whether the receiver
// released (and unlocked) it.
class HDropDataObject final : public IDataObject {
public:
    static Microsoft::WRL::ComPtr<HDropDataObject> Create(std::vector<std::wstring> paths,
                                                          HDropMode mode = HDropMode::Serve);

    // Media handed out by GetData, released through ReleaseStgMedium, and released while
    // their memory was still locked.
    int MediaServed() const { return Counts->Served; }
    int MediaReleased() const { return Counts->Released; }
    int MediaReleasedLocked() const { return Counts->ReleasedLocked; }

    // Also offer the attributes array, for the first `items` paths (all of them by default),
    // with their attributes now.
    void OfferAttributes(size_t items = SIZE_MAX);
    // Serve exactly these bytes as the CF_HDROP block instead (a list a drag source made up).
    void ServeBlock(std::string bytes) { RawBlock = std::move(bytes); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++RefCount; }
    STDMETHODIMP_(ULONG) Release() noexcept override;
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP QueryGetData(FORMATETC* format) noexcept override;
    // The receivers only ever call GetData.
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }

    struct MediumCounts {
        int Served = 0, Released = 0, ReleasedLocked = 0;
    };

private:
    HDropDataObject(std::vector<std::wstring> paths, HDropMode mode) : Paths(std::move(paths)), Mode(mode) {}
    ~HDropDataObject();
    HGLOBAL Block(CLIPFORMAT format);

    ULONG RefCount = 1;
    std::vector<std::wstring> Paths;
    HDropMode Mode;
    std::optional<std::string> RawBlock;
    HGLOBAL Names = nullptr;       // made on first request
    HGLOBAL Attributes = nullptr;  // null: no attributes array
    std::shared_ptr<MediumCounts> Counts = std::make_shared<MediumCounts>();
};

// The usual way to get one: a data object serving these paths, in this order.
Microsoft::WRL::ComPtr<IDataObject> MakeHDropDataObject(std::vector<std::wstring> paths,
                                                       HDropMode mode = HDropMode::Serve);
