// The built library as a COM server: its exports called directly, as the shell's COM
// runtime calls them, and its classes created through real COM activation.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "fixtures/DropletCatalogueFolders.h"
#include "fixtures/LoadedLibrary.h"
#include "fixtures/RegisteredLibrary.h"
#include "fixtures/TempTree.h"
#include "module/Guids.h"
#include "shellkit/HDropDataObject.h"
#include "shellkit/ProcessResources.h"
#include "support/RegistryValues.h"

using Microsoft::WRL::ComPtr;

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

// The handle of the activation context active on this thread (null: the process default).
HANDLE CurrentContext() {
    HANDLE context = nullptr;
    GetCurrentActCtx(&context);
    ReleaseActCtx(context);  // only the identity is wanted
    return context;
}

// Through COM, as the shell does it, with the library registered by regsvr32. The shell pops its
// own activation context after each call into a handler (on Windows an unbalanced one raises an
// exception there), so every method leaves the caller's context active, whatever it did inside.
TEST(ComActivation, HandlersRunInProcessLeaveTheCallersContextAndLetTheLibraryGo) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode, 0u);
    RegistrySandbox registry{{HKEY_CLASSES_ROOT, L".zip"}};
    RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, L".zip", nullptr, RegistryValues::ProgIdZip);
    TempTree tree;
    const std::wstring zip = tree.AddFile(L"a.zip");
    const std::unique_ptr<ITEMIDLIST, decltype(&ILFree)> target(ILCreateFromPathW(tree.Path().c_str()), ILFree);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(CoCreateInstance(served.Clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init)), S_OK);
        // The object itself, not a proxy: its methods are the library's code.
        const HMODULE library = GetModuleHandleW(L"KrShellExtEN.dll");
        EXPECT_EQ(ModuleOf(init.Get()), library);
        ACTIVATION_CONTEXT_BASIC_INFORMATION own{};
        ASSERT_TRUE(QueryActCtxW(QUERY_ACTCTX_FLAG_ACTCTX_IS_ADDRESS | QUERY_ACTCTX_FLAG_NO_ADDREF, library, nullptr,
                                 ActivationContextBasicInformation, &own, sizeof own, nullptr) && own.hActCtx)
            << "without a context of its own the library activates nothing";
        const HANDLE callers = CurrentContext();
        const auto expectCallersContext = [&](const char* method, HRESULT) { EXPECT_EQ(CurrentContext(), callers) << method; };
        expectCallersContext("Initialize", init->Initialize(target.get(), MakeHDropDataObject({zip}).Get(), nullptr));
        if (ComPtr<IContextMenu> menu; SUCCEEDED(init.As(&menu))) {
            const HMENU popup = CreatePopupMenu();
            expectCallersContext("QueryContextMenu", menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL));
            char help[64];
            expectCallersContext("GetCommandString", menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, help, 64));
            CMINVOKECOMMANDINFO invoke{};
            invoke.cbSize = sizeof invoke;
            invoke.lpVerb = MAKEINTRESOURCEA(0x7FFF);  // no entry: nothing starts
            expectCallersContext("InvokeCommand", menu->InvokeCommand(&invoke));
            DestroyMenu(popup);
        } else {
            ComPtr<IShellPropSheetExt> sheet;
            ASSERT_EQ(init.As(&sheet), S_OK);
            const LPFNADDPROPSHEETPAGE refuse = [](HPROPSHEETPAGE, LPARAM) -> BOOL { return FALSE; };
            expectCallersContext("AddPages", sheet->AddPages(refuse, 0));
            expectCallersContext("ReplacePage", sheet->ReplacePage(0, refuse, 0));
        }
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_NE(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr) << "unloaded under a live object";
        init.Reset();
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_EQ(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr);
    }
    CoUninitialize();
}

// What a host process lends the library for one load; none of it may stay behind after an
// unload, however often the library comes and goes.
size_t FreeTlsSlots() {
    std::vector<DWORD> taken;
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(slot);
    for (const DWORD slot : taken) TlsFree(slot);
    return taken.size();
}

size_t OpenHandles() { return ProcessResources::Now().Handles; }
size_t HeapBytesInUse() { return ProcessResources::Now().HeapBytes; }

// A right-click (menu bitmaps, GDI+, the droplet's icon), then the idle unload.
void RightClickAndUnload(IDataObject* selection) {
    ComPtr<IShellExtInit> init;
    ComPtr<IContextMenu> menu;
    if (SUCCEEDED(CoCreateInstance(KrGuids::ShlContextMenu, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init))) &&
        SUCCEEDED(init->Initialize(nullptr, selection, nullptr)) && SUCCEEDED(init.As(&menu))) {
        const HMENU popup = CreatePopupMenu();
        EXPECT_GT(HRESULT_CODE(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_EXPLORE)), 0);
        DestroyMenu(popup);
    }
    menu.Reset();
    init.Reset();
    CoFreeUnusedLibrariesEx(0, 0);
}

TEST(ComActivation, ReloadingLeavesNothingBehind) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode, 0u);
    DropletCatalogueFolders droplets;
    droplets.AddProgram(L"Drops\\Zip It.exe");
    droplets.Write(L"[DropSlots]\nA=%D\\Zip It.exe\n", nullptr);
    // One data object for all: the test's own allocations stay out of the count.
    const ComPtr<IDataObject> selection = MakeHDropDataObject({droplets.AddFile(L"a.zip")});
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);

    const struct {
        const char* Name;
        size_t (*Measure)();
        size_t Slack;  // what the host's own caches may still vary by
    } measures[] = {
        {"free TLS slots", FreeTlsSlots, 0},
        {"open handles", OpenHandles, 0},
        {"heap bytes", HeapBytesInUse, 4096},
    };
    // The first loads fill the host's own caches (COM, shell, GDI+'s system libraries).
    for (int cycle = 0; cycle < 10; ++cycle) RightClickAndUnload(selection.Get());
    ASSERT_EQ(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr);
    size_t before[ARRAYSIZE(measures)];
    for (size_t i = 0; i < ARRAYSIZE(measures); ++i) before[i] = measures[i].Measure();
    for (int cycle = 0; cycle < 300; ++cycle) RightClickAndUnload(selection.Get());
    EXPECT_EQ(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr);
    for (size_t i = 0; i < ARRAYSIZE(measures); ++i) {
        const size_t after = measures[i].Measure();
        std::printf("%s: %zu before, %zu after 300 reloads\n", measures[i].Name, before[i], after);
        EXPECT_LE(before[i] > after ? before[i] - after : after - before[i], measures[i].Slack) << measures[i].Name;
    }
    CoUninitialize();
}

}  // namespace
