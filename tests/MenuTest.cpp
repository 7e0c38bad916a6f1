// The context menu as the shell builds and reads it: entries, identifiers, images, help texts.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "commands/CommandTable.h"
#include "commands/HelpStrings.h"
#include "commands/MenuImages.h"
#include "commands/MenuText.h"
#include "fixtures/KestrelUserTest.h"
#include "fixtures/RememberedCodes.h"
#include "fixtures/ShellRightClick.h"
#include "module/CKrShellExtModule.h"
#include "shellkit/FileSystemCalls.h"
#include "shellkit/ProcessResources.h"
#include "shellkit/RegistrySandbox.h"
#include "shellkit/TempTree.h"
#include "support/RegistryValues.h"

namespace {
namespace Reg = RegistryValues;
constexpr UINT FirstId = ShellRightClick::FirstId;
constexpr UINT LastId = ShellRightClick::LastId;

// The code behind an offset's help text (0 when refused): every command has its own, the
// separators share "Droplets".
CommandCode CodeAt(const ShellRightClick& click, UINT offset) {
    wchar_t help[256] = {}, text[256];
    if (click.Handler()->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help), 256) != S_OK)
        return 0;
    for (const CommandInfo& info : CommandTable)
        if (LoadStringW(ModuleInstance(), info.HelpTextId, text, 256) > 0 && std::wcscmp(text, help) == 0)
            return info.Code;
    return 0;
}

// Our items' identifiers as sorted offsets: a menu that took n identifiers has 0 to n-1, each once.
std::vector<UINT> Offsets(const std::vector<MenuItemSnapshot>& items) {
    std::vector<UINT> offsets;
    for (const MenuItemSnapshot& item : items) {
        if (item.Id >= FirstId) offsets.push_back(item.Id - FirstId);
        for (const UINT offset : Offsets(item.Submenu)) offsets.push_back(offset);
    }
    std::sort(offsets.begin(), offsets.end());
    return offsets;
}

// What the user sees, one line per item ("Text =code [image]"), submenus indented; the shell's
// own items by text only. Codes come from the help texts, so they check each item's identifier.
std::wstring Render(const ShellRightClick& click, const std::vector<MenuItemSnapshot>& items, int depth = 0) {
    std::wstring tree;
    for (const MenuItemSnapshot& item : items) {
        tree += std::wstring(2 * depth, L' ') + (item.Separator ? L"----" : item.Text);
        if (item.Id >= FirstId) tree += L" =" + std::to_wstring(CodeAt(click, item.Id - FirstId));
        if (item.Image) {
            const UINT image = BitmapResourceOf(item.Image, ModuleInstance());
            tree += L" [" + (image ? std::to_wstring(image) : std::wstring(L"?")) + L"]";
        }
        tree += L"\n" + Render(click, item.Submenu, depth + 1);
    }
    return tree;
}
std::wstring Render(const ShellRightClick& click) { return Render(click, click.Snapshot()); }

const std::wstring UntouchedShellMenu = L"Open\nProperties\n";

// The shell's menu with our separator, the remembered entries and "Kestrel" between its own.
std::wstring OnShellMenu(const std::wstring& remembered, const std::wstring& kestrel) {
    return L"Open\n---- =35\n" + remembered + L"Kestrel =34 [205]\n" + kestrel + L"Properties\n";
}

const std::wstring Convert = L"    Convert... =6 [206]\n", Schedule = L"    Schedule Create Archive... =27 [217]\n",
                   Digest = L"    Compute MD5 | SHA-1... =14\n", Autobox = L"    Autobox Builder... =15 [214]\n";
const std::wstring ExtractEntries =
    L"  Extract All Here =1\n  Extract All to Desktop =2\n  Extract All to My Archives =3\n"
    L"  Extract All to Folder named after archive =4\n  Extract All with Options... =5\n";
const std::wstring ToolsAfter = L"  Add to Existing Archive... =26\n  ---- =35\n  Kestrel Tools =31\n";
const std::wstring OneArchive = L"  Open with Kestrel... =21 [205]\n" + ExtractEntries + ToolsAfter;
const std::wstring Verifiable = L"    Verify =7\n    Recover =8\n    Archive Manifest =29\n      Print... =11\n"
                                L"      Copy to Clipboard =12\n      Save As... =13\n";
const std::wstring SingleTgz = OneArchive + Convert + Verifiable + Digest + Autobox;
const std::wstring SingleZip = SingleTgz + L"    Make Self-Extracting... =16 [214]\n";
const std::wstring Wizards = L"  Wizards =32\n"
                             L"    Create New... =22 [212]\n"
                             L"    Create and Email... =23 [210]\n"
                             L"    Create and FTP... =24 [211]\n"
                             L"    Create and Burn CD/DVD... =25 [209]\n"
                             L"  Create with Kestrel... =20 [205]\n" +
                             ToolsAfter;

std::wstring NotOneArchive(const std::wstring& name, const std::wstring& tools = Schedule + Autobox) {
    return L"  Create " + name + L".zip =17 [213]\n  Create " + name + L".kesx =18 [207]\n" + Wizards + tools;
}

class ContextMenuTest : public ::testing::Test {
protected:
    RegistrySandbox Registry{{HKEY_CURRENT_USER, Reg::ContextMenuKey}};
    TempTree Tree;
};

TEST_F(ContextMenuTest, MenuForEachKindOfSelection) {
    const std::wstring zip = Tree.AddFile(L"Data\\a.zip"), docs = Tree.AddFolder(L"Docs");
    const std::wstring drive = Tree.Path().substr(0, 2);  // the temporary folder's, "C:"
    const std::wstring rootZip = drive + L"\\kr-menu-test.zip";
    CloseHandle(CreateFileW(rootZip.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::unique_ptr<const wchar_t, decltype(&DeleteFileW)> removedAtEnd(rootZip.c_str(), DeleteFileW);
    const std::wstring pack[] = {Tree.AddFile(L"Pack\\a.zip"), Tree.AddFile(L"Pack\\b.zip")};
    const std::wstring name = L"\u00dcbersicht \u6570\u636e \U0001F600" + std::wstring(180, L'n') + L".tar";
    // A folder longer than a temporary file name may start with: no probe file fits, nothing writes there.
    const std::wstring deepZip = Tree.AddFile(L"Deep\\" + std::wstring(240, L'd') + L"\\a.zip");
    std::wstring deepZipEntries = SingleZip;
    deepZipEntries.erase(deepZipEntries.find(L"  Extract All Here =1\n"), 22);
    const struct {
        const char* Name;
        std::vector<std::wstring> Items;
        std::wstring Tree;
        CommandCode Cmd1 = 0, Cmd2 = 0;
    } cases[] = {
        {"one zip", {zip}, OnShellMenu(L"", SingleZip)},
        {"one folder", {docs}, OnShellMenu(L"", NotOneArchive(L"Docs"))},
        {"one folder in a folder that cannot be written", {Tree.UnwritableFolder() + L"\\Docs"},
         OnShellMenu(L"", Wizards + Schedule + Autobox)},
        {"one file", {Tree.AddFile(L"report.doc")}, OnShellMenu(L"", NotOneArchive(L"report", Schedule + Digest + Autobox))},
        {"one folder with a dot", {Tree.AddFolder(L"my.photos")}, OnShellMenu(L"", NotOneArchive(L"my.photos"))},
        {"a long name beyond ASCII: only the last extension goes", {Tree.AddFile(name + L".doc")},
         OnShellMenu(L"", NotOneArchive(name, Schedule + Digest + Autobox))},
        {"no extension in a folder with a dot", {Tree.AddFile(L"my.dir\\plain")},
         OnShellMenu(L"", NotOneArchive(L"plain", Schedule + Digest + Autobox))},
        {"two zips", {pack[0], pack[1]}, OnShellMenu(L"", ExtractEntries + NotOneArchive(L"Pack", Convert + Schedule + Autobox))},
        {"a zip and a folder", {zip, Tree.AddFolder(L"Data\\Sub")},
         OnShellMenu(L"", ExtractEntries + NotOneArchive(L"Data", Convert + Schedule + Autobox))},
        {"one RAR", {Tree.AddFile(L"x.rar")}, OnShellMenu(L"", OneArchive + Convert + Digest + Autobox)},
        {"one gzip", {Tree.AddFile(L"x.gz")}, OnShellMenu(L"", OneArchive + Digest + Autobox)},
        {"one KES", {Tree.AddFile(L"old.KES")}, OnShellMenu(L"", SingleZip)},
        {"one KESX", {Tree.AddFile(L"new.kesx")}, OnShellMenu(L"", SingleZip)},
        {"one tgz", {Tree.AddFile(L"x.tgz")}, OnShellMenu(L"", SingleTgz)},
        {"a gzip and a 7z", {Tree.AddFile(L"Pack\\x.gz"), Tree.AddFile(L"Pack\\y.7z")},
         OnShellMenu(L"", ExtractEntries + NotOneArchive(L"Pack"))},
        {"first item in a folder that is gone", {Tree.PathOf(L"gone\\a.zip"), zip},
         OnShellMenu(L"", ExtractEntries.substr(ExtractEntries.find(L"  Extract All to D")) + Wizards + Convert +
                              Schedule + Autobox)},
        {"several items directly on a drive root", {drive + L"\\kr-menu-test-a", drive + L"\\kr-menu-test-b"},
         OnShellMenu(L"", NotOneArchive(drive))},
        {"one zip on a drive root, where the probe runs", {rootZip}, OnShellMenu(L"", SingleZip)},
        {"one zip in a folder too deep for a probe file", {deepZip}, OnShellMenu(L"", deepZipEntries)},
        {"nothing selected", {}, UntouchedShellMenu},
        {"remembered verify does not fit a folder", {docs}, OnShellMenu(L"", NotOneArchive(L"Docs")), 7},
        {"remembered open fits one zip", {zip}, OnShellMenu(L"Open with Kestrel... =21 [205]\n", SingleZip), 21},
        {"convert remembered twice", {zip}, OnShellMenu(L"Convert... =6 [205]\nConvert... =6 [205]\n", SingleZip), 6, 6},
        {"remembered extract here and create, which probe the same folder", {pack[0], pack[1]},
         OnShellMenu(L"Extract All Here =1 [205]\nCreate Pack.zip =17 [213]\n",
                     ExtractEntries + NotOneArchive(L"Pack", Convert + Schedule + Autobox)), 1, 17},
        {"remembered droplet without catalogue, then create", {docs},
         OnShellMenu(L"Create Docs.zip =17 [213]\n", NotOneArchive(L"Docs")), 40, 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Remember(c.Cmd1, c.Cmd2);
        ShellRightClick click(c.Items);
        const FileSystemCalls calls;
        std::vector<UINT> offsets(std::max<HRESULT>(click.Query(), 0));
        // One build probes the first item's folder once, however many entries depend on it.
        EXPECT_LE(calls.Count(FileSystemCalls::Probes), 1u);
        std::iota(offsets.begin(), offsets.end(), 0u);
        EXPECT_EQ(Offsets(click.Snapshot()), offsets);
        EXPECT_EQ(Render(click), c.Tree);
        // Remembered codes are only read, and the writable-folder probe cleans up after itself.
        EXPECT_EQ(Remembered(), std::make_pair(DWORD{c.Cmd1}, DWORD{c.Cmd2}));
        for (const std::wstring& item : c.Items) EXPECT_TRUE(FindNames(item.substr(0, item.rfind(L'\\')), L"111*.tmp").empty());
    }
}

// Each built menu starts its codes afresh (the constructor built the first); a call refused for
// its flags keeps those of the menu built before it.
TEST_F(ContextMenuTest, FlagsAndIdentifierRangeDecideWhetherAnythingIsAdded) {
    ShellRightClick click({Tree.AddFile(L"a.zip")});
    const struct {
        UINT Flags, Last;
        HRESULT Result;
    } cases[] = {
        {CMF_EXPLORE, LastId, 21},
        {CMF_NORMAL, LastId, 0},
        {CMF_DEFAULTONLY, LastId, 0},
        {CMF_EXPLORE | CMF_CANRENAME | CMF_EXTENDEDVERBS, LastId, 21},
        {CMF_CANRENAME, FirstId + 20, 21},  // exactly the 21 identifiers the menu needs
        {CMF_CANRENAME, FirstId + 19, 0},
        {CMF_CANRENAME, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "flags " << c.Flags << " last " << c.Last);
        EXPECT_EQ(click.Query(c.Flags, c.Last), c.Result);
        EXPECT_EQ(Render(click), c.Result ? OnShellMenu(L"", SingleZip) : UntouchedShellMenu);
        if (c.Last == LastId) {
            EXPECT_EQ(CodeAt(click, 20), Cmd::KestrelMenu);
        }
        EXPECT_EQ(CodeAt(click, 21), 0u);
    }
}

}  // namespace

// No file name is long enough to need it, but a name that does is cut to fit the buffer,
// keeping the suffix and never splitting a surrogate pair.
TEST(MenuText, CutsAnOverlongName) {
    // Room for the name is 1023 - "Create " - ".kesx" = 1011 units.
    EXPECT_EQ(MenuText(IDS_CREATE_WORD, std::wstring(3000, L'n'), L".kesx").Get(),
              L"Create " + std::wstring(1011, L'n') + L".kesx");
    // The 1011th unit is a high surrogate.
    const std::wstring split = std::wstring(1010, L'n') + L"\U0001F600" + std::wstring(10, L'n');
    EXPECT_EQ(MenuText(IDS_CREATE_WORD, split, L".kesx").Get(), L"Create " + std::wstring(1010, L'n') + L".kesx");
}

namespace {

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The menu table test reads every entry's help text; droplets, which it does not show, share one.
TEST(HelpText, DropletsShareOne) {
    for (const CommandCode code : {36u, 0xFFFFFFFFu}) {
        wchar_t wide[256];
        EXPECT_EQ(WriteHelpText(code, GCS_HELPTEXTW, reinterpret_cast<LPSTR>(wide), 256), S_OK);
        EXPECT_STREQ(wide, L"Droplets") << code;
    }
}

// What each request puts into a buffer of 'x': there are no verbs, so UTF-16 verb and validation
// requests get the help text too; refused requests leave the buffer untouched.
TEST(HelpText, RequestKindsCapacityAndOffsetsThroughTheMenu) {
    TempTree tree;
    ShellRightClick click({tree.AddFile(L"Data\\a.zip")});
    const UINT_PTR verify = click.OffsetOf(L"Verify").value_or(0xFFFF);
    const UINT_PTR print = click.OffsetOf(L"Print...").value_or(0xFFFF);
    const UINT_PTR count = HRESULT_CODE(click.QueryResult);
    const wchar_t* verifyHelp = L"Verify the archive file's integrity";
    const struct {
        UINT_PTR Offset;
        UINT Flags, Capacity;
        HRESULT Result;
        const wchar_t* Text;  // nullptr: untouched
    } cases[] = {
        {verify, GCS_HELPTEXTW, 64, S_OK, verifyHelp},
        {verify, GCS_VERBW, 64, S_OK, verifyHelp},
        {verify, GCS_VALIDATEW, 64, S_OK, verifyHelp},
        {verify, GCS_HELPTEXTA, 64, S_OK, verifyHelp},
        {verify, GCS_VERBA, 64, E_INVALIDARG, nullptr},
        {verify, GCS_VALIDATEA, 64, E_INVALIDARG, nullptr},
        {print, GCS_HELPTEXTW, 10, S_OK, L"Print arc"},  // cut to the capacity, terminated
        {print, GCS_HELPTEXTA, 10, S_OK, L"Print arc"},
        {count, GCS_HELPTEXTW, 64, E_INVALIDARG, nullptr},
        {0xFFFFFFFF, GCS_HELPTEXTW, 64, E_INVALIDARG, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "offset " << c.Offset << " flags " << c.Flags);
        alignas(wchar_t) char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(click.Handler()->GetCommandString(c.Offset, c.Flags, nullptr, buffer, c.Capacity), c.Result);
        const auto* wide = reinterpret_cast<const wchar_t*>(buffer);
        if (!c.Text) {
            EXPECT_EQ(buffer[0], 'x');
        } else if (c.Flags & GCS_UNICODE) {
            EXPECT_EQ(std::wstring(wide), c.Text);
            EXPECT_EQ(wide[c.Capacity], L'\x7878');  // nothing past the capacity
        } else {
            EXPECT_EQ(std::string(buffer), Ascii(c.Text));
            EXPECT_EQ(buffer[c.Capacity], 'x');
        }
    }
}

// Menu images: droplet images made from the shell's icon, and images made once per process and
// freed when the library may be unloaded.
using ImagesTest = KestrelUserTest;

void CollectImages(const std::vector<MenuItemSnapshot>& items, std::vector<HBITMAP>& images) {
    for (const MenuItemSnapshot& item : items) {
        if (item.Image) images.push_back(item.Image);
        CollectImages(item.Submenu, images);
    }
}

// A 16 x 16 32-bit icon file in quarters: opaque red top left, opaque black top right,
// transparent bottom left, opaque blue bottom right.
std::string QuarterIcon() {
    std::string bytes;
    auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    // The icon directory with its one entry (16 x 16, 32 bits, 1128 bytes from offset 22), then the
    // image's header (height doubled for the mask), all as little-endian 16-bit words.
    for (uint32_t word : {0, 1, 1, 0x1010, 0, 1, 32, 1128, 0, 22, 0, 40, 0, 16, 0, 32, 0, 1, 32, 0, 0, 1088, 0, 0, 0, 0, 0, 0, 0, 0, 0})
        put(word, 2);
    const uint32_t quarters[2][2] = {{0xFFFF0000, 0xFF000000}, {0x00000000, 0xFF0000FF}};
    for (int row = 15; row >= 0; --row)
        for (int column = 0; column < 16; ++column) put(quarters[row / 8][column / 8], 4);
    for (int row = 15; row >= 0; --row) put(row >= 8 ? 0xFF : 0x00, 1), put(0, 3);  // transparent where the mask is set
    return bytes;
}

// The icon is whitened (black and transparent pixels), scaled to 14 x 14 and laid on white.
TEST_F(ImagesTest, DropletImageIsTheFilesSmallIconOnWhite) {
    const RegistrySandbox classes{{HKEY_LOCAL_MACHINE, L"Software\\Classes\\.krdroplet"},
                                  {HKEY_LOCAL_MACHINE, L"Software\\Classes\\KrShellExtTest.Droplet"}};
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.krdroplet", nullptr, L"KrShellExtTest.Droplet");
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KrShellExtTest.Droplet\\DefaultIcon", nullptr,
                                 Folders.Tree().AddFile(L"quarters.ico", QuarterIcon()) + L",0");
    Folders.AddFile(L"Drops\\Painted.krdroplet");
    Folders.Write(L"[DropSlots]\n1=%D\\Painted.krdroplet\n", nullptr);

    ShellRightClick click({Folders.Tree().AddFolder(L"Docs")});
    const std::vector<MenuItemSnapshot> menu = click.Snapshot();
    ASSERT_FALSE(menu.empty());
    std::vector<HBITMAP> images;
    for (const MenuItemSnapshot& item : menu.back().Submenu)
        if (item.Text == L"Droplets") CollectImages(item.Submenu, images);
    ASSERT_EQ(images.size(), 1u);
    BITMAP header{};
    ASSERT_TRUE(GetObjectW(images[0], sizeof(header), &header) && header.bmWidth == 14 && header.bmHeight == 14);
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, images[0]);
    const struct {
        int X, Y;
        COLORREF Colour;
    } samples[] = {{3, 3, RGB(255, 0, 0)}, {10, 3, RGB(255, 255, 255)}, {3, 10, RGB(255, 255, 255)}, {10, 10, RGB(0, 0, 255)}};
    for (const auto& s : samples) {
        const COLORREF pixel = GetPixel(dc, s.X, s.Y);
        bool matches = true;
        for (int shift = 0; shift < 24; shift += 8) matches &= std::abs(int((pixel >> shift) & 0xFF) - int((s.Colour >> shift) & 0xFF)) <= 8;
        EXPECT_TRUE(matches) << "(" << s.X << "," << s.Y << ") is " << std::hex << pixel;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
}

// The images belong to the process: every right-click shows the same ones, a droplet file
// that changed gets a new image, and the one it replaced goes once no menu can show it. COM
// may keep the library loaded after it may unload: the others stay for the next right-click.
TEST_F(ImagesTest, ImagesAreSharedWhileTheLibraryStaysLoaded) {
    const std::wstring folder = Folders.Tree().AddFolder(L"Docs");
    for (const wchar_t* file : {L"Drops\\one.exe", L"Drops\\two.txt", L"Drops\\three"}) Folders.AddFile(file);
    Folders.Write(L"[DropSlots]\n1=%D\\one.exe\n2=%D\\two.txt\n3=%D\\three\n", nullptr);
    // The images of one right-click, taken while its menu and handler live.
    auto rightClick = [&folder] {
        ShellRightClick click({folder});
        std::vector<HBITMAP> images;
        CollectImages(click.Snapshot(), images);
        return images;
    };
    CKrShellExtModule::Instance().DllCanUnloadNow();
    rightClick();  // the shell's icon cache and ours fill on first use
    ASSERT_EQ(CKrShellExtModule::Instance().DllCanUnloadNow(), S_OK);

    const DWORD before = GdiObjectCount();
    HBITMAP probe = CreateBitmap(1, 1, 1, 1, nullptr);
    ASSERT_EQ(GdiObjectCount(), before + 1) << "GDI objects cannot be counted here";
    DeleteObject(probe);

    const std::vector<HBITMAP> first = rightClick();
    // Ten fixed images on the menu of a folder, and three droplets.
    ASSERT_EQ(first.size(), 13u);
    for (int round = 0; round < 50; ++round) ASSERT_EQ(rightClick(), first) << "round " << round;
    EXPECT_EQ(GdiObjectCount(), before);

    // A newer file, a new image; the old one stays while a menu may still show it.
    const HANDLE file = CreateFileW(Folders.Tree().PathOf(L"Drops\\two.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME later{0x12345678, 0x01D00000};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
    CloseHandle(file);
    const std::vector<HBITMAP> changed = rightClick();
    ASSERT_EQ(changed.size(), first.size());
    EXPECT_EQ(std::count_if(changed.begin(), changed.end(),
                            [&](HBITMAP image) { return std::find(first.begin(), first.end(), image) == first.end(); }),
              1);
    for (HBITMAP image : first) EXPECT_NE(GetObjectType(image), 0u);

    {
        const ShellRightClick open({folder});  // a live handler keeps everything
        EXPECT_EQ(CKrShellExtModule::Instance().DllCanUnloadNow(), S_FALSE);
        for (HBITMAP image : changed) EXPECT_NE(GetObjectType(image), 0u);
    }
    EXPECT_EQ(CKrShellExtModule::Instance().DllCanUnloadNow(), S_OK);
    for (HBITMAP image : first)
        EXPECT_EQ(GetObjectType(image) != 0, std::find(changed.begin(), changed.end(), image) != changed.end());
    EXPECT_EQ(rightClick(), changed);
    EXPECT_EQ(GdiObjectCount(), before);

    // More droplet files than the process keeps images of: the others go with their handler.
    // (Earlier tests of this process may have filled some of the cache.)
    std::wstring many = L"[DropSlots]\n";
    for (size_t i = 0; i < MenuImages::CachedDroplets + 5; ++i) {
        const std::wstring name = L"many " + std::to_wstring(i) + L".txt";
        Folders.AddFile(L"Drops\\" + name);
        many += std::to_wstring(i) + L"=%D\\" + name + L"\n";
    }
    Folders.Write(many.c_str(), nullptr);
    EXPECT_EQ(rightClick().size(), 10 + MenuImages::CachedDroplets + 5);
    const DWORD full = GdiObjectCount();
    EXPECT_LE(full, before + MenuImages::CachedDroplets - 3);
    EXPECT_EQ(rightClick().size(), 10 + MenuImages::CachedDroplets + 5);
    EXPECT_EQ(GdiObjectCount(), full);
    EXPECT_EQ(CKrShellExtModule::Instance().DllCanUnloadNow(), S_OK);
}

}  // namespace
