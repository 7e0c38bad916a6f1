// The library's entry point and its exports; the work is done by the module object.
#include <windows.h>
#include <objbase.h>

#include "module/CKrShellExtModule.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    SetModuleInstance(instance);
    if (reason == DLL_PROCESS_ATTACH) return CKrShellExtModule::Instance().IsInitialised() ? TRUE : FALSE;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return CKrShellExtModule::Instance().DllGetClassObject(clsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return CKrShellExtModule::Instance().DllCanUnloadNow(); }

STDAPI DllRegisterServer() { return CKrShellExtModule::Instance().DllRegisterServer(); }

STDAPI DllUnregisterServer() { return CKrShellExtModule::Instance().DllUnregisterServer(); }
