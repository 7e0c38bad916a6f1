// Settings read from the registry: strings of any stored form, and where the archiver lives.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fixtures/RegistrySandbox.h"
#include "support/CRegistry.h"
#include "support/InstallLocations.h"
#include "support/RegistryValues.h"

namespace {

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
        EXPECT_EQ(InstallLocations::ForContextMenu().MainAppPath, c.Folder + L"\\KestrelApp.exe") << c.Value;
    }
}

}  // namespace
