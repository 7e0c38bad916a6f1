#include "proppage/ArchivePage.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "com/IsolationAware.h"
#include "com/ModuleInstance.h"
#include "proppage/CapabilityCatalogue.h"
#include "resources/resource.h"
#include "support/UiResource.h"

namespace {

constexpr int StringCapacity = 256;
constexpr size_t PathCapacity = 1024;

// Not the sheet's PSP_USEREFPARENT: comctl32 changes that count with a plain ++ and -- on the
// sheet's thread, which would race with handlers changing the module count on other threads.
volatile LONG g_livePages = 0;

static_assert(sizeof(PROPSHEETPAGEW) == 96, "the descriptor must carry the activation context handle");

std::wstring_view FileNameOf(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// The format's "%s" is replaced by the name as it is: no other '%' in the name or in a
// translation is interpreted.
std::wstring FileLine(std::wstring_view name) {
    wchar_t format[StringCapacity] = {};
    LoadUiString(ModuleInstance(), IDS_FILE_LINE, format, StringCapacity);
    std::wstring line = format;
    if (const size_t slot = line.find(L"%s"); slot != std::wstring::npos) line.replace(slot, 2, name);
    return line;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void Place(HWND window, int x, int y, int width, int height) {
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER);
}

void FillPage(HWND page, const wchar_t* pathCopy) {
    wchar_t path[PathCapacity] = {};
    if (pathCopy) std::wstring_view(pathCopy).substr(0, PathCapacity - 1).copy(path, PathCapacity - 1);

    // The page takes the sheet's width; the list gets what the file line leaves.
    const SIZE sheet = ClientSize(GetParent(page));
    const HWND fileLine = GetDlgItem(page, IDC_PAGE_FILE_LINE);
    const HWND list = GetDlgItem(page, IDC_PAGE_CAPABILITIES);
    const int h = ClientSize(fileLine).cy;
    Place(fileLine, 12, 12, sheet.cx - 24, h);
    Place(page, 0, 0, sheet.cx - 40, sheet.cy - h - 108);
    Place(list, 12, h + 16, sheet.cx - 44, sheet.cy - h - 118);

    SetWindowTextW(fileLine, FileLine(FileNameOf(path)).c_str());
    FillCapabilityList(list, path);
}

}  // namespace

namespace ArchivePage {

HPROPSHEETPAGE Create(const std::wstring& path) {
    wchar_t title[StringCapacity] = {};
    LoadUiString(ModuleInstance(), IDS_PAGE_TITLE, title, StringCapacity);
    auto copy = std::make_unique<wchar_t[]>(path.size() + 1);
    std::copy(path.begin(), path.end(), copy.get());

    PROPSHEETPAGEW descriptor{};
    descriptor.dwSize = sizeof(descriptor);
    descriptor.dwFlags = PSP_DLGINDIRECT | PSP_USEICONID | PSP_USETITLE | PSP_USECALLBACK;
    descriptor.hInstance = ModuleInstance();
    // The dialog in the texts' language: comctl32 would pick one by the thread's locale.
    descriptor.pResource = static_cast<LPCDLGTEMPLATEW>(
        LockUiResource(ModuleInstance(), RT_DIALOG, MAKEINTRESOURCEW(IDD_ARCHIVE_PAGE)));
    if (!descriptor.pResource) return nullptr;
    descriptor.pszIcon = MAKEINTRESOURCEW(IDI_ARCHIVE_PAGE);
    descriptor.pszTitle = title;
    descriptor.pfnDlgProc = DialogProc;
    descriptor.lParam = reinterpret_cast<LPARAM>(copy.get());
    descriptor.pfnCallback = Callback;

    // Counted before the sheet can call back; given back by the release callback.
    InterlockedIncrement(&g_livePages);
    const HPROPSHEETPAGE page = IsolationAware::CreatePropertySheetPageW(&descriptor);
    if (!page) {
        InterlockedDecrement(&g_livePages);
        return nullptr;
    }
    copy.release();  // the page's from now on
    return page;
}

INT_PTR CALLBACK DialogProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG || !lParam) return FALSE;
    try {
        FillPage(page, reinterpret_cast<const wchar_t*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam));
    } catch (...) {
        // An empty page is all that is left to show.
    }
    return FALSE;  // no focus set
}

UINT CALLBACK Callback(HWND, UINT message, LPPROPSHEETPAGEW page) {
    if (message == PSPCB_RELEASE && page && page->lParam) {
        const std::unique_ptr<wchar_t[]> copy(reinterpret_cast<wchar_t*>(page->lParam));
        page->lParam = 0;
        InterlockedDecrement(&g_livePages);
    }
    return 1;
}

LONG LivePages() { return g_livePages; }

}  // namespace ArchivePage
