#include "EntryLabels.h"

#include "menu/CommandTable.h"

namespace {

constexpr UINT ImageIds[] = {205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 217};

std::wstring LoadText(HMODULE library, UINT id) {
    wchar_t text[1024] = {};
    LoadStringW(library, id, text, ARRAYSIZE(text));
    return text;
}

// Pixels of a bitmap as 32-bit top-down rows, for comparing images by content.
std::vector<DWORD> PixelsOf(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return {};
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight + 2);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data() + 2, &header, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight) return {};
    pixels[0] = info.bmWidth;
    pixels[1] = info.bmHeight;
    return pixels;
}

}  // namespace

EntryLabels::EntryLabels(HMODULE library) {
    for (const CommandInfo& info : CommandTable) {
        if (info.MenuTextId) CodeByText.emplace(LoadText(library, info.MenuTextId), info.Code);
    }
    CreateWord = LoadText(library, CreateWordTextId);
    for (UINT id : ImageIds) {
        HBITMAP bitmap = LoadBitmapW(library, MAKEINTRESOURCEW(id));
        if (!bitmap) continue;
        Bitmaps.emplace_back(id, PixelsOf(bitmap));
        DeleteObject(bitmap);
    }
}

EntryLabels::~EntryLabels() = default;

std::wstring EntryLabels::CodeOf(const MenuNode& node, bool inDropletsMenu) const {
    if (node.Separator) return std::to_wstring(Cmd::Separator);
    if (inDropletsMenu && !node.Submenu) return L"droplet";
    auto found = CodeByText.find(node.Text);
    if (found != CodeByText.end()) return std::to_wstring(found->second);
    const std::wstring prefix = CreateWord + L" ";
    auto endsWith = [&](const wchar_t* suffix) {
        std::wstring s = suffix;
        return node.Text.size() >= s.size() && node.Text.compare(node.Text.size() - s.size(), s.size(), s) == 0;
    };
    if (node.Text.rfind(prefix, 0) == 0) {
        if (endsWith(L".zip")) return std::to_wstring(Cmd::CreateZip);
        if (endsWith(L".kesx")) return std::to_wstring(Cmd::CreateKesx);
    }
    return L"droplet?";
}

std::wstring EntryLabels::ImageOf(HBITMAP image) const {
    if (!image) return L"no image";
    std::vector<DWORD> pixels = PixelsOf(image);
    for (const auto& [id, known] : Bitmaps) {
        if (!pixels.empty() && pixels == known) return L"image " + std::to_wstring(id);
    }
    return L"image (droplet icon)";
}
