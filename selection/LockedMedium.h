#pragma once
#include <objidl.h>

#include <cstddef>

#include "support/UniqueHandle.h"

struct MediumReleaser {
    void operator()(STGMEDIUM* medium) const noexcept { ReleaseStgMedium(medium); }
};
struct GlobalUnlocker {
    void operator()(HGLOBAL block) const noexcept { GlobalUnlock(block); }
};

// A data object's global-memory medium of one clipboard format, fetched and locked while the
// object lives; unlocked before it is released. Data() is null when there is nothing to lock.
class LockedMedium {
public:
    LockedMedium(IDataObject* data, CLIPFORMAT format) {
        FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (!data || FAILED(data->GetData(&request, &Medium))) return;
        Held = UniqueHandle<STGMEDIUM*, MediumReleaser>(&Medium);
        if (Medium.tymed != TYMED_HGLOBAL || !Medium.hGlobal) return;
        Bytes = GlobalLock(Medium.hGlobal);
        if (!Bytes) return;
        Lock = UniqueHandle<HGLOBAL, GlobalUnlocker>(Medium.hGlobal);
        Length = GlobalSize(Medium.hGlobal);
    }
    LockedMedium(const LockedMedium&) = delete;
    LockedMedium& operator=(const LockedMedium&) = delete;

    const void* Data() const { return Bytes; }
    // What GlobalSize says the block holds: nothing past it may be read.
    size_t Size() const { return Length; }

private:
    STGMEDIUM Medium{};
    UniqueHandle<STGMEDIUM*, MediumReleaser> Held;  // declared before Lock: unlocked first
    UniqueHandle<HGLOBAL, GlobalUnlocker> Lock;
    const void* Bytes = nullptr;
    size_t Length = 0;
};
