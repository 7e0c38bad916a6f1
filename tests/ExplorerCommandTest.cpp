// Windows 11's command tree beside the classic menu: for the same selection it shows the same
// entries, starts the same programs with the same requests and remembers the same commands; it
// hides itself where nothing of ours applies; its quick state never touches the disk; and the
// package manifest declares the class and file the library really serves.
#include <gtest/gtest.h>
#include <windows.h>
#include <msxml2.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "com/Guids.h"
#include "commands/CommandCode.h"
#include "fixtures/KestrelUserTest.h"
#include "fixtures/RememberedCodes.h"
#include "fixtures/ShellRightClick.h"
#include "fixtures/UiLanguageOverride.h"
#include "module/CKrShellExtModule.h"
#include "resources/resource.h"
#include "shellkit/CommandTree.h"
#include "shellkit/FileSystemCalls.h"
#include "shellkit/RegisteredLibrary.h"
#include "support/InstallLocations.h"

namespace {
using Microsoft::WRL::ComPtr;
namespace Reg = RegistryValues;

// The root as Explorer gets it: from the class object the library serves for the declared CLSID.
ComPtr<IExplorerCommand> NewRoot() {
    ComPtr<IClassFactory> factory;
    ComPtr<IExplorerCommand> root;
    EXPECT_EQ(CKrShellExtModule::Instance().DllGetClassObject(KrGuids::ExplorerCommand, IID_PPV_ARGS(&factory)), S_OK);
    if (factory) {
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&root)), S_OK);
    }
    return root;
}

// Explorer's array of the items. The shell makes no array without items, so none stands for it.
ComPtr<IShellItemArray> ItemsOf(const std::vector<std::wstring>& paths) {
    ComPtr<IShellItemArray> items;
    if (!paths.empty()) {
        EXPECT_EQ(ShellItemArrayOf(paths, &items), S_OK);
    }
    return items;
}

// Each menu bitmap's icon is drawn from the same picture and numbered 100 above it.
constexpr UINT IconAboveBitmap = IDI_PRODUCT - IDB_PRODUCT;

std::wstring Line(int depth, bool separator, const std::wstring& text, const std::wstring& picture,
                  const std::wstring& help) {
    const std::wstring indent(2 * depth, L' ');
    if (separator) return indent + L"----\n";
    return indent + text + L" [" + picture + L"] \"" + help + L"\"\n";
}

// Classic menu items in that form: pictures named by the icon drawn from the bitmap shown ("file"
// for a droplet's own icon), help texts as the shell asks for them.
std::wstring Render(const ShellRightClick& click, const std::vector<MenuItemSnapshot>& items, int depth) {
    std::wstring tree;
    for (const MenuItemSnapshot& item : items) {
        const UINT bitmap = item.Image ? BitmapResourceOf(item.Image, ModuleInstance()) : 0;
        const std::wstring picture = !item.Image ? L"" : bitmap ? std::to_wstring(bitmap + IconAboveBitmap) : L"file";
        wchar_t help[256] = {};
        click.Handler()->GetCommandString(item.Id - ShellRightClick::FirstId, GCS_HELPTEXTW, nullptr,
                                          reinterpret_cast<LPSTR>(help), 256);
        tree += Line(depth, item.Separator, item.Text, picture, help) + Render(click, item.Submenu, depth + 1);
    }
    return tree;
}

// The classic "Kestrel" menu as the command tree should show it: the remembered entries of the
// shell's menu first, a separator below them, then the submenu.
std::wstring ClassicTree(const ShellRightClick& click) {
    const std::vector<MenuItemSnapshot> shell = click.Snapshot();  // our separator, remembered, "Kestrel"
    if (shell.empty()) return {};
    MenuItemSnapshot kestrel = shell.back();
    std::vector<MenuItemSnapshot> children(shell.begin() + 1, shell.end() - 1);
    if (!children.empty()) {
        MenuItemSnapshot separator;
        separator.Separator = true;
        children.push_back(separator);
    }
    children.insert(children.end(), kestrel.Submenu.begin(), kestrel.Submenu.end());
    kestrel.Submenu = children;
    return Render(click, {kestrel}, 0);
}

// The command tree in the same form; an icon must be one of the library's icon resources or an
// existing file.
std::wstring Render(const CommandSnapshot& command, int depth = 0) {
    std::wstring picture;
    const std::wstring ours = ModuleFilePath() + L",-";
    if (command.Icon.starts_with(ours)) {
        const UINT id = std::stoul(command.Icon.substr(ours.size()));
        HICON icon = static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        picture = icon ? std::to_wstring(id) : L"missing " + std::to_wstring(id);
        if (icon) DestroyIcon(icon);
    } else if (!command.Icon.empty()) {
        picture = GetFileAttributesW(command.Icon.c_str()) != INVALID_FILE_ATTRIBUTES ? L"file" : L"? " + command.Icon;
    }
    std::wstring tree = Line(depth, command.Separator, command.Title, picture, command.ToolTip);
    for (const CommandSnapshot& child : command.Children) tree += Render(child, depth + 1);
    return tree;
}

std::wstring ModernTree(const std::vector<std::wstring>& paths) {
    const ComPtr<IExplorerCommand> root = NewRoot();
    if (!root) return L"no root";
    const std::optional<CommandSnapshot> tree = SnapshotCommand(root.Get(), ItemsOf(paths).Get());
    return tree ? Render(*tree) : std::wstring();
}

const std::wstring MyComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

using ExplorerCommandTest = KestrelUserTest;

// Which entries fit a selection is the menu test's business; these rows are where the tree
// could part from the classic menu: texts, pictures, submenus, remembered entries, droplets.
TEST_F(ExplorerCommandTest, ShowsWhatTheClassicKestrelMenuShows) {
    const std::wstring zip = Tree.AddFile(L"Data\\a.zip"), docs = Tree.AddFolder(L"Docs");
    Folders.AddProgram(L"Drops\\Zip It.exe");
    Folders.AddFile(L"Drops\\Mail.lnk");
    const struct {
        const char* Name;
        std::vector<std::wstring> Items;
        CommandCode Cmd1 = 0, Cmd2 = 0;
        bool Droplets = false;
    } cases[] = {
        {"one zip", {zip}},
        {"a name beyond ASCII: only the last extension goes", {Tree.AddFile(L"\u00dcbersicht \u6570\u636e \U0001F600.tar.doc")}},
        {"a zip and a folder", {zip, Tree.AddFolder(L"Data\\Sub")}},
        {"remembered verify does not fit a folder", {docs}, 7},
        {"convert remembered twice", {zip}, 6, 6},
        {"two remembered commands that fit, in their order", {zip}, 6, 1},
        {"remembered droplet without catalogue, then create", {docs}, 40, 17},
        {"droplets, one of them gone, and one remembered", {docs}, 38, 0, true},
        {"droplets are not offered for one archive", {zip}, 36, 0, true},
    };
    std::set<std::wstring> zipTrees;  // one per language
    for (const LANGID language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
        const UiLanguageOverride shown(language);
        zipTrees.insert(ModernTree({zip}));
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.Name << ", language " << language);
            Folders.Write(c.Droplets ? L"[DropSlots]\nA=%D\\Zip It.exe\nB=%D\\gone.exe\n" : nullptr,
                          c.Droplets ? L"[DropSlots]\nC=%D\\Mail.lnk\n" : nullptr);
            Remember(c.Cmd1, c.Cmd2);
            const ShellRightClick classic(c.Items);
            EXPECT_EQ(ModernTree(c.Items), ClassicTree(classic));
            EXPECT_EQ(Remembered(), std::make_pair(DWORD{c.Cmd1}, DWORD{c.Cmd2}));
        }
    }
    EXPECT_EQ(zipTrees.size(), 3u) << "the language did not change the texts";
}

// Each entry by its title, the first found depth first, as the classic menu finds an entry by its text.
void CollectEntries(const CommandSnapshot& command, std::map<std::wstring, const CommandSnapshot*>& entries) {
    for (const CommandSnapshot& child : command.Children) {
        if (child.Children.empty() && !child.Separator) entries.emplace(child.Title, &child);
        CollectEntries(child, entries);
    }
}

// Every entry of two selections chosen through each front end in turn, from the same remembered
// codes: the same codes remembered, the same programs started with the same parameters and bytes.
TEST_F(ExplorerCommandTest, InvokingAnEntryDoesWhatTheClassicEntryDoes) {
    // A missing droplet before it: the droplet's code counts every catalogue entry.
    Folders.AddProgram(L"Drops\\Zip It.exe");
    Folders.Write(L"[DropSlots]\nA=%D\\gone.exe\nB=%D\\Zip It.exe\n", nullptr);
    const struct {
        std::vector<std::wstring> Items;
        CommandCode Cmd1, Cmd2;
        size_t Entries;
    } selections[] = {
        {{Tree.AddFile(L"Data\\a.zip")}, 21, 0, 16},
        {{Tree.AddFile(L"Data\\report.doc"), Tree.AddFolder(L"Data\\Sub")}, 17, 8, 11},
    };
    size_t started = 0;
    for (const auto& selection : selections) {
        Remember(selection.Cmd1, selection.Cmd2);
        const ShellRightClick classic(selection.Items);
        const ComPtr<IShellItemArray> items = ItemsOf(selection.Items);
        const std::optional<CommandSnapshot> tree = SnapshotCommand(NewRoot().Get(), items.Get());
        ASSERT_TRUE(tree);
        std::map<std::wstring, const CommandSnapshot*> entries;
        CollectEntries(*tree, entries);
        EXPECT_EQ(entries.size(), selection.Entries);
        for (const auto& [title, entry] : entries) {
            SCOPED_TRACE(title);
            Remember(selection.Cmd1, selection.Cmd2);
            EXPECT_EQ(classic.Invoke(title), S_OK);
            const auto classicRemembered = Remembered();
            Remember(selection.Cmd1, selection.Cmd2);
            EXPECT_EQ(entry->Command->Invoke(items.Get(), nullptr), S_OK);
            EXPECT_EQ(Remembered(), classicRemembered);
            started += 2;
        }
    }
    // What each program got, with the handed file's name left out: every start through the tree
    // matches the classic start of its entry, so each one comes in pairs.
    const std::vector<StandinRecord> records = Records.WaitFor(started);
    ASSERT_EQ(records.size(), started);
    std::map<std::wstring, int> starts;
    for (const StandinRecord& record : records) {
        std::wstring parameters = record.Parameters();
        if (!record.InputFile.empty()) parameters.replace(parameters.find(record.InputFile), record.InputFile.size(), L"<file>");
        ++starts[record.Program + L" " + parameters + L"\n" + std::wstring(record.InputBytes.begin(), record.InputBytes.end())];
    }
    for (const auto& [start, count] : starts) EXPECT_EQ(count, 2) << ::testing::PrintToString(start);
    EXPECT_EQ(starts.size(), 16u + 11u);
}

// Where nothing of ours applies the root is hidden, and a command taken from it earlier runs nothing.
TEST_F(ExplorerCommandTest, HiddenWithoutFileSystemItemsOrWhenSwitchedOff) {
    const std::wstring zip = Tree.AddFile(L"Data\\a.zip");
    const struct {
        const char* Name;
        std::vector<std::wstring> Items;
        bool SwitchedOff;
    } cases[] = {
        {"switched off", {zip}, true},
        {"no file-system path", {MyComputer}, false},
        {"one item without a file-system path", {zip, MyComputer}, false},
        {"no items", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, c.SwitchedOff ? 0 : 1);
        const ComPtr<IShellItemArray> items = ItemsOf(c.Items);
        const ComPtr<IExplorerCommand> root = NewRoot();
        for (const BOOL slow : {FALSE, TRUE}) {
            EXPCMDSTATE state = ECS_ENABLED;
            EXPECT_EQ(root->GetState(items.Get(), slow, &state), S_OK);
            EXPECT_EQ(state, ECS_HIDDEN);
        }
        // "Add to Existing Archive..." is among the root's entries whatever the selection.
        ComPtr<IEnumExplorerCommand> children;
        ASSERT_EQ(root->EnumSubCommands(&children), S_OK);
        for (ComPtr<IExplorerCommand> child; children->Next(1, &child, nullptr) == S_OK; child.Reset()) {
            EXPCMDFLAGS flags = ECF_DEFAULT;
            child->GetFlags(&flags);
            if (flags == ECF_DEFAULT) {
                EXPECT_EQ(child->Invoke(items.Get(), nullptr), E_INVALIDARG);
            }
        }
        EXPECT_TRUE(Handed.Now().empty());
    }
    EXPECT_TRUE(Records.WaitFor(1, 500).empty());
}

// Explorer asks for the state on its UI thread first: no file or folder is looked at then. What
// needs the disk answers E_PENDING, and Explorer asks again off the UI thread.
TEST_F(ExplorerCommandTest, QuickStateReadsNoFileAndTheWholeTreeNoMoreThanTheClassicMenu) {
    Folders.AddProgram(L"Drops\\Zip It.exe");
    Folders.Write(L"[DropSlots]\nA=%D\\Zip It.exe\n", nullptr);
    const std::vector<std::vector<std::wstring>> selections = {
        {Tree.AddFile(L"Data\\a.zip")}, {Tree.AddFile(L"Data\\report.doc"), Tree.AddFolder(L"Data\\Sub")}};
    for (const std::vector<std::wstring>& selection : selections) {
        SCOPED_TRACE(selection.size());
        Remember(1, 36);
        const ComPtr<IShellItemArray> items = ItemsOf(selection);
        const ComPtr<IExplorerCommand> root = NewRoot();
        FileSystemCalls calls;
        ASSERT_EQ(calls.Hooked(), 7u);

        EXPCMDSTATE state = ECS_HIDDEN;
        EXPECT_EQ(root->GetState(items.Get(), FALSE, &state), S_OK);
        EXPECT_EQ(state, ECS_ENABLED);
        std::vector<ComPtr<IExplorerCommand>> pending;
        std::vector<ComPtr<IExplorerCommand>> menus = {root};
        while (!menus.empty()) {
            ComPtr<IEnumExplorerCommand> children;
            ASSERT_EQ(menus.back()->EnumSubCommands(&children), S_OK);
            menus.pop_back();
            for (ComPtr<IExplorerCommand> child; children->Next(1, &child, nullptr) == S_OK; child.Reset()) {
                EXPCMDFLAGS flags = ECF_DEFAULT;
                child->GetFlags(&flags);
                const HRESULT hr = child->GetState(items.Get(), FALSE, &state);
                if (hr == E_PENDING) pending.push_back(child);
                else if (hr == S_OK && state == ECS_ENABLED && (flags & ECF_HASSUBCOMMANDS)) menus.push_back(child);
            }
        }
        EXPECT_EQ(calls.Count(), 0u);
        ASSERT_FALSE(pending.empty());
        EXPECT_EQ(pending.front()->GetState(items.Get(), TRUE, &state), S_OK);
        EXPECT_GT(calls.Count(), 0u);  // what the counter sees, once the disk is needed

        // Reading the whole tree as Explorer does costs no more than one classic right-click.
        calls.Reset();
        const std::optional<CommandSnapshot> tree = SnapshotCommand(NewRoot().Get(), items.Get());
        const unsigned modern = calls.Count();
        calls.Reset();
        const ShellRightClick classic(selection);
        EXPECT_LE(modern, calls.Count());
    }
}

// The manifest beside the library is well-formed and declares the library's file and class for
// files and folders.
TEST(PackageManifest, DeclaresTheClassAndFileTheLibraryServes) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CLSID documentClass{};
    ASSERT_EQ(CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &documentClass), S_OK);
    ComPtr<IXMLDOMDocument2> document;
    // {2933BF95-7B36-11D2-B20E-00C04F983E60}, which the toolchain's headers do not declare.
    const IID documentInterface = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
    ASSERT_EQ(CoCreateInstance(documentClass, nullptr, CLSCTX_INPROC_SERVER, documentInterface,
                               reinterpret_cast<void**>(document.GetAddressOf())),
              S_OK);
    // Strings handed to MSXML, freed when the test ends.
    std::vector<std::unique_ptr<OLECHAR, decltype(&SysFreeString)>> strings;
    const auto bstr = [&strings](const std::wstring& text) {
        return strings.emplace_back(SysAllocString(text.c_str()), SysFreeString).get();
    };
    const auto variant = [&bstr](const std::wstring& text) {
        VARIANT value{};
        value.vt = VT_BSTR;
        value.bstrVal = bstr(text);
        return value;
    };
    const std::wstring library = LibraryPath(), file = library.substr(library.rfind(L'\\') + 1);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    EXPECT_EQ(document->load(variant(library.substr(0, library.size() - file.size()) + L"AppxManifest.xml"), &loaded), S_OK);
    ASSERT_EQ(loaded, VARIANT_TRUE) << "not well-formed";
    EXPECT_EQ(document->setProperty(bstr(L"SelectionNamespaces"),
                                    variant(L"xmlns:m='http://schemas.microsoft.com/appx/manifest/foundation/windows10' "
                                            L"xmlns:com='http://schemas.microsoft.com/appx/manifest/com/windows10' "
                                            L"xmlns:desktop4='http://schemas.microsoft.com/appx/manifest/desktop/windows10/4' "
                                            L"xmlns:desktop5='http://schemas.microsoft.com/appx/manifest/desktop/windows10/5'")),
              S_OK);
    const auto count = [&](const std::wstring& path) {
        ComPtr<IXMLDOMNodeList> nodes;
        long found = -1;
        if (document->selectNodes(bstr(path), &nodes) == S_OK) nodes->get_length(&found);
        return found;
    };

    const std::wstring id = Braced(KrGuids::ExplorerCommand).substr(1, 36);  // the manifest writes it without braces
    const std::wstring extensions = L"/m:Package/m:Applications/m:Application/m:Extensions/";
    const std::wstring server = extensions + L"com:Extension/com:ComServer/com:SurrogateServer/com:Class";
    EXPECT_EQ(count(server), 1);
    EXPECT_EQ(count(server + L"[@Id='" + id + L"' and @Path='" + file + L"']"), 1);
    const std::wstring menus = extensions + L"desktop4:Extension/desktop4:FileExplorerContextMenus/desktop5:ItemType";
    EXPECT_EQ(count(menus), 2);
    for (const std::wstring type : {L"*", L"Directory"})
        EXPECT_EQ(count(menus + L"[@Type='" + type + L"']/desktop5:Verb[@Clsid='" + id + L"']"), 1) << type;
    CoUninitialize();
}

}  // namespace
