#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/CIniFile.h"

namespace {

// A private folder below the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        Path = std::wstring(temp) + L"KrIniTest-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(Path.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((Path + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((Path + L"\\" + data.cFileName).c_str());
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(Path.c_str());
    }
    std::wstring File(const wchar_t* name) const { return Path + L"\\" + name; }

private:
    std::wstring Path;
};

std::string Utf16Bytes(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}
std::string Utf16File(const std::wstring& text) { return "\xFF\xFE" + Utf16Bytes(text); }
std::string Utf8File(const std::string& text) { return "\xEF\xBB\xBF" + text; }
// A literal with embedded NULs, whole.
template <size_t N>
std::wstring WithNuls(const wchar_t (&text)[N]) { return std::wstring(text, N - 1); }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char chunk[4096];
        size_t count;
        while ((count = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, count);
        fclose(file);
    }
    return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The whole model as "[name]<key>=<value>..." so blanks and separators stay visible.
std::wstring Dump(const CIniFile& ini) {
    std::wstring text;
    for (const auto& section : ini.Sections()) {
        text += L"[" + section->Name + L"]";
        for (const auto& entry : section->Entries) text += L"<" + entry.Key + L">=<" + entry.Value + L">";
    }
    return text;
}

struct ReadCase {
    const char* Name;
    std::string Bytes;
    std::wstring Model;
};

const std::wstring X1021(1021, L'x');

const std::vector<ReadCase> ReadCases = {
    {"ByteOrderMarkAndCrLf", Utf16File(L"[S]\r\na=1\r\nb=2\r\n[T]\r\nc=3\r\n"), L"[S]<a>=<1><b>=<2>[T]<c>=<3>"},
    {"NoByteOrderMarkIsUtf16", Utf16Bytes(L"[S]\r\na=1\r\n"), L"[S]<a>=<1>"},
    {"LineFeedsOnly", Utf16File(L"[S]\na=1\nb=2\n"), L"[S]<a>=<1><b>=<2>"},
    {"Utf8ByteOrderMark", Utf8File("[Gr\xC3\xBC\xC3\x9F" "e]\r\nk=\xE6\x97\xA5\xE6\x9C\xAC\r\n"),
     L"[Gr\u00FC\u00DFe]<k>=<\u65E5\u672C>"},
    {"NonAsciiUtf16", Utf16File(L"[\u00C4]\r\n\u65E5=\u00DF\r\n"), L"[\u00C4]<\u65E5>=<\u00DF>"},
    {"ValueKeepsLaterEquals", Utf16File(L"[S]\r\na=b=c\r\n"), L"[S]<a>=<b=c>"},
    {"SectionNameRunsToLastBracket", Utf16File(L"[Sec] tail]\r\nk=v\r\n"), L"[Sec] tail]<k>=<v>"},
    {"SectionWithoutBracketKeepsLineFeed", Utf16File(L"[Sec\r\nk=v\r\n"), L"[Sec\n]<k>=<v>"},
    {"BlanksAreKept", Utf16File(L"[ S ]\r\nKey = Value \r\n"), L"[ S ]<Key >=< Value >"},
    {"NoTrimOfNamesOrCase", Utf16File(L"[s]\r\n[S]\r\nK=1\r\nk=2\r\n"), L"[s][S]<K>=<1><k>=<2>"},
    {"CommentsAndEntriesBeforeSectionFall", Utf16File(L"a=1\r\njunk\r\n\r\n[S]\r\n# note\r\n;c=d\r\n=e\r\n"),
     L"[S]<;c>=<d><>=<e>"},
    {"LastLineWithoutLineFeed", Utf16File(L"[S]\r\na=1\r\nb=2"), L"[S]<a>=<1><b>=<2>"},
    {"LoneCarriageReturnStays", Utf16File(L"[S]\r\na=1\rb=2\r\n"), L"[S]<a>=<1\rb=2>"},
    {"DuplicatesKept", Utf16File(L"[S]\r\nx=1\r\n[S]\r\nx=2\r\nx=3\r\n"), L"[S]<x>=<1>[S]<x>=<2><x>=<3>"},
    {"EmptyFile", "", L""},
    {"ByteOrderMarkOnly", "\xFF\xFE", L""},
    {"LineOf1023WithLineFeedIsWhole", Utf16File(L"[S]\r\nk=" + std::wstring(1020, L'x') + L"\r\nm=1\r\n"),
     L"[S]<k>=<" + std::wstring(1020, L'x') + L"><m>=<1>"},
    {"LineOf1500ArrivesInTwoPieces", Utf16File(L"[S]\r\nk=" + X1021 + L"y=" + std::wstring(475, L'z') + L"\r\n"),
     L"[S]<k>=<" + X1021 + L"><y>=<" + std::wstring(475, L'z') + L">"},
    {"SectionLineOf1500", Utf16File(L"[" + std::wstring(1100, L'n') + L"]\r\nk=v\r\n"),
     L"[" + std::wstring(1022, L'n') + L"]<k>=<v>"},
    {"LineOf100000", Utf16File(L"[S]\r\nk=" + std::wstring(99998, L'x') + L"\r\nz=1\r\n"),
     L"[S]<k>=<" + X1021 + L"><z>=<1>"},
    {"EmbeddedNulEndsLineText", Utf16File(WithNuls(L"[S]\r\na=b\0c=d\r\n\0x=y\r\ne=f\r\n")),
     L"[S]<a>=<b><e>=<f>"},
    {"NulInSectionLine", Utf16File(WithNuls(L"[A\0]\r\nk=v\r\n")), L"[A]<k>=<v>"},
    {"OddByteCountDropsLastByte", Utf16File(L"[S]\r\na=12") + "\x41", L"[S]<a>=<12>"},
    {"OddByteCountWithoutMark", Utf16Bytes(L"[S]\na=1") + "\x0A", L"[S]<a>=<1>"},
};

void PrintTo(const ReadCase& readCase, std::ostream* out) { *out << readCase.Name; }

class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, BuildsModel) {
    TempFolder folder;
    const std::wstring path = folder.File(L"in.ini");
    WriteBytes(path, GetParam().Bytes);
    CIniFile ini;
    EXPECT_TRUE(ini.Load(path.c_str()));
    EXPECT_EQ(Dump(ini), GetParam().Model);
    EXPECT_FALSE(ini.IsModified());
}

INSTANTIATE_TEST_SUITE_P(Files, IniRead, testing::ValuesIn(ReadCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(IniFile, SavesUtf16WithMarkAndCrLf) {
    TempFolder folder;
    const std::wstring path = folder.File(L"out.ini");
    CIniFile ini;
    ini.Load(path.c_str());  // a missing file gives an empty model and sets the path
    EXPECT_EQ(ini.FirstKey(L"Empty"), nullptr);
    ini.SetString(L"S", L"a", L"1");
    ini.SetInt(L"S", L"n", -42);
    ini.SetString(L"T", L"k", L"v w\u00E9");
    ini.SetInt(L"S", L"a", 7);
    ini.Save();
    EXPECT_EQ(ReadBytes(path), Utf16File(L"[Empty]\r\n[S]\r\na=7\r\nn=-42\r\n[T]\r\nk=v w\u00E9\r\n"));
}

TEST(IniFile, LastDuplicateKeyIsReadAndChanged) {
    TempFolder folder;
    const std::wstring path = folder.File(L"dup.ini");
    WriteBytes(path, Utf16File(L"[S]\r\nx=1\r\nx=2\r\n[S]\r\nx=9\r\n"));
    CIniFile ini(path.c_str());
    wchar_t value[8] = {};
    ASSERT_TRUE(ini.GetString(L"S", L"x", value, 8));
    EXPECT_STREQ(value, L"2");
    ini.SetString(L"S", L"x", L"3");
    ini.Save();
    EXPECT_EQ(ReadBytes(path), Utf16File(L"[S]\r\nx=1\r\nx=3\r\n[S]\r\nx=9\r\n"));
}

TEST(IniFile, LookupsAreExact) {
    TempFolder folder;
    const std::wstring path = folder.File(L"exact.ini");
    WriteBytes(path, Utf16File(L"[S]\r\nKey = Value\r\n"));
    CIniFile ini(path.c_str());
    wchar_t value[16] = {};
    EXPECT_FALSE(ini.GetString(L"S", L"Key", value, 16));
    EXPECT_FALSE(ini.GetString(L"S", L"key ", value, 16));
    EXPECT_FALSE(ini.GetString(L"s", L"Key ", value, 16));
    ASSERT_TRUE(ini.GetString(L"S", L"Key ", value, 16));
    EXPECT_STREQ(value, L" Value");
}

TEST(IniFile, GetStringFailsRatherThanCutting) {
    CIniFile ini;
    ini.SetString(L"S", L"k", L"abcde");
    wchar_t value[8];
    std::fill(std::begin(value), std::end(value), L'#');
    EXPECT_FALSE(ini.GetString(L"S", L"k", value, 5));
    EXPECT_EQ(std::wstring(value, 8), std::wstring(8, L'#'));
    EXPECT_FALSE(ini.GetString(L"S", L"missing", value, 8));
    EXPECT_FALSE(ini.GetString(L"S", L"k", value, 0));
    ASSERT_TRUE(ini.GetString(L"S", L"k", value, 6));
    EXPECT_STREQ(value, L"abcde");
    EXPECT_EQ(value[6], L'#');
}

TEST(IniFile, KeyEnumeration) {
    TempFolder folder;
    const std::wstring path = folder.File(L"keys.ini");
    WriteBytes(path, Utf16File(L"[S]\r\na=1\r\nb=2\r\na=3\r\n"));
    CIniFile ini(path.c_str());
    std::vector<std::wstring> keys;
    for (const wchar_t* key = ini.FirstKey(L"S"); key; key = ini.NextKey()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"a", L"b", L"a"}));
    EXPECT_EQ(ini.NextKey(), nullptr);

    // A missing section is added empty; a later save of a modified model writes it.
    EXPECT_EQ(ini.FirstKey(L"Missing"), nullptr);
    EXPECT_EQ(Dump(ini), L"[S]<a>=<1><b>=<2><a>=<3>[Missing]");
    ini.SetString(L"S", L"b", L"4");
    ini.Save();
    EXPECT_EQ(ReadBytes(path), Utf16File(L"[S]\r\na=1\r\nb=4\r\na=3\r\n[Missing]\r\n"));
}

TEST(IniFile, ModelOnlyReadIsNeverWritten) {
    TempFolder folder;
    const std::wstring path = folder.File(L"read.ini");
    const std::string original = Utf16Bytes(L"[S]\na=1\n");  // any rewrite would add a mark and CRs
    WriteBytes(path, original);
    CIniFile ini(path.c_str());
    wchar_t value[8];
    ini.GetString(L"S", L"a", value, 8);
    ini.GetString(L"Other", L"a", value, 8);
    ini.FirstKey(L"Missing");
    ini.Save();
    EXPECT_EQ(ReadBytes(path), original);

    const std::wstring never = folder.File(L"never.ini");
    CIniFile empty(never.c_str());
    empty.GetSection(L"S");
    empty.Save();
    EXPECT_FALSE(Exists(never));
}

TEST(IniFile, LoadAppends) {
    TempFolder folder;
    const std::wstring first = folder.File(L"1.ini"), second = folder.File(L"2.ini");
    WriteBytes(first, Utf16File(L"[A]\r\nk=1\r\n"));
    WriteBytes(second, Utf16File(L"[A]\r\nk=2\r\n[B]\r\n"));
    CIniFile ini(first.c_str());
    EXPECT_TRUE(ini.Load(second.c_str()));
    EXPECT_TRUE(ini.Load(folder.File(L"missing.ini").c_str()));
    EXPECT_EQ(Dump(ini), L"[A]<k>=<1>[A]<k>=<2>[B]");
    wchar_t value[4] = {};
    ASSERT_TRUE(ini.GetString(L"A", L"k", value, 4));
    EXPECT_STREQ(value, L"1");  // the first section of a name wins

    // The path is the last one loaded, even when that file did not exist.
    ini.SetString(L"B", L"n", L"5");
    ini.Save();
    EXPECT_EQ(ReadBytes(folder.File(L"missing.ini")), Utf16File(L"[A]\r\nk=1\r\n[A]\r\nk=2\r\n[B]\r\nn=5\r\n"));
}

TEST(IniFile, LongValueRoundTrip) {
    TempFolder folder;
    const std::wstring path = folder.File(L"long.ini");
    const std::wstring longValue(2000, L'v');
    CIniFile ini(path.c_str());
    ini.SetString(L"S", L"long", longValue.c_str());
    ini.SetString(L"S", L"next", L"1");
    std::vector<wchar_t> buffer(2001);
    EXPECT_FALSE(ini.GetString(L"S", L"long", buffer.data(), 2000));
    ASSERT_TRUE(ini.GetString(L"S", L"long", buffer.data(), 2001));
    EXPECT_EQ(std::wstring(buffer.data()), longValue);
    ini.Save();
    EXPECT_EQ(ReadBytes(path), Utf16File(L"[S]\r\nlong=" + longValue + L"\r\nnext=1\r\n"));

    // Read back, the line arrives in pieces: the value keeps its first piece only.
    CIniFile reread(path.c_str());
    EXPECT_EQ(Dump(reread), L"[S]<long>=<" + std::wstring(1023 - 5, L'v') + L"><next>=<1>");
}

TEST(IniFile, SaveToUnwritablePathIsQuiet) {
    TempFolder folder;
    const std::wstring path = folder.File(L"no-such-folder\\x.ini");
    CIniFile ini(path.c_str());
    ini.SetString(L"S", L"a", L"1");
    ini.Save();
    EXPECT_FALSE(Exists(path));
}

TEST(IniFile, RandomBytesNeverCrash) {
    TempFolder folder;
    const std::wstring path = folder.File(L"random.ini");
    // Bytes biased towards what the reader looks at, with every kind of start.
    const char interesting[] = {'[', ']', '=', '\r', '\n', '\0', 'a', '\xFF', '\xFE', '\xEF', '\xBB', '\xBF', '\xD8', '\xDC'};
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        std::string bytes;
        const size_t length = random() % 5000;
        for (size_t i = 0; i < length; ++i)
            bytes.push_back(random() % 3 ? interesting[random() % sizeof interesting] : static_cast<char>(random()));
        const char* starts[] = {"", "\xFF\xFE", "\xEF\xBB\xBF"};
        bytes.insert(0, starts[round % 3]);
        WriteBytes(path, bytes);

        CIniFile ini(path.c_str());
        for (const auto& section : ini.Sections()) {
            for (const auto& entry : section->Entries) {
                EXPECT_EQ(entry.Key.find_first_of(std::wstring(L"=\n\0", 3)), std::wstring::npos);
                EXPECT_LE(entry.Key.size() + entry.Value.size(), 1022u);
            }
            wchar_t value[1024];
            for (const wchar_t* key = ini.FirstKey(section->Name.c_str()); key; key = ini.NextKey())
                ini.GetString(section->Name.c_str(), key, value, 1024);
        }
        ini.SetString(L"S", L"k", L"v");
        ini.Save();
        CIniFile reread(path.c_str());
        EXPECT_GE(reread.Sections().size(), 1u);
    }
}

}  // namespace
