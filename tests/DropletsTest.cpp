// The user's droplets through the real handler: the "Droplets" submenu read from the catalogue
// files, remembered droplets on the shell's menu, and starting a droplet on the selection.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

#include "fixtures/DropletCatalogueFolders.h"
#include "fixtures/RegistrySandbox.h"
#include "fixtures/ShellRightClick.h"
#include "shellkit/StandinRecords.h"
#include "support/RegistryValues.h"

namespace {

namespace Reg = RegistryValues;

// "name" per droplet entry, "(no image)" added when it lacks its 14 x 14 image.
std::wstring Describe(const std::vector<MenuItemSnapshot>& items) {
    std::wstring text;
    for (const MenuItemSnapshot& item : items) {
        BITMAP image{};
        const bool shown = item.Image && GetObjectW(item.Image, sizeof(image), &image) && image.bmWidth == 14 &&
                           image.bmHeight == 14;
        text += item.Text + (shown ? L"" : L" (no image)") + L"\n";
    }
    return text;
}

const MenuItemSnapshot* FindSubmenu(const std::vector<MenuItemSnapshot>& items, const std::wstring& text) {
    for (const MenuItemSnapshot& item : items) {
        if (item.HasSubmenu && item.Text == text) return &item;
        if (const MenuItemSnapshot* found = FindSubmenu(item.Submenu, text)) return found;
    }
    return nullptr;
}

const std::wstring NoDropletsItem = L"(no Droplets item)";

// The entries of the "Droplets" submenu.
std::wstring DropletsSubmenu(const ShellRightClick& click) {
    const std::vector<MenuItemSnapshot> menu = click.Snapshot();
    const MenuItemSnapshot* droplets = FindSubmenu(menu, L"Droplets");
    return droplets ? Describe(droplets->Submenu) : NoDropletsItem;
}

// The remembered entries: between our separator and "Kestrel" on the shell's menu.
std::wstring RememberedEntries(const ShellRightClick& click) {
    const std::vector<MenuItemSnapshot> items = click.Snapshot();
    if (items.size() < 2 || !items.front().Separator || items.back().Text != L"Kestrel") return L"(unexpected menu)";
    return Describe({items.begin() + 1, items.end() - 1});
}

class DropletsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, 1);
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Reg::ContextMenuKey);
    }
    void TearDown() override { CoUninitialize(); }

    // Catalogue text with "%D" standing for the folder of the droplet files.
    std::wstring Catalogue(std::wstring text) const {
        const std::wstring drops = Folders.Tree().PathOf(L"Drops");
        for (size_t at = text.find(L"%D"); at != std::wstring::npos; at = text.find(L"%D", at + drops.size()))
            text.replace(at, 2, drops);
        return text;
    }
    void WriteCatalogue(const wchar_t* user, const wchar_t* shared) const {
        DeleteFileW(Folders.UserFile().c_str());
        DeleteFileW(Folders.SharedFile().c_str());
        if (user) DropletCatalogueFolders::Write(Folders.UserFile(), Catalogue(user));
        if (shared) DropletCatalogueFolders::Write(Folders.SharedFile(), Catalogue(shared));
    }

    static DWORD RecentCode() {
        DWORD code = 0, size = sizeof(code);
        RegGetValueW(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd1, RRF_RT_REG_DWORD, nullptr, &code, &size);
        return code;
    }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"}};
    DropletCatalogueFolders Folders;
    StandinRecords Records;
};

struct SubmenuCase {
    const char* Name;
    const wchar_t* User;    // nullptr: no file
    const wchar_t* Shared;  // nullptr: no file
    std::wstring Shown;
    std::vector<std::wstring> Selection = {L"Docs\\"};
};

TEST_F(DropletsTest, SubmenuShowsTheDropletsWhoseFilesExistInCatalogueOrder) {
    for (const wchar_t* file : {L"Drops\\Zip It.exe", L"Drops\\Mail.lnk", L"Drops\\a.exe", L"Drops\\b.exe",
                                L"Drops\\c.exe", L"Drops\\my.tool.exe", L"Drops\\Runner", L"Drops\\Tools.old\\run",
                                L"Drops\\\u00dcbersicht \u6570\u636e.cmd", L"Drops\\second.exe", L"Docs\\x.txt", L"a.zip"})
        Folders.AddFile(file);
    const std::wstring tooLong = L"[DropSlots]\n1=%D\\" + std::wstring(1030, L'x') + L"\n2=%D\\a.exe\n";

    const std::vector<SubmenuCase> cases = {
        {"two droplets of the user", L"[DropSlots]\nA=%D\\Zip It.exe\nB=%D\\Mail.lnk\n", nullptr, L"Zip It\nMail\n"},
        {"the user's droplets before the shared ones", L"[DropSlots]\nx=%D\\a.exe\n",
         L"[DropSlots]\nx=%D\\b.exe\ny=%D\\c.exe\n", L"a\nb\nc\n"},
        {"only shared droplets", nullptr, L"[DropSlots]\nx=%D\\c.exe\n", L"c\n"},
        {"names lose their last extension only",
         L"[DropSlots]\n1=%D\\my.tool.exe\n2=%D\\Runner\n3=%D\\Tools.old\\run\n4=%D\\\u00dcbersicht \u6570\u636e.cmd\n",
         nullptr, L"my.tool\nRunner\nrun\n\u00dcbersicht \u6570\u636e\n"},
        {"droplets whose files are missing are left out", L"[DropSlots]\n1=%D\\gone.exe\n2=%D\\a.exe\n3=%D\\gone2\n",
         nullptr, L"a\n"},
        {"entries but no file exists: an empty submenu", L"[DropSlots]\n1=%D\\gone.exe\n", L"[DropSlots]\n1=%D\\gone2\n",
         L""},
        {"other sections are not read", L"[Other]\n1=%D\\b.exe\n[DropSlots]\n1=%D\\a.exe\n[More]\n1=%D\\c.exe\n",
         nullptr, L"a\n"},
        {"the section name is compared exactly", L"[dropslots]\n1=%D\\a.exe\n", L"[DROPSLOTS]\n1=%D\\b.exe\n",
         NoDropletsItem},
        {"a value too long to read", tooLong.c_str(), nullptr, L"a\n"},
        {"a repeated key reads its later value", L"[DropSlots]\nA=%D\\a.exe\nA=%D\\second.exe\n", nullptr,
         L"second\nsecond\n"},
        {"no catalogue files", nullptr, nullptr, NoDropletsItem},
        {"a single archive has no droplets submenu", L"[DropSlots]\n1=%D\\a.exe\n", nullptr, NoDropletsItem,
         {L"a.zip"}},
        {"several items", L"[DropSlots]\n1=%D\\a.exe\n", nullptr, L"a\n", {L"a.zip", L"Docs\\x.txt"}},
    };
    for (const SubmenuCase& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteCatalogue(c.User, c.Shared);
        std::vector<std::wstring> selection;
        for (const std::wstring& item : c.Selection) selection.push_back(Folders.Tree().PathOf(item));
        ShellRightClick click(selection);
        ASSERT_EQ(click.InitializeResult, S_OK);
        EXPECT_EQ(DropletsSubmenu(click), c.Shown);
    }
}

// Numbers count every entry, so a missing droplet file moves no other droplet's code.
TEST_F(DropletsTest, ChoosingADropletStartsItWithTheSelectedPaths) {
    Folders.AddProgram(L"Drops\\Zip It.exe");
    Folders.AddProgram(L"Drops\\Mail.exe");
    Folders.AddProgram(L"Drops\\Shared.exe");
    WriteCatalogue(L"[DropSlots]\nA=%D\\Zip It.exe\nB=%D\\gone.exe\nC=%D\\Mail.exe\n", L"[DropSlots]\nA=%D\\Shared.exe\n");
    const std::wstring spaced = Folders.AddFile(L"My Docs\\a.txt");
    const std::wstring plain = Folders.AddFile(L"b.txt");
    ShellRightClick click({spaced, plain});
    ASSERT_EQ(DropletsSubmenu(click), L"Zip It\nMail\nShared\n");

    const struct {
        const wchar_t* Entry;
        DWORD Code;
        const wchar_t* Program;
    } cases[] = {{L"Zip It", 36, L"Zip It.exe"}, {L"Mail", 38, L"Mail.exe"}, {L"Shared", 39, L"Shared.exe"}};
    size_t started = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Program);
        EXPECT_EQ(click.Invoke(c.Entry), S_OK);
        EXPECT_EQ(RecentCode(), c.Code);
        const std::vector<StandinRecord> records = Records.WaitFor(++started);
        ASSERT_EQ(records.size(), started);
        EXPECT_EQ(records.back().Program, c.Program);
        // No request file: the paths are the parameters, quoted when they hold a blank, each followed by one.
        EXPECT_EQ(records.back().Parameters(), L"\"" + spaced + L"\" " + plain + L" ");
    }
}

TEST_F(DropletsTest, ADropletGoneSinceTheMenuWasBuiltStartsNothing) {
    const std::wstring zipIt = Folders.AddProgram(L"Drops\\Zip It.exe");
    Folders.AddProgram(L"Drops\\Mail.exe");
    WriteCatalogue(L"[DropSlots]\nA=%D\\Zip It.exe\nB=%D\\Mail.exe\n", nullptr);
    ShellRightClick click({Folders.AddFile(L"a.txt")});
    ASSERT_EQ(DropletsSubmenu(click), L"Zip It\nMail\n");

    ASSERT_TRUE(DeleteFileW(zipIt.c_str()));
    EXPECT_EQ(click.Invoke(L"Zip It"), E_FAIL);
    WriteCatalogue(L"[DropSlots]\nA=%D\\Zip It.exe\n", nullptr);
    EXPECT_EQ(click.Invoke(L"Mail"), E_FAIL);
    EXPECT_TRUE(Records.WaitFor(1, 1000).empty());
}

struct RememberedCase {
    const char* Name;
    DWORD Cmd1, Cmd2;
    std::wstring Shown;
    const wchar_t* Selection = L"Docs\\";
    const wchar_t* Shared = nullptr;
};

// Two droplets of the user, the second one's file missing unless a case restores it.
TEST_F(DropletsTest, RememberedDropletsStandOnTheShellMenuWhenTheyExist) {
    Folders.AddFile(L"Drops\\a.exe");
    Folders.AddFile(L"Drops\\c.exe");
    Folders.AddFile(L"Docs\\x.txt");
    Folders.AddFile(L"z.zip");
    const std::vector<RememberedCase> cases = {
        {"the first droplet", 36, 0, L"a\n"},
        {"both remembered, in order", 36, 38, L"a\nc\n", L"Docs\\", L"[DropSlots]\n1=%D\\c.exe\n"},
        {"a shared droplet", 38, 0, L"c\n", L"Docs\\", L"[DropSlots]\n1=%D\\c.exe\n"},
        {"a droplet whose file is missing", 37, 0, L""},
        {"code 38 with only two droplets", 38, 0, L""},
        {"codes below 36 name no droplet", 35, 28, L""},
        {"whatever the selection", 36, 0, L"a\n", L"z.zip"},
    };
    for (const RememberedCase& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteCatalogue(L"[DropSlots]\n1=%D\\a.exe\n2=%D\\b.exe\n", c.Shared);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd1, c.Cmd1);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd2, c.Cmd2);
        ShellRightClick click({Folders.Tree().PathOf(c.Selection)});
        EXPECT_EQ(RememberedEntries(click), c.Shown);
        // "Kestrel" still takes the last identifier: every entry was counted.
        const std::optional<UINT> kestrel = click.OffsetOf(L"Kestrel");
        ASSERT_TRUE(kestrel);
        EXPECT_EQ(static_cast<HRESULT>(*kestrel + 1), click.QueryResult);
    }
}

}  // namespace
