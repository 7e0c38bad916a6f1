#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "fixtures/RegistrySandbox.h"
#include "support/CRegistry.h"
#include "support/RegistryValues.h"

namespace {

const std::wstring Product = RegistryValues::ProductKey;
const std::wstring Vendor = L"Software\\Tamber Soft";

std::optional<std::vector<BYTE>> KeySecurity(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, READ_CONTROL, &key) != ERROR_SUCCESS) return std::nullopt;
    std::vector<BYTE> descriptor(4096);
    DWORD size = static_cast<DWORD>(descriptor.size());
    const LONG result = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    descriptor.resize(size);
    return descriptor;
}

bool HasNullDacl(const std::vector<BYTE>& descriptor) {
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    auto* sd = const_cast<BYTE*>(descriptor.data());
    return GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) && present && dacl == nullptr;
}

// Wine gives every new key its default security whatever RegCreateKeyExW is asked for;
// Windows keeps the descriptor. The open-DACL check only means something where it is kept.
bool CreationSecurityIsKept() {
    const std::wstring probe = L"Software\\KrShellExtSecurityProbe";
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, probe.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, &attributes, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    const auto security = KeySecurity(HKEY_CURRENT_USER, probe);
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, probe);
    return security && HasNullDacl(*security);
}

struct EnableCase {
    const char* Name;
    DWORD Type;  // REG_NONE: no value at all
    std::vector<BYTE> Data;
    bool Enabled;
};

const std::vector<EnableCase> EnableCases = {
    {"Missing", REG_NONE, {}, false},
    {"Zero", REG_DWORD, {0, 0, 0, 0}, false},
    {"Two", REG_DWORD, {2, 0, 0, 0}, false},
    {"OneInHighByte", REG_DWORD, {0, 0, 0, 1}, false},
    {"One", REG_DWORD, {1, 0, 0, 0}, true},
    {"OneAsFourByteBinary", REG_BINARY, {1, 0, 0, 0}, true},
    {"OneAsEightByteBinary", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}, false},
    {"TextOne", REG_SZ, {'1', 0, 0, 0}, false},
};

class EnableContextMenu : public testing::TestWithParam<EnableCase> {};

TEST_P(EnableContextMenu, OnlyExactlyOneEnables) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Product}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Product);
    const EnableCase& c = GetParam();
    if (c.Type != REG_NONE) {
        ASSERT_TRUE(RegistrySandbox::WriteValue(HKEY_CURRENT_USER, Product, RegistryValues::EnableContextMenu, c.Type,
                                                c.Data.data(), static_cast<DWORD>(c.Data.size())));
    }
    EXPECT_EQ(IsContextMenuEnabled(), c.Enabled);
}

void PrintTo(const EnableCase& c, std::ostream* out) { *out << c.Name; }
INSTANTIATE_TEST_SUITE_P(Values, EnableContextMenu, testing::ValuesIn(EnableCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Registry, EnableIsReadFromTheCurrentUserOnly) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Product}, {HKEY_LOCAL_MACHINE, Product}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Product);
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, Product, RegistryValues::EnableContextMenu, 1));
    EXPECT_FALSE(IsContextMenuEnabled());
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Product, RegistryValues::EnableContextMenu, 1));
    EXPECT_TRUE(IsContextMenuEnabled());
}

TEST(Registry, GetDwordReadsFourBytes) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Product}});
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Product, L"Number", 0xDEADBEEF));
    CRegistry registry;
    registry.SetKeyPath(Product.c_str());
    DWORD value = 7;
    ASSERT_TRUE(registry.GetDword(L"Number", &value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    value = 7;
    EXPECT_FALSE(registry.GetDword(L"Missing", &value));
    CRegistry missingKey;
    missingKey.SetKeyPath((Product + L"\\NoSuchKey").c_str());
    EXPECT_FALSE(missingKey.GetDword(L"Number", &value));
    EXPECT_EQ(value, 7u);
}

TEST(Registry, GetStringNeedsRoomForTheTerminator) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Product}});
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CURRENT_USER, Product, L"Text", L"abcd"));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CURRENT_USER, Product, nullptr, L"default"));
    // Stored without a terminator (and as binary, which nothing terminates): the reader must still
    // hand back a terminated string.
    ASSERT_TRUE(RegistrySandbox::WriteValue(HKEY_CURRENT_USER, Product, L"Bare", REG_BINARY, L"wxyz", 8));
    CRegistry registry;
    registry.SetKeyPath(Product.c_str());

    struct Case {
        const wchar_t* Name;
        DWORD Capacity;
        const wchar_t* Expected;  // nullptr: the read fails
    };
    const Case cases[] = {
        {L"Text", 5, L"abcd"}, {L"Text", 4, nullptr},    {L"Text", 64, L"abcd"},    {L"Bare", 5, L"wxyz"},
        {L"Bare", 4, nullptr}, {nullptr, 8, L"default"}, {nullptr, 7, nullptr},     {L"Missing", 64, nullptr},
        {L"Text", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.Name ? c.Name : L"(default)") << " capacity " << c.Capacity);
        std::vector<wchar_t> buffer(c.Capacity + 1, L'#');
        const bool read = registry.GetString(c.Name, buffer.data(), c.Capacity);
        EXPECT_EQ(read, c.Expected != nullptr);
        if (read && c.Expected) {
            EXPECT_STREQ(buffer.data(), c.Expected);
        }
        EXPECT_EQ(buffer[c.Capacity], L'#');  // nothing written past the capacity
    }
}

TEST(Registry, SetDwordNeverCreatesTheKey) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Product}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey);
    CRegistry registry;
    registry.SetKeyPath(RegistryValues::ContextMenuKey);
    EXPECT_FALSE(registry.SetDword(RegistryValues::Cmd1, 5));
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey));

    RegistrySandbox::WriteDword(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey, L"Other", 0);
    ASSERT_TRUE(registry.SetDword(RegistryValues::Cmd1, 5));
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey, RegistryValues::Cmd1, RRF_RT_ANY, &type,
                           &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, 5u);
}

TEST(Registry, SetRootIgnoresUnknownNumbers) {
    struct Step {
        int Root;
        HKEY Expected;
    };
    const Step steps[] = {{3, HKEY_CURRENT_USER},  {1, HKEY_LOCAL_MACHINE}, {3, HKEY_LOCAL_MACHINE},
                          {-1, HKEY_LOCAL_MACHINE}, {2, HKEY_CLASSES_ROOT},  {0, HKEY_CURRENT_USER}};
    CRegistry registry;
    EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
    for (const Step& step : steps) {
        registry.SetRoot(step.Root);
        EXPECT_EQ(registry.RootKey(), step.Expected) << "after SetRoot(" << step.Root << ")";
    }

    // The chosen root is the one read from.
    RegistrySandbox sandbox({{HKEY_LOCAL_MACHINE, RegistryValues::InstallKey}});
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, RegistryValues::InstallKey, L"Probe", 9));
    CRegistry machine;
    machine.SetRoot(1);
    machine.SetRoot(3);
    machine.SetKeyPath(RegistryValues::InstallKey);
    DWORD value = 0;
    ASSERT_TRUE(machine.GetDword(L"Probe", &value));
    EXPECT_EQ(value, 9u);
}

TEST(Registry, CreateKeyPathCreatesEachLevelOpen) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Vendor}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Vendor);
    CRegistry registry;
    registry.CreateKeyPath(RegistryValues::ContextMenuKey);
    EXPECT_EQ(registry.KeyPath(), RegistryValues::ContextMenuKey);
    const bool securityKept = CreationSecurityIsKept();
    for (const std::wstring& level : {Vendor, Product, std::wstring(RegistryValues::ContextMenuKey)}) {
        SCOPED_TRACE(testing::Message() << level);
        const auto security = KeySecurity(HKEY_CURRENT_USER, level);
        ASSERT_TRUE(security.has_value());
        if (securityKept) {
            EXPECT_TRUE(HasNullDacl(*security));
        }
    }
    EXPECT_TRUE(registry.SetDword(RegistryValues::Cmd2, 3));
}

TEST(Registry, CreateKeyPathLeavesExistingKeysAlone) {
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, Vendor}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Vendor);
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Product, RegistryValues::EnableContextMenu, 1));
    const auto before = KeySecurity(HKEY_CURRENT_USER, Product);
    ASSERT_TRUE(before.has_value());
    ASSERT_FALSE(HasNullDacl(*before));

    CRegistry registry;
    registry.SetKeyPath(L"Software\\Elsewhere");
    registry.CreateKeyPath(RegistryValues::ContextMenuKey);
    EXPECT_EQ(registry.KeyPath(), L"Software\\Elsewhere");  // an existing key path is kept
    EXPECT_EQ(KeySecurity(HKEY_CURRENT_USER, Product), before);
    EXPECT_TRUE(IsContextMenuEnabled());
    EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey));
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, L"Software\\Elsewhere"));
}

TEST(Registry, CreateKeyPathNeverCreatesTheFirstLevel) {
    const std::wstring top = L"KrShellExtTestTop";
    RegistrySandbox sandbox({{HKEY_CURRENT_USER, top}});
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, top);
    CRegistry registry;
    registry.CreateKeyPath((top + L"\\A\\B").c_str());
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, top));

    // A single level is created directly under the root.
    registry.CreateKeyPath(top.c_str());
    EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, top));
}

TEST(RegistrySandbox, RestoresWhatItGuards) {
    const std::wstring top = L"Software\\KrShellExtSandboxTest";
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, top);
    ASSERT_TRUE(RegistrySandbox::WriteDword(HKEY_CURRENT_USER, top + L"\\Kept", L"Value", 1));
    ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_CURRENT_USER, top + L"\\Kept\\Deep", nullptr, L"text"));
    {
        RegistrySandbox sandbox({{HKEY_CURRENT_USER, top + L"\\Kept"}, {HKEY_CURRENT_USER, top + L"\\New\\Deeper"}});
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, top + L"\\Kept\\Deep");
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, top + L"\\Kept", L"Value", 2);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, top + L"\\Kept", L"Added", 2);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, top + L"\\New\\Deeper", L"Added", 2);
    }
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (top + L"\\Kept").c_str(), L"Value", RRF_RT_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    size = sizeof value;
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, (top + L"\\Kept").c_str(), L"Added", RRF_RT_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    wchar_t text[16] = {};
    DWORD textSize = sizeof text;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (top + L"\\Kept\\Deep").c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text,
                           &textSize),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, L"text");
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, top + L"\\New"));
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, top);
}

}  // namespace
