// The status-bar help texts the shell asks for while the user moves over the menu.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>

#include "fixtures/RegistrySandbox.h"
#include "fixtures/ShellRightClick.h"
#include "fixtures/TempTree.h"
#include "commands/HelpStrings.h"
#include "support/RegistryValues.h"

namespace {

constexpr const wchar_t* Droplets = L"Droplets";

const std::map<CommandCode, const wchar_t*> HelpTexts = {
    {1, L"Extract archive file(s) into this folder"}, {2, L"Extract archive file(s) onto the desktop"},
    {3, L"Extract archive file(s) to MyArchives folder"},
    {4, L"Extract archive file(s) into folder(s) named for the archive file"},
    {5, L"Extract archive file(s) with options"}, {6, L"Convert archive file(s) to Zip or KESx"},
    {7, L"Verify the archive file's integrity"}, {8, L"Attempt to Recover a damaged archive file"},
    {11, L"Print archive content list"}, {12, L"Copy archive content list to clipboard"},
    {13, L"Save archive content list to designated file"},
    {14, L"Compute and show the MD5 descriptor of the selected file"},
    {15, L"Run Autobox Builder to make a self-extracting archive"},
    {16, L"Make a self-extracting version of the archive file(s)"},
    {17, L"Create a New Zip archive in this folder"}, {18, L"Create a New KestrelX archive in this folder"},
    {19, L"Create a New BZip2 compressed Tar archive in this folder"},
    {20, L"Start Kestrel to create a New Archive"}, {21, L"Start Kestrel to view Archive"},
    {22, L"Start Kestrel's Create New Archive wizard"}, {23, L"Start Kestrel's Create and Email wizard"},
    {24, L"Start Kestrel's Create and FTP wizard"}, {25, L"Start Kestrel's Create and Burn CD/DVD wizard"},
    {26, L"Add selected objects to an existing archive"},
    {27, L"Schedule archive creation for selected content. "},
    {29, L"Kestrel archive extract command options"}, {30, L"Kestrel archive create command options"},
    {31, L"Tools"}, {32, L"Kestrel wizard commands"}, {33, L"Kestrel custom droplet commands"},
    {34, L"Kestrel archive file create and manipulate commands"},
    {35, Droplets}, {0, Droplets}, {9, Droplets}, {10, Droplets}, {28, Droplets}, {36, Droplets}, {1000, Droplets},
    {0xFFFFFFFF, Droplets}};

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

// What each request puts into a buffer of 'x': there are no verbs, so UTF-16 verb and validation
// requests get the help text too; refused requests leave the buffer untouched.
TEST(HelpText, RequestKindsCapacityAndOffsetsThroughTheMenu) {
    RegistrySandbox registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"}};
    RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, 1);
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

}  // namespace
