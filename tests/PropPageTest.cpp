// The archive property page as the shell's Properties dialog meets it: the built library
// loaded and its handler made through DllGetClassObject, real CF_HDROP data objects, real
// associations in the classes root, and a real property sheet showing the page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/HDropDataObject.h"
#include "fixtures/RegisteredLibrary.h"
#include "fixtures/RegistrySandbox.h"
#include "fixtures/TempTree.h"
#include "module/Guids.h"
#include "proppage/CapabilityCatalogue.h"
#include "support/RegistryValues.h"

using Microsoft::WRL::ComPtr;

namespace {

// The headings of the blocks a name shows, in order, and how many lines they make together.
using Shown = std::pair<std::vector<UINT>, size_t>;
Shown ShownFor(std::wstring_view path) {
    Shown shown{{}, 0};
    const CapabilityBlocks blocks = CapabilityBlocksFor(path);
    for (std::span<const UINT> block : {blocks.ByLastExtension, blocks.ByTwoPartName}) {
        if (!block.empty()) shown.first.push_back(block.front());
        shown.second += block.size();
    }
    return shown;
}

TEST(CapabilityCatalogue, EveryLastExtensionInBothCases) {
    // Written out independently of the library's table: extension, heading id, line count.
    const struct {
        const wchar_t* Extension;
        UINT Heading;
        size_t Lines;
    } rows[] = {
        {L".kesx", 154, 18}, {L".kedx", 154, 18}, {L".kes", 171, 11},  {L".zip", 155, 13},  {L".cbz", 155, 13},
        {L".z01", 155, 13},  {L".rar", 176, 5},   {L".cbr", 176, 5},   {L".001", 176, 5},   {L".7z", 208, 4},
        {L".lzma", 207, 4},  {L".tlzma", 209, 4}, {L".tar", 178, 7},   {L".cbt", 178, 7},   {L".gtar", 178, 7},
        {L".gnutar", 178, 7}, {L".ustar", 178, 7}, {L".z", 179, 5},    {L".tz", 182, 9},    {L".gz", 180, 5},
        {L".tgz", 183, 9},   {L".bz2", 181, 5},   {L".tbz2", 184, 9},  {L".tbz", 184, 9},   {L".as", 185, 4},
        {L".arc", 187, 4},   {L".arj", 188, 4},   {L".b64", 189, 4},   {L".hqx", 190, 4},   {L".btoa", 191, 4},
        {L".lha", 198, 5},   {L".lzh", 198, 4},   {L".mime", 192, 4},  {L".mim", 192, 4},   {L".mme", 192, 4},
        {L".sco", 197, 4},   {L".cpt", 193, 4},   {L".uue", 194, 4},   {L".uu", 194, 4},    {L".cab", 196, 4},
        {L".ync", 195, 4},   {L".yenc", 195, 4},  {L".ntx", 195, 4},
    };
    for (const auto& row : rows) {
        std::wstring upper = row.Extension;
        for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
        for (const std::wstring& path : {L"C:\\Data\\file" + std::wstring(row.Extension), L"C:\\Data\\FILE" + upper})
            EXPECT_EQ(ShownFor(path), Shown({row.Heading}, row.Lines)) << path;
    }
}

TEST(CapabilityCatalogue, LastExtensionThenTwoPartName) {
    const std::pair<const wchar_t*, Shown> cases[] = {
        {L"C:\\src.tar.gz", {{180, 183}, 14}},  {L"old.kes.hqx", {{190, 171}, 15}},    {L"old.kes.bin", {{171}, 11}},
        {L"notes.kesx.bin", {{154}, 18}},       {L"notes.KESX.HQX", {{190, 154}, 22}}, {L"x.zip.uue", {{194, 155}, 17}},
        {L"a.TAR.Z", {{179, 182}, 14}},        {L".tar.bz2", {{181, 184}, 14}},       {L"C:\\my.files\\data.gz", {{180}, 5}},
        {L"C:\\Photos.old\\readme", {{}, 0}},  {L"README", {{}, 0}},                  {L"setup.bin", {{}, 0}},
        {L"x.", {{}, 0}},                      {L"", {{}, 0}},
    };
    for (const auto& [path, shown] : cases) EXPECT_EQ(ShownFor(path), shown) << path;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(item.c_str());
    }
    return items;
}

void PumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG message;
    while (GetTickCount() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
}

BOOL CALLBACK AcceptPage(HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

BOOL CALLBACK RefusePage(HPROPSHEETPAGE page, LPARAM offered) {
    *reinterpret_cast<int*>(offered) += page != nullptr;
    return FALSE;
}

// The library as Explorer uses it, with the switch on and these associations in the classes root.
class PropertySheetHandler : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetModuleHandleW(L"KrShellExtEN.dll"), nullptr);
        Library = LoadLibraryW(LibraryPath().c_str());
        ASSERT_NE(Library, nullptr);
        GetClassObject = reinterpret_cast<decltype(&DllGetClassObject)>(
            reinterpret_cast<void*>(GetProcAddress(Library, "DllGetClassObject")));
        CanUnloadNow = reinterpret_cast<decltype(&DllCanUnloadNow)>(
            reinterpret_cast<void*>(GetProcAddress(Library, "DllCanUnloadNow")));
        ASSERT_TRUE(GetClassObject && CanUnloadNow);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, 1);
        const std::pair<const wchar_t*, const wchar_t*> associations[] = {
            {L".kesx", L"Kestrel.Archive.Open.KESx"},  {L".zip", L"kestrel.archive.open.zip"},
            {L".gz", L"Kestrel.Archive.Open.Generic"}, {L".kes.bin", L"Kestrel.Archive.Open.Kes"},
            {L".rar", L"OtherArchiver.Rar"},
        };
        for (const auto& [extension, progId] : associations)
            ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, extension, nullptr, progId));
        RegistrySandbox::DeleteKey(HKEY_CLASSES_ROOT, L".7z");
    }
    void TearDown() override {
        if (Library) FreeLibrary(Library);
    }

    // A new handler, initialised with these paths; null when the class cannot make one.
    ComPtr<IShellPropSheetExt> Handler(const std::vector<std::wstring>& paths, HRESULT* initResult,
                                       HDropMode mode = HDropMode::Serve) {
        ComPtr<IClassFactory> factory;
        ComPtr<IShellExtInit> init;
        ComPtr<IShellPropSheetExt> sheet;
        if (GetClassObject(KrGuids::PropPageExt, IID_PPV_ARGS(&factory)) != S_OK ||
            factory->CreateInstance(nullptr, IID_PPV_ARGS(&init)) != S_OK || FAILED(init.As(&sheet)))
            return nullptr;
        auto data = HDropDataObject::Create(paths, mode);
        *initResult = init->Initialize(nullptr, data.Get(), nullptr);
        EXPECT_EQ(data->MediaReleased(), data->MediaServed());
        EXPECT_EQ(data->MediaReleasedLocked(), 0);
        return sheet;
    }

    HRESULT InitializeResult(const std::vector<std::wstring>& paths, HDropMode mode = HDropMode::Serve) {
        HRESULT result = E_UNEXPECTED;
        Handler(paths, &result, mode);
        return result;
    }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, RegistryValues::ProductKey},
                             {HKEY_CLASSES_ROOT, L".kesx"},
                             {HKEY_CLASSES_ROOT, L".zip"},
                             {HKEY_CLASSES_ROOT, L".gz"},
                             {HKEY_CLASSES_ROOT, L".kes.bin"},
                             {HKEY_CLASSES_ROOT, L".rar"},
                             {HKEY_CLASSES_ROOT, L".7z"}};
    TempTree Tree;
    HMODULE Library = nullptr;
    decltype(&DllGetClassObject) GetClassObject = nullptr;
    decltype(&DllCanUnloadNow) CanUnloadNow = nullptr;
};

TEST_F(PropertySheetHandler, OnlyFilesTheArchiverOwnsNow) {
    enum Make { File, Folder, Nothing };
    const struct {
        const wchar_t* Relative;
        Make What;
        HRESULT Expected;
    } cases[] = {
        {L"a.kesx", File, S_OK},
        {L"Report.ZIP", File, S_OK},           // both the extension and the ProgID ignore case
        {L"data.tar.gz", File, S_OK},          // judged by ".gz"
        {L"old.kes.bin", File, S_OK},          // ".bin" is unknown: the two-part name decides
        {L"Ärger 数据.kesx", File, S_OK},
        {L"gone.kesx", Nothing, S_OK},         // judged by its name only
        {L"b.rar", File, E_FAIL},              // another program owns ".rar"
        {L"c.7z", File, E_FAIL},               // nobody does
        {L"setup.bin", File, E_FAIL},
        {L"tool.sea", File, E_FAIL},
        {L"README", File, E_FAIL},
        {L"Photos.old\\readme", File, E_FAIL},
        {L"backup.zip", Folder, E_FAIL},
    };
    for (const auto& c : cases) {
        const std::wstring path = c.What == File     ? Tree.AddFile(c.Relative)
                                  : c.What == Folder ? Tree.AddFolder(c.Relative)
                                                     : Tree.PathOf(c.Relative);
        EXPECT_EQ(InitializeResult({path}), c.Expected) << path;
    }
}

TEST_F(PropertySheetHandler, OneReadableFileOnly) {
    const std::wstring a = Tree.AddFile(L"a.kesx"), b = Tree.AddFile(L"b.kesx");
    // Paths of 1,023 characters fit the buffer; one more does not and is refused, not cut.
    const std::wstring fits = L"C:\\" + std::wstring(1015, L'x') + L".kesx";
    EXPECT_EQ(fits.size(), 1023u);
    EXPECT_EQ(InitializeResult({fits}), S_OK);
    EXPECT_EQ(InitializeResult({fits.substr(0, 3) + L"y" + fits.substr(3)}), E_INVALIDARG);
    EXPECT_EQ(InitializeResult({a, b}), E_INVALIDARG);
    EXPECT_EQ(InitializeResult({}), E_INVALIDARG);
    EXPECT_EQ(InitializeResult({a}, HDropMode::FailGetData), E_INVALIDARG);
    EXPECT_EQ(InitializeResult({a}, HDropMode::NullHandle), E_INVALIDARG);
}

TEST_F(PropertySheetHandler, SwitchMustReadExactlyOne) {
    const std::wstring archive = Tree.AddFile(L"a.kesx");
    for (const DWORD value : {0u, 2u}) {
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, value);
        EXPECT_EQ(InitializeResult({archive}), E_INVALIDARG) << value;
    }
    RegistrySandbox::DeleteValue(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu);
    EXPECT_EQ(InitializeResult({archive}), E_INVALIDARG);
}

TEST_F(PropertySheetHandler, AcceptedPageShowsFileAndCapabilitiesAndHoldsTheLibrary) {
    const std::wstring archive = Tree.AddFile(L"Übersicht.tar.gz");
    std::vector<HPROPSHEETPAGE> pages;
    {
        HRESULT initResult = E_UNEXPECTED;
        ComPtr<IShellPropSheetExt> handler = Handler({archive}, &initResult);
        ASSERT_EQ(initResult, S_OK);
        EXPECT_EQ(handler->AddPages(AcceptPage, reinterpret_cast<LPARAM>(&pages)), S_OK);
    }
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(CanUnloadNow(), S_FALSE) << "the page outlives its handler and keeps the library";

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    header.pszCaption = L"Properties";
    header.nPages = 1;
    header.phpage = pages.data();
    const HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(sheet, nullptr);
    PumpFor(200);
    const HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, 0, 0));
    ASSERT_NE(page, nullptr);

    wchar_t text[256] = {};
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = ARRAYSIZE(text);
    SendMessageW(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETITEMW, 0,
                 reinterpret_cast<LPARAM>(&tab));
    EXPECT_STREQ(text, L"Kestrel archive");
    const HWND fileLine = GetDlgItem(page, 201), list = GetDlgItem(page, 202);
    GetWindowTextW(fileLine, text, ARRAYSIZE(text));
    EXPECT_STREQ(text, L"File: Übersicht.tar.gz");
    const std::vector<std::wstring> items = ListItems(list);
    ASSERT_EQ(items.size(), 14u);
    EXPECT_EQ(items[0], L"The GZip file format capabilities:");
    EXPECT_EQ(items[5], L"The GZip compressed Tar file format capabilities:");
    EXPECT_EQ(items[13], L"Can be converted to KESx");

    // Sized from the sheet, the list placed below the file line.
    RECT sheetClient, line, box;
    GetClientRect(sheet, &sheetClient);
    GetWindowRect(fileLine, &line);
    GetWindowRect(list, &box);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(line.left, 12);
    EXPECT_EQ(box.top, line.bottom - line.top + 16);
    EXPECT_EQ(box.right - box.left, sheetClient.right - 44);

    DestroyWindow(sheet);
    PumpFor(50);
    EXPECT_EQ(CanUnloadNow(), S_OK) << "the released page gave the library back";
}

TEST_F(PropertySheetHandler, RefusedPageIsDestroyedAtOnce) {
    HRESULT initResult = E_UNEXPECTED;
    ComPtr<IShellPropSheetExt> handler = Handler({Tree.AddFile(L"a.zip")}, &initResult);
    ASSERT_EQ(initResult, S_OK);
    int offered = 0;
    EXPECT_EQ(handler->AddPages(RefusePage, reinterpret_cast<LPARAM>(&offered)), S_OK);
    EXPECT_EQ(offered, 1);
    handler.Reset();
    // Only the page's release gives back the lock taken with its path copy.
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

std::vector<BYTE> ResourceBytes(HMODULE module, LPCWSTR type, WORD id, LANGID language) {
    const HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
    const auto* data = found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    return data ? std::vector<BYTE>(data, data + SizeofResource(module, found)) : std::vector<BYTE>{};
}

TEST_F(PropertySheetHandler, SameDialogAndSixIconImagesInEveryLanguage) {
    const std::vector<BYTE> english = ResourceBytes(Library, RT_DIALOG, 201, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_FALSE(english.empty());
    for (const LANGID language : {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
                                  MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)}) {
        SCOPED_TRACE(language);
        EXPECT_EQ(ResourceBytes(Library, RT_DIALOG, 201, language), english);
        // The icon directory: a 6-byte header, then 14 bytes per image, largest first (0 means 256).
        const std::vector<BYTE> group = ResourceBytes(Library, RT_GROUP_ICON, 202, language);
        ASSERT_EQ(group.size(), 6u + 6 * 14);
        const BYTE sides[] = {0, 128, 48, 32, 24, 16};
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(group[6 + 14 * i], sides[i]);
            EXPECT_EQ(group[6 + 14 * i + 6], 32);  // bits per pixel
        }
    }
}

}  // namespace
