#include "module/IsolationAware.h"

// Plain calls for now; the activation-context handling comes with the module work.
namespace IsolationAware {
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) { return ::InitCommonControlsEx(init); }
HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) { return ::CreatePropertySheetPageW(page); }
BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) { return ::DestroyPropertySheetPage(page); }
}  // namespace IsolationAware
