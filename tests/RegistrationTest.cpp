// Registration of the built library by Wine's regsvr32 and by its exports, read back from the
// real registry; the registrar on its own; the type library the library carries.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fixtures/LoadedLibrary.h"
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

bool KeyExists(const std::wstring& path) { return RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, path); }

struct ExpectedKey {
    std::wstring Path;  // below the classes root
    std::optional<std::wstring> Default;
    std::map<std::wstring, std::wstring> Named;
};

struct NamedClass {
    const wchar_t* Name;
    const CLSID& Clsid;
};
const NamedClass Classes[] = {
    {L"PropPageExt", KrGuids::PropPageExt},
    {L"ShlContextMenu", KrGuids::ShlContextMenu},
    {L"ShlDropMenu", KrGuids::ShlDropMenu},
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
std::vector<ExpectedKey> ExpectedTree() {
    const std::wstring appId = Braced(KrGuids::AppId);
    std::vector<ExpectedKey> keys = {
        {L"AppID\\" + appId, L"KrShellExtEN", {}},
        {L"AppID\\KrShellExtEN.DLL", std::nullopt, {{L"AppID", appId}}},
    };
    for (const NamedClass& handler : Handlers) keys.push_back({handler.Name, Braced(handler.Clsid), {}});
    for (const NamedClass& row : Classes) {
        const std::wstring name = row.Name, progId = L"KrShellExt." + name, clsid = Braced(row.Clsid);
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

// Compares a key's values and subkey names with the table, ignoring the case of names and the module path.
void ExpectKey(const ExpectedKey& expected, const std::vector<ExpectedKey>& all) {
    SCOPED_TRACE(testing::Message() << L"HKCR\\" << expected.Path);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, expected.Path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    std::map<std::wstring, std::wstring> values, wantedValues;
    std::set<std::wstring> subkeys, wantedSubkeys;
    wchar_t name[256], data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name), type = 0, bytes = sizeof(data) - sizeof(wchar_t);
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes)) break;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        data[bytes / sizeof(wchar_t)] = L'\0';
        values[Lower(name)] = Lower(data);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name);
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr)) break;
        subkeys.insert(Lower(name));
    }
    RegCloseKey(key);
    if (expected.Default) wantedValues[L""] = Lower(*expected.Default);
    for (const auto& [valueName, value] : expected.Named) wantedValues[Lower(valueName)] = Lower(value);
    const std::wstring prefix = Lower(expected.Path) + L"\\";
    for (const ExpectedKey& other : all)
        if (const std::wstring path = Lower(other.Path);
            path.starts_with(prefix) && path.find(L'\\', prefix.size()) == std::wstring::npos)
            wantedSubkeys.insert(path.substr(prefix.size()));
    EXPECT_EQ(values, wantedValues);
    EXPECT_EQ(subkeys, wantedSubkeys);
}

void ExpectRegisteredTree() {
    const std::vector<ExpectedKey> tree = ExpectedTree();
    for (const ExpectedKey& key : tree) ExpectKey(key, tree);
    // Script 102 exists but no class runs it.
    const std::wstring icon = L"KrShellExt.CIconHandler";
    for (const std::wstring& path : {icon, icon + L".1", L"CLSID\\" + Braced(KrGuids::IconHandler)})
        EXPECT_FALSE(KeyExists(path)) << path;
}

// Shared keys stay: AppID, CLSID and every parent of a handler entry.
void ExpectUnregisteredTree() {
    for (const ExpectedKey& key : ExpectedTree()) EXPECT_FALSE(KeyExists(key.Path)) << L"HKCR\\" << key.Path;
    std::set<std::wstring> kept = {L"AppID", L"CLSID"};
    for (const NamedClass& handler : Handlers)
        for (std::wstring path = handler.Name; path.find(L'\\') != std::wstring::npos;)
            kept.insert(path = path.substr(0, path.rfind(L'\\')));
    EXPECT_EQ(kept.size(), 16u);
    for (const std::wstring& path : kept) EXPECT_TRUE(KeyExists(path)) << path;
}

TEST(Registration, Regsvr32WritesOneSetAndTakesOnlyItsOwnKeysAway) {
    RegisteredLibrary registered;
    ASSERT_EQ(registered.ExitCode, 0u);
    ExpectRegisteredTree();

    // Again: leftovers under keys rewritten from scratch go; values of the others are overwritten.
    const std::wstring progId = L"KrShellExt.ShlDropMenu";
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, L"CLSID\\" + Braced(KrGuids::ShlDropMenu) + L"\\Leftover",
                                             nullptr, L"x"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, Handlers[1].Name, L"Leftover", L"x"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, progId + L"\\CurVer", nullptr, L"old"));
    ASSERT_EQ(RunRegsvr32(L"", LibraryPath()), 0u);
    ExpectRegisteredTree();

    // A key without marker that holds something else stays, with only that left in it.
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, progId + L"\\Foreign", nullptr, L"x"));
    ASSERT_EQ(RunRegsvr32(L"/u", LibraryPath()), 0u);
    EXPECT_TRUE(KeyExists(progId + L"\\Foreign"));
    EXPECT_FALSE(KeyExists(progId + L"\\CLSID"));
    EXPECT_FALSE(KeyExists(progId + L"\\CurVer"));
    RegistrySandbox::DeleteKey(HKEY_CLASSES_ROOT, progId);
    ExpectUnregisteredTree();
}

// The exports called in process: the caller's thread locale survives them.
using Exports = LoadedLibrary;
TEST_F(Exports, KeepTheCallersLocale) {
    RegisteredLibrary registered;  // so the registry is put back as found afterwards
    ASSERT_EQ(registered.ExitCode, 0u);
    using ServerExport = HRESULT(STDAPICALLTYPE*)();
    const auto registerServer = Export<ServerExport>("DllRegisterServer");
    const auto unregisterServer = Export<ServerExport>("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);
    const LCID original = GetThreadLocale(), german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    SetThreadLocale(german);
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    ExpectUnregisteredTree();
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(GetThreadLocale(), german);
    ExpectRegisteredTree();
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
    ExpectKey({scratch + L"\\It's", L"C:\\O'Brien\\%x%.dll", {{L"Share", L"100%"}}}, {});
    ASSERT_EQ(registrar.RunScript(script, false), S_OK);
    EXPECT_FALSE(KeyExists(scratch + L"\\It's"));
    EXPECT_TRUE(KeyExists(scratch));
}

// The type library the TypeLib keys point at is there and describes the three classes.
TEST(TypeLibrary, DescribesTheThreeClasses) {
    Microsoft::WRL::ComPtr<ITypeLib> library;
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    ASSERT_EQ(LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, &library), S_OK);
    for (const NamedClass& coclass : Classes)
        EXPECT_EQ(library->GetTypeInfoOfGuid(coclass.Clsid, &info), S_OK) << coclass.Name;
}

}  // namespace
