#include "CommandScreenshot.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "PngFile.h"

namespace {

constexpr int RowHeight = 30;
constexpr int SeparatorHeight = 9;
constexpr int PanelWidth = 340;
constexpr int Margin = 16;
constexpr int IconSize = 16;
constexpr COLORREF Desktop = RGB(0xD8, 0xE4, 0xF0);
constexpr COLORREF Panel = RGB(0xF9, 0xF9, 0xF9);
constexpr COLORREF Border = RGB(0xC8, 0xC8, 0xC8);
constexpr COLORREF Highlight = RGB(0xE5, 0xEE, 0xFA);
constexpr COLORREF Text = RGB(0x1A, 0x1A, 0x1A);

// One row of a drawn menu: a command of the tree, or one of Explorer's own entries.
struct Row {
    std::wstring Title;
    std::wstring Icon;
    bool Separator = false;
    bool Opens = false;
    bool Open = false;  // drawn highlighted, its menu beside it
};

int HeightOf(const std::vector<Row>& rows) {
    int height = 8;
    for (const Row& row : rows) height += row.Separator ? SeparatorHeight : RowHeight;
    return height;
}

// Where the open row starts below the panel's top: the next panel opens there.
int OpenRowOffset(const std::vector<Row>& rows) {
    int offset = 4;
    for (const Row& row : rows) {
        if (row.Open) return offset;
        offset += row.Separator ? SeparatorHeight : RowHeight;
    }
    return 0;
}

// "<file>,-<id>" gives the icon resource id of a file; a plain path gives the file's own icon.
HICON LoadSmallIcon(const std::wstring& icon) {
    HICON small = nullptr;
    const size_t comma = icon.rfind(L",-");
    if (comma != std::wstring::npos) {
        SHDefExtractIconW(icon.substr(0, comma).c_str(), _wtoi(icon.c_str() + comma + 1), 0, nullptr, &small,
                          MAKELONG(32, IconSize));
    } else if (!icon.empty()) {
        SHFILEINFOW info{};
        SHGetFileInfoW(icon.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
        small = info.hIcon;
    }
    return small;
}

void DrawPanel(HDC dc, int x, int y, const std::vector<Row>& rows) {
    HBRUSH panel = CreateSolidBrush(Panel);
    HPEN border = CreatePen(PS_SOLID, 1, Border);
    HGDIOBJ oldBrush = SelectObject(dc, panel);
    HGDIOBJ oldPen = SelectObject(dc, border);
    RoundRect(dc, x, y, x + PanelWidth, y + HeightOf(rows), 14, 14);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(panel);
    DeleteObject(border);

    int top = y + 4;
    for (const Row& row : rows) {
        if (row.Separator) {
            RECT line{x + 12, top + SeparatorHeight / 2, x + PanelWidth - 12, top + SeparatorHeight / 2 + 1};
            FillRect(dc, &line, reinterpret_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
            top += SeparatorHeight;
            continue;
        }
        if (row.Open) {
            HBRUSH highlight = CreateSolidBrush(Highlight);
            RECT band{x + 4, top + 1, x + PanelWidth - 4, top + RowHeight - 1};
            FillRect(dc, &band, highlight);
            DeleteObject(highlight);
        }
        if (HICON icon = LoadSmallIcon(row.Icon)) {
            DrawIconEx(dc, x + 14, top + (RowHeight - IconSize) / 2, icon, IconSize, IconSize, 0, nullptr, DI_NORMAL);
            DestroyIcon(icon);
        }
        RECT text{x + 44, top, x + PanelWidth - 28, top + RowHeight};
        DrawTextW(dc, row.Title.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        if (row.Opens) {
            RECT arrow{x + PanelWidth - 26, top, x + PanelWidth - 10, top + RowHeight};
            DrawTextW(dc, L"\u203A", -1, &arrow, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
        top += RowHeight;
    }
}

// The menu of a command: its visible sub-commands, the last one that opens a menu opened.
std::vector<Row> RowsOf(const CommandSnapshot& command, const CommandSnapshot** open) {
    std::vector<Row> rows;
    *open = nullptr;
    for (const CommandSnapshot& child : command.Children) {
        rows.push_back({child.Title, child.Icon, child.Separator, !child.Children.empty(), false});
        if (!child.Children.empty()) *open = &child;
    }
    for (size_t i = 0; *open && i < rows.size(); ++i) rows[i].Open = &command.Children[i] == *open;
    return rows;
}

}  // namespace

bool CommandScreenshot::Save(const CommandSnapshot& root, const std::wstring& pngPath) {
    // Explorer's own first-level entries around ours.
    std::vector<std::vector<Row>> panels = {{
        {L"Open", L"", false, false, false},
        {L"Open with", L"", false, true, false},
        {L"", L"", true, false, false},
        {root.Title, root.Icon, false, true, true},
        {L"", L"", true, false, false},
        {L"Copy as path", L"", false, false, false},
        {L"Properties", L"", false, false, false},
    }};
    for (const CommandSnapshot* menu = &root; menu;) {
        const CommandSnapshot* open = nullptr;
        panels.push_back(RowsOf(*menu, &open));
        menu = open;
    }

    // Each menu opens level with the row that opens it.
    std::vector<int> tops;
    int height = 0;
    for (size_t i = 0, top = Margin; i < panels.size(); top += OpenRowOffset(panels[i]) - 4, ++i) {
        tops.push_back(static_cast<int>(top));
        height = std::max(height, static_cast<int>(top) + HeightOf(panels[i]) + Margin);
    }
    const int width = Margin + static_cast<int>(panels.size()) * (PanelWidth + 4) + Margin;

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!bitmap) {
        DeleteDC(dc);
        return false;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HBRUSH desktop = CreateSolidBrush(Desktop);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, desktop);
    DeleteObject(desktop);
    HFONT font = CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Text);

    for (size_t i = 0; i < panels.size(); ++i)
        DrawPanel(dc, Margin + static_cast<int>(i) * (PanelWidth + 4), tops[i], panels[i]);

    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    const bool saved = PngFile::Save(bitmap, pngPath);
    DeleteObject(bitmap);
    return saved;
}
