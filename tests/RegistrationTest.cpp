// Registration of the built library by Wine's regsvr32 and by its exports, read back from the
// real registry; the registrar on its own.
#include <gtest/gtest.h>
#include <windows.h>

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
#include "support/UniqueKey.h"

namespace {

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
KeyTree ExpectedTree() {
    const std::wstring appId = Braced(KrGuids::AppId);
    KeyTree tree = {{L"AppID\\" + appId, {{L"", L"KrShellExtEN"}}}, {L"AppID\\KrShellExtEN.DLL", {{L"AppID", appId}}}};
    for (const NamedClass& handler : Handlers) tree[handler.Name] = {{L"", Braced(handler.Clsid)}};
    for (const NamedClass& row : Classes) {
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
    std::vector<std::wstring> subkeys;
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
        subkeys.push_back(path + L"\\" + name);
    }
    for (const std::wstring& subkey : subkeys) ReadTree(subkey, tree);
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
    KeyTree found;
    ReadTree(scratch, found);
    EXPECT_EQ(found, (KeyTree{{L"krshellextregistrartest", {}},
                              {L"krshellextregistrartest\\it's", {{L"", L"c:\\o'brien\\%x%.dll"}, {L"share", L"100%"}}}}));
    ASSERT_EQ(registrar.RunScript(script, false), S_OK);
    EXPECT_FALSE(KeyExists(scratch + L"\\It's"));
    EXPECT_TRUE(KeyExists(scratch));
}

}  // namespace
