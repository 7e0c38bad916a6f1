// The archive property page as the shell's Properties dialog meets it: the built library
// loaded and its handler made through DllGetClassObject, real CF_HDROP data objects, real
// associations in the classes root, and a real property sheet showing the page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "com/Guids.h"
#include "fixtures/LoadedLibrary.h"
#include "proppage/CapabilityCatalogue.h"
#include "resources/resource.h"
#include "shellkit/HDropDataObject.h"
#include "shellkit/RegistrySandbox.h"
#include "shellkit/TempTree.h"
#include "support/RegistryValues.h"

using Microsoft::WRL::ComPtr;

namespace {

// The heading of the block a name shows by its last extension, how many lines all its blocks
// make, and the heading of the block its two-part name shows (0: no such block).
using Shown = std::tuple<UINT, size_t, UINT>;
Shown ShownFor(std::wstring_view path) {
    const CapabilityBlocks blocks = CapabilityBlocksFor(path);
    const auto heading = [](std::span<const UINT> block) { return block.empty() ? 0u : block.front(); };
    return {heading(blocks.ByLastExtension), blocks.ByLastExtension.size() + blocks.ByTwoPartName.size(),
            heading(blocks.ByTwoPartName)};
}

TEST(CapabilityCatalogue, LastExtensionThenTwoPartNameInEitherCase) {
    // A few blocks by their last extension (the first, the last, two extensions of one block with
    // different lines), then the two-part names and names without a block.
    const std::pair<const wchar_t*, Shown> cases[] = {
        {L".kedx", {IDS_CAPS_KESX, 18, 0}}, {L".kes", {IDS_CAPS_KES, 11, 0}}, {L".001", {IDS_CAPS_RAR, 5, 0}},
        {L".tgz", {IDS_CAPS_GZIP_TAR, 9, 0}}, {L".lha", {IDS_CAPS_LHA, 5, 0}}, {L".lzh", {IDS_CAPS_LHA, 4, 0}},
        {L".ntx", {IDS_CAPS_Y_ENCODED, 4, 0}},
        {L"C:\\src.tar.gz", {IDS_CAPS_GZIP, 14, IDS_CAPS_GZIP_TAR}},
        {L"old.kes.hqx", {IDS_CAPS_HQZ, 15, IDS_CAPS_KES}}, {L"notes.KESX.HQX", {IDS_CAPS_HQZ, 22, IDS_CAPS_KESX}},
        {L"x.zip.uue", {IDS_CAPS_UU_ENCODED, 17, IDS_CAPS_ZIP}},
        {L"a.TAR.Z", {IDS_CAPS_UNIX_COMPRESS, 14, IDS_CAPS_UNIX_COMPRESSED_TAR}},
        {L".tar.bz2", {IDS_CAPS_BZIP2, 14, IDS_CAPS_BZIP2_TAR}}, {L"old.kes.bin", {0, 11, IDS_CAPS_KES}},
        {L"notes.kesx.bin", {0, 18, IDS_CAPS_KESX}}, {L"C:\\my.files\\data.gz", {IDS_CAPS_GZIP, 5, 0}},
        {L"C:\\Photos.old\\readme", {0, 0, 0}}, {L"README", {0, 0, 0}}, {L"setup.bin", {0, 0, 0}}, {L"x.", {0, 0, 0}},
        {L"", {0, 0, 0}},
    };
    for (const auto& [name, shown] : cases) {
        std::wstring upper = name;
        CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
        for (const std::wstring& path : {std::wstring(name), upper}) EXPECT_EQ(ShownFor(path), shown) << path;
    }
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    for (LRESULT i = 0, count = SendMessageW(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
        std::wstring item(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(item.c_str());
    }
    return items;
}

void PumpFor(DWORD milliseconds) {
    MSG message;
    for (const DWORD end = GetTickCount() + milliseconds; GetTickCount() < end; Sleep(10))
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// The library as Explorer uses it, with the switch on and these associations in the classes root.
class PropertySheetHandler : public LoadedLibrary {
protected:
    void SetUp() override {
        LoadedLibrary::SetUp();
        const std::pair<const wchar_t*, const wchar_t*> associations[] = {
            {L".kesx", L"Kestrel.Archive.Open.KESx"},  {L".zip", L"kestrel.archive.open.zip"},
            {L".gz", L"Kestrel.Archive.Open.Generic"}, {L".kes.bin", L"Kestrel.Archive.Open.Kes"},
            {L".tgz", L"Kestrel.Archive.Open.Tar"},    {L".rar", L"OtherArchiver.Rar"},
        };
        for (const auto& [extension, progId] : associations)
            ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CLASSES_ROOT, extension, nullptr, progId));
        RegistrySandbox::DeleteKey(HKEY_CLASSES_ROOT, L".7z");
    }

    // Initialize's result for a new handler given these paths; the handler itself in *sheet.
    HRESULT Initialize(const std::vector<std::wstring>& paths, HDropMode mode = HDropMode::Serve,
                       ComPtr<IShellPropSheetExt>* sheet = nullptr) {
        ComPtr<IClassFactory> factory;
        ComPtr<IShellExtInit> init;
        if (GetClassObject(KrGuids::PropPageExt, IID_PPV_ARGS(&factory)) != S_OK ||
            factory->CreateInstance(nullptr, IID_PPV_ARGS(&init)) != S_OK || (sheet && FAILED(init.As(sheet))))
            return E_UNEXPECTED;
        auto data = HDropDataObject::Create(paths, mode);
        const HRESULT result = init->Initialize(nullptr, data.Get(), nullptr);
        EXPECT_EQ(data->MediaReleased(), data->MediaServed());
        EXPECT_EQ(data->MediaReleasedLocked(), 0);
        return result;
    }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, RegistryValues::ProductKey}, {HKEY_CLASSES_ROOT, L".kesx"},
                             {HKEY_CLASSES_ROOT, L".zip"}, {HKEY_CLASSES_ROOT, L".gz"}, {HKEY_CLASSES_ROOT, L".kes.bin"},
                             {HKEY_CLASSES_ROOT, L".tgz"}, {HKEY_CLASSES_ROOT, L".rar"}, {HKEY_CLASSES_ROOT, L".7z"}};
    TempTree Tree;
};

TEST_F(PropertySheetHandler, OnlyOneReadableFileTheArchiverOwnsNow) {
    const std::wstring a = Tree.AddFile(L"a.kesx");
    // Paths of 1,023 characters fit the buffer; one more does not and is refused, not cut.
    const std::wstring fits = L"C:\\" + std::wstring(1015, L'x') + L".kesx";
    const struct {
        std::vector<std::wstring> Paths;
        HRESULT Expected;
        HDropMode Mode = HDropMode::Serve;
    } cases[] = {
        {{a}, S_OK},
        {{Tree.AddFile(L"Report.ZIP")}, S_OK},   // both the extension and the ProgID ignore case
        {{Tree.AddFile(L"data.tar.gz")}, S_OK},  // judged by ".gz"
        {{Tree.AddFile(L"data.tgz")}, S_OK},     // a Tar ProgID, not the generic one
        {{Tree.AddFile(L"old.kes.bin")}, S_OK},  // ".bin" is unknown: the two-part name decides
        {{Tree.PathOf(L"gone.kesx")}, S_OK},     // judged by its name only
        {{fits}, S_OK},
        {{Tree.AddFile(L"b.rar")}, E_FAIL},  // another program owns ".rar"
        {{Tree.AddFile(L"c.7z")}, E_FAIL},   // nobody does
        {{Tree.AddFile(L"setup.bin")}, E_FAIL},
        {{Tree.AddFile(L"README")}, E_FAIL},
        {{Tree.AddFile(L"Photos.old\\readme")}, E_FAIL},
        {{Tree.AddFolder(L"backup.zip")}, E_FAIL},
        {{fits.substr(0, 3) + L"y" + fits.substr(3)}, E_INVALIDARG},
        {{a, Tree.AddFile(L"b.kesx")}, E_INVALIDARG},
        {{}, E_INVALIDARG},
        {{a}, E_INVALIDARG, HDropMode::FailGetData},
        {{a}, E_INVALIDARG, HDropMode::NullHandle},
    };
    for (const auto& c : cases) EXPECT_EQ(Initialize(c.Paths, c.Mode), c.Expected) << ::testing::PrintToString(c.Paths);
    // Switched off, no page at all.
    RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, 2);
    EXPECT_EQ(Initialize({a}), E_INVALIDARG);
}

TEST_F(PropertySheetHandler, AcceptedPageShowsFileAndCapabilitiesAndHoldsTheLibrary) {
    std::vector<HPROPSHEETPAGE> pages;
    {
        ComPtr<IShellPropSheetExt> handler;
        ASSERT_EQ(Initialize({Tree.AddFile(L"Übersicht.tar.gz")}, HDropMode::Serve, &handler), S_OK);
        const LPFNADDPROPSHEETPAGE accept = [](HPROPSHEETPAGE page, LPARAM pages) -> BOOL {
            reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
            return TRUE;
        };
        EXPECT_EQ(handler->AddPages(accept, reinterpret_cast<LPARAM>(&pages)), S_OK);
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
    SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tab));
    EXPECT_STREQ(text, L"Kestrel archive");
    const HWND fileLine = GetDlgItem(page, IDC_PAGE_FILE_LINE), list = GetDlgItem(page, IDC_PAGE_CAPABILITIES);
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

}  // namespace
