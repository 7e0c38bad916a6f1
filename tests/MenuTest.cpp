#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "fixtures/HDropDataObject.h"
#include "fixtures/MenuSnapshot.h"
#include "fixtures/RegistrySandbox.h"
#include "fixtures/TempTree.h"
#include "menu/CShlContextMenu.h"
#include "menu/CommandTable.h"
#include "menu/MenuText.h"
#include "module/CKrShellExtModule.h"
#include "support/RegistryValues.h"

using Microsoft::WRL::ComPtr;

namespace {
constexpr UINT FirstId = 100;
constexpr UINT LastId = 0x7FFF;

std::wstring LoadText(UINT id) {
    wchar_t buffer[1024] = {};
    const int length = LoadStringW(ModuleInstance(), id, buffer, 1024);
    return std::wstring(buffer, length > 0 ? length : 0);
}

// The code behind a help text: every command has a help text of its own, and 217 ("Droplets")
// belongs to the separators as long as there are no droplets.
CommandCode CodeOfHelpText(const std::wstring& help) {
    for (const CommandInfo& info : CommandTable) {
        if (LoadText(info.HelpTextId) == help) return info.Code;
    }
    return 0;
}

// What the user sees, one line per item ("Text =code [image]"), submenus indented under
// their entry; the shell's own items show their text only. Codes come from the handler's
// help texts, so they check the offset-to-code mapping too.
struct MenuView {
    std::wstring Tree;
    std::map<UINT, CommandCode> CodeById;  // our items only

    // Codes in identifier order; empty when the identifiers are not first, first+1, ...
    std::vector<CommandCode> ByIdentifier() const {
        std::vector<CommandCode> codes;
        for (const auto& [id, code] : CodeById) {
            if (id != FirstId + codes.size()) return {};
            codes.push_back(code);
        }
        return codes;
    }
};

void Render(IContextMenu* handler, const std::vector<MenuItemSnapshot>& items, int depth, MenuView& view) {
    for (const MenuItemSnapshot& item : items) {
        std::wstring line(2 * depth, L' ');
        line += item.Separator ? L"----" : item.Text;
        if (item.Id >= FirstId) {
            wchar_t help[256] = {};
            handler->GetCommandString(item.Id - FirstId, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help), 256);
            const CommandCode code = CodeOfHelpText(help);
            view.CodeById[item.Id] = code;
            line += L" =" + std::to_wstring(code);
        }
        if (item.Image) {
            const UINT image = BitmapResourceOf(item.Image, ModuleInstance(),
                                                {205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 217});
            line += L" [" + (image ? std::to_wstring(image) : std::wstring(L"?")) + L"]";
        }
        view.Tree += line + L"\n";
        Render(handler, item.Submenu, depth + 1, view);
    }
}

// Images are expected only where the library has the bitmap resource.
std::wstring WithAvailableImages(std::wstring tree) {
    for (size_t open = tree.find(L" ["); open != std::wstring::npos; open = tree.find(L" [", open)) {
        const size_t close = tree.find(L']', open);
        const UINT id = std::stoul(tree.substr(open + 2, close - open - 2));
        if (HasBitmapResource(ModuleInstance(), id)) {
            open = close;
        } else {
            tree.erase(open, close - open + 1);
        }
    }
    return tree;
}

// Files left by the writable-folder probe ("111*.tmp").
std::vector<std::wstring> ProbeFilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\111*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// The shell's menu as Explorer hands it over: entries of its own, ours asked for between them.
struct ShellMenu {
    HMENU Handle = CreatePopupMenu();
    ShellMenu() {
        AppendMenuW(Handle, MF_STRING, 1, L"Open");
        AppendMenuW(Handle, MF_STRING, 2, L"Properties");
    }
    ~ShellMenu() { DestroyMenu(Handle); }
};
constexpr UINT KestrelIndex = 1;
const std::wstring UntouchedShellMenu = L"Open\nProperties\n";

struct QueryResult {
    HRESULT Result;
    MenuView View;
};

QueryResult Query(IContextMenu* handler, UINT flags = CMF_CANRENAME, UINT first = FirstId, UINT last = LastId) {
    ShellMenu menu;
    QueryResult query{handler->QueryContextMenu(menu.Handle, KestrelIndex, first, last, flags), {}};
    Render(handler, SnapshotMenu(menu.Handle), 0, query.View);
    return query;
}

// The expected shell's menu around the "Kestrel" submenu.
std::wstring OnShellMenu(const std::wstring& remembered, const std::wstring& kestrel) {
    return L"Open\n---- =35\n" + remembered + L"Kestrel =34 [205]\n" + kestrel + L"Properties\n";
}

const std::wstring SingleZip =
    L"  Open with Kestrel... =21 [205]\n"
    L"  Extract All Here =1\n"
    L"  Extract All to Desktop =2\n"
    L"  Extract All to My Archives =3\n"
    L"  Extract All to Folder named after archive =4\n"
    L"  Extract All with Options... =5\n"
    L"  Add to Existing Archive... =26\n"
    L"  ---- =35\n"
    L"  Kestrel Tools =31\n"
    L"    Convert... =6 [206]\n"
    L"    Verify =7\n"
    L"    Recover =8\n"
    L"    Archive Manifest =29\n"
    L"      Print... =11\n"
    L"      Copy to Clipboard =12\n"
    L"      Save As... =13\n"
    L"    Compute MD5 | SHA-1... =14\n"
    L"    Autobox Builder... =15 [214]\n"
    L"    Make Self-Extracting... =16 [214]\n";
const std::vector<CommandCode> SingleZipIds = {35, 21, 1, 2, 3, 4, 5, 26, 6, 7, 8, 11, 12, 13, 29, 14, 15, 16, 35, 31, 34};

const std::wstring Wizards =
    L"  Wizards =32\n"
    L"    Create New... =22 [212]\n"
    L"    Create and Email... =23 [210]\n"
    L"    Create and FTP... =24 [211]\n"
    L"    Create and Burn CD/DVD... =25 [209]\n"
    L"  Create with Kestrel... =20 [205]\n"
    L"  Add to Existing Archive... =26\n"
    L"  ---- =35\n"
    L"  Kestrel Tools =31\n";

std::wstring CreateEntries(const std::wstring& name) {
    return L"  Create " + name + L".zip =17 [213]\n  Create " + name + L".kesx =18 [207]\n";
}

const std::wstring ExtractEntries =
    L"  Extract All Here =1\n"
    L"  Extract All to Desktop =2\n"
    L"  Extract All to My Archives =3\n"
    L"  Extract All to Folder named after archive =4\n"
    L"  Extract All with Options... =5\n";

class ContextMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, 1);
        // Start with nothing remembered, whatever an earlier menu left (the sandbox restores it).
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey);
    }

    static void Remember(CommandCode cmd1, CommandCode cmd2) {
        if (cmd1) RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey, RegistryValues::Cmd1, cmd1);
        if (cmd2) RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey, RegistryValues::Cmd2, cmd2);
    }

    static std::pair<DWORD, DWORD> RecentCodes() {
        DWORD cmd1 = 0, cmd2 = 0, size = sizeof(DWORD);
        RegGetValueW(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey, RegistryValues::Cmd1, RRF_RT_REG_DWORD, nullptr,
                     &cmd1, &size);
        size = sizeof(DWORD);
        RegGetValueW(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey, RegistryValues::Cmd2, RRF_RT_REG_DWORD, nullptr,
                     &cmd2, &size);
        return {cmd1, cmd2};
    }

    // A handler initialised with these paths, as the shell does it.
    static ComPtr<IContextMenu> Handler(const std::vector<std::wstring>& paths) {
        ComPtr<IShellExtInit> init;
        EXPECT_EQ(CShlContextMenu::CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(init.GetAddressOf())),
                  S_OK);
        ComPtr<IContextMenu> menu;
        if (!init) return menu;
        EXPECT_EQ(init->Initialize(nullptr, MakeHDropDataObject(paths).Get(), nullptr), S_OK);
        init.As(&menu);
        return menu;
    }

    // Items below the tree: "name\" is a folder, "!name" lies in a folder where nothing can be
    // created (and so does not exist), anything else is a file.
    std::vector<std::wstring> Make(const std::vector<std::wstring>& items) const {
        std::vector<std::wstring> paths;
        for (const std::wstring& item : items) {
            if (item.front() == L'!') {
                paths.push_back(Tree.UnwritableFolder() + L"\\" + item.substr(1));
            } else if (item.back() == L'\\') {
                paths.push_back(Tree.AddFolder(item.substr(0, item.size() - 1)));
            } else {
                paths.push_back(Tree.AddFile(item));
            }
        }
        return paths;
    }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, RegistryValues::ProductKey}};
    TempTree Tree;
};

struct MenuCase {
    const char* Name;
    std::vector<std::wstring> Items;
    CommandCode Cmd1, Cmd2;
    std::wstring Tree;
    std::vector<CommandCode> Ids;
};

TEST_F(ContextMenuTest, MenuForEachKindOfSelection) {
    const std::vector<MenuCase> cases = {
        {"one zip", {L"Data\\a.zip"}, 0, 0, OnShellMenu(L"", SingleZip), SingleZipIds},
        {"one folder",
         {L"Docs\\"},
         0,
         0,
         OnShellMenu(L"", CreateEntries(L"Docs") + Wizards +
                              L"    Schedule Create Archive... =27 [217]\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 17, 18, 22, 23, 24, 25, 32, 20, 26, 27, 15, 35, 31, 34}},
        {"one folder in a folder that cannot be written",
         {L"!Docs"},
         0,
         0,
         OnShellMenu(L"", Wizards +
                              L"    Schedule Create Archive... =27 [217]\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 22, 23, 24, 25, 32, 20, 26, 27, 15, 35, 31, 34}},
        {"one file",
         {L"report.doc"},
         0,
         0,
         OnShellMenu(L"", CreateEntries(L"report") + Wizards +
                              L"    Schedule Create Archive... =27 [217]\n"
                              L"    Compute MD5 | SHA-1... =14\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 17, 18, 22, 23, 24, 25, 32, 20, 26, 27, 14, 15, 35, 31, 34}},
        {"one folder with a dot",
         {L"my.photos\\"},
         0,
         0,
         OnShellMenu(L"", CreateEntries(L"my.photos") + Wizards +
                              L"    Schedule Create Archive... =27 [217]\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 17, 18, 22, 23, 24, 25, 32, 20, 26, 27, 15, 35, 31, 34}},
        {"two zips",
         {L"Pack\\a.zip", L"Pack\\b.zip"},
         0,
         0,
         OnShellMenu(L"", ExtractEntries + CreateEntries(L"Pack") + Wizards +
                              L"    Convert... =6 [206]\n"
                              L"    Schedule Create Archive... =27 [217]\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 1, 2, 3, 4, 5, 17, 18, 22, 23, 24, 25, 32, 20, 26, 6, 27, 15, 35, 31, 34}},
        {"a zip and a folder",
         {L"Mixed\\a.zip", L"Mixed\\Sub\\"},
         0,
         0,
         OnShellMenu(L"", ExtractEntries + CreateEntries(L"Mixed") + Wizards +
                              L"    Convert... =6 [206]\n"
                              L"    Schedule Create Archive... =27 [217]\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 1, 2, 3, 4, 5, 17, 18, 22, 23, 24, 25, 32, 20, 26, 6, 27, 15, 35, 31, 34}},
        {"one RAR",
         {L"x.rar"},
         0,
         0,
         OnShellMenu(L"", L"  Open with Kestrel... =21 [205]\n" + ExtractEntries +
                              L"  Add to Existing Archive... =26\n"
                              L"  ---- =35\n"
                              L"  Kestrel Tools =31\n"
                              L"    Convert... =6 [206]\n"
                              L"    Compute MD5 | SHA-1... =14\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 21, 1, 2, 3, 4, 5, 26, 6, 14, 15, 35, 31, 34}},
        {"one gzip",
         {L"x.gz"},
         0,
         0,
         OnShellMenu(L"", L"  Open with Kestrel... =21 [205]\n" + ExtractEntries +
                              L"  Add to Existing Archive... =26\n"
                              L"  ---- =35\n"
                              L"  Kestrel Tools =31\n"
                              L"    Compute MD5 | SHA-1... =14\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 21, 1, 2, 3, 4, 5, 26, 14, 15, 35, 31, 34}},
        {"remembered verify does not fit a folder",
         {L"Docs\\"},
         7,
         0,
         OnShellMenu(L"", CreateEntries(L"Docs") + Wizards +
                              L"    Schedule Create Archive... =27 [217]\n"
                              L"    Autobox Builder... =15 [214]\n"),
         {35, 17, 18, 22, 23, 24, 25, 32, 20, 26, 27, 15, 35, 31, 34}},
        {"remembered open fits one zip",
         {L"a.zip"},
         21,
         0,
         OnShellMenu(L"Open with Kestrel... =21 [205]\n", SingleZip),
         {35, 21, 21, 1, 2, 3, 4, 5, 26, 6, 7, 8, 11, 12, 13, 29, 14, 15, 16, 35, 31, 34}},
        {"convert remembered twice",
         {L"a.zip"},
         6,
         6,
         OnShellMenu(L"Convert... =6 [205]\nConvert... =6 [205]\n", SingleZip),
         {35, 6, 6, 21, 1, 2, 3, 4, 5, 26, 6, 7, 8, 11, 12, 13, 29, 14, 15, 16, 35, 31, 34}},
        {"remembered create and droplet codes",
         {L"Docs\\"},
         40,
         17,
         OnShellMenu(L"Create Docs.zip =17 [213]\n", CreateEntries(L"Docs") + Wizards +
                                                         L"    Schedule Create Archive... =27 [217]\n"
                                                         L"    Autobox Builder... =15 [214]\n"),
         {35, 17, 17, 18, 22, 23, 24, 25, 32, 20, 26, 27, 15, 35, 31, 34}},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.Name);
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey);
        Remember(c.Cmd1, c.Cmd2);
        const std::vector<std::wstring> paths = Make(c.Items);
        ComPtr<IContextMenu> handler = Handler(paths);
        ASSERT_TRUE(handler);

        const QueryResult query = Query(handler.Get());
        EXPECT_EQ(query.Result, static_cast<HRESULT>(c.Ids.size()));
        EXPECT_EQ(query.View.Tree, WithAvailableImages(c.Tree));
        EXPECT_EQ(query.View.ByIdentifier(), c.Ids);
        // Remembered codes are only read.
        EXPECT_EQ(RecentCodes(), (std::pair<DWORD, DWORD>{c.Cmd1, c.Cmd2}));
        // The writable-folder probe cleans up after itself.
        EXPECT_TRUE(ProbeFilesIn(paths.front().substr(0, paths.front().rfind(L'\\'))).empty());
    }
}

TEST_F(ContextMenuTest, FlagsDecideWhetherAnythingIsAdded) {
    ComPtr<IContextMenu> handler = Handler(Make({L"a.zip"}));
    ASSERT_TRUE(handler);
    const struct {
        UINT Flags;
        HRESULT Result;
    } cases[] = {
        {CMF_CANRENAME, 21},
        {CMF_EXPLORE, 21},
        {CMF_NORMAL | CMF_EXPLORE | CMF_CANRENAME | CMF_EXTENDEDVERBS, 21},
        {CMF_NORMAL, 0},
        {CMF_DEFAULTONLY, 0},
        {CMF_VERBSONLY | CMF_NOVERBS, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Flags);
        const QueryResult query = Query(handler.Get(), c.Flags);
        EXPECT_EQ(query.Result, c.Result);
        EXPECT_EQ(query.View.Tree, c.Result ? WithAvailableImages(OnShellMenu(L"", SingleZip)) : UntouchedShellMenu);
        // A refused call keeps the codes of the menu built before it.
        wchar_t help[256] = {};
        EXPECT_EQ(handler->GetCommandString(20, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help), 256), S_OK);
        EXPECT_EQ(CodeOfHelpText(help), Cmd::KestrelMenu);
    }
}

TEST_F(ContextMenuTest, IdentifierRangeTooSmallAddsNothing) {
    ComPtr<IContextMenu> handler = Handler(Make({L"a.zip"}));
    ASSERT_TRUE(handler);
    const struct {
        UINT Last;
        HRESULT Result;
    } cases[] = {
        {FirstId + 20, 21},  // exactly the 21 identifiers the menu needs
        {FirstId + 19, 0},
        {FirstId, 0},
        {FirstId - 1, 0},
        {0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Last);
        const QueryResult query = Query(handler.Get(), CMF_CANRENAME, FirstId, c.Last);
        EXPECT_EQ(query.Result, c.Result);
        EXPECT_EQ(query.View.Tree, c.Result ? WithAvailableImages(OnShellMenu(L"", SingleZip)) : UntouchedShellMenu);
    }
}

TEST_F(ContextMenuTest, EveryQueryStartsTheCodesAfresh) {
    ComPtr<IContextMenu> handler = Handler(Make({L"a.zip"}));
    ASSERT_TRUE(handler);
    const QueryResult first = Query(handler.Get());
    const QueryResult second = Query(handler.Get());
    EXPECT_EQ(second.Result, first.Result);
    EXPECT_EQ(second.View.Tree, first.View.Tree);
    EXPECT_EQ(second.View.ByIdentifier(), SingleZipIds);
    wchar_t help[256] = {};
    EXPECT_EQ(handler->GetCommandString(first.Result, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help), 256),
              E_INVALIDARG);
}

TEST_F(ContextMenuTest, NoSelectionAddsNothing) {
    ComPtr<IContextMenu> handler;
    ASSERT_EQ(CShlContextMenu::CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(handler.GetAddressOf())),
              S_OK);
    const QueryResult query = Query(handler.Get());
    EXPECT_EQ(query.Result, 0);
    EXPECT_EQ(query.View.Tree, UntouchedShellMenu);
}

// Deletes a file made for a test outside the temporary tree.
struct ScopedFile {
    std::wstring Path;
    explicit ScopedFile(std::wstring path) : Path(std::move(path)) {
        HANDLE file = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    ~ScopedFile() { DeleteFileW(Path.c_str()); }
};

TEST_F(ContextMenuTest, ItemsDirectlyOnADriveRoot) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 2u);
    const std::wstring drive(temp, 2);  // the temporary folder's drive, "C:"
    const std::vector<std::wstring> probesBefore = ProbeFilesIn(drive);

    // Several items: the create entries are named after the drive.
    ComPtr<IContextMenu> several = Handler({drive + L"\\kr-menu-test-a", drive + L"\\kr-menu-test-b"});
    ASSERT_TRUE(several);
    const QueryResult query = Query(several.Get());
    EXPECT_EQ(query.View.Tree, WithAvailableImages(OnShellMenu(L"", CreateEntries(drive) + Wizards +
                                                                        L"    Schedule Create Archive... =27 [217]\n"
                                                                        L"    Autobox Builder... =15 [214]\n")));

    // One archive on the root: the probe runs in the root itself, so it may extract there.
    ScopedFile zip(drive + L"\\kr-menu-test.zip");
    ComPtr<IContextMenu> one = Handler({zip.Path});
    ASSERT_TRUE(one);
    const QueryResult single = Query(one.Get());
    EXPECT_EQ(single.View.Tree, WithAvailableImages(OnShellMenu(L"", SingleZip)));
    EXPECT_EQ(single.View.ByIdentifier(), SingleZipIds);

    EXPECT_EQ(ProbeFilesIn(drive), probesBefore);
}

TEST_F(ContextMenuTest, CreateTextsShowWholeNames) {
    const std::wstring longName(200, L'n');
    const struct {
        std::wstring Item;
        std::wstring Name;
    } cases[] = {
        {longName + L".doc", longName},
        {L"\u00dcbersicht \u6570\u636e \U0001F600.txt", L"\u00dcbersicht \u6570\u636e \U0001F600"},
        {L"archive.tar.doc", L"archive.tar"},
        {L"noextension", L"noextension"},
        {L"Folder.with.dots\\", L"Folder.with.dots"},
    };
    for (const auto& c : cases) {
        ComPtr<IContextMenu> handler = Handler(Make({c.Item}));
        ASSERT_TRUE(handler);
        const std::wstring tree = Query(handler.Get()).View.Tree;
        EXPECT_NE(tree.find(L"  Create " + c.Name + L".zip =17"), std::wstring::npos) << tree;
        EXPECT_NE(tree.find(L"  Create " + c.Name + L".kesx =18"), std::wstring::npos) << tree;
    }
}

}  // namespace

// No file name is long enough to need it, but a name that does is cut to fit the buffer,
// keeping the suffix and never splitting a surrogate pair.
TEST(MenuText, CutsAnOverlongName) {
    const std::wstring shown = MenuText(149, std::wstring(3000, L'n'), L".kesx").Get();
    EXPECT_EQ(shown.size(), MenuText::Capacity - 1);
    EXPECT_EQ(shown.substr(0, 8), L"Create n");
    EXPECT_EQ(shown.substr(shown.size() - 6), L"n.kesx");

    // Room for the name is 1023 - "Create " - ".kesx" = 1011 units; the 1011th is a high surrogate.
    const std::wstring split = std::wstring(1010, L'n') + L"\U0001F600" + std::wstring(10, L'n');
    const std::wstring cut = MenuText(149, split, L".kesx").Get();
    EXPECT_EQ(cut, L"Create " + std::wstring(1010, L'n') + L".kesx");
}
