#pragma once
#include <objidl.h>

// A storage medium received from IDataObject::GetData, released with ReleaseStgMedium.
class ScopedStgMedium {
public:
    ScopedStgMedium() = default;
    ~ScopedStgMedium() {
        if (Held) ReleaseStgMedium(&Medium);
    }
    ScopedStgMedium(const ScopedStgMedium&) = delete;
    ScopedStgMedium& operator=(const ScopedStgMedium&) = delete;

    // Only a successful GetData leaves a medium to release.
    HRESULT GetFrom(IDataObject* data, FORMATETC* format) {
        const HRESULT hr = data->GetData(format, &Medium);
        Held = SUCCEEDED(hr);
        return hr;
    }
    HGLOBAL Global() const { return Held && Medium.tymed == TYMED_HGLOBAL ? Medium.hGlobal : nullptr; }

private:
    STGMEDIUM Medium{};
    bool Held = false;
};
