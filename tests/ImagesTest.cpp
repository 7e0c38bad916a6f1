// Menu images through the real handler: the bitmap resources and the images of the remembered
// entries.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "fixtures/MenuSnapshot.h"
#include "fixtures/RegistrySandbox.h"
#include "fixtures/ShellRightClick.h"
#include "fixtures/TempTree.h"
#include "module/CKrShellExtModule.h"
#include "support/RegistryValues.h"

namespace {

namespace Reg = RegistryValues;

constexpr UINT ImageIds[] = {205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 217};

class ImagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, 1);
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Reg::ContextMenuKey);
    }
    void TearDown() override { CoUninitialize(); }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"}};
    TempTree Tree;
};

TEST_F(ImagesTest, EachBitmapIsA14By14TrueColourImageWithTheSamePixelsInEveryLanguage) {
    const LANGID languages[] = {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
                                MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)};
    for (UINT id : ImageIds) {
        std::string first;
        for (LANGID language : languages) {
            SCOPED_TRACE(testing::Message() << "bitmap " << id << " language " << language);
            HRSRC found = FindResourceExW(ModuleInstance(), RT_BITMAP, MAKEINTRESOURCEW(id), language);
            ASSERT_TRUE(found);
            ASSERT_EQ(SizeofResource(ModuleInstance(), found), 656u);
            const auto* data = static_cast<const char*>(LockResource(LoadResource(ModuleInstance(), found)));
            const std::string bytes(data, 656);
            const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
            EXPECT_EQ(header->biSize, 40u);
            EXPECT_EQ(header->biWidth, 14);
            EXPECT_EQ(header->biHeight, 14);  // bottom-up
            EXPECT_EQ(header->biBitCount, 24);
            EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
            if (first.empty()) first = bytes;
            EXPECT_EQ(bytes, first);
        }
    }
}

TEST_F(ImagesTest, RememberedEntriesCarryTheirImagesOnTheShellMenu) {
    const std::wstring folder = Tree.AddFolder(L"Docs");
    const std::wstring zip = Tree.AddFile(L"a.zip");
    const struct {
        DWORD Code;
        const std::wstring& Selected;
        UINT Image;
    } cases[] = {
        {22, folder, 212}, {23, folder, 210}, {24, folder, 211}, {25, folder, 209}, {27, folder, 217},
        {17, folder, 213}, {18, folder, 207}, {20, folder, 205}, {26, folder, 205}, {15, folder, 205},
        {16, zip, 205},    {1, zip, 205},     {8, zip, 205},     {14, zip, 205},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Code);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd1, c.Code);
        ShellRightClick click({c.Selected});
        const std::vector<MenuItemSnapshot> menu = click.Snapshot();
        ASSERT_EQ(menu.size(), 3u);  // separator, the remembered entry, "Kestrel"
        EXPECT_EQ(BitmapResourceOf(menu[1].Image, ModuleInstance(), {205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 217}),
                  c.Image);
    }
}

}  // namespace
