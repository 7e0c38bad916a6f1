// The built library as a COM server: its exports called directly, as the shell's COM
// runtime calls them, and its classes created through real COM activation.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "fixtures/RegisteredLibrary.h"
#include "module/CKrShellExtModule.h"
#include "module/Guids.h"
#include "module/IsolationAware.h"

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

// Any other object will do as a would-be outer object.
class OuterObject final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

// The module that holds the code at address.
HMODULE ModuleOf(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(address), &module);
    return module;
}

// Each test loads the library afresh and calls its exports as COM would.
class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr) << "left loaded by an earlier test";
        Library = LoadLibraryW(LibraryPath().c_str());
        ASSERT_NE(Library, nullptr);
        GetClassObjectExport = reinterpret_cast<decltype(&DllGetClassObject)>(
            reinterpret_cast<void*>(GetProcAddress(Library, "DllGetClassObject")));
        CanUnloadNowExport = reinterpret_cast<decltype(&DllCanUnloadNow)>(
            reinterpret_cast<void*>(GetProcAddress(Library, "DllCanUnloadNow")));
        ASSERT_NE(GetClassObjectExport, nullptr);
        ASSERT_NE(CanUnloadNowExport, nullptr);
    }
    void TearDown() override {
        if (Library) FreeLibrary(Library);
    }

    IClassFactory* Factory(const CLSID& clsid) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(GetClassObjectExport(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }

    HMODULE Library = nullptr;
    decltype(&DllGetClassObject) GetClassObjectExport = nullptr;
    decltype(&DllCanUnloadNow) CanUnloadNowExport = nullptr;
};

TEST_F(Exports, UnloadableRightAfterLoad) { EXPECT_EQ(CanUnloadNowExport(), S_OK); }

TEST_F(Exports, HeldClassObjectKeepsLibraryLoadedAndIsCached) {
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        IClassFactory* first = Factory(served.Clsid);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(ModuleOf(*reinterpret_cast<void**>(first)), Library);
        EXPECT_EQ(CanUnloadNowExport(), S_FALSE);
        IClassFactory* second = Factory(served.Clsid);
        EXPECT_EQ(second, first);
        second->Release();
        EXPECT_EQ(CanUnloadNowExport(), S_FALSE);
        first->Release();
        EXPECT_EQ(CanUnloadNowExport(), S_OK);

        // The cache keeps the class object after the client let go, without locking.
        IUnknown* again = nullptr;
        ASSERT_EQ(GetClassObjectExport(served.Clsid, IID_IUnknown, reinterpret_cast<void**>(&again)), S_OK);
        EXPECT_EQ(again, static_cast<IUnknown*>(first));
        again->Release();
        EXPECT_EQ(CanUnloadNowExport(), S_OK);
    }
}

TEST_F(Exports, LockServerHoldsLibraryUntilUnlocked) {
    IClassFactory* factory = Factory(KrGuids::ShlContextMenu);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnloadNowExport(), S_FALSE);
    factory = Factory(KrGuids::ShlContextMenu);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnloadNowExport(), S_OK);
}

TEST_F(Exports, LiveHandlerKeepsLibraryLoaded) {
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        IClassFactory* factory = Factory(served.Clsid);
        ASSERT_NE(factory, nullptr);
        IShellExtInit* init = nullptr;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
        factory->Release();
        EXPECT_EQ(CanUnloadNowExport(), S_FALSE);

        IUnknown* other = nullptr;
        EXPECT_EQ(init->QueryInterface(served.MenuOrSheet, reinterpret_cast<void**>(&other)), S_OK);
        IUnknown* none = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(init->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&none)), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        init->Release();
        EXPECT_EQ(CanUnloadNowExport(), S_FALSE);
        if (other) other->Release();
        EXPECT_EQ(CanUnloadNowExport(), S_OK);
    }
}

TEST_F(Exports, RefusesAggregationEvenForIUnknown) {
    OuterObject outer;
    const IID* asked[] = {&IID_IUnknown, &IID_IShellExtInit};
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        IClassFactory* factory = Factory(served.Clsid);
        ASSERT_NE(factory, nullptr);
        for (const IID* iid : asked) {
            void* object = &outer;
            EXPECT_EQ(factory->CreateInstance(&outer, *iid, &object), CLASS_E_NOAGGREGATION);
            EXPECT_EQ(object, nullptr);
        }
        factory->Release();
    }
    EXPECT_EQ(CanUnloadNowExport(), S_OK);
}

TEST_F(Exports, ServesOnlyItsThreeClasses) {
    const GUID* notServed[] = {&KrGuids::AppId, &KrGuids::TypeLibrary, &KrGuids::IconHandler, &GUID_NULL};
    for (const GUID* clsid : notServed) {
        void* object = this;
        EXPECT_EQ(GetClassObjectExport(*clsid, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(object, nullptr);
    }
    void* object = this;
    EXPECT_EQ(GetClassObjectExport(KrGuids::ShlDropMenu, IID_IContextMenu, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CanUnloadNowExport(), S_OK);
}

TEST_F(Exports, NullOutPointers) {
    EXPECT_EQ(GetClassObjectExport(KrGuids::ShlContextMenu, IID_IClassFactory, nullptr), E_POINTER);
    IClassFactory* factory = Factory(KrGuids::ShlContextMenu);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    OuterObject outer;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, nullptr), E_POINTER);
    factory->Release();
    EXPECT_EQ(CanUnloadNowExport(), S_OK);
}

// Through COM, as the shell does it, with the library registered by regsvr32.
class ComActivation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Registration = new RegisteredLibrary(); }
    static void TearDownTestSuite() {
        delete Registration;
        Registration = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(Registration->ExitCode(), 0u);
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    }
    void TearDown() override { CoUninitialize(); }

    static RegisteredLibrary* Registration;
};
RegisteredLibrary* ComActivation::Registration = nullptr;

TEST_F(ComActivation, CreatesEachClassInProcessAndUnloadsWhenUnused) {
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        IShellExtInit* init = nullptr;
        ASSERT_EQ(CoCreateInstance(served.Clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                   reinterpret_cast<void**>(&init)),
                  S_OK);
        // The object itself, not a proxy: its methods are the library's code.
        const HMODULE library = GetModuleHandleW(L"KrShellExtEN.dll");
        ASSERT_NE(library, nullptr);
        EXPECT_EQ(ModuleOf(*reinterpret_cast<void**>(init)), library);

        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_NE(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr) << "unloaded under a live object";
        init->Release();
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_EQ(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr);
    }
}

TEST(Module, GlobalInterfaceTableIsMadeOnceAndShared) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CKrShellExtModule& module = CKrShellExtModule::Instance();
    EXPECT_EQ(module.GetGITPtr(nullptr), E_POINTER);
    IGlobalInterfaceTable* first = nullptr;
    IGlobalInterfaceTable* second = nullptr;
    ASSERT_EQ(module.GetGITPtr(&first), S_OK);
    ASSERT_EQ(module.GetGITPtr(&second), S_OK);
    EXPECT_EQ(first, second);
    second->Release();
    first->Release();
    CoUninitialize();
}

// The wrappers hand the common-controls functions' results back unchanged.
TEST(IsolationAware, WrappedCommonControlsCallsWork) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    EXPECT_TRUE(IsolationAware::InitCommonControlsEx(&controls));

    static int released = 0;
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_USECALLBACK;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(1);
    page.pfnCallback = [](HWND, UINT message, LPPROPSHEETPAGEW) -> UINT {
        if (message == PSPCB_RELEASE) ++released;
        return 1;
    };
    HPROPSHEETPAGE created = IsolationAware::CreatePropertySheetPageW(&page);
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(IsolationAware::DestroyPropertySheetPage(created));
    EXPECT_EQ(released, 1);
}

}  // namespace
