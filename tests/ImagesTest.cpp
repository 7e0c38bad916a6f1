// Menu images through the real handler: droplet images made from the shell's icon, and that
// images are made once per process and freed when the library may be unloaded.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fixtures/KestrelUserTest.h"
#include "fixtures/RememberedCodes.h"
#include "fixtures/ShellRightClick.h"
#include "shellkit/ProcessResources.h"
#include "module/CKrShellExtModule.h"
#include "resources/resource.h"

namespace {

using ImagesTest = KestrelUserTest;

CKrShellExtModule& CKrShellModule() { return CKrShellExtModule::Instance(); }

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
    // The icon directory with its one entry (16 x 16, 32 bits, 1128 bytes from offset 22), then the
    // image's header (height doubled for the mask), all as little-endian 16-bit words.
    for (uint32_t word : {0, 1, 1, 0x1010, 0, 1, 32, 1128, 0, 22, 0, 40, 0, 16, 0, 32, 0, 1, 32, 0, 0, 1088, 0, 0, 0, 0, 0, 0, 0, 0, 0})
        put(word, 2);
    const uint32_t quarters[2][2] = {{0xFFFF0000, 0xFF000000}, {0x00000000, 0xFF0000FF}};
    for (int row = 15; row >= 0; --row)
        for (int column = 0; column < 16; ++column) put(quarters[row / 8][column / 8], 4);
    for (int row = 15; row >= 0; --row) put(row >= 8 ? 0xFF : 0x00, 1), put(0, 3);  // transparent where the mask is set
    return bytes;
}

// The icon is whitened (black and transparent pixels), scaled to 14 x 14 and laid on white.
TEST_F(ImagesTest, DropletImageIsTheFilesSmallIconOnWhite) {
    const RegistrySandbox classes{{HKEY_LOCAL_MACHINE, L"Software\\Classes\\.krdroplet"},
                                  {HKEY_LOCAL_MACHINE, L"Software\\Classes\\KrShellExtTest.Droplet"}};
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.krdroplet", nullptr, L"KrShellExtTest.Droplet");
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KrShellExtTest.Droplet\\DefaultIcon", nullptr,
                                 Folders.Tree().AddFile(L"quarters.ico", QuarterIcon()) + L",0");
    Folders.AddFile(L"Drops\\Painted.krdroplet");
    Folders.Write(L"[DropSlots]\n1=%D\\Painted.krdroplet\n", nullptr);

    ShellRightClick click({Folders.Tree().AddFolder(L"Docs")});
    const std::vector<MenuItemSnapshot> menu = click.Snapshot();
    ASSERT_FALSE(menu.empty());
    std::vector<HBITMAP> images;
    for (const MenuItemSnapshot& item : menu.back().Submenu)
        if (item.Text == L"Droplets") CollectImages(item.Submenu, images);
    ASSERT_EQ(images.size(), 1u);
    BITMAP header{};
    ASSERT_TRUE(GetObjectW(images[0], sizeof(header), &header) && header.bmWidth == 14 && header.bmHeight == 14);
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, images[0]);
    const struct {
        int X, Y;
        COLORREF Colour;
    } samples[] = {{3, 3, RGB(255, 0, 0)}, {10, 3, RGB(255, 255, 255)}, {3, 10, RGB(255, 255, 255)}, {10, 10, RGB(0, 0, 255)}};
    for (const auto& s : samples) {
        const COLORREF pixel = GetPixel(dc, s.X, s.Y);
        bool matches = true;
        for (int shift = 0; shift < 24; shift += 8) matches &= std::abs(int((pixel >> shift) & 0xFF) - int((s.Colour >> shift) & 0xFF)) <= 8;
        EXPECT_TRUE(matches) << "(" << s.X << "," << s.Y << ") is " << std::hex << pixel;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
}

// The images belong to the process: every right-click shows the same ones, a droplet file
// that changed gets a new image, and all of them go once the library may be unloaded.
TEST_F(ImagesTest, ImagesAreSharedUntilTheLibraryMayUnload) {
    const std::wstring folder = Folders.Tree().AddFolder(L"Docs");
    for (const wchar_t* file : {L"Drops\\one.exe", L"Drops\\two.txt", L"Drops\\three"}) Folders.AddFile(file);
    Folders.Write(L"[DropSlots]\n1=%D\\one.exe\n2=%D\\two.txt\n3=%D\\three\n", nullptr);
    // The images of one right-click, taken while its menu and handler live.
    auto rightClick = [&folder] {
        ShellRightClick click({folder});
        std::vector<HBITMAP> images;
        CollectImages(click.Snapshot(), images);
        return images;
    };
    CKrShellModule().DllCanUnloadNow();
    rightClick();  // the shell's icon cache fills on first use
    ASSERT_EQ(CKrShellModule().DllCanUnloadNow(), S_OK);

    const DWORD before = GdiObjectCount();
    HBITMAP probe = CreateBitmap(1, 1, 1, 1, nullptr);
    ASSERT_EQ(GdiObjectCount(), before + 1) << "GDI objects cannot be counted here";
    DeleteObject(probe);

    const std::vector<HBITMAP> first = rightClick();
    // Ten fixed images on the menu of a folder, and three droplets.
    ASSERT_EQ(first.size(), 13u);
    for (int round = 0; round < 50; ++round) ASSERT_EQ(rightClick(), first) << "round " << round;
    EXPECT_EQ(GdiObjectCount(), before + 11 + 3);  // resource 208 is loaded with the others

    // A newer file, a new image; the old one stays while a menu may still show it.
    const HANDLE file = CreateFileW(Folders.Tree().PathOf(L"Drops\\two.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME later{0x12345678, 0x01D00000};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
    CloseHandle(file);
    const std::vector<HBITMAP> changed = rightClick();
    ASSERT_EQ(changed.size(), first.size());
    EXPECT_EQ(std::count_if(changed.begin(), changed.end(),
                            [&](HBITMAP image) { return std::find(first.begin(), first.end(), image) == first.end(); }),
              1);
    for (HBITMAP image : first) EXPECT_NE(GetObjectType(image), 0u);

    {
        const ShellRightClick open({folder});  // a live handler keeps everything
        EXPECT_EQ(CKrShellModule().DllCanUnloadNow(), S_FALSE);
        for (HBITMAP image : changed) EXPECT_NE(GetObjectType(image), 0u);
    }
    EXPECT_EQ(CKrShellModule().DllCanUnloadNow(), S_OK);
    for (const auto* images : {&first, &changed})
        for (HBITMAP image : *images) EXPECT_EQ(GetObjectType(image), 0u);
    EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
