#include "MenuScreenshot.h"

#include <algorithm>

#include "PngFile.h"

namespace {

struct Plan {
    HWND Owner = nullptr;
    std::vector<WPARAM> Keys;
    std::wstring PngPath;
    bool Saved = false;
};

BOOL CALLBACK CollectMenuWindows(HWND window, LPARAM rectangles) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    if (wcscmp(name, L"#32768") == 0 && IsWindowVisible(window)) {
        RECT r;
        GetWindowRect(window, &r);
        reinterpret_cast<std::vector<RECT>*>(rectangles)->push_back(r);
    }
    return TRUE;
}

bool CaptureMenus(const std::wstring& path) {
    std::vector<RECT> menus;
    EnumWindows(CollectMenuWindows, reinterpret_cast<LPARAM>(&menus));
    if (menus.empty()) return false;
    RECT all = menus.front();
    for (const RECT& r : menus) UnionRect(&all, &all, &r);
    InflateRect(&all, 12, 12);
    all.left = std::max<LONG>(all.left, 0);
    all.top = std::max<LONG>(all.top, 0);
    const int width = all.right - all.left, height = all.bottom - all.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // Only the menus themselves, on a light background like a desktop window behind them.
    RECT canvas{0, 0, width, height};
    HBRUSH background = CreateSolidBrush(RGB(0xF3, 0xF3, 0xF3));
    FillRect(memory, &canvas, background);
    DeleteObject(background);
    for (const RECT& r : menus) {
        BitBlt(memory, r.left - all.left, r.top - all.top, r.right - r.left, r.bottom - r.top, screen, r.left, r.top,
               SRCCOPY);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    bool saved = PngFile::Save(bitmap, path);
    DeleteObject(bitmap);
    return saved;
}

DWORD WINAPI Drive(void* parameter) {
    Plan* plan = static_cast<Plan*>(parameter);
    Sleep(800);
    for (WPARAM key : plan->Keys) {
        PostMessageW(plan->Owner, WM_KEYDOWN, key, 0);
        PostMessageW(plan->Owner, WM_KEYUP, key, 0xC0000000);
        Sleep(key == VK_RIGHT ? 600 : 120);
    }
    Sleep(500);
    plan->Saved = CaptureMenus(plan->PngPath);
    for (int i = 0; i < 4; ++i) {
        PostMessageW(plan->Owner, WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(100);
    }
    return 0;
}

}  // namespace

bool MenuScreenshot::Capture(HMENU menu, const std::vector<MenuItemSnapshot>& tree, UINT kestrelId, const std::wstring& pngPath) {
    Plan plan;
    plan.PngPath = pngPath;
    // Down to "Kestrel" (separators are skipped by the keyboard), open it, then open
    // its last entry ("Kestrel Tools") with Up (wraps to the end) and Right.
    const MenuItemSnapshot* kestrel = nullptr;
    for (const MenuItemSnapshot& node : tree) {
        if (!node.Separator) plan.Keys.push_back(VK_DOWN);
        if (node.Id == kestrelId && node.HasSubmenu) {
            kestrel = &node;
            break;
        }
    }
    if (!kestrel) return false;
    plan.Keys.push_back(VK_RIGHT);
    if (!kestrel->Submenu.empty() && kestrel->Submenu.back().HasSubmenu) {
        plan.Keys.push_back(VK_UP);
        plan.Keys.push_back(VK_RIGHT);
    }

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KrHostOwner";
    RegisterClassW(&windowClass);
    plan.Owner = CreateWindowExW(0, L"KrHostOwner", L"krhost", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    if (!plan.Owner) return false;
    SetForegroundWindow(plan.Owner);

    // A plain Win32 thread: the library and its tools use the win32 thread model.
    const HANDLE driver = CreateThread(nullptr, 0, Drive, &plan, 0, nullptr);
    if (!driver) return false;
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, 40, 30, 0, plan.Owner, nullptr);
    WaitForSingleObject(driver, INFINITE);
    CloseHandle(driver);
    DestroyWindow(plan.Owner);
    return plan.Saved;
}
