#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fixtures/RegistrySandbox.h"
#include "support/CRegistry.h"
#include "support/RegistryValues.h"

namespace {

const std::wstring Vendor = L"Software\\Tamber Soft", Product = RegistryValues::ProductKey,
                   ContextMenu = RegistryValues::ContextMenuKey;

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

TEST(Registry, SetRootAndSetDword) {
    const std::pair<int, HKEY> steps[] = {{3, HKEY_CURRENT_USER},  {1, HKEY_LOCAL_MACHINE}, {3, HKEY_LOCAL_MACHINE},
                                          {-1, HKEY_LOCAL_MACHINE}, {2, HKEY_CLASSES_ROOT},  {0, HKEY_CURRENT_USER}};
    CRegistry registry;
    for (const auto& [root, expected] : steps) {
        registry.SetRoot(root);
        EXPECT_EQ(registry.RootKey(), expected) << "after SetRoot(" << root << ")";
    }

    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Product}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, ContextMenu);
    registry.SetKeyPath(ContextMenu.c_str());
    EXPECT_FALSE(registry.SetDword(RegistryValues::Cmd1, 5));  // never creates the key
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, ContextMenu));
    RegistrySandbox::WriteDword(HKEY_CURRENT_USER, ContextMenu, L"Other", 0);
    ASSERT_TRUE(registry.SetDword(RegistryValues::Cmd1, 0xDEADBEEF));
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, ContextMenu.c_str(), RegistryValues::Cmd1, RRF_RT_ANY, &type, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 0xDEADBEEFu);
}

TEST(Registry, CreateKeyPathCreatesEachLevelBelowTheFirst) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Vendor}, {HKEY_CURRENT_USER, L"KrShellExtTestTop"}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Vendor);
    CRegistry fresh;
    fresh.CreateKeyPath(ContextMenu.c_str());
    EXPECT_EQ(fresh.KeyPath(), ContextMenu);  // taken as the key path when there was none
    EXPECT_TRUE(fresh.SetDword(RegistryValues::Cmd2, 3));

    // Existing levels keep what they hold; an earlier key path stays.
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, ContextMenu);
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Product, RegistryValues::EnableContextMenu, 1));
    CRegistry elsewhere;
    elsewhere.SetKeyPath(L"Software\\Elsewhere");
    elsewhere.CreateKeyPath(ContextMenu.c_str());
    EXPECT_EQ(elsewhere.KeyPath(), L"Software\\Elsewhere");
    EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, ContextMenu));
    EXPECT_TRUE(IsContextMenuEnabled());
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, L"Software\\Elsewhere"));

    // The first level is only opened, unless it is the only one.
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, L"KrShellExtTestTop");
    fresh.CreateKeyPath(L"KrShellExtTestTop\\A\\B");
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, L"KrShellExtTestTop"));
    fresh.CreateKeyPath(L"KrShellExtTestTop");
    EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, L"KrShellExtTestTop"));
}

// Backups are kept below this key while a sandbox lives; none may be left behind.
DWORD SandboxBackups() {
    DWORD count = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KrShellExtSandbox", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
    }
    return count;
}

TEST(RegistrySandbox, RestoresWhatItGuards) {
    const DWORD backups = SandboxBackups();
    const std::wstring top = L"Software\\KrShellExtSandboxTest", kept = top + L"\\Kept";
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, top);
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_CURRENT_USER, kept, L"Value", 1));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CURRENT_USER, kept + L"\\Deep", nullptr, L"text"));
    {
        RegistrySandbox sandbox({{HKEY_CURRENT_USER, kept}, {HKEY_CURRENT_USER, top + L"\\New\\Deeper"}});
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, kept + L"\\Deep");
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, kept, L"Value", 2);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, kept, L"Added", 2);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, top + L"\\New\\Deeper", L"Added", 2);
    }
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kept.c_str(), L"Value", RRF_RT_DWORD, nullptr, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kept.c_str(), L"Added", RRF_RT_ANY, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    wchar_t text[16] = {};
    DWORD textSize = sizeof text;
    RegGetValueW(HKEY_CURRENT_USER, (kept + L"\\Deep").c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &textSize);
    EXPECT_STREQ(text, L"text");
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, top + L"\\New"));
    EXPECT_EQ(SandboxBackups(), backups);
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, top);
}

}  // namespace
