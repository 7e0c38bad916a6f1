// The user's droplets through the real handler: the "Droplets" submenu read from the catalogue
// files, remembered droplets on the shell's menu, and starting a droplet on the selection.
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/KestrelUserTest.h"
#include "fixtures/RememberedCodes.h"
#include "fixtures/ShellRightClick.h"
#include "shellkit/FileSystemCalls.h"

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
    const wchar_t* const secondGone = L"[DropSlots]\n1=%D\\a.exe\n2=%D\\gone.exe\n";
    const struct {
        const char* Name;
        const wchar_t *User, *Shared;  // nullptr: no file
        std::wstring Submenu;
        std::vector<std::wstring> Selection = {L"Docs\\"};
        DWORD Cmd1 = 0, Cmd2 = 0;
        std::wstring Remembered = L"";
    } cases[] = {
        {"the user's droplets before the shared ones, missing files left out", L"[DropSlots]\nx=%D\\a.exe\ny=%D\\gone.exe\n",
         L"[DropSlots]\nx=%D\\b.exe\ny=%D\\gone2\nz=%D\\c.exe\n", L"a\nb\nc\n"},
        {"only shared droplets", nullptr, L"[DropSlots]\nx=%D\\c.exe\n", L"c\n"},
        {"names lose their last extension only",
         L"[DropSlots]\n0=%D\\Zip It.lnk\n1=%D\\my.tool.exe\n2=%D\\Runner\n3=%D\\Tools.old\\run\n4=%D\\\u00dcbersicht \u6570\u636e.cmd\n",
         nullptr, L"Zip It\nmy.tool\nRunner\nrun\n\u00dcbersicht \u6570\u636e\n"},
        {"entries but no file exists: an empty submenu", L"[DropSlots]\n1=%D\\gone.exe\n", L"[DropSlots]\n1=%D\\gone2\n", L""},
        {"a value too long to read", tooLong.c_str(), nullptr, L"a\n"},
        {"no catalogue files", nullptr, nullptr, NoDropletsItem},
        {"a single archive has no droplets submenu", L"[DropSlots]\n1=%D\\a.exe\n", nullptr, NoDropletsItem, {L"a.zip"}},
        {"several items", L"[DropSlots]\n1=%D\\a.exe\n", nullptr, L"a\n", {L"a.zip", L"Docs\\x.txt"}},
        {"remembered: the first, and the shared one after a missing one", secondGone, L"[DropSlots]\n1=%D\\c.exe\n",
         L"a\nc\n", {L"Docs\\"}, 36, 38, L"a\nc\n"},
        {"remembered, for a single archive too", secondGone, nullptr, NoDropletsItem, {L"a.zip"}, 36, 0, L"a\n"},
        {"remembered: a missing one and one past the end", secondGone, nullptr, L"a\n", {L"Docs\\"}, 37, 38},
        {"remembered codes that are no droplets", secondGone, nullptr, L"a\n", {L"Docs\\"}, 35, 28},
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
    Folders.AddProgram(L"Drops\\Shared.exe");
    Folders.Write(L"[DropSlots]\nA=%D\\Zip It.exe\nB=%D\\gone.exe\nC=%D\\Mail.exe\n", L"[DropSlots]\nA=%D\\Shared.exe\n");
    const std::wstring spaced = Folders.AddFile(L"My Docs\\a.txt"), plain = Folders.AddFile(L"b.txt");
    ShellRightClick click({spaced, plain});
    ASSERT_EQ(DropletsSubmenu(click), L"Zip It\nMail\nShared\n");

    size_t started = 0;
    for (const auto& c : std::initializer_list<std::pair<const wchar_t*, DWORD>>{{L"Zip It", 36}, {L"Mail", 38}, {L"Shared", 39}}) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(click.Invoke(c.first), S_OK);
        EXPECT_EQ(Remembered().first, c.second);
        const std::vector<StandinRecord> records = Records.WaitFor(++started);
        ASSERT_EQ(records.size(), started);
        EXPECT_EQ(records.back().Program, std::wstring(c.first) + L".exe");
        // No request file: the paths are the parameters, quoted when they hold a blank, each followed by one.
        EXPECT_EQ(records.back().Parameters(), L"\"" + spaced + L"\" " + plain + L" ");
    }

    // A selection longer than a command line can carry starts nothing.
    const std::wstring longName = Folders.AddFile(L"Long\\" + std::wstring(200, L'n') + L".txt");
    ShellRightClick huge(std::vector<std::wstring>(32767 / longName.size() + 1, longName));
    EXPECT_EQ(huge.Invoke(L"Zip It"), E_FAIL);

    ASSERT_TRUE(DeleteFileW(zipIt.c_str()));
    EXPECT_EQ(click.Invoke(L"Zip It"), E_FAIL);
    Folders.Write(L"[DropSlots]\nA=%D\\Zip It.exe\nB=%D\\gone.exe\nC=%D\\Mail.exe\n", nullptr);
    EXPECT_EQ(click.Invoke(L"Shared"), E_FAIL);
    EXPECT_EQ(Records.WaitFor(started + 1, 1000).size(), started);
}

}  // namespace
