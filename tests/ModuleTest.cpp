// The built library as a COM server: its exports called directly, as the shell's COM runtime
// calls them, its registration by Wine's regsvr32 read back from the real registry, and its
// classes created through real COM activation.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "com/Guids.h"
#include "fixtures/LoadedLibrary.h"
#include "module/CRegistrar.h"
#include "shellkit/DropletCatalogueFolders.h"
#include "shellkit/HDropDataObject.h"
#include "shellkit/ProcessResources.h"
#include "shellkit/RegisteredLibrary.h"
#include "shellkit/TempTree.h"
#include "support/RegistryValues.h"
#include "support/UniqueKey.h"

using Microsoft::WRL::ComPtr;

namespace {

struct ServedClass {
    const wchar_t* Name;
    const CLSID& Clsid;
    const IID& MenuOrSheet;  // the interface besides IShellExtInit
};
const ServedClass ServedClasses[] = {
    {L"PropPageExt", KrGuids::PropPageExt, IID_IShellPropSheetExt},
    {L"ShlContextMenu", KrGuids::ShlContextMenu, IID_IContextMenu},
    {L"ShlDropMenu", KrGuids::ShlDropMenu, IID_IContextMenu},
};

HMODULE ModuleOf(const void* object) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(*static_cast<void* const*>(object)), &module);  // its vtable's module
    return module;
}

class Exports : public LoadedLibrary {
protected:
    ComPtr<IClassFactory> Factory(const CLSID& clsid) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(GetClassObject(clsid, IID_PPV_ARGS(&factory)), S_OK);
        return factory;
    }
};

// Whatever the library handed out, and a lock, keeps it loaded; what COM refuses, it refuses.
TEST_F(Exports, HeldObjectsAndLocksKeepTheLibraryLoadedAndRefusedRequestsDoNot) {
    for (const ServedClass& served : ServedClasses) {
        SCOPED_TRACE(served.Name);
        ComPtr<IClassFactory> factory = Factory(served.Clsid);
        ASSERT_TRUE(factory);
        EXPECT_EQ(ModuleOf(factory.Get()), Library);
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        for (const IID* iid : {&IID_IUnknown, &IID_IShellExtInit}) {
            void* object = this;
            // Any other object will do as a would-be outer object.
            EXPECT_EQ(factory->CreateInstance(factory.Get(), *iid, &object), CLASS_E_NOAGGREGATION);
            EXPECT_EQ(object, nullptr);
        }
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
        EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IUnknown, nullptr), E_POINTER);
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&init)), S_OK);
        factory.Reset();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        ComPtr<IUnknown> other;
        EXPECT_EQ(init->QueryInterface(served.MenuOrSheet, &other), S_OK);
        void* none = this;
        EXPECT_EQ(init->QueryInterface(IID_IDropTarget, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        init.Reset();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        other.Reset();
        EXPECT_EQ(CanUnloadNow(), S_OK);
    }
    for (const BOOL lock : {TRUE, FALSE}) {
        EXPECT_EQ(Factory(KrGuids::ShlContextMenu)->LockServer(lock), S_OK);
        EXPECT_EQ(CanUnloadNow(), lock ? S_FALSE : S_OK);
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
        {"open handles", [] { return ProcessResources::Now().Handles; }, 0},
        {"heap bytes", [] { return ProcessResources::Now().HeapBytes; }, 4096},  // activation contexts too
        {"GDI objects", [] { return ProcessResources::Now().GdiObjects; }, 0},
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

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool KeyExists(const std::wstring& path) { return RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, path); }

// Key path below the classes root -> value name ("" for the default) -> text, all in lower case
// (the module path's case may differ).
using KeyTree = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

struct NamedClass {
    const wchar_t* Name;
    const CLSID& Clsid;
};
const NamedClass Handlers[] = {
    {L"*\\shellex\\PropertySheetHandlers\\Kestrel_Property_Sheet", KrGuids::PropPageExt},
    {L"*\\shellex\\ContextMenuHandlers\\KestrelContextMenuHandler", KrGuids::ShlContextMenu},
    {L"Directory\\shellex\\ContextMenuHandlers\\KestrelContextMenuHandler", KrGuids::ShlContextMenu},
    {L"Directory\\shellex\\DragDropHandlers\\KestrelDropMenuHandler", KrGuids::ShlDropMenu},
    {L"Folder\\shellex\\DragDropHandlers\\KestrelDropMenuHandler", KrGuids::ShlDropMenu},
    {L"Drive\\shellex\\DragDropHandlers\\KestrelDropMenuHandler", KrGuids::ShlDropMenu},
};

// Every key the library owns, with its exact values.
KeyTree ExpectedTree() {
    const std::wstring appId = Braced(KrGuids::AppId);
    KeyTree tree = {{L"AppID\\" + appId, {{L"", L"KrShellExtEN"}}}, {L"AppID\\KrShellExtEN.DLL", {{L"AppID", appId}}}};
    for (const NamedClass& handler : Handlers) tree[handler.Name] = {{L"", Braced(handler.Clsid)}};
    for (const ServedClass& row : ServedClasses) {
        const std::wstring name = row.Name, progId = L"KrShellExt." + name, clsid = Braced(row.Clsid);
        const std::wstring classKey = L"CLSID\\" + clsid;
        tree[progId + L".1"] = {{L"", name + L" Class"}};
        tree[progId + L".1\\CLSID"] = {{L"", clsid}};
        tree[progId] = {{L"", name + L" Class"}};
        tree[progId + L"\\CLSID"] = {{L"", clsid}};
        tree[progId + L"\\CurVer"] = {{L"", progId + L".1"}};
        tree[classKey] = {{L"", name + L" Class"}, {L"AppID", appId}};
        tree[classKey + L"\\ProgID"] = {{L"", progId + L".1"}};
        tree[classKey + L"\\VersionIndependentProgID"] = {{L"", progId}};
        tree[classKey + L"\\InprocServer32"] = {{L"", LibraryPath()}, {L"ThreadingModel", L"Apartment"}};
        tree[classKey + L"\\TypeLib"] = {{L"", Braced(KrGuids::TypeLibrary)}};
    }
    KeyTree lower;
    for (const auto& [path, values] : tree)
        for (const auto& [name, text] : values) lower[Lower(path)][Lower(name)] = Lower(text);
    return lower;
}

// Adds the key at path and everything below it to tree; every value must be text.
void ReadTree(const std::wstring& path, KeyTree& tree) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &opened)) return;
    const UniqueKey key(opened);
    auto& values = tree[Lower(path)];
    wchar_t name[256], data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name), type = 0, bytes = sizeof(data) - sizeof(wchar_t);
        if (RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes)) break;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << path << L"\\" << name;
        data[bytes / sizeof(wchar_t)] = L'\0';
        values[Lower(name)] = Lower(data);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name);
        if (RegEnumKeyExW(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr)) break;
        ReadTree(path + L"\\" + name, tree);
    }
}

// The registry below every key the library owns is exactly the table, key by key.
void ExpectRegisteredTree() {
    const KeyTree expected = ExpectedTree();
    KeyTree found;
    for (const auto& [path, values] : expected)
        if (const size_t cut = path.rfind(L'\\'); cut == std::wstring::npos || !expected.count(path.substr(0, cut)))
            ReadTree(path, found);
    for (const auto& [path, values] : expected) EXPECT_EQ(found[path], values) << L"HKCR\\" << path;
    EXPECT_EQ(found.size(), expected.size()) << "keys the table does not name";
    // The icon handler's script exists but no class runs it; the command tree's class is the
    // package manifest's to declare.
    const std::wstring icon = L"KrShellExt.CIconHandler";
    for (const std::wstring& path : {icon, icon + L".1", L"CLSID\\" + Braced(KrGuids::IconHandler),
                                     L"CLSID\\" + Braced(KrGuids::ExplorerCommand)})
        EXPECT_FALSE(KeyExists(path)) << path;
}

// Shared keys stay: AppID, CLSID and every parent of a handler entry.
void ExpectUnregisteredTree() {
    for (const auto& [path, values] : ExpectedTree()) EXPECT_FALSE(KeyExists(path)) << L"HKCR\\" << path;
    std::set<std::wstring> kept = {L"AppID", L"CLSID"};
    for (const NamedClass& handler : Handlers)
        for (std::wstring path = handler.Name; path.find(L'\\') != std::wstring::npos;)
            kept.insert(path = path.substr(0, path.rfind(L'\\')));
    for (const std::wstring& path : kept) EXPECT_TRUE(KeyExists(path)) << path;
}

// Registered by Wine's regsvr32, then again and away through the exports in process, which keep
// the caller's thread locale.
TEST_F(Exports, RegistrationWritesOneSetTakesOnlyItsOwnKeysAwayAndKeepsTheCallersLocale) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode, 0u);
    ExpectRegisteredTree();
    using ServerExport = HRESULT(STDAPICALLTYPE*)();
    const auto registerServer = Export<ServerExport>("DllRegisterServer");
    const auto unregisterServer = Export<ServerExport>("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);
    const LCID original = GetThreadLocale(), german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    SetThreadLocale(german);

    // Again: leftovers under keys rewritten from scratch go; values of the others are overwritten.
    const std::wstring progId = L"KrShellExt.ShlDropMenu";
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, L"CLSID\\" + Braced(KrGuids::ShlDropMenu) + L"\\Leftover",
                                             nullptr, L"x"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, Handlers[1].Name, L"Leftover", L"x"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, progId + L"\\CurVer", nullptr, L"old"));
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    ExpectRegisteredTree();

    // A key without marker that holds something else stays, with only that left in it.
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, progId + L"\\Foreign", nullptr, L"x"));
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    EXPECT_TRUE(KeyExists(progId + L"\\Foreign"));
    EXPECT_FALSE(KeyExists(progId + L"\\CLSID"));
    EXPECT_FALSE(KeyExists(progId + L"\\CurVer"));
    RegistrySandbox::DeleteKey(HKEY_CLASSES_ROOT, progId);
    ExpectUnregisteredTree();
    SetThreadLocale(original);
}

// A module path with quotes or percent signs is written unchanged.
TEST(Registrar, QuotesAndReplacementsComeThroughUnchanged) {
    const std::wstring scratch = L"KrShellExtRegistrarTest";
    RegistrySandbox sandbox({{HKEY_CLASSES_ROOT, scratch}});
    CRegistrar registrar;
    ASSERT_EQ(registrar.AddReplacement(L"PATH", L"C:\\O'Brien\\%x%.dll"), S_OK);
    const wchar_t* script = L"HKCR { NoRemove KrShellExtRegistrarTest { 'It''s' = s '%path%' "
                            L"{ val 'Share' = s '100%%' } } }";
    ASSERT_EQ(registrar.RunScript(script, true), S_OK);
    KeyTree found;
    ReadTree(scratch, found);
    EXPECT_EQ(found, (KeyTree{{L"krshellextregistrartest", {}},
                              {L"krshellextregistrartest\\it's", {{L"", L"c:\\o'brien\\%x%.dll"}, {L"share", L"100%"}}}}));
    ASSERT_EQ(registrar.RunScript(script, false), S_OK);
    EXPECT_FALSE(KeyExists(scratch + L"\\It's"));
    EXPECT_TRUE(KeyExists(scratch));
}

}  // namespace
