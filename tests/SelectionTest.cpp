#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "fixtures/HDropDataObject.h"
#include "fixtures/RegistrySandbox.h"
#include "fixtures/TempTree.h"
#include "menu/CShlContextMenu.h"
#include "selection/ClassifyPath.h"
#include "selection/SelectionReader.h"
#include "support/RegistryValues.h"

using Microsoft::WRL::ComPtr;

namespace {

struct ExtensionCase {
    const wchar_t* Extension;
    ArchiveKind Kind;
};

// Written out independently of the library's table, so a wrong or missing row shows up.
const ExtensionCase AllExtensions[] = {
    {L".zip", 0},   {L".cbz", 0},    {L".z01", 0},   {L".kesx", 1},   {L".kes", 2},    {L".sea", 5},
    {L".tar", 6},   {L".cbt", 6},    {L".gtar", 6},  {L".gnutar", 6}, {L".ustar", 6},  {L".tlzma", 6},
    {L".tgz", 7},   {L".tbz2", 8},   {L".tbz", 8},   {L".tz", 9},     {L".7z", 10},    {L".lzma", 11},
    {L".rar", 20},  {L".cbr", 20},   {L".001", 20},  {L".z", 21},     {L".gz", 23},    {L".bz2", 25},
    {L".lha", 27},  {L".lzh", 28},   {L".cab", 29},  {L".as", 40},    {L".arc", 41},   {L".arj", 42},
    {L".b64", 43},  {L".hqx", 44},   {L".bin", 45},  {L".mime", 48},  {L".mim", 48},   {L".mme", 48},
    {L".pf", 52},   {L".uue", 56},   {L".uu", 56},   {L".yenc", 59},  {L".ync", 59},   {L".ntx", 59},
    {L".kedx", 69},
};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    return text;
}

TEST(ClassifyPath, EveryExtensionInAnyCase) {
    TempTree tree;
    for (const ExtensionCase& row : AllExtensions) {
        const std::wstring lower = tree.AddFile(std::wstring(L"lower") + row.Extension);
        const std::wstring upper = tree.AddFile(L"UPPER" + Upper(row.Extension));
        EXPECT_EQ(ClassifyPath(lower.c_str()).Kind, row.Kind) << lower;
        EXPECT_EQ(ClassifyPath(upper.c_str()).Kind, row.Kind) << upper;
    }
}

enum class Make { File, Folder, Nothing };

struct NameCase {
    const wchar_t* Relative;
    Make What;
    ArchiveKind Kind;
};

TEST(ClassifyPath, TrickyNames) {
    const NameCase cases[] = {
        {L"REPORT.ZIP", Make::File, 0},
        {L"photo.Z", Make::File, 21},
        {L"x.TLZMA", Make::File, 6},
        {L"x.TlZmA", Make::File, 6},
        {L"disk.z01", Make::File, 0},
        {L"part.001", Make::File, 20},
        {L"comic.cbr", Make::File, 20},
        {L".zip", Make::File, 0},
        {L"backup.tar.gz", Make::File, 23},
        {L"backup.tgz", Make::File, 7},
        {L"x.kes.hqx", Make::File, 44},
        {L"x.zip.uu", Make::File, 56},
        {L"x.kesx.bin", Make::File, 45},
        {L"x.zip.txt", Make::File, 99},
        {L"x.zipx", Make::File, 99},    // the whole extension must match
        {L"x.zi", Make::File, 99},
        {L"x.", Make::File, 99},
        {L"README", Make::File, 99},
        {L"my.dir\\README", Make::File, 99},  // the only "." lies in a folder name
        {L"old.zip", Make::Folder, 99},
        {L"gone.zip", Make::Nothing, 99},
        {L"Übersicht Ärger.ZIP", Make::File, 0},
        {L"数据 アーカイブ.7z", Make::File, 10},
        {L"папка.rar\\документ", Make::File, 99},
    };
    TempTree tree;
    for (const NameCase& row : cases) {
        std::wstring path = tree.PathOf(row.Relative);
        if (row.What == Make::File) tree.AddFile(row.Relative);
        if (row.What == Make::Folder) tree.AddFolder(row.Relative);
        const SelectionItem item = ClassifyPath(path.c_str());
        EXPECT_EQ(item.Path, path);
        EXPECT_EQ(item.Kind, row.Kind) << path;
    }
}

TEST(ClassifyPath, FolderIsNotAnArchive) {
    TempTree tree;
    EXPECT_EQ(ClassifyPath(tree.Path().c_str()).Kind, NotAnArchive);
    EXPECT_TRUE(IsFolderPath(tree.Path()));
    EXPECT_TRUE(IsFolderPath(tree.PathOf(L"missing.zip")));  // unreadable counts as a folder
    EXPECT_FALSE(IsFolderPath(tree.AddFile(L"file.zip")));
    EXPECT_EQ(ClassifyPath(L"").Kind, NotAnArchive);
}

TEST(SelectionFolder, CutBeforeLastBackslash) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Data\\a.zip", L"C:\\Data"},
        {L"C:\\a.zip", L"C:"},
        {L"\\\\server\\share\\a.zip", L"\\\\server\\share"},
        {L"C:\\Data\\Sub\\", L"C:\\Data\\Sub"},
        {L"a.zip", L"a.zip"},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(SelectionFolder(path), folder) << path;
}

// ReadSelection as the handler uses it, with a data object that serves a real CF_HDROP block.

TEST(ReadSelection, KeepsTheShellsOrderAndDuplicates) {
    TempTree tree;
    const std::wstring folder = tree.AddFolder(L"Docs");
    const std::wstring zip = tree.AddFile(L"Docs\\b.zip");
    const std::wstring rar = tree.AddFile(L"a.rar");
    auto data = HDropDataObject::Create({zip, folder, rar, zip});
    SelectionList items;
    ASSERT_EQ(ReadSelection(data.Get(), items), S_OK);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].Path, zip);
    EXPECT_EQ(items[0].Kind, 0);
    EXPECT_EQ(items[1].Path, folder);
    EXPECT_EQ(items[1].Kind, NotAnArchive);
    EXPECT_EQ(items[2].Path, rar);
    EXPECT_EQ(items[2].Kind, 20);
    EXPECT_EQ(items[3].Path, zip);
    EXPECT_EQ(SelectionFolder(items[0].Path), folder);
    EXPECT_EQ(data->MediaServed(), 1);
    EXPECT_EQ(data->MediaReleased(), 1);
    EXPECT_EQ(data->MediaReleasedLocked(), 0);
}

TEST(ReadSelection, ReplacesAnEarlierSelection) {
    SelectionList items{{L"C:\\old.zip", 0}, {L"C:\\older.zip", 0}};
    ASSERT_EQ(ReadSelection(MakeHDropDataObject({L"C:\\new-and-missing.zip"}).Get(), items), S_OK);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Path, L"C:\\new-and-missing.zip");
    EXPECT_EQ(items[0].Kind, NotAnArchive);
}

TEST(ReadSelection, EmptyListFailsAndEmptiesTheSelection) {
    SelectionList items{{L"C:\\old.zip", 0}};
    auto data = HDropDataObject::Create({});
    EXPECT_EQ(ReadSelection(data.Get(), items), E_INVALIDARG);
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(data->MediaReleased(), 1);
    EXPECT_EQ(data->MediaReleasedLocked(), 0);
}

TEST(ReadSelection, NoFileListLeavesTheSelectionAlone) {
    for (HDropMode mode : {HDropMode::FailGetData, HDropMode::NullHandle}) {
        SelectionList items{{L"C:\\old.zip", 0}};
        auto data = HDropDataObject::Create({L"C:\\new.zip"}, mode);
        EXPECT_EQ(ReadSelection(data.Get(), items), E_INVALIDARG);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].Path, L"C:\\old.zip");
        EXPECT_EQ(data->MediaServed(), data->MediaReleased());
    }
    SelectionList items;
    EXPECT_EQ(ReadSelection(nullptr, items), E_INVALIDARG);
}

TEST(ReadSelection, LongNamesArriveCutTo1023Characters) {
    const std::wstring exact = L"C:\\" + std::wstring(1016, L'x') + L".zip";  // 1,023 characters
    const std::wstring longer = L"C:\\" + std::wstring(1500, L'y') + L".zip";
    ASSERT_EQ(exact.size(), 1023u);
    SelectionList items;
    ASSERT_EQ(ReadSelection(MakeHDropDataObject({exact, longer}).Get(), items), S_OK);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Path, exact);
    EXPECT_EQ(items[1].Path, longer.substr(0, 1023));
}

TEST(ReadSelection, NonAsciiNamesAndManyItems) {
    TempTree tree;
    const std::wstring name = tree.AddFile(L"Ärger 数据 ファイル.KESX");
    std::vector<std::wstring> paths(3000, tree.PathOf(L"missing.zip"));
    paths.front() = name;
    SelectionList items;
    ASSERT_EQ(ReadSelection(MakeHDropDataObject(paths).Get(), items), S_OK);
    ASSERT_EQ(items.size(), paths.size());
    EXPECT_EQ(items[0].Path, name);
    EXPECT_EQ(items[0].Kind, 1);
    EXPECT_EQ(items.back().Kind, NotAnArchive);
}

// The real handler, created as the shell creates it, with the switch under the user's key.

const std::wstring ProductKey = RegistryValues::ProductKey;

void SetSwitch(DWORD type, const void* bytes, DWORD size) {
    ASSERT_TRUE(RegistrySandbox::WriteValue(HKEY_CURRENT_USER, ProductKey, RegistryValues::EnableContextMenu,
                                            type, bytes, size));
}

struct SwitchCase {
    const char* Name;
    DWORD Type;  // REG_NONE: no value; ~0u: no key
    std::vector<BYTE> Bytes;
    HRESULT Expected;
};

ComPtr<IShellExtInit> NewHandler() {
    ComPtr<IShellExtInit> init;
    EXPECT_EQ(CShlContextMenu::CreateInstance(nullptr, IID_IShellExtInit,
                                              reinterpret_cast<void**>(init.GetAddressOf())),
              S_OK);
    return init;
}

TEST(ContextMenuInitialize, OnlyWhenTheSwitchReadsExactlyOne) {
    const SwitchCase cases[] = {
        {"no key", ~0u, {}, E_INVALIDARG},
        {"no value", REG_NONE, {}, E_INVALIDARG},
        {"0", REG_DWORD, {0, 0, 0, 0}, E_INVALIDARG},
        {"2", REG_DWORD, {2, 0, 0, 0}, E_INVALIDARG},
        {"0x101", REG_DWORD, {1, 1, 0, 0}, E_INVALIDARG},
        {"64-bit 1", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, E_INVALIDARG},
        {"1", REG_DWORD, {1, 0, 0, 0}, S_OK},
        {"binary 1", REG_BINARY, {1, 0, 0, 0}, S_OK},
    };
    TempTree tree;
    const std::wstring zip = tree.AddFile(L"a.zip");
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, ProductKey}});
    for (const SwitchCase& row : cases) {
        if (row.Type == ~0u) {
            RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, ProductKey);
        } else if (row.Type == REG_NONE) {
            SetSwitch(REG_DWORD, "\1\0\0\0", 4);
            RegistrySandbox::DeleteValue(HKEY_CURRENT_USER, ProductKey, RegistryValues::EnableContextMenu);
        } else {
            SetSwitch(row.Type, row.Bytes.data(), DWORD(row.Bytes.size()));
        }
        auto data = HDropDataObject::Create({zip});
        ComPtr<IShellExtInit> handler = NewHandler();
        ASSERT_TRUE(handler);
        EXPECT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), row.Expected) << row.Name;
        // Switched off means the file list is not even asked for.
        EXPECT_EQ(data->MediaServed(), row.Expected == S_OK ? 1 : 0) << row.Name;
        EXPECT_EQ(data->MediaReleased(), data->MediaServed()) << row.Name;
    }
}

TEST(ContextMenuInitialize, FailsWithoutAReadableName) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, ProductKey}});
    const DWORD on = 1;
    SetSwitch(REG_DWORD, &on, sizeof(on));
    ComPtr<IShellExtInit> handler = NewHandler();
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(handler->Initialize(nullptr, MakeHDropDataObject({}).Get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(handler->Initialize(nullptr, MakeHDropDataObject({L"C:\\x.zip"}, HDropMode::FailGetData).Get(), nullptr),
              E_INVALIDARG);
    EXPECT_EQ(handler->Initialize(nullptr, MakeHDropDataObject({L"C:\\gone\\x.zip"}).Get(), nullptr), S_OK);
}

}  // namespace
