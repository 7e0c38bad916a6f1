// The user's droplets through the real handler: the "Droplets" submenu read from the catalogue
// files, remembered droplets on the shell's menu, and starting a droplet on the selection.
#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/KestrelUserTest.h"
#include "fixtures/RememberedCodes.h"
#include "fixtures/ShellRightClick.h"
#include "droplets/CatalogueTrust.h"
#include "shellkit/FileSystemCalls.h"
#include "shellkit/ScriptRecords.h"

namespace {

using DropletsTest = KestrelUserTest;

// "name" per entry, "(no image)" added when it lacks its 14 x 14 image.
std::wstring Describe(std::span<const MenuItemSnapshot> items) {
    std::wstring text;
    for (const MenuItemSnapshot& item : items) {
        BITMAP image{};
        const bool shown = item.Image && GetObjectW(item.Image, sizeof(image), &image) && image.bmWidth == 14 && image.bmHeight == 14;
        text += item.Text + (shown ? L"" : L" (no image)") + L"\n";
    }
    return text;
}

const std::wstring NoDropletsItem = L"(no Droplets item)";

std::wstring DropletsSubmenu(const ShellRightClick& click) {
    const std::vector<MenuItemSnapshot> menu = click.Snapshot();
    if (menu.empty()) return NoDropletsItem;
    for (const MenuItemSnapshot& item : menu.back().Submenu)
        if (item.HasSubmenu && item.Text == L"Droplets") return Describe(item.Submenu);
    return NoDropletsItem;
}

// The "Droplets" submenu, and the remembered droplets between our separator and "Kestrel" on the
// shell's menu, whose numbers count every entry of the catalogues.
TEST_F(DropletsTest, ShownInCatalogueOrderWhenTheirFilesExist) {
    for (const wchar_t* file : {L"Drops\\Zip It.lnk", L"Drops\\a.exe", L"Drops\\b.exe", L"Drops\\c.exe", L"Drops\\my.tool.exe",
                                L"Drops\\Runner", L"Drops\\Tools.old\\run", L"Drops\\\u00dcbersicht \u6570\u636e.cmd", L"Docs\\x.txt", L"a.zip"})
        Folders.AddFile(file);
    const std::wstring tooLong = L"[DropSlots]\n1=%D\\" + std::wstring(1030, L'x') + L"\n2=%D\\a.exe\n";
    const wchar_t* const secondGone = L"[DropSlots]\n1=%D\\a.exe\n2=%D\\gone.exe\n3=%D\\c.exe\n";
    // An entry's value runs past the line limit, its tail naming an existing droplet.
    const std::wstring overlongLine = L"[DropSlots]\n1=%D\\a.exe\n2=" + std::wstring(1030, L'v') + L"k=%D\\b.exe\n";
    const struct {
        const char* Name;
        const wchar_t *User, *Shared;  // nullptr: no file
        std::wstring Submenu;
        std::vector<std::wstring> Selection = {L"Docs\\"};
        DWORD Cmd1 = 0, Cmd2 = 0;
        std::wstring Remembered = L"";
    } cases[] = {
        // Wine shows every file as owned by the user who runs the menu, never by the
        // administrators: a shared catalogue reads as missing, however its entries look.
        {"the user's droplets, missing files left out; the shared file is not believed",
         L"[DropSlots]\nx=%D\\a.exe\ny=%D\\gone.exe\nz=%D\\b.exe\n", L"[DropSlots]\nx=%D\\c.exe\n", L"a\nb\n"},
        {"only shared droplets", nullptr, L"[DropSlots]\nx=%D\\c.exe\n", NoDropletsItem},
        {"names lose their last extension only",
         L"[DropSlots]\n0=%D\\Zip It.lnk\n1=%D\\my.tool.exe\n2=%D\\Runner\n3=%D\\Tools.old\\run\n4=%D\\\u00dcbersicht \u6570\u636e.cmd\n",
         nullptr, L"Zip It\nmy.tool\nRunner\nrun\n\u00dcbersicht \u6570\u636e\n"},
        {"entries but no file exists: an empty submenu", L"[DropSlots]\n1=%D\\gone.exe\n", nullptr, L""},
        {"a value too long to read", tooLong.c_str(), nullptr, L"a\n"},
        {"the rest of an overlong line is no droplet", overlongLine.c_str(), nullptr, L"a\n"},
        {"no catalogue files", nullptr, nullptr, NoDropletsItem},
        {"a single archive has no droplets submenu", L"[DropSlots]\n1=%D\\a.exe\n", nullptr, NoDropletsItem, {L"a.zip"}},
        {"several items", L"[DropSlots]\n1=%D\\a.exe\n", nullptr, L"a\n", {L"a.zip", L"Docs\\x.txt"}},
        {"remembered: the first, and the one after a missing one", secondGone, nullptr, L"a\nc\n", {L"Docs\\"}, 36, 38, L"a\nc\n"},
        {"remembered, for a single archive too", secondGone, nullptr, NoDropletsItem, {L"a.zip"}, 36, 0, L"a\n"},
        {"remembered: a missing one and one past the end", secondGone, nullptr, L"a\nc\n", {L"Docs\\"}, 37, 39},
        {"remembered: a shared one", secondGone, L"[DropSlots]\n1=%D\\b.exe\n", L"a\nc\n", {L"Docs\\"}, 39, 0},
        {"remembered codes that are no droplets", secondGone, nullptr, L"a\nc\n", {L"Docs\\"}, 35, 28},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Folders.Write(c.User, c.Shared);
        Remember(c.Cmd1, c.Cmd2);
        std::vector<std::wstring> selection;
        for (const std::wstring& item : c.Selection) selection.push_back(Folders.Tree().PathOf(item));
        const FileSystemCalls calls;
        ShellRightClick click(selection);
        ASSERT_EQ(click.InitializeResult, S_OK);
        EXPECT_LE(calls.Count("CreateFileW"), 3u) << "each catalogue file once, and the probe";
        EXPECT_EQ(DropletsSubmenu(click), c.Submenu);
        const std::vector<MenuItemSnapshot> items = click.Snapshot();
        ASSERT_TRUE(items.size() >= 2 && items.front().Separator && items.back().Text == L"Kestrel");
        EXPECT_EQ(Describe({items.begin() + 1, items.end() - 1}), c.Remembered);
        // "Kestrel" still takes the last identifier: every entry was counted.
        EXPECT_EQ(click.OffsetOf(L"Kestrel"), std::optional<UINT>(click.QueryResult - 1));
    }
}

// Numbers count every entry, so a missing droplet file moves no other droplet's code; a droplet
// gone since the menu was built starts nothing.
TEST_F(DropletsTest, ChoosingADropletStartsItWithTheSelectedPaths) {
    const std::wstring zipIt = Folders.AddProgram(L"Drops\\Zip It.exe");
    Folders.AddProgram(L"Drops\\Mail.exe");
    Folders.Write(L"[DropSlots]\nA=%D\\Zip It.exe\nB=%D\\gone.exe\nC=%D\\Mail.exe\n", nullptr);
    const std::wstring spaced = Folders.AddFile(L"My Docs\\a.txt"), plain = Folders.AddFile(L"b.txt");
    ShellRightClick click({spaced, plain});
    ASSERT_EQ(DropletsSubmenu(click), L"Zip It\nMail\n");

    size_t started = 0;
    for (const auto& c : std::initializer_list<std::pair<const wchar_t*, DWORD>>{{L"Zip It", 36}, {L"Mail", 38}}) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(click.Invoke(c.first), S_OK);
        EXPECT_EQ(Remembered().first, c.second);
        const std::vector<StandinRecord> records = Records.WaitFor(++started);
        ASSERT_EQ(records.size(), started);
        EXPECT_EQ(records.back().Program, std::wstring(c.first) + L".exe");
        // No request file: the paths are the parameters, each in quotes and followed by a blank.
        EXPECT_EQ(records.back().Parameters(), L"\"" + spaced + L"\" \"" + plain + L"\" ");
    }

    // A selection longer than a command line can carry starts nothing.
    const std::wstring longName = Folders.AddFile(L"Long\\" + std::wstring(200, L'n') + L".txt");
    ShellRightClick huge(std::vector<std::wstring>(32767 / longName.size() + 1, longName));
    EXPECT_EQ(huge.Invoke(L"Zip It"), E_FAIL);

    ASSERT_TRUE(DeleteFileW(zipIt.c_str()));
    EXPECT_EQ(click.Invoke(L"Zip It"), E_FAIL);
    Folders.Write(L"[DropSlots]\nA=%D\\Zip It.exe\n", nullptr);
    EXPECT_EQ(click.Invoke(L"Mail"), E_FAIL);
    EXPECT_EQ(Records.WaitFor(started + 1, 1000).size(), started);
}

// What a program reads from its command line, as CommandLineToArgvW splits it.
std::vector<std::wstring> ProgramArguments(const StandinRecord& record) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(record.CommandLine.c_str(), &count);
    std::vector<std::wstring> read(arguments + (count > 0 ? 1 : 0), arguments + count);
    LocalFree(arguments);
    return read;
}

// Names anybody can give a file, selected and handed to a program droplet and to a batch droplet:
// each must arrive as exactly itself. What cmd.exe expands even between quotes ("%" always, "!"
// where delayed expansion is on) starts no batch droplet at all; a program takes every name.
TEST_F(DropletsTest, EveryNameReachesTheDropletAsItself) {
    Folders.AddProgram(L"Drops\\Record program.exe");
    Folders.Tree().AddFile(L"Drops\\Record script.bat", ScriptRecords::Script());
    const ScriptRecords script;
    Folders.Write(L"[DropSlots]\nP=%D\\Record program.exe\nS=%D\\Record script.bat\n", nullptr);
    const struct {
        std::wstring Path;
        bool ThroughCommandShell;
    } names[] = {
        {L"C:\\", true},  // a backslash before the closing quote
        {Folders.AddFile(L"Names\\x&Record"), true},
        {Folders.AddFile(L"Names\\a^b.txt"), true},
        {Folders.AddFile(L"Names\\a^^b & c"), true},
        {Folders.AddFile(L"Names\\x)&echo pwned&(x"), true},
        {Folders.AddFile(L"Names\\my (1);x,y=z.txt"), true},
        {Folders.AddFile(L"Names\\two  blanks"), true},
        {Folders.Tree().AddFolder(L"Names\\dir with space") + L"\\", true},
        {Folders.AddFile(L"Names\\\u00dcbersicht \u6570\u636e.zip"), true},
        {Folders.AddFile(L"Names\\my %OS% file.txt"), false},
        {Folders.AddFile(L"Names\\100%"), false},
        {Folders.AddFile(L"Names\\wow!.txt"), false},
    };
    std::vector<std::wstring> all, carried;
    for (const auto& name : names) {
        all.push_back(name.Path);
        if (name.ThroughCommandShell) carried.push_back(name.Path);
    }
    size_t started = 0;
    const auto programGets = [&](const std::vector<std::wstring>& selection) {
        EXPECT_EQ(ShellRightClick(selection).Invoke(L"Record program"), S_OK);
        const std::vector<StandinRecord> records = Records.WaitFor(++started);
        return records.size() == started ? ProgramArguments(records.back()) : std::vector<std::wstring>{L"(not started)"};
    };
    EXPECT_EQ(programGets(all), all);
    EXPECT_EQ(ShellRightClick(carried).Invoke(L"Record script"), S_OK);
    EXPECT_EQ(script.WaitForArguments(), carried);
    for (const auto& name : names) {
        if (name.ThroughCommandShell) continue;
        SCOPED_TRACE(name.Path);
        const std::vector<std::wstring> selection{carried.front(), name.Path};
        EXPECT_EQ(programGets(selection), selection);
        EXPECT_EQ(ShellRightClick(selection).Invoke(L"Record script"), E_FAIL);
        EXPECT_EQ(script.WaitForArguments(2000), std::vector<std::wstring>{}) << "nothing started";
    }
}

// A catalogue larger than 32 MiB is not read at all, so a huge (or sparse) file cannot stall the
// menu or fill the host's memory.
TEST_F(DropletsTest, ACatalogueOver32MiBIsNotRead) {
    Folders.AddFile(L"Drops\\a.exe");
    Folders.AddFile(L"Docs\\x.txt");
    const std::wstring catalogue = Folders.Tree().PathOf(L"Local\\Tamber Soft\\DropSlots\\DropSlots.ini");
    for (const auto& [size, submenu] : {std::pair<LONGLONG, std::wstring>{32ll << 20, L"a\n"}, {(32ll << 20) + 2, NoDropletsItem}}) {
        Folders.Write(L"[DropSlots]\n1=%D\\a.exe\n", nullptr);
        const HANDLE file = CreateFileW(catalogue.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end{};
        end.QuadPart = size;
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
        EXPECT_EQ(DropletsSubmenu(ShellRightClick({Folders.Tree().PathOf(L"Docs\\")})), submenu) << size;
    }
}

// The shared catalogue's descriptors as an installer, a planter or a careless copy leave them.
TEST(SharedCatalogue, BelievedOnlyWhenOnlyAdministratorsMayChangeIt) {
    const struct {
        const wchar_t* Descriptor;  // SDDL
        bool Trusted;
    } cases[] = {
        {L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFX;;;BU)", true},
        {L"O:SYD:(A;;FA;;;SY)(A;;0x1200a9;;;WD)", true},
        {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)", true},
        {L"O:BAD:P(A;OICIIO;GA;;;CO)(A;;FA;;;BA)", true},        // only what new children inherit
        {L"O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)", true},                // a deny takes nothing
        {L"O:BAD:P", true},                                     // nobody but the owner
        {L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;SY)(A;;FA;;;BA)", false},  // planted: a user owns it
        {L"O:BUD:(A;;FA;;;SY)", false},
        {L"O:WDD:(A;;FA;;;SY)", false},
        {L"O:BAD:(A;;FA;;;BA)(A;;FW;;;BU)", false},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x2;;;AU)", false},             // write data (add a file)
        {L"O:BAD:(A;;FA;;;BA)(A;;0x4;;;BU)", false},             // append (add a folder), as ProgramData lets users
        {L"O:BAD:(A;;FA;;;BA)(A;;SD;;;WD)", false},              // delete
        {L"O:BAD:(A;;FA;;;BA)(A;;0x40;;;BU)", false},            // delete a child
        {L"O:BAD:(A;;FA;;;BA)(A;;WD;;;S-1-5-21-1-2-3-1001)", false},  // change the DACL
        {L"O:BAD:(A;;FA;;;BA)(A;;WO;;;BU)", false},              // take ownership
        {L"O:BAD:(A;;FA;;;BA)(A;;GW;;;BU)", false},
        {L"O:BAD:(A;;FA;;;BA)(A;;GA;;;IU)", false},
        {L"O:BAD:(A;;FA;;;BA)(A;;FA;;;CO)", false},              // CREATOR OWNER applying to the file itself
        {L"O:BA", false},                                       // no DACL at all
        {L"D:(A;;FA;;;BA)", false},                             // no owner
    };
    for (const auto& c : cases) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.Descriptor, SDDL_REVISION_1, &descriptor, nullptr))
            << c.Descriptor;
        EXPECT_EQ(OnlyAdministratorsMayChange(descriptor), c.Trusted) << c.Descriptor;
        LocalFree(descriptor);
    }
    EXPECT_FALSE(OnlyAdministratorsMayChange(nullptr));
    // A null DACL lets everyone in (built by hand: Wine reads "NO_ACCESS_CONTROL" as an empty DACL).
    SECURITY_DESCRIPTOR open;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    ASSERT_TRUE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION) &&
                CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
                SetSecurityDescriptorOwner(&open, administrators, FALSE) && SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
    EXPECT_FALSE(OnlyAdministratorsMayChange(&open));
}

// The shared catalogue's droplets must be local files named by their full path.
TEST(SharedCatalogue, DropletsMustBeLocalFiles) {
    const struct {
        const wchar_t* Path;
        bool Local;
    } cases[] = {
        {L"C:\\Tools\\Zip It.exe", true},   {L"d:/tools/run.cmd", true},     {L"C:\\Tools\\console.exe", true},
        {L"\\\\host\\share\\x.exe", false}, {L"//host/share/x.exe", false},   {L"\\\\?\\C:\\x.exe", false},
        {L"\\\\.\\pipe\\x", false},         {L"\\\\?\\UNC\\host\\x.exe", false}, {L"Tools\\x.exe", false},
        {L"\\Tools\\x.exe", false},         {L"C:x.exe", false},              {L"C:\\x.exe:stream", false},
        {L"C:\\Tools\\NUL", false},         {L"C:\\con.txt", false},          {L"C:\\COM1\\x.exe", false},
        {L"C:\\Tools\\lpt9 .exe", false},   {L"1:\\x.exe", false},            {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsLocalAbsolutePath(c.Path), c.Local) << c.Path;
}

}  // namespace
