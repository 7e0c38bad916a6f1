// The string table in its five languages, and the menu as a German user sees it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fixtures/RegistrySandbox.h"
#include "fixtures/ShellRightClick.h"
#include "fixtures/TempTree.h"
#include "module/CKrShellExtModule.h"
#include "support/RegistryValues.h"

namespace {

constexpr UINT FirstStringId = 100;
constexpr UINT LastStringId = 221;

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

std::wstring LoadText(UINT id) {
    wchar_t buffer[1024] = {};
    const int length = LoadStringW(ModuleInstance(), id, buffer, 1024);
    return std::wstring(buffer, length > 0 ? length : 0);
}

size_t FormatFields(const std::wstring& text) {
    size_t count = 0;
    for (size_t at = text.find(L"%s"); at != std::wstring::npos; at = text.find(L"%s", at + 2)) ++count;
    return count;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Makes the thread use a language for resources: Windows goes by the thread's UI language,
// Wine 8 ignores that (SetThreadUILanguage is a stub there) and goes by the thread locale.
class ThreadLanguage {
public:
    explicit ThreadLanguage(LANGID language) : SavedUi(GetThreadUILanguage()), SavedLocale(GetThreadLocale()) {
        SetThreadUILanguage(language);
        SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    }
    ~ThreadLanguage() {
        SetThreadUILanguage(SavedUi);
        SetThreadLocale(SavedLocale);
    }
    ThreadLanguage(const ThreadLanguage&) = delete;
    ThreadLanguage& operator=(const ThreadLanguage&) = delete;

private:
    LANGID SavedUi;
    LCID SavedLocale;
};

}  // namespace

TEST(StringTable, EveryLanguageHasEveryId) {
    for (LANGID language : {English, Translations[0], Translations[1], Translations[2], Translations[3]}) {
        for (UINT id = FirstStringId; id <= LastStringId; ++id)
            EXPECT_FALSE(TableText(id, language).empty()) << "string " << id << " language " << language;
        EXPECT_TRUE(TableText(FirstStringId - 1, language).empty()) << language;
        EXPECT_TRUE(TableText(LastStringId + 1, language).empty()) << language;
    }
}

// Callers fill "%s" and append to texts ending in a blank; "..." promises a dialog.
TEST(StringTable, TranslationsKeepFieldsBlanksAndEllipses) {
    for (UINT id = FirstStringId; id <= LastStringId; ++id) {
        const std::wstring english = TableText(id, English);
        for (LANGID language : Translations) {
            const std::wstring text = TableText(id, language);
            SCOPED_TRACE(::testing::Message() << "string " << id << " language " << language);
            EXPECT_EQ(FormatFields(text), FormatFields(english));
            EXPECT_EQ(EndsWith(text, L" "), EndsWith(english, L" "));
            EXPECT_EQ(EndsWith(text, L"..."), EndsWith(english, L"..."));
            // Anything of more than one word, product names aside, reads differently once translated.
            if (english.find(L' ') != std::wstring::npos && english != L"Autobox Builder...") {
                EXPECT_NE(text, english);
            }
        }
    }
}

// The default language of an English system: texts whose exact characters are easy to lose.
TEST(StringTable, EnglishSystemLoadsEnglishTexts) {
    const struct {
        UINT Id;
        const wchar_t* Text;
    } cases[] = {
        {213, L"Schedule archive creation for selected content. "},
        {152, L"File: %s"},
        {200, L"Compute MD5 | SHA-1..."},
        {119, L"Start Kestrel's Create New Archive wizard"},
        {146, L"Create and Burn CD/DVD..."},
        {197, L"The SCO compressed file fomrat capabilities:"},
        {149, L"Create"},
        {151, L"Kestrel"},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadText(c.Id), c.Text) << "string " << c.Id;
    for (UINT id = FirstStringId; id <= LastStringId; ++id) EXPECT_EQ(LoadText(id), TableText(id, English)) << id;
    EXPECT_TRUE(LoadText(FirstStringId - 1).empty());
    EXPECT_TRUE(LoadText(LastStringId + 1).empty());
}

class GermanMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, 1);
    }

    static std::vector<std::wstring> Texts(const ShellRightClick& click) {
        std::vector<std::wstring> texts;
        for (const ShellRightClick::Entry& entry : click.Entries())
            if (!entry.Separator) texts.push_back(entry.Text);
        return texts;
    }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"}};
    TempTree Tree;
    ThreadLanguage Language{German};
};

TEST_F(GermanMenuTest, RightClickOnAZipShowsGermanEntriesAndHelp) {
    ShellRightClick click({Tree.AddFile(L"Daten\\a.zip")});
    ASSERT_EQ(click.InitializeResult, S_OK);
    const std::vector<std::wstring> expected = {
        L"Kestrel",
        L"Mit Kestrel öffnen...",
        L"Alle hier extrahieren",
        L"Alle auf den Desktop extrahieren",
        L"Alle in „Eigene Archive“ extrahieren",
        L"Alle in Ordner mit Archivnamen extrahieren",
        L"Alle mit Optionen extrahieren...",
        L"Zu vorhandenem Archiv hinzufügen...",
        L"Kestrel-Extras",
        L"Konvertieren...",
        L"Überprüfen",
        L"Wiederherstellen",
        L"Archivmanifest",
        L"Drucken...",
        L"In die Zwischenablage kopieren",
        L"Speichern unter...",
        L"MD5 | SHA-1 berechnen...",
        L"Autobox Builder...",
        L"Selbstextrahierend machen...",
    };
    EXPECT_EQ(Texts(click), expected);

    wchar_t help[256] = {};
    const auto offset = click.OffsetOf(L"Alle hier extrahieren");
    ASSERT_TRUE(offset);
    EXPECT_EQ(click.Handler()->GetCommandString(*offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help), 256), S_OK);
    EXPECT_STREQ(help, L"Archivdatei(en) in diesen Ordner extrahieren");
}

TEST_F(GermanMenuTest, CreateEntriesPutTheGermanWordBeforeTheName) {
    ShellRightClick click({Tree.AddFolder(L"Daten\\Fotos")});
    ASSERT_EQ(click.InitializeResult, S_OK);
    const std::vector<std::wstring> texts = Texts(click);
    for (const wchar_t* entry : {L"Erstellen: Fotos.zip", L"Erstellen: Fotos.kesx", L"Assistenten", L"Neu erstellen..."})
        EXPECT_TRUE(std::find(texts.begin(), texts.end(), entry) != texts.end()) << ::testing::PrintToString(std::wstring(entry));
}
