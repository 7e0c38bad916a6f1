// Settings the library reads: registry values of any stored form, where the archiver lives, and
// the archiver's INI files as the runtime hands them over.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <iterator>
#include <string>
#include <vector>

#include "shellkit/RegistrySandbox.h"
#include "shellkit/TempTree.h"
#include "support/CIniFile.h"
#include "support/CRegistry.h"
#include "support/InstallLocations.h"
#include "support/RegistryValues.h"

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
        // A line gives its first 1,023 characters; the rest, up to its end, is never an entry.
        {Utf16(L"[S]\r\nk=" + x1020 + L"\r\nm=1\r\n"), L"[S]<k>=<" + x1020 + L"><m>=<1>"},
        {Utf16(L"[S]\r\nk=" + x1021 + L"y=" + z475 + L"\r\nm=1"), L"[S]<k>=<" + x1021 + L"><m>=<1>"},
        {Utf16(L"[S]\r\nk=" + x1021 + L"\r\n[T]\r\n"), L"[S]<k>=<" + x1021 + L">[T]"},
        {Utf16(L"[S]\r\nk=" + x1021 + L"x\r\n[T]\r\n"), L"[S]<k>=<" + x1021 + L">[T]"},
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

const std::wstring Product = RegistryValues::ProductKey;

TEST(Registry, GetStringNeedsRoomForTheTerminator) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Product}});
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CURRENT_USER, Product, L"Text", L"abcd"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CURRENT_USER, Product, nullptr, L"default"));
    // Stored without a terminator: the reader must still hand back a terminated string.
    ASSERT_TRUE(RegistrySandbox::WriteValue(HKEY_CURRENT_USER, Product, L"Bare", REG_BINARY, L"wxyz", 8));
    CRegistry registry;
    registry.SetKeyPath(Product.c_str());
    const struct {
        const wchar_t* Name;
        DWORD Capacity;
        const wchar_t* Expected;  // nullptr: the read fails
    } cases[] = {
        {L"Text", 5, L"abcd"}, {L"Text", 4, nullptr},    {L"Bare", 5, L"wxyz"},  {L"Bare", 4, nullptr},
        {nullptr, 8, L"default"}, {nullptr, 7, nullptr}, {L"Missing", 64, nullptr}, {L"Text", 0, nullptr},
    };
    for (const auto& c : cases) {
        std::vector<wchar_t> buffer(c.Capacity + 1, L'#');
        const bool read = registry.GetString(c.Name, buffer.data(), c.Capacity);
        EXPECT_EQ(read, c.Expected != nullptr) << c.Name << c.Capacity;
        if (read && c.Expected) {
            EXPECT_STREQ(buffer.data(), c.Expected);
        }
        EXPECT_EQ(buffer[c.Capacity], L'#') << c.Name << c.Capacity;  // nothing written past the capacity
    }
}

// The text form of a key's DACL (SDDL), "null" for a null DACL, which lets every account in.
std::wstring DaclOf(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL, &key) != ERROR_SUCCESS) return L"(no key)";
    std::vector<BYTE> descriptor(4096);
    DWORD size = static_cast<DWORD>(descriptor.size());
    const LSTATUS status = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size);
    RegCloseKey(key);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (status != ERROR_SUCCESS || !GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted)) return L"(unread)";
    if (!present || !dacl) return L"null";
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::wstring sddl = text ? text : L"(unconverted)";
    LocalFree(text);
    return sddl;
}

// Every level CreateKeyPath makes gets what its parent hands down, as a key made with default
// security gets it: never a null DACL, which lets any other account rewrite the settings. (Wine
// gives every key the same descriptor whatever it is asked for: there this cannot fail.)
TEST(Registry, CreatedKeysTakeTheSecurityTheirParentHandsDown) {
    const std::wstring base = L"Software\\Tamber Soft Key Test", reference = L"Software\\Tamber Soft Key Reference";
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, base}, {HKEY_CURRENT_USER, reference}});
    CRegistry registry;
    registry.CreateKeyPath((base + L"\\Kestrel\\ContextMenu").c_str());
    HKEY made = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, reference.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(made);
    const std::wstring handedDown = DaclOf(reference);
    ASSERT_NE(handedDown, L"null");
    for (const wchar_t* level : {L"", L"\\Kestrel", L"\\Kestrel\\ContextMenu"}) EXPECT_EQ(DaclOf(base + level), handedDown) << level;
    EXPECT_EQ(registry.KeyPath(), base + L"\\Kestrel\\ContextMenu");
}

TEST(InstallLocations, ExecutablesLieInTheInstallFolder) {
    const std::wstring installKey = RegistryValues::InstallKey, unredirected = L"Software\\Tamber Soft\\Kestrel";
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring own = std::wstring(exe).substr(0, std::wstring(exe).rfind(L'\\'));
    const std::wstring longest = L"C:\\" + std::wstring(1019, L'L');  // with "\" and terminator: 1,024
    const struct {
        const std::wstring* Key;  // where "InstallLocation" is written; nullptr: nowhere
        std::wstring Value, Folder;
    } cases[] = {
        {&installKey, L"C:\\Apps\\Kestrel\\", L"C:\\Apps\\Kestrel"},
        {&installKey, L"C:\\Apps\\Kestrel", L"C:\\Apps"},
        {&installKey, L"Kestrel", L"Kestrel"},
        {&installKey, L"D:\\Pr\u00F6gramme\\\u65E5\u672C\\", L"D:\\Pr\u00F6gramme\\\u65E5\u672C"},
        {nullptr, L"", own},
        {&unredirected, L"C:\\Apps\\Kestrel\\", own},
        {&installKey, longest + L"\\", longest},
        {&installKey, longest + L"X\\", own},
    };
    RegistrySandbox sandbox({{HKEY_LOCAL_MACHINE, installKey}, {HKEY_LOCAL_MACHINE, unredirected}});
    for (const auto& c : cases) {
        RegistrySandbox::DeleteValue(HKEY_LOCAL_MACHINE, installKey, RegistryValues::InstallLocation);
        RegistrySandbox::DeleteValue(HKEY_LOCAL_MACHINE, unredirected, RegistryValues::InstallLocation);
        if (c.Key) {
            ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, *c.Key, RegistryValues::InstallLocation, c.Value));
        }
        // The programs' names, the drop menu's tool and the droplet files are the command and
        // droplet tests' business; here only the folder.
        EXPECT_EQ(InstallLocations{}.Executables().MainAppPath, c.Folder + L"\\KestrelApp.exe") << c.Value;
    }
}

}  // namespace
