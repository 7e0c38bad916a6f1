#pragma once
#include <objidl.h>
#include <shellapi.h>

#include <optional>

#include "selection/ScopedGlobalLock.h"
#include "selection/ScopedStgMedium.h"

// The CF_HDROP file list of a data object, fetched and locked while the object lives; it is
// unlocked before the medium is released. Get() is null when there is no list to lock.
class LockedDropList {
public:
    explicit LockedDropList(IDataObject* data) {
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (data && SUCCEEDED(Medium.GetFrom(data, &format))) Lock.emplace(Medium.Global());
    }
    LockedDropList(const LockedDropList&) = delete;
    LockedDropList& operator=(const LockedDropList&) = delete;

    HDROP Get() const { return Lock ? static_cast<HDROP>(Lock->Get()) : nullptr; }

private:
    ScopedStgMedium Medium;
    std::optional<ScopedGlobalLock> Lock;
};
