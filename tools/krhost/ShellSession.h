#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "HandlerRegistry.h"

// One handler created and initialised the way Explorer does it for a selection.
class ShellSession {
public:
    ShellSession(const HandlerRegistry::Handler& handler, IShellExtInit* init) : Handler(handler), Init(init) {}
    ~ShellSession();
    ShellSession(const ShellSession&) = delete;
    ShellSession& operator=(const ShellSession&) = delete;

    // The handler's CLSID created in process (the user's classes first, as Windows does), then Initialize with a CF_HDROP
    // data object of `paths` and `folder` (a drop target) as the folder ID list.
    static HRESULT Start(const HandlerRegistry::Handler& handler, const std::wstring& folder,
                         const std::vector<std::wstring>& paths, ShellSession** session, HRESULT* initResult);

    template <class T>
    T* Query(REFIID riid) const {
        void* object = nullptr;
        return SUCCEEDED(Init->QueryInterface(riid, &object)) ? static_cast<T*>(object) : nullptr;
    }

    const HandlerRegistry::Handler Handler;

private:
    IShellExtInit* Init;
};
