// Registration of the built library by Wine's regsvr32, read back from the real registry,
// and the registration resources the library carries.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fixtures/RegisteredLibrary.h"
#include "fixtures/RegistrySandbox.h"
#include "module/CRegistrar.h"
#include "module/Guids.h"

namespace {

std::wstring Braced(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// ---- The tree registration writes below the classes root -------------------------------

struct ExpectedKey {
    std::wstring Path;
    std::optional<std::wstring> Default;
    std::map<std::wstring, std::wstring> Named;
};

struct ClassRow {
    const wchar_t* ShortName;
    const CLSID& Clsid;
};
const ClassRow Classes[] = {
    {L"PropPageExt", KrGuids::PropPageExt},
    {L"ShlContextMenu", KrGuids::ShlContextMenu},
    {L"ShlDropMenu", KrGuids::ShlDropMenu},
};

struct HandlerRow {
    const wchar_t* Path;
    const CLSID& Clsid;
};
const HandlerRow Handlers[] = {
    {L"*\\shellex\\PropertySheetHandlers\\Kestrel_Property_Sheet", KrGuids::PropPageExt},
    {L"*\\shellex\\ContextMenuHandlers\\KestrelContextMenuHandler", KrGuids::ShlContextMenu},
    {L"Directory\\shellex\\ContextMenuHandlers\\KestrelContextMenuHandler", KrGuids::ShlContextMenu},
    {L"Directory\\shellex\\DragDropHandlers\\KestrelDropMenuHandler", KrGuids::ShlDropMenu},
    {L"Folder\\shellex\\DragDropHandlers\\KestrelDropMenuHandler", KrGuids::ShlDropMenu},
    {L"Drive\\shellex\\DragDropHandlers\\KestrelDropMenuHandler", KrGuids::ShlDropMenu},
};

// Shared keys that registration writes into and never removes.
const wchar_t* const KeptKeys[] = {
    L"AppID",
    L"CLSID",
    L"*",
    L"*\\shellex",
    L"*\\shellex\\PropertySheetHandlers",
    L"*\\shellex\\ContextMenuHandlers",
    L"Directory",
    L"Directory\\shellex",
    L"Directory\\shellex\\ContextMenuHandlers",
    L"Directory\\shellex\\DragDropHandlers",
    L"Folder",
    L"Folder\\shellex",
    L"Folder\\shellex\\DragDropHandlers",
    L"Drive",
    L"Drive\\shellex",
    L"Drive\\shellex\\DragDropHandlers",
};

// Every key the library owns, with its exact values.
std::vector<ExpectedKey> ExpectedTree() {
    const std::wstring appId = Braced(KrGuids::AppId);
    std::vector<ExpectedKey> keys = {
        {L"AppID\\" + appId, L"KrShellExtEN", {}},
        {L"AppID\\KrShellExtEN.DLL", std::nullopt, {{L"AppID", appId}}},
    };
    for (const HandlerRow& handler : Handlers) keys.push_back({handler.Path, Braced(handler.Clsid), {}});
    for (const ClassRow& row : Classes) {
        const std::wstring name = row.ShortName;
        const std::wstring progId = L"KrShellExt." + name;
        const std::wstring clsid = Braced(row.Clsid);
        const std::wstring classKey = L"CLSID\\" + clsid;
        keys.push_back({progId + L".1", name + L" Class", {}});
        keys.push_back({progId + L".1\\CLSID", clsid, {}});
        keys.push_back({progId, name + L" Class", {}});
        keys.push_back({progId + L"\\CLSID", clsid, {}});
        keys.push_back({progId + L"\\CurVer", progId + L".1", {}});
        keys.push_back({classKey, name + L" Class", {{L"AppID", appId}}});
        keys.push_back({classKey + L"\\ProgID", progId + L".1", {}});
        keys.push_back({classKey + L"\\VersionIndependentProgID", progId, {}});
        keys.push_back({classKey + L"\\InprocServer32", LibraryPath(), {{L"ThreadingModel", L"Apartment"}}});
        keys.push_back({classKey + L"\\TypeLib", Braced(KrGuids::TypeLibrary), {}});
    }
    return keys;
}

bool KeyExists(const std::wstring& path) { return RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, path); }

// Compares a key's values and subkey names with what the table says, case-insensitively
// for names and the module path.
void ExpectKey(const ExpectedKey& expected, const std::vector<ExpectedKey>& all) {
    SCOPED_TRACE(testing::Message() << L"HKCR\\" << expected.Path);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, expected.Path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);

    std::map<std::wstring, std::wstring> values;
    wchar_t name[256];
    wchar_t data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name);
        DWORD type = 0;
        DWORD bytes = sizeof(data) - sizeof(wchar_t);
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) !=
            ERROR_SUCCESS) {
            break;
        }
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        data[bytes / sizeof(wchar_t)] = L'\0';
        values[Lower(name)] = Lower(data);
    }
    std::set<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name);
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.insert(Lower(name));
    }
    RegCloseKey(key);

    std::map<std::wstring, std::wstring> wanted;
    if (expected.Default) wanted[L""] = Lower(*expected.Default);
    for (const auto& [valueName, value] : expected.Named) wanted[Lower(valueName)] = Lower(value);
    EXPECT_EQ(values, wanted);

    std::set<std::wstring> wantedSubkeys;
    const std::wstring prefix = Lower(expected.Path) + L"\\";
    for (const ExpectedKey& other : all) {
        const std::wstring path = Lower(other.Path);
        if (path.starts_with(prefix) && path.find(L'\\', prefix.size()) == std::wstring::npos) {
            wantedSubkeys.insert(path.substr(prefix.size()));
        }
    }
    EXPECT_EQ(subkeys, wantedSubkeys);
}

void ExpectRegisteredTree() {
    const std::vector<ExpectedKey> tree = ExpectedTree();
    for (const ExpectedKey& key : tree) ExpectKey(key, tree);
    // Script 102 exists but no class runs it.
    EXPECT_FALSE(KeyExists(L"KrShellExt.CIconHandler"));
    EXPECT_FALSE(KeyExists(L"KrShellExt.CIconHandler.1"));
    EXPECT_FALSE(KeyExists(L"CLSID\\" + Braced(KrGuids::IconHandler)));
}

void ExpectUnregisteredTree() {
    for (const ExpectedKey& key : ExpectedTree()) EXPECT_FALSE(KeyExists(key.Path)) << L"HKCR\\" << key.Path;
    for (const wchar_t* kept : KeptKeys) EXPECT_TRUE(KeyExists(kept)) << kept;
}

TEST(Registration, Regsvr32WritesTheTree) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode(), 0u);
    ExpectRegisteredTree();
}

TEST(Registration, RegisteringAgainLeavesOneSet) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode(), 0u);
    // Leftovers under keys that are rewritten from scratch go; values of the others are
    // overwritten in place.
    const std::wstring classKey = L"CLSID\\" + Braced(KrGuids::ShlDropMenu);
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, classKey + L"\\Leftover", nullptr, L"x"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, Handlers[1].Path, L"Leftover", L"x"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, L"KrShellExt.ShlDropMenu\\CurVer", nullptr, L"old"));

    ASSERT_EQ(RunRegsvr32(L"", LibraryPath()), 0u);
    ExpectRegisteredTree();
}

TEST(Registration, UnregisteringRemovesOnlyTheLibrarysKeys) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode(), 0u);
    // A key without marker that holds something else stays, with only that left in it.
    const std::wstring progId = L"KrShellExt.ShlDropMenu";
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, progId + L"\\Foreign", nullptr, L"x"));

    ASSERT_EQ(RunRegsvr32(L"/u", LibraryPath()), 0u);
    EXPECT_TRUE(KeyExists(progId + L"\\Foreign"));
    EXPECT_FALSE(KeyExists(progId + L"\\CLSID"));
    EXPECT_FALSE(KeyExists(progId + L"\\CurVer"));
    RegistrySandbox::DeleteKey(HKEY_CLASSES_ROOT, progId);
    ExpectUnregisteredTree();
}

// The exports themselves, called in process: the caller's thread locale survives them.
TEST(Registration, ExportsKeepTheCallersLocale) {
    RegisteredLibrary registered;  // so the registry is put back as found afterwards
    ASSERT_EQ(registered.ExitCode(), 0u);
    HMODULE library = LoadLibraryW(LibraryPath().c_str());
    ASSERT_NE(library, nullptr);
    using ServerExport = HRESULT(STDAPICALLTYPE*)();
    auto registerServer = reinterpret_cast<ServerExport>(reinterpret_cast<void*>(GetProcAddress(library, "DllRegisterServer")));
    auto unregisterServer =
        reinterpret_cast<ServerExport>(reinterpret_cast<void*>(GetProcAddress(library, "DllUnregisterServer")));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_NE(unregisterServer, nullptr);

    const LCID original = GetThreadLocale();
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    SetThreadLocale(german);
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    ExpectUnregisteredTree();
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    ExpectRegisteredTree();
    SetThreadLocale(original);
    FreeLibrary(library);
}

// ---- The registrar on its own, on a scratch key ----------------------------------------

TEST(Registrar, QuotesAndReplacementsComeThroughUnchanged) {
    const std::wstring scratch = L"KrShellExtRegistrarTest";
    RegistrySandbox sandbox({{HKEY_CLASSES_ROOT, scratch}});
    CRegistrar registrar;
    ASSERT_EQ(registrar.AddReplacement(L"PATH", L"C:\\O'Brien\\%x%.dll"), S_OK);
    const wchar_t* script = L"HKCR { NoRemove KrShellExtRegistrarTest { 'It''s' = s '%path%' "
                            L"{ val 'Share' = s '100%%' } } }";
    ASSERT_EQ(registrar.RunScript(script, true), S_OK);
    ExpectKey({scratch + L"\\It's", L"C:\\O'Brien\\%x%.dll", {{L"Share", L"100%"}}}, {});

    ASSERT_EQ(registrar.RunScript(script, false), S_OK);
    EXPECT_FALSE(KeyExists(scratch + L"\\It's"));
    EXPECT_TRUE(KeyExists(scratch));
}

TEST(Registrar, MalformedScriptChangesNothing) {
    const std::wstring scratch = L"KrShellExtRegistrarTest";
    RegistrySandbox sandbox({{HKEY_CLASSES_ROOT, scratch}});
    const wchar_t* scripts[] = {
        L"HKCR { KrShellExtRegistrarTest { A = s '%UNKNOWN%' } }",
        L"HKCR { KrShellExtRegistrarTest { A = s 'unterminated } }",
        L"HKCR { KrShellExtRegistrarTest { A = s 'x' }",
        L"HKCR { KrShellExtRegistrarTest { A = d '1' } }",
        L"HKXX { KrShellExtRegistrarTest }",
        L"HKCR { KrShellExtRegistrarTest { val } }",
    };
    for (const wchar_t* script : scripts) {
        CRegistrar registrar;
        EXPECT_TRUE(FAILED(registrar.RunScript(script, true))) << script;
        EXPECT_FALSE(KeyExists(scratch)) << script;
    }
}

// ---- Resources ------------------------------------------------------------------------

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        Library = LoadLibraryExW(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(Library, nullptr);
    }
    void TearDown() override {
        if (Library) FreeLibrary(Library);
    }
    std::optional<std::string> Bytes(const wchar_t* type, UINT id, LANGID language) const {
        HRSRC resource = FindResourceExW(Library, type, MAKEINTRESOURCEW(id), language);
        if (!resource) return std::nullopt;
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(Library, resource)));
        return std::string(bytes, SizeofResource(Library, resource));
    }
    HMODULE Library = nullptr;
};

TEST_F(Resources, EveryScriptIsTheSameInAllFiveLanguages) {
    const LANGID languages[] = {
        MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
        MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH),     MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED),
    };
    for (UINT id : {101u, 102u, 103u, 104u, 152u}) {
        const std::optional<std::string> english = Bytes(L"REGISTRY", id, languages[1]);
        ASSERT_TRUE(english.has_value()) << id;
        EXPECT_NE(english->find("HKCR"), std::string::npos) << id;
        for (LANGID language : languages) EXPECT_EQ(Bytes(L"REGISTRY", id, language), english) << id << " " << language;
    }
}

TEST_F(Resources, ManifestAsksForTheCallersRights) {
    const std::optional<std::string> manifest = Bytes(RT_MANIFEST, 2, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_TRUE(manifest.has_value());
    EXPECT_NE(manifest->find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest->find("Common-Controls"), std::string::npos);
}

TEST(TypeLibrary, DescribesTheThreeClasses) {
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, &library), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, KrGuids::TypeLibrary));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attributes);

    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"KrShellExtLib");
    EXPECT_STREQ(help, L"KrShellExt 1.0 Type Library");
    SysFreeString(name);
    SysFreeString(help);

    struct Coclass {
        const CLSID& Clsid;
        const wchar_t* Name;
        const IID& Interface;
        const wchar_t* InterfaceName;
    };
    const Coclass coclasses[] = {
        {KrGuids::PropPageExt, L"PropPageExt", KrGuids::IPropPageExt, L"IPropPageExt"},
        {KrGuids::ShlContextMenu, L"ShlContextMenu", KrGuids::IShlContextMenu, L"IShlContextMenu"},
        {KrGuids::ShlDropMenu, L"ShlDropMenu", KrGuids::IShlDropMenu, L"IShlDropMenu"},
    };
    for (const Coclass& coclass : coclasses) {
        ITypeInfo* info = nullptr;
        ASSERT_EQ(library->GetTypeInfoOfGuid(coclass.Clsid, &info), S_OK) << coclass.Name;
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
        EXPECT_STREQ(name, coclass.Name);
        SysFreeString(name);
        TYPEATTR* type = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
        EXPECT_EQ(type->typekind, TKIND_COCLASS);
        info->ReleaseTypeAttr(type);

        HREFTYPE reference = 0;
        ITypeInfo* implemented = nullptr;
        ASSERT_EQ(info->GetRefTypeOfImplType(0, &reference), S_OK);
        ASSERT_EQ(info->GetRefTypeInfo(reference, &implemented), S_OK);
        ASSERT_EQ(implemented->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
        EXPECT_STREQ(name, coclass.InterfaceName);
        SysFreeString(name);
        ASSERT_EQ(implemented->GetTypeAttr(&type), S_OK);
        EXPECT_TRUE(IsEqualGUID(type->guid, coclass.Interface));
        implemented->ReleaseTypeAttr(type);
        implemented->Release();
        info->Release();
    }
    library->Release();
}

}  // namespace
