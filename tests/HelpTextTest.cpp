// The status-bar help texts the shell asks for while the user moves over the menu.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "fixtures/RegistrySandbox.h"
#include "fixtures/ShellRightClick.h"
#include "fixtures/TempTree.h"
#include "menu/HelpStrings.h"
#include "support/RegistryValues.h"

namespace {

constexpr const wchar_t* Droplets = L"Droplets";

const std::map<CommandCode, const wchar_t*> HelpTexts = {
    {1, L"Extract archive file(s) into this folder"},
    {2, L"Extract archive file(s) onto the desktop"},
    {3, L"Extract archive file(s) to MyArchives folder"},
    {4, L"Extract archive file(s) into folder(s) named for the archive file"},
    {5, L"Extract archive file(s) with options"},
    {6, L"Convert archive file(s) to Zip or KESx"},
    {7, L"Verify the archive file's integrity"},
    {8, L"Attempt to Recover a damaged archive file"},
    {11, L"Print archive content list"},
    {12, L"Copy archive content list to clipboard"},
    {13, L"Save archive content list to designated file"},
    {14, L"Compute and show the MD5 descriptor of the selected file"},
    {15, L"Run Autobox Builder to make a self-extracting archive"},
    {16, L"Make a self-extracting version of the archive file(s)"},
    {17, L"Create a New Zip archive in this folder"},
    {18, L"Create a New KestrelX archive in this folder"},
    {19, L"Create a New BZip2 compressed Tar archive in this folder"},
    {20, L"Start Kestrel to create a New Archive"},
    {21, L"Start Kestrel to view Archive"},
    {22, L"Start Kestrel's Create New Archive wizard"},
    {23, L"Start Kestrel's Create and Email wizard"},
    {24, L"Start Kestrel's Create and FTP wizard"},
    {25, L"Start Kestrel's Create and Burn CD/DVD wizard"},
    {26, L"Add selected objects to an existing archive"},
    {27, L"Schedule archive creation for selected content. "},
    {29, L"Kestrel archive extract command options"},
    {30, L"Kestrel archive create command options"},
    {31, L"Tools"},
    {32, L"Kestrel wizard commands"},
    {33, L"Kestrel custom droplet commands"},
    {34, L"Kestrel archive file create and manipulate commands"},
    {35, Droplets},
    {0, Droplets},
    {9, Droplets},
    {10, Droplets},
    {28, Droplets},
    {36, Droplets},
    {37, Droplets},
    {1000, Droplets},
    {0xFFFFFFFF, Droplets},
};

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(HelpText, EveryCodeHasItsTextInUtf16AndAnsi) {
    for (const auto& [code, text] : HelpTexts) {
        SCOPED_TRACE(code);
        wchar_t wide[256];
        EXPECT_EQ(WriteHelpText(code, GCS_HELPTEXTW, reinterpret_cast<LPSTR>(wide), 256), S_OK);
        EXPECT_STREQ(wide, text);
        char narrow[256];
        EXPECT_EQ(WriteHelpText(code, GCS_HELPTEXTA, narrow, 256), S_OK);
        EXPECT_EQ(std::string(narrow), Ascii(text));
    }
}

class HelpTextMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey,
                                    RegistryValues::EnableContextMenu, 1);
    }
    void TearDown() override { CoUninitialize(); }

    static HRESULT Help(const ShellRightClick& click, UINT_PTR offset, UINT flags, void* out, UINT capacity) {
        return click.Handler()->GetCommandString(offset, flags, nullptr, static_cast<LPSTR>(out), capacity);
    }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"}};
    TempTree Tree;
};

// What the user reads in the status bar for each entry of two real menus.
TEST_F(HelpTextMenuTest, EveryMenuEntryShowsTheHelpTextOfItsCommand) {
    const std::map<std::wstring, CommandCode> codeOfText = {
        {L"Extract All Here", 1}, {L"Extract All to Desktop", 2}, {L"Extract All to My Archives", 3},
        {L"Extract All to Folder named after archive", 4}, {L"Extract All with Options...", 5},
        {L"Convert...", 6}, {L"Verify", 7}, {L"Recover", 8}, {L"Print...", 11}, {L"Copy to Clipboard", 12},
        {L"Save As...", 13}, {L"Compute MD5 | SHA-1...", 14}, {L"Autobox Builder...", 15},
        {L"Make Self-Extracting...", 16}, {L"Create Data.zip", 17}, {L"Create Data.kesx", 18},
        {L"Create with Kestrel...", 20}, {L"Open with Kestrel...", 21}, {L"Create New...", 22},
        {L"Create and Email...", 23}, {L"Create and FTP...", 24}, {L"Create and Burn CD/DVD...", 25},
        {L"Add to Existing Archive...", 26}, {L"Schedule Create Archive...", 27}, {L"Archive Manifest", 29},
        {L"Kestrel Tools", 31}, {L"Wizards", 32}, {L"Droplets", 33}, {L"Kestrel", 34}, {L"", 35},
    };
    std::map<CommandCode, int> seen;
    for (const auto& selection : {std::vector<std::wstring>{Tree.AddFile(L"Data\\a.zip")},
                                  std::vector<std::wstring>{Tree.AddFolder(L"Data\\Sub"),
                                                            Tree.AddFile(L"Data\\notes.txt")}}) {
        ShellRightClick click(selection);
        ASSERT_EQ(click.InitializeResult, S_OK);
        for (const ShellRightClick::Entry& entry : click.Entries()) {
            if (entry.Id < ShellRightClick::FirstId) continue;  // the shell's own entries
            SCOPED_TRACE(::testing::PrintToString(entry.Text));
            const auto code = codeOfText.find(entry.Text);
            ASSERT_NE(code, codeOfText.end());
            ++seen[code->second];
            const std::wstring expected = HelpTexts.at(code->second);
            const UINT offset = entry.Id - ShellRightClick::FirstId;
            wchar_t wide[256] = {};
            EXPECT_EQ(Help(click, offset, GCS_HELPTEXTW, wide, 256), S_OK);
            EXPECT_EQ(std::wstring(wide), expected);
            char narrow[256] = {};
            EXPECT_EQ(Help(click, offset, GCS_HELPTEXTA, narrow, 256), S_OK);
            EXPECT_EQ(std::string(narrow), Ascii(expected));
        }
    }
    // Both menus together hold every command the menu offers, droplets aside.
    for (CommandCode code : {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22, 23, 24, 25, 26, 27,
                             29, 31, 32, 34, 35})
        EXPECT_GT(seen[code], 0) << code;
}

TEST_F(HelpTextMenuTest, RequestKindsCapacityAndOffsets) {
    ShellRightClick archive({Tree.AddFile(L"Data\\a.zip")});
    ASSERT_EQ(archive.InitializeResult, S_OK);
    const UINT verify = archive.OffsetOf(L"Verify").value_or(0xFFFF);
    const UINT print = archive.OffsetOf(L"Print...").value_or(0xFFFF);

    // Every UTF-16 request gets the help text, verb requests too: there are no verbs.
    for (UINT flags : {GCS_HELPTEXTW, GCS_VERBW, GCS_VALIDATEW}) {
        wchar_t wide[64] = {};
        EXPECT_EQ(Help(archive, verify, flags, wide, 64), S_OK) << flags;
        EXPECT_STREQ(wide, L"Verify the archive file's integrity") << flags;
    }
    // ANSI verb and validation requests are refused, the buffer untouched.
    for (UINT flags : {GCS_VERBA, GCS_VALIDATEA}) {
        char narrow[64];
        std::memset(narrow, 'x', sizeof narrow);
        EXPECT_EQ(Help(archive, verify, flags, narrow, 64), E_INVALIDARG) << flags;
        EXPECT_EQ(narrow[0], 'x');
    }

    // A small buffer gets as much as fits, terminated.
    wchar_t wide[16];
    std::fill(std::begin(wide), std::end(wide), L'x');
    EXPECT_EQ(Help(archive, print, GCS_HELPTEXTW, wide, 10), S_OK);
    EXPECT_STREQ(wide, L"Print arc");
    EXPECT_EQ(wide[10], L'x');
    char narrow[16];
    std::memset(narrow, 'x', sizeof narrow);
    EXPECT_EQ(Help(archive, print, GCS_HELPTEXTA, narrow, 10), S_OK);
    EXPECT_STREQ(narrow, "Print arc");
    EXPECT_EQ(narrow[10], 'x');

    // Offsets past the inserted entries are refused.
    const UINT used = HRESULT_CODE(archive.QueryResult);
    for (UINT_PTR offset : {static_cast<UINT_PTR>(used), static_cast<UINT_PTR>(used) + 1, UINT_PTR(0xFFFFFFFF)}) {
        std::memset(narrow, 'x', sizeof narrow);
        EXPECT_EQ(Help(archive, offset, GCS_HELPTEXTW, narrow, 8), E_INVALIDARG) << offset;
        EXPECT_EQ(narrow[0], 'x');
    }

    // The scheduler's text keeps its final blank.
    ShellRightClick several({Tree.AddFolder(L"Data\\Sub"), Tree.AddFile(L"Data\\notes.txt")});
    wchar_t schedule[64] = {};
    EXPECT_EQ(Help(several, several.OffsetOf(L"Schedule Create Archive...").value_or(0xFFFF), GCS_HELPTEXTW,
                   schedule, 64),
              S_OK);
    EXPECT_STREQ(schedule, L"Schedule archive creation for selected content. ");
}

}  // namespace
