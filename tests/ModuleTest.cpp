// The built library as a COM server: its exports called directly, as the shell's COM
// runtime calls them, and its classes created through real COM activation.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "fixtures/LoadedLibrary.h"
#include "fixtures/RegisteredLibrary.h"
#include "module/CKrShellExtModule.h"
#include "module/Guids.h"

namespace {

struct ServedClass {
    const char* Name;
    const CLSID& Clsid;
    const IID& MenuOrSheet;  // the interface besides IShellExtInit
};
const ServedClass ServedClasses[] = {
    {"PropPageExt", KrGuids::PropPageExt, IID_IShellPropSheetExt},
    {"ShlContextMenu", KrGuids::ShlContextMenu, IID_IContextMenu},
    {"ShlDropMenu", KrGuids::ShlDropMenu, IID_IContextMenu},
};

HMODULE ModuleOf(const void* object) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(*static_cast<void* const*>(object)), &module);  // its vtable's module
    return module;
}

class Exports : public LoadedLibrary {
protected:
    IClassFactory* Factory(const CLSID& clsid) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }
};

TEST_F(Exports, UnloadableRightAfterLoad) { EXPECT_EQ(CanUnloadNow(), S_OK); }

TEST_F(Exports, HeldClassObjectsAndHandlersKeepTheLibraryLoaded) {
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        IClassFactory* first = Factory(served.Clsid);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(ModuleOf(first), Library);
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        IClassFactory* second = Factory(served.Clsid);
        EXPECT_EQ(second, first);
        second->Release();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);

        IShellExtInit* init = nullptr;
        ASSERT_EQ(first->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
        first->Release();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        IUnknown* other = nullptr;
        EXPECT_EQ(init->QueryInterface(served.MenuOrSheet, reinterpret_cast<void**>(&other)), S_OK);
        IUnknown* none = init;
        EXPECT_EQ(init->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&none)), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        init->Release();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        if (other) other->Release();
        EXPECT_EQ(CanUnloadNow(), S_OK);

        // The cached class object is handed out again once the client let go, without a lock.
        IUnknown* again = nullptr;
        ASSERT_EQ(GetClassObject(served.Clsid, IID_IUnknown, reinterpret_cast<void**>(&again)), S_OK);
        EXPECT_EQ(again, static_cast<IUnknown*>(first));
        again->Release();
        EXPECT_EQ(CanUnloadNow(), S_OK);
    }
}

TEST_F(Exports, LockServerHoldsLibraryUntilUnlocked) {
    for (const BOOL lock : {TRUE, FALSE}) {
        IClassFactory* factory = Factory(KrGuids::ShlContextMenu);
        ASSERT_NE(factory, nullptr);
        EXPECT_EQ(factory->LockServer(lock), S_OK);
        factory->Release();
        EXPECT_EQ(CanUnloadNow(), lock ? S_FALSE : S_OK);
    }
}

TEST_F(Exports, RefusedRequests) {
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        IClassFactory* factory = Factory(served.Clsid);
        ASSERT_NE(factory, nullptr);
        for (const IID* iid : {&IID_IUnknown, &IID_IShellExtInit}) {
            void* object = factory;
            // Any other object will do as a would-be outer object.
            EXPECT_EQ(factory->CreateInstance(factory, *iid, &object), CLASS_E_NOAGGREGATION);
            EXPECT_EQ(object, nullptr);
        }
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
        EXPECT_EQ(factory->CreateInstance(factory, IID_IUnknown, nullptr), E_POINTER);
        factory->Release();
    }
    for (const GUID* clsid : {&KrGuids::AppId, &KrGuids::TypeLibrary, &KrGuids::IconHandler}) {
        void* object = this;
        EXPECT_EQ(GetClassObject(*clsid, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(object, nullptr);
    }
    void* object = this;
    EXPECT_EQ(GetClassObject(KrGuids::ShlDropMenu, IID_IContextMenu, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(GetClassObject(KrGuids::ShlContextMenu, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// Through COM, as the shell does it, with the library registered by regsvr32.
TEST(ComActivation, CreatesEachClassInProcessAndUnloadsWhenUnused) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode, 0u);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        IShellExtInit* init = nullptr;
        ASSERT_EQ(CoCreateInstance(served.Clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                   reinterpret_cast<void**>(&init)),
                  S_OK);
        // The object itself, not a proxy: its methods are the library's code.
        EXPECT_EQ(ModuleOf(init), GetModuleHandleW(L"KrShellExtEN.dll"));
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_NE(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr) << "unloaded under a live object";
        init->Release();
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_EQ(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr);
    }
    CoUninitialize();
}

TEST(Module, GlobalInterfaceTableIsMadeOnceAndShared) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CKrShellExtModule& module = CKrShellExtModule::Instance();
    EXPECT_EQ(module.GetGITPtr(nullptr), E_POINTER);
    IGlobalInterfaceTable *first = nullptr, *second = nullptr;
    ASSERT_EQ(module.GetGITPtr(&first), S_OK);
    ASSERT_EQ(module.GetGITPtr(&second), S_OK);
    EXPECT_EQ(first, second);
    second->Release();
    first->Release();
    CoUninitialize();
}

}  // namespace
