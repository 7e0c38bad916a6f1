// The status-bar help texts the shell asks for while the user moves over the menu.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>

#include "fixtures/ShellRightClick.h"
#include "fixtures/TempTree.h"
#include "commands/HelpStrings.h"

namespace {

constexpr const wchar_t* Droplets = L"Droplets";

// A command of each sort (an entry, a submenu, a composed create entry, the trailing blank a
// caller appends to), and every code without a text of its own.
const std::map<CommandCode, const wchar_t*> HelpTexts = {
    {3, L"Extract archive file(s) to MyArchives folder"}, {29, L"Kestrel archive extract command options"},
    {18, L"Create a New KestrelX archive in this folder"},  {27, L"Schedule archive creation for selected content. "},
    {19, L"Create a New BZip2 compressed Tar archive in this folder"}, {31, L"Tools"},
    {35, Droplets}, {0, Droplets}, {9, Droplets}, {10, Droplets}, {28, Droplets}, {36, Droplets}, {1000, Droplets},
    {0xFFFFFFFF, Droplets}};

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(HelpText, CodesGetTheirTextsInUtf16AndAnsi) {
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
