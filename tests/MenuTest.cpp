#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "module/CKrShellExtModule.h"

namespace {
std::wstring LoadText(UINT id) {
    wchar_t buffer[1024] = {};
    const int length = LoadStringW(ModuleInstance(), id, buffer, 1024);
    return std::wstring(buffer, length > 0 ? length : 0);
}
}  // namespace

TEST(StringTable, EveryIdFrom100To221Loads) {
    for (UINT id = 100; id <= 221; ++id) EXPECT_FALSE(LoadText(id).empty()) << "string " << id;
    EXPECT_TRUE(LoadText(99).empty());
    EXPECT_TRUE(LoadText(222).empty());
}

// Texts whose exact characters are easy to lose: blanks, format fields, punctuation.
TEST(StringTable, KeepsExactTexts) {
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
}
