#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fixtures/RegistrySandbox.h"
#include "support/CRegistry.h"
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

}  // namespace
