#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "fixtures/TempTree.h"
#include "support/CIniFile.h"

using namespace std::string_literals;

namespace {

std::string Utf16(const std::wstring& text, bool mark = true) {
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

// The whole model as "[name]<key>=<value>..." so blanks and separators stay visible.
std::wstring Dump(const CIniFile& ini) {
    std::wstring text;
    for (const auto& section : ini.Sections()) {
        text += L"[" + section->Name + L"]";
        for (const auto& entry : section->Entries) text += L"<" + entry.Key + L">=<" + entry.Value + L">";
    }
    return text;
}

TEST(IniFile, ReadsWhatTheRuntimeHandsOver) {
    const std::wstring x1021(1021, L'x'), x1020(1020, L'x'), z475(475, L'z');
    const struct {
        std::string Bytes;
        std::wstring Model;
    } cases[] = {
        // Nothing before the first section, no line without "=", no trimming; a name runs to the last "]".
        {Utf16(L"a=1\r\njunk\r\n\r\n[S] x]\r\nKey = V \r\nk=b=c\r\n;c=d\r\n=e\r\n[s]\r\nK=1\r\nK=2"),
         L"[S] x]<Key >=< V ><k>=<b=c><;c>=<d><>=<e>[s]<K>=<1><K>=<2>"},
        {Utf16(L"[S]\r\na=1\r\n", false), L"[S]<a>=<1>"},
        {Utf16(L"[S]\na=1\rb=2\nc=3\n"), L"[S]<a>=<1\rb=2><c>=<3>"},
        {"\xEF\xBB\xBF[Gr\xC3\xBC\xC3\x9F" "e]\r\nk=\xE6\x97\xA5\r\n", L"[Gr\u00FC\u00DFe]<k>=<\u65E5>"},
        {Utf16(L"[Sec\r\nk=v\r\n"), L"[Sec\n]<k>=<v>"},
        {"", L""},
        {"\xFF\xFE", L""},
        // Lines arrive in pieces of at most 1,023 characters, each taken as a line of its own.
        {Utf16(L"[S]\r\nk=" + x1020 + L"\r\nm=1\r\n"), L"[S]<k>=<" + x1020 + L"><m>=<1>"},
        {Utf16(L"[S]\r\nk=" + x1021 + L"y=" + z475 + L"\r\n"), L"[S]<k>=<" + x1021 + L"><y>=<" + z475 + L">"},
        {Utf16(L"[S]\r\nk=" + std::wstring(99998, L'x') + L"\r\nz=1\r\n"), L"[S]<k>=<" + x1021 + L"><z>=<1>"},
        {Utf16(L"[S]\r\nlong=" + std::wstring(2000, L'v') + L"\r\nn=1\r\n"),
         L"[S]<long>=<" + std::wstring(1018, L'v') + L"><n>=<1>"},
        {Utf16(L"[A\0]\r\na=b\0c=d\r\n\0x=y\r\ne=f\r\n"s), L"[A]<a>=<b><e>=<f>"},  // a NUL ends the line's text
        {Utf16(L"[S]\r\na=12") + "A", L"[S]<a>=<12>"},                         // an odd last byte is dropped
    };
    TempTree tree;
    for (const auto& [bytes, model] : cases) EXPECT_EQ(Dump(CIniFile(tree.AddFile(L"in.ini", bytes).c_str())), model);
}

TEST(IniFile, FirstSectionLastKey) {
    TempTree tree;
    CIniFile ini(tree.AddFile(L"dup.ini", Utf16(L"[S]\nx=1\nx=22\nKey =abcde\n[S]\nx=9\n", false)).c_str());
    const struct {
        const wchar_t *Section, *Key;
        size_t Capacity;
        const wchar_t* Expected;  // nullptr: fails, buffer untouched
    } cases[] = {
        {L"S", L"x", 3, L"22"},       {L"S", L"x", 2, nullptr},    {L"S", L"Key ", 6, L"abcde"},
        {L"S", L"Key ", 5, nullptr},  {L"S", L"Key", 9, nullptr},  {L"s", L"x", 9, nullptr},
        {L"S", L"y", 9, nullptr},     {L"S", L"x", 0, nullptr},
    };
    for (const auto& c : cases) {
        wchar_t buffer[9];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        EXPECT_EQ(ini.GetString(c.Section, c.Key, buffer, c.Capacity), c.Expected != nullptr) << c.Key << c.Capacity;
        const std::wstring copied = c.Expected ? c.Expected + L"\0"s : L"";
        EXPECT_EQ(std::wstring(buffer, 9), copied + std::wstring(9 - copied.size(), L'#')) << c.Key << c.Capacity;
    }
    std::vector<std::wstring> keys;
    for (const wchar_t* key = ini.FirstKey(L"S"); key; key = ini.NextKey()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"x", L"x", L"Key "}));
    EXPECT_EQ(ini.FirstKey(L"Missing"), nullptr);
}

}  // namespace
