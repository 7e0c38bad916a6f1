#include "UserClasses.h"

#include <unknwn.h>

HKEY UserClasses::Open(const std::wstring& path) {
    HKEY key = nullptr;
    const std::wstring full = L"Software\\Classes\\" + path;
    return RegOpenKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
}

HRESULT UserClasses::CreateInstance(REFCLSID clsid, REFIID riid, void** object) {
    *object = nullptr;
    wchar_t text[40];
    if (!StringFromGUID2(clsid, text, ARRAYSIZE(text))) return E_INVALIDARG;
    HKEY server = Open(std::wstring(L"CLSID\\") + text + L"\\InprocServer32");
    if (!server) return REGDB_E_CLASSNOTREG;
    wchar_t library[MAX_PATH] = {};
    DWORD size = sizeof(library) - sizeof(wchar_t);
    const LSTATUS read = RegGetValueW(server, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, library, &size);
    RegCloseKey(server);
    if (read != ERROR_SUCCESS) return REGDB_E_CLASSNOTREG;
    // Kept loaded for the rest of the run, as COM keeps a library until CoFreeUnusedLibraries.
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!get) return CO_E_ERRORINDLL;
    IClassFactory* factory = nullptr;
    HRESULT hr = get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, riid, object);
    factory->Release();
    return hr;
}
