// The string table in its five languages, and the texts a user of another language sees.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <tuple>

#include "fixtures/ShellRightClick.h"
#include "fixtures/UiLanguageOverride.h"
#include "module/CKrShellExtModule.h"
#include "resources/resource.h"
#include "shellkit/TempTree.h"
#include "support/UiLanguage.h"
#include "support/UiResource.h"

namespace {

constexpr UINT FirstStringId = IDS_SHELL_EXTENSION;
constexpr UINT LastStringId = IDS_HELP_EXTRACT_TO_MY_ARCHIVES;

const LANGID English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID German = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
const LANGID Translations[] = {German, MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH),
                               MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
                               MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)};

// One language's text, read from its own block of 16 counted strings, so no fallback to
// another language can hide a missing text. Empty when the id has none.
std::wstring TableText(UINT id, LANGID language) {
    const HMODULE module = ModuleInstance();
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block) return {};
    const auto* text = static_cast<const WCHAR*>(LockResource(LoadResource(module, block)));
    const WCHAR* end = text + SizeofResource(module, block) / sizeof(WCHAR);
    for (UINT skip = id % 16; skip > 0 && text < end; --skip) text += 1 + *text;
    if (text >= end || *text > end - text - 1) return {};
    return std::wstring(text + 1, *text);
}

// What callers rely on: the "%s" fields they fill, a final blank they append to, the "..." of a dialog.
std::tuple<size_t, bool, bool> Shape(const std::wstring& text) {
    size_t fields = 0;
    for (size_t at = text.find(L"%s"); at != std::wstring::npos; at = text.find(L"%s", at + 2)) ++fields;
    return {fields, text.ends_with(L' '), text.ends_with(L"...")};
}

// Every id in every language and none beside; an English system loads the English texts.
TEST(StringTable, EveryLanguageHasEveryIdWithTheEnglishFieldsAndBlanks) {
    const std::map<UINT, std::wstring> exact = {
        {IDS_HELP_SCHEDULE, L"Schedule archive creation for selected content. "},
        {IDS_FILE_LINE, L"File: %s"},
        {IDS_CAPS_SCO, L"The SCO compressed file fomrat capabilities:"},
    };
    for (UINT id = FirstStringId - 1; id <= LastStringId + 1; ++id) {
        const std::wstring english = TableText(id, English);
        wchar_t loaded[1024] = {};
        LoadUiString(ModuleInstance(), id, loaded, 1024);
        EXPECT_EQ(loaded, english) << "string " << id;
        EXPECT_EQ(english.empty(), id < FirstStringId || id > LastStringId) << "string " << id;
        if (exact.contains(id)) {
            EXPECT_EQ(english, exact.at(id));
        }
        for (LANGID language : Translations) {
            const std::wstring text = TableText(id, language);
            SCOPED_TRACE(::testing::Message() << "string " << id << " language " << language);
            EXPECT_EQ(text.empty(), english.empty());
            EXPECT_EQ(Shape(text), Shape(english));
            // Anything of more than one word, product names aside, reads differently once translated.
            if (english.find(L' ') != std::wstring::npos && english != L"Autobox Builder...") {
                EXPECT_NE(text, english);
            }
        }
    }
}

// The language a user's display languages give; the ctest entries name it in KR_EXPECT_LANGUAGE
// and set LANG and LC_MESSAGES, from which Wine derives the lists.
TEST(StringTable, TextsFollowTheDisplayLanguage) {
    const std::map<std::string, LANGID> languages = {
        {"de", German}, {"en", English}, {"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}};
    const char* name = std::getenv("KR_EXPECT_LANGUAGE");
    if (!name || !languages.contains(name)) GTEST_SKIP() << "KR_EXPECT_LANGUAGE names no language";
    const LANGID expected = languages.at(name);
    EXPECT_EQ(UiLanguage(), expected);

    TempTree tree;
    const ShellRightClick zip({tree.AddFile(L"a.zip")});
    EXPECT_TRUE(zip.OffsetOf(TableText(IDS_EXTRACT_HERE, expected)).has_value());
    // Cut as LoadStringW cuts: to the capacity less the terminator.
    wchar_t cut[5] = {L'x', L'x', L'x', L'x', L'x'};
    EXPECT_EQ(LoadUiString(ModuleInstance(), IDS_FILE_LINE, cut, 5), 4);
    EXPECT_EQ(std::wstring(cut), TableText(IDS_FILE_LINE, expected).substr(0, 4));
}

// Entry texts, help texts and the word of the composed create entries all come in the user's
// language; a regional variant gets the table of its language.
TEST(StringTable, HelpAndCreateEntriesInTheUsersLanguage) {
    TempTree tree;
    const std::wstring zipPath = tree.AddFile(L"Daten\\a.zip"), photos = tree.AddFolder(L"Daten\\Fotos");
    const struct {
        LANGID Shown;
        const wchar_t *Entry, *Help, *Create;
    } users[] = {
        {German, L"Alle hier extrahieren", L"Archivdatei(en) in diesen Ordner extrahieren", L"Erstellen: Fotos.zip"},
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN), L"Alle hier extrahieren",
         L"Archivdatei(en) in diesen Ordner extrahieren", L"Erstellen: Fotos.zip"},
        {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN), L"Tout extraire ici",
         L"Extraire le(s) fichier(s) d'archive dans ce dossier", L"Créer Fotos.zip"},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), L"全部解压到此处", L"将压缩文件解压到此文件夹",
         L"创建 Fotos.zip"},
    };
    for (const auto& user : users) {
        SCOPED_TRACE(::testing::Message() << "language " << user.Shown);
        const UiLanguageOverride shown(user.Shown);
        const ShellRightClick zip({zipPath});
        wchar_t help[256] = {};
        EXPECT_EQ(zip.Handler()->GetCommandString(zip.OffsetOf(user.Entry).value_or(0xFFFF), GCS_HELPTEXTW, nullptr,
                                                  reinterpret_cast<LPSTR>(help), 256),
                  S_OK);
        EXPECT_STREQ(help, user.Help);
        EXPECT_TRUE(ShellRightClick({photos}).OffsetOf(user.Create).has_value());
    }
}

}  // namespace
