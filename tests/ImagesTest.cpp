// Menu images through the real handler: the bitmap resources, the images of the remembered
// entries, droplet images made from the shell's icon, and that a handler frees them all.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fixtures/DropletCatalogueFolders.h"
#include "fixtures/GdiObjectCount.h"
#include "shellkit/MenuSnapshot.h"
#include "fixtures/RegistrySandbox.h"
#include "fixtures/ShellRightClick.h"
#include "module/CKrShellExtModule.h"
#include "support/RegistryValues.h"

namespace {

namespace Reg = RegistryValues;

constexpr UINT ImageIds[] = {205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 217};

// Pixels top-down as 0xRRGGBB, or nothing when the image is not 14 x 14.
std::vector<DWORD> Pixels14(HBITMAP image) {
    BITMAP header{};
    if (!image || !GetObjectW(image, sizeof(header), &header) || header.bmWidth != 14 || header.bmHeight != 14) return {};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 14, -14, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(14 * 14);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, image, 0, 14, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    return rows == 14 ? pixels : std::vector<DWORD>{};
}

bool Near(DWORD pixel, DWORD expected) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int difference = static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF);
        if (difference > 8 || difference < -8) return false;
    }
    return true;
}

void CollectImages(const std::vector<MenuItemSnapshot>& items, std::vector<HBITMAP>& images) {
    for (const MenuItemSnapshot& item : items) {
        if (item.Image) images.push_back(item.Image);
        CollectImages(item.Submenu, images);
    }
}

// A 16 x 16 32-bit icon file in quarters: opaque red top left, opaque black top right,
// transparent bottom left, opaque blue bottom right.
std::string QuarterIcon() {
    std::string bytes;
    auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    const uint32_t quarters[2][2] = {{0xFFFF0000, 0xFF000000}, {0x00000000, 0xFF0000FF}};
    const uint32_t pixelBytes = 16 * 16 * 4, maskBytes = 16 * 4;
    put(0, 2), put(1, 2), put(1, 2);                                 // one icon
    put(16, 1), put(16, 1), put(0, 2), put(1, 2), put(32, 2);        // 16 x 16, 32 bits
    put(40 + pixelBytes + maskBytes, 4), put(6 + 16, 4);             // its size and place
    put(40, 4), put(16, 4), put(32, 4), put(1, 2), put(32, 2);       // the image and its mask
    put(BI_RGB, 4), put(pixelBytes + maskBytes, 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4);
    for (int row = 15; row >= 0; --row)
        for (int column = 0; column < 16; ++column) put(quarters[row / 8][column / 8], 4);
    for (int row = 15; row >= 0; --row) put(row >= 8 ? 0xFF : 0x00, 1), put(0, 3);  // transparent where the mask is set
    return bytes;
}

class ImagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, 1);
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Reg::ContextMenuKey);
    }
    void TearDown() override { CoUninitialize(); }

    void WriteDroplets(const std::vector<std::wstring>& files) const {
        std::wstring catalogue = L"[DropSlots]\n";
        for (const std::wstring& file : files) catalogue += L"D=" + file + L"\n";
        DropletCatalogueFolders::Write(Folders.UserFile(), catalogue);
    }

    RegistrySandbox Registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"},
                             {HKEY_LOCAL_MACHINE, L"Software\\Classes\\.krdroplet"},
                             {HKEY_LOCAL_MACHINE, L"Software\\Classes\\KrShellExtTest.Droplet"}};
    DropletCatalogueFolders Folders;
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
    const std::wstring folder = Folders.Tree().AddFolder(L"Docs");
    const std::wstring zip = Folders.Tree().AddFile(L"a.zip");
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

// The icon is whitened (black and transparent pixels), scaled to 14 x 14 and laid on white.
TEST_F(ImagesTest, DropletImageIsTheFilesSmallIconOnWhite) {
    const std::wstring icon = Folders.Tree().AddFile(L"quarters.ico", QuarterIcon());
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.krdroplet", nullptr, L"KrShellExtTest.Droplet");
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KrShellExtTest.Droplet\\DefaultIcon", nullptr,
                                 icon + L",0");
    WriteDroplets({Folders.AddFile(L"Drops\\Painted.krdroplet")});

    ShellRightClick click({Folders.Tree().AddFolder(L"Docs")});
    const std::vector<MenuItemSnapshot> menu = click.Snapshot();
    ASSERT_FALSE(menu.empty());
    std::vector<HBITMAP> images;
    for (const MenuItemSnapshot& item : menu.back().Submenu)
        if (item.Text == L"Droplets") CollectImages(item.Submenu, images);
    ASSERT_EQ(images.size(), 1u);
    const std::vector<DWORD> pixels = Pixels14(images.front());
    ASSERT_EQ(pixels.size(), 14u * 14u);
    const struct {
        int X, Y;
        DWORD Colour;
    } samples[] = {{2, 2, 0xFF0000}, {4, 4, 0xFF0000}, {11, 2, 0xFFFFFF}, {9, 4, 0xFFFFFF},
                   {2, 11, 0xFFFFFF}, {4, 9, 0xFFFFFF}, {11, 11, 0x0000FF}, {9, 9, 0x0000FF}};
    for (const auto& s : samples)
        EXPECT_TRUE(Near(pixels[s.Y * 14 + s.X], s.Colour))
            << "(" << s.X << "," << s.Y << ") is " << std::hex << pixels[s.Y * 14 + s.X];
}

TEST_F(ImagesTest, DestroyedHandlersLeaveNoImageBehind) {
    const std::wstring folder = Folders.Tree().AddFolder(L"Docs");
    WriteDroplets({Folders.AddFile(L"Drops\\one.exe"), Folders.AddFile(L"Drops\\two.txt"), Folders.AddFile(L"Drops\\three")});
    // The images of one right-click, taken while its menu and handler live.
    auto rightClick = [&folder] {
        ShellRightClick click({folder});
        std::vector<HBITMAP> images;
        CollectImages(click.Snapshot(), images);
        return images;
    };
    rightClick();  // the shell's icon cache fills on first use

    const DWORD before = GdiObjectCount();
    HBITMAP probe = CreateBitmap(1, 1, 1, 1, nullptr);
    ASSERT_EQ(GdiObjectCount(), before + 1) << "GDI objects cannot be counted here";
    DeleteObject(probe);

    for (int round = 0; round < 50; ++round) {
        const std::vector<HBITMAP> images = rightClick();
        // Ten fixed images on the menu of a folder, and three droplets.
        ASSERT_EQ(images.size(), 13u);
        for (HBITMAP image : images) EXPECT_EQ(GetObjectType(image), 0u) << "round " << round;
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
