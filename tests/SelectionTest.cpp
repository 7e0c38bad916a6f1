#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dropmenu/CShlDropMenu.h"
#include "fixtures/ShellRightClick.h"
#include "menu/CShlContextMenu.h"
#include "proppage/CPropPageExt.h"
#include "selection/Applicability.h"
#include "selection/ClassifyPath.h"
#include "selection/SelectionReader.h"
#include "shellkit/FileSystemCalls.h"
#include "shellkit/HDropDataObject.h"
#include "shellkit/RegistrySandbox.h"
#include "shellkit/TempTree.h"
#include "support/RegistryValues.h"

using Microsoft::WRL::ComPtr;

namespace {

TEST(ClassifyPath, LastExtensionOfAnExistingFileOnly) {
    enum Make { File, Folder, Nothing };
    const struct {
        const wchar_t* Relative;
        Make What;
        ArchiveKind Kind;
    } cases[] = {
        // Every extension the archiver knows, in either case; then the edges.
        {L"x.zip", File, 0},   {L"x.CBZ", File, 0},   {L"x.Z01", File, 0},   {L"x.KESX", File, 1},   {L"x.kes", File, 2},
        {L"x.sea", File, 5},   {L"x.tar", File, 6},   {L"x.cbt", File, 6},   {L"x.GTAR", File, 6},   {L"x.gnutar", File, 6},
        {L"x.ustar", File, 6}, {L"x.TlZmA", File, 6}, {L"x.tgz", File, 7},   {L"x.tbz2", File, 8},   {L"x.TBZ", File, 8},
        {L"x.tz", File, 9},    {L"x.7Z", File, 10},   {L"x.lzma", File, 11}, {L"x.rar", File, 20},   {L"x.cbr", File, 20},
        {L"x.001", File, 20},  {L"x.Z", File, 21},    {L"x.gz", File, 23},   {L"x.bz2", File, 25},   {L"x.lha", File, 27},
        {L"x.LZH", File, 28},  {L"x.cab", File, 29},  {L"x.as", File, 40},   {L"x.ARC", File, 41},   {L"x.arj", File, 42},
        {L"x.b64", File, 43},  {L"x.hqx", File, 44},  {L"x.bin", File, 45},  {L"x.mime", File, 48},  {L"x.mim", File, 48},
        {L"x.MME", File, 48},  {L"x.pf", File, 52},   {L"x.uue", File, 56},  {L"x.uu", File, 56},    {L"x.yenc", File, 59},
        {L"x.ync", File, 59},  {L"x.NTX", File, 59},  {L"x.KEDX", File, 69},
        {L".zip", File, 0},           {L"backup.tar.gz", File, 23},
        {L"x.kes.hqx", File, 44},     {L"x.zipx", File, 99},        {L"x.zi", File, 99},
        {L"x.", File, 99},            {L"README", File, 99},        {L"my.dir\\README", File, 99},
        {L"old.zip", Folder, 99},     {L"gone.zip", Nothing, 99},   {L"Übersicht Ärger.ZIP", File, 0},
        {L"数据 アーカイブ.7z", File, 10}, {L"папка.rar\\документ", File, 99},
    };
    TempTree tree;
    for (const auto& c : cases) {
        const std::wstring path = c.What == File ? tree.AddFile(c.Relative)
                                  : c.What == Folder ? tree.AddFolder(c.Relative) : tree.PathOf(c.Relative);
        const SelectionItem item = ClassifyPath(path.c_str());
        EXPECT_EQ(item.Path, path);
        EXPECT_EQ(item.Kind, c.Kind) << path;
    }
}

TEST(Applicability, WritableProbeLeavesNothingBehindAndIsNotCached) {
    TempTree tree;
    const SelectionList here{{tree.AddFile(L"Ärger\\数据.zip"), 0}}, later{{tree.PathOf(L"later\\a.zip"), 0}};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsFirstFolderWritable(here));
    EXPECT_EQ(FindNames(tree.PathOf(L"Ärger"), L"*"), std::vector<std::wstring>{L"数据.zip"});

    // Neither a missing folder nor a file standing where the folder should be takes a file.
    EXPECT_FALSE(IsFirstFolderWritable(later));
    EXPECT_FALSE(IsFirstFolderWritable({{tree.UnwritableFolder() + L"\\a.zip", 0}}));
    tree.AddFolder(L"later");
    EXPECT_TRUE(IsFirstFolderWritable(later));
    EXPECT_TRUE(FindNames(tree.PathOf(L"later"), L"*").empty());
    EXPECT_FALSE(IsFirstFolderWritable({{L"a.zip", 0}}));
}

// The real handler, created as the shell creates it, with the switch under the user's key only.
TEST(ContextMenuInitialize, OnlyWhenTheSwitchReadsExactlyOne) {
    const std::wstring product = RegistryValues::ProductKey;
    const struct {
        const char* Name;
        DWORD Type;  // REG_NONE: no value; ~0u: no key
        std::vector<BYTE> Bytes;
        HRESULT Expected;
    } cases[] = {
        {"no key", ~0u, {}, E_INVALIDARG},          {"no value", REG_NONE, {}, E_INVALIDARG},
        {"0", REG_DWORD, {0, 0, 0, 0}, E_INVALIDARG}, {"2", REG_DWORD, {2, 0, 0, 0}, E_INVALIDARG},
        {"0x101", REG_DWORD, {1, 1, 0, 0}, E_INVALIDARG}, {"0x1000000", REG_DWORD, {0, 0, 0, 1}, E_INVALIDARG},
        {"64-bit 1", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, E_INVALIDARG},
        {"1", REG_DWORD, {1, 0, 0, 0}, S_OK},      {"binary 1", REG_BINARY, {1, 0, 0, 0}, S_OK},
    };
    TempTree tree;
    const std::wstring zip = tree.AddFile(L"a.zip");
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, product}, {HKEY_LOCAL_MACHINE, product}});
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, product, RegistryValues::EnableContextMenu, 1));
    for (const auto& row : cases) {
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, product);
        if (row.Type == REG_NONE) RegistrySandbox::WriteDword(HKEY_CURRENT_USER, product, L"Other", 1);
        if (row.Type != REG_NONE && row.Type != ~0u) {
            ASSERT_TRUE(RegistrySandbox::WriteValue(HKEY_CURRENT_USER, product, RegistryValues::EnableContextMenu,
                                                    row.Type, row.Bytes.data(), DWORD(row.Bytes.size())));
        }
        auto data = HDropDataObject::Create({zip});
        ComPtr<IShellExtInit> handler;
        ASSERT_EQ(CShlContextMenu::CreateInstance(nullptr, IID_PPV_ARGS(&handler)), S_OK);
        EXPECT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), row.Expected) << row.Name;
        // Switched off means the file list is not even asked for.
        EXPECT_EQ(data->MediaServed(), row.Expected == S_OK ? 1 : 0) << row.Name;
        EXPECT_EQ(data->MediaReleased(), data->MediaServed()) << row.Name;
    }
    // Switched on (the last row), an empty file list still fails.
    ComPtr<IShellExtInit> handler;
    ASSERT_EQ(CShlContextMenu::CreateInstance(nullptr, IID_PPV_ARGS(&handler)), S_OK);
    EXPECT_EQ(handler->Initialize(nullptr, MakeHDropDataObject({}).Get(), nullptr), E_INVALIDARG);
}

// A CF_HDROP block as a drag source may make it: the header (list at offset, wide or ANSI),
// each name with its NUL, then the closing NUL unless left out.
std::string DropBlock(const std::vector<std::wstring>& names, bool wide = true, bool terminated = true,
                      DWORD offset = sizeof(DROPFILES)) {
    DROPFILES header{offset, {}, FALSE, wide};
    std::string block(reinterpret_cast<const char*>(&header), sizeof(header));
    block.resize(std::max<size_t>(block.size(), offset), '\0');
    for (const std::wstring& name : names) {
        if (wide) {
            block.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * sizeof(wchar_t));
        } else {
            std::string narrow(name.size() * 2 + 1, '\0');
            narrow.resize(WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, narrow.data(), int(narrow.size()), nullptr, nullptr));
            block += narrow;
        }
    }
    if (terminated) block.append(wide ? 2 : 1, '\0');
    return block;
}

std::string WithOffset(std::string block, DWORD offset) {
    std::memcpy(block.data() + offsetof(DROPFILES, pFiles), &offset, sizeof(offset));
    return block;
}

// Blocks from a drag source, through all three real handlers: a well-formed list gives the names
// DragQueryFileW would, anything else is refused with an empty selection, never read past.
TEST(ReadSelection, EveryHandlerReadsTheBlockTheSameWay) {
    TempTree tree;
    const std::wstring zip = tree.AddFile(L"a.zip"), kes = tree.AddFile(L"b.kes");
    const std::wstring longName = tree.Path() + L"\\" + std::wstring(1030, L'n') + L".zip";
    const std::vector<std::wstring> both{zip, kes};
    const std::string wideBoth = DropBlock(both);
    // The shell's order and duplicates stay, however many names there are.
    std::vector<std::wstring> many{kes, tree.AddFolder(L"Docs"), zip, kes};
    many.resize(3000, tree.PathOf(L"missing.zip"));
    const struct {
        const char* Name;
        std::string Block;
        std::vector<std::wstring> Names;  // empty: refused
        HRESULT Page;                     // the property page, which wants one name it owns
    } cases[] = {
        {"wide", wideBoth, both, E_INVALIDARG},
        {"ANSI", DropBlock(both, false), both, E_INVALIDARG},
        {"one ANSI name", DropBlock({zip}, false), {zip}, E_FAIL},
        {"list at an odd offset", DropBlock(both, true, true, 21), both, E_INVALIDARG},
        {"3,000 names", DropBlock(many), many, E_INVALIDARG},
        {"a name of 1,030 characters", DropBlock({longName}), {longName.substr(0, 1023)}, E_INVALIDARG},
        {"an ANSI name of 1,030 characters", DropBlock({longName}, false), {longName.substr(0, 1023)}, E_INVALIDARG},
        {"no final terminator", DropBlock(both, true, false), {}, E_INVALIDARG},
        {"the last name unterminated", wideBoth.substr(0, wideBoth.size() - 4), {}, E_INVALIDARG},
        {"list offset far outside", WithOffset(wideBoth, 0x7FFFFFF0), {}, E_INVALIDARG},
        {"list offset just past the end", WithOffset(wideBoth, DWORD(wideBoth.size() + 2)), {}, E_INVALIDARG},
        {"list offset inside the header", DropBlock(both, true, true, 8), {}, E_INVALIDARG},
        {"smaller than its header", wideBoth.substr(0, sizeof(DROPFILES) - 1), {}, E_INVALIDARG},
    };
    const std::unique_ptr<ITEMIDLIST, decltype(&ILFree)> target(ILCreateFromPathW(tree.Path().c_str()), ILFree);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto serving = [&c] {
            auto data = HDropDataObject::Create({});
            data->ServeBlock(c.Block);
            return data;
        };
        SelectionList items{{L"C:\\old.zip", 0}};
        EXPECT_EQ(ReadSelection(serving().Get(), items), c.Names.empty() ? E_INVALIDARG : S_OK);
        std::vector<std::wstring> names;
        for (const SelectionItem& item : items) names.push_back(item.Path);
        EXPECT_EQ(names, c.Names);

        const HRESULT menus = c.Names.empty() ? E_INVALIDARG : S_OK;
        const std::pair<ShellRightClick::Factory, HRESULT> handlers[] = {
            {&CShlContextMenu::CreateInstance, menus}, {&CShlDropMenu::CreateInstance, menus},
            {&CPropPageExt::CreateInstance, c.Page}};
        for (const auto& [create, expected] : handlers) {
            ComPtr<IShellExtInit> handler;
            ASSERT_EQ(create(nullptr, IID_PPV_ARGS(&handler)), S_OK);
            auto data = serving();
            EXPECT_EQ(handler->Initialize(target.get(), data.Get(), nullptr), expected);
            EXPECT_EQ(data->MediaServed(), 1);
            EXPECT_EQ(data->MediaReleased(), 1);
            EXPECT_EQ(data->MediaReleasedLocked(), 0);
        }
    }
}

std::wstring Texts(const std::vector<MenuItemSnapshot>& items) {
    std::wstring texts;
    for (const MenuItemSnapshot& item : items) texts += item.Text + L"{" + Texts(item.Submenu) + L"}";
    return texts;
}

// With the shell's attributes for every item a right-click asks the file system for none; for
// fewer items than names they are not used and each item is asked once. The menu is the same.
TEST(ReadSelection, TheShellsAttributesOnlyWhenGivenForEveryItem) {
    TempTree tree;
    const std::vector<std::wstring> paths{tree.AddFile(L"a.zip"), tree.AddFolder(L"Docs"), tree.AddFile(L"c.txt"),
                                          tree.PathOf(L"gone.zip")};
    std::wstring first;
    for (const size_t given : {size_t{0}, paths.size(), paths.size() - 1}) {
        SCOPED_TRACE(given);
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(CShlContextMenu::CreateInstance(nullptr, IID_PPV_ARGS(&init)), S_OK);
        ComPtr<IContextMenu> menu;
        ASSERT_EQ(init.As(&menu), S_OK);
        auto data = HDropDataObject::Create(paths);
        if (given) data->OfferAttributes(given);
        const HMENU popup = CreatePopupMenu();
        {
            const FileSystemCalls calls;
            ASSERT_EQ(init->Initialize(nullptr, data.Get(), nullptr), S_OK);
            EXPECT_GT(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL | CMF_CANRENAME), 0);
            EXPECT_EQ(calls.Count("GetFileAttributesW"), given == paths.size() ? 0u : unsigned(paths.size()));
        }
        const std::wstring shown = Texts(SnapshotMenu(popup));
        DestroyMenu(popup);
        if (first.empty()) first = shown;
        EXPECT_EQ(shown, first);
    }
}

}  // namespace
