#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

// Common-controls calls made inside the module's own activation context.
namespace IsolationAware {
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page);
BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page);
}  // namespace IsolationAware
