#include "PropertyReport.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "Console.h"
#include "HandlerRegistry.h"
#include "PngFile.h"
#include "ShellSession.h"

namespace {

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, ARRAYSIZE(name));
    Console::Out(L"   " + std::wstring(name) + L" " + std::to_wstring(GetDlgCtrlID(control)) + L": \"" + TextOf(control) + L"\"\n");
    if (_wcsicmp(name, L"ListBox") == 0) {
        const LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(SendMessageW(control, LB_GETTEXTLEN, i, 0) + 1, L'\0');
            SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(wcslen(item.c_str()));
            Console::Out(L"      • " + item + L"\n");
        }
    }
    return TRUE;
}

bool SaveWindow(HWND window, const std::wstring& path) {
    RECT r;
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const bool saved = PngFile::Save(bitmap, path);
    DeleteObject(bitmap);
    return saved;
}

void PumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG message;
    while (GetTickCount() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

}  // namespace

int PropertyReport::Run(const std::wstring& path, const std::wstring& screenshot) {
    const auto handlers = HandlerRegistry::For(HandlerRegistry::Kind::PropertySheet, {path});
    if (handlers.empty()) {
        Console::Err(L"krhost: no property-sheet handler is registered for files (is KrShellExtEN.dll registered? run regsvr32)\n");
        return 1;
    }
    Console::Out(L"Properties of " + path + L"\n");
    std::vector<HPROPSHEETPAGE> pages;
    for (const auto& handler : handlers) {
        ShellSession* raw = nullptr;
        HRESULT initResult = E_FAIL;
        if (FAILED(ShellSession::Start(handler, L"", {path}, &raw, &initResult))) continue;
        std::unique_ptr<ShellSession> session(raw);
        wchar_t hr[16];
        wsprintfW(hr, L"0x%08X", static_cast<unsigned>(initResult));
        Console::Out(L"\nHandler " + handler.Name + L": Initialize returned " + hr + L"\n");
        if (FAILED(initResult)) continue;
        if (IShellPropSheetExt* sheetHandler = session->Query<IShellPropSheetExt>(IID_IShellPropSheetExt)) {
            const size_t before = pages.size();
            sheetHandler->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages));
            Console::Out(L"AddPages added " + std::to_wstring(pages.size() - before) + L" page(s)\n");
            sheetHandler->Release();
        }
    }
    if (pages.empty()) {
        Console::Out(L"\nNo page is added to this file's properties.\n");
        return 0;
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    header.pszCaption = L"Properties";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (!sheet) {
        Console::Err(L"krhost: the property sheet could not be created\n");
        return 1;
    }
    PumpFor(300);
    for (size_t i = 0; i < pages.size(); ++i) {
        SendMessageW(sheet, PSM_SETCURSEL, i, 0);
        PumpFor(200);
        HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, i, 0));
        TCITEMW tab{};
        wchar_t title[256] = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = title;
        tab.cchTextMax = ARRAYSIZE(title);
        SendMessageW(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETITEMW, i,
                     reinterpret_cast<LPARAM>(&tab));
        Console::Out(L"\nPage " + std::to_wstring(i + 1) + L": \"" + title + L"\"\n");
        if (page) EnumChildWindows(page, PrintControl, 0);
    }
    if (!screenshot.empty()) {
        SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
        PumpFor(300);
        if (SaveWindow(sheet, screenshot)) Console::Out(L"\nScreenshot saved: " + screenshot + L"\n");
    }
    DestroyWindow(sheet);
    PumpFor(100);
    return 0;
}
