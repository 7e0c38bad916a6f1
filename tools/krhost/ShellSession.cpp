#include "ShellSession.h"

#include "HDropDataObject.h"

ShellSession::~ShellSession() {
    if (Init) Init->Release();
}

HRESULT ShellSession::Start(const HandlerRegistry::Handler& handler, const std::wstring& folder,
                            const std::vector<std::wstring>& paths, ShellSession** session, HRESULT* initResult) {
    *session = nullptr;
    IShellExtInit* init = nullptr;
    HRESULT hr = CoCreateInstance(handler.Clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                  reinterpret_cast<void**>(&init));
    if (FAILED(hr)) return hr;
    IDataObject* data = HDropDataObject::Create(paths);
    PIDLIST_ABSOLUTE folderId = folder.empty() ? nullptr : ILCreateFromPathW(folder.c_str());
    *initResult = data ? init->Initialize(folderId, data, nullptr) : E_OUTOFMEMORY;
    if (folderId) ILFree(folderId);
    if (data) data->Release();
    *session = new ShellSession(handler, init);
    return S_OK;
}
