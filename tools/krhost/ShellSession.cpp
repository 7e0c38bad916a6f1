#include "ShellSession.h"

#include "UserClasses.h"
#include "shellkit/HDropDataObject.h"

ShellSession::~ShellSession() {
    if (Init) Init->Release();
}

HRESULT ShellSession::Start(const HandlerRegistry::Handler& handler, const std::wstring& folder,
                            const std::vector<std::wstring>& paths, ShellSession** session, HRESULT* initResult) {
    *session = nullptr;
    IShellExtInit* init = nullptr;
    HRESULT hr = UserClasses::CreateInstance(handler.Clsid, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    if (hr == REGDB_E_CLASSNOTREG)
        hr = CoCreateInstance(handler.Clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                              reinterpret_cast<void**>(&init));
    if (FAILED(hr)) return hr;
    auto data = MakeHDropDataObject(paths);
    PIDLIST_ABSOLUTE folderId = folder.empty() ? nullptr : ILCreateFromPathW(folder.c_str());
    *initResult = data ? init->Initialize(folderId, data.Get(), nullptr) : E_OUTOFMEMORY;
    if (folderId) ILFree(folderId);
    *session = new ShellSession(handler, init);
    return S_OK;
}
