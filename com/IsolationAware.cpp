#include "com/IsolationAware.h"

#include <cstring>
#include <vector>

#include "com/ModuleInstance.h"
#include "resources/resource.h"

namespace {

// The module's own activation context: the one it was loaded with, else one made from
// its isolation manifest resource. Determined once and kept while the library stays loaded;
// null when the module has neither.
bool g_contextKnown = false;
HANDLE g_context = nullptr;

// A context made here is given back when the library unloads (ReleaseActCtx is safe in
// DllMain); the one the loader made is the loader's.
struct MadeContext {
    HANDLE Handle = nullptr;
    ~MadeContext() {
        if (Handle) ReleaseActCtx(Handle);
    }
} g_made;

bool IsMissingResource(DWORD error) {
    return error == ERROR_RESOURCE_DATA_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND ||
           error == ERROR_RESOURCE_NAME_NOT_FOUND || error == ERROR_RESOURCE_LANG_NOT_FOUND;
}

bool DetermineContext() {
    if (g_contextKnown) return true;
    HANDLE context = nullptr;
    ACTIVATION_CONTEXT_BASIC_INFORMATION info{};
    if (QueryActCtxW(QUERY_ACTCTX_FLAG_ACTCTX_IS_ADDRESS | QUERY_ACTCTX_FLAG_NO_ADDREF, ModuleInstance(), nullptr,
                     ActivationContextBasicInformation, &info, sizeof(info), nullptr) &&
        info.hActCtx) {
        context = info.hActCtx;
    } else {
        ACTCTXW request{};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.hModule = ModuleInstance();
        request.lpResourceName = MAKEINTRESOURCEW(IDR_ISOLATION_MANIFEST);
        context = CreateActCtxW(&request);
        if (context == INVALID_HANDLE_VALUE) {
            if (!IsMissingResource(GetLastError())) return false;
            context = nullptr;
        }
        g_made.Handle = context;
    }
    g_context = context;
    g_contextKnown = true;
    return true;
}

// Calls the common-controls function name inside the module's context. The function is
// looked up while the context is active, so a redirected Comctl32.dll is the one used;
// it stays loaded, since its address is kept.
template <typename Function, typename... Args>
auto CallInContext(Function*& cached, const char* name, Args... args) -> decltype(cached(args...)) {
    using Result = decltype(cached(args...));
    if (!DetermineContext()) return Result{};
    ULONG_PTR cookie = 0;
    if (g_context && !ActivateActCtx(g_context, &cookie)) return Result{};
    if (!cached) {
        if (HMODULE comctl = LoadLibraryW(L"Comctl32.dll")) {
            cached = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(comctl, name)));
        }
    }
    const Result result = cached ? cached(args...) : Result{};
    const DWORD error = GetLastError();
    if (g_context) DeactivateActCtx(0, cookie);
    if (!result) SetLastError(error);
    return result;
}

decltype(&::InitCommonControlsEx) g_initCommonControlsEx = nullptr;
decltype(&::CreatePropertySheetPageW) g_createPropertySheetPage = nullptr;
decltype(&::DestroyPropertySheetPage) g_destroyPropertySheetPage = nullptr;

}  // namespace

namespace IsolationAware {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    return CallInContext(g_initCommonControlsEx, "InitCommonControlsEx", init);
}

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page) {
    if (!DetermineContext()) return nullptr;
    if (!page || !g_context || page->dwSize < sizeof(PROPSHEETPAGEW) || (page->dwFlags & PSP_USEFUSIONCONTEXT)) {
        return CallInContext(g_createPropertySheetPage, "CreatePropertySheetPageW", page);
    }
    // The page's dialog must be made in our context too: hand the sheet a copy that says so.
    // The copy keeps any caller data that follows the descriptor.
    try {
        std::vector<BYTE> copy(page->dwSize);
        std::memcpy(copy.data(), page, copy.size());
        auto* withContext = reinterpret_cast<PROPSHEETPAGEW*>(copy.data());
        withContext->dwFlags |= PSP_USEFUSIONCONTEXT;
        withContext->hActCtx = g_context;
        return CallInContext(g_createPropertySheetPage, "CreatePropertySheetPageW",
                             static_cast<LPCPROPSHEETPAGEW>(withContext));
    } catch (...) {
        SetLastError(ERROR_OUTOFMEMORY);
        return nullptr;
    }
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) {
    return CallInContext(g_destroyPropertySheetPage, "DestroyPropertySheetPage", page);
}

}  // namespace IsolationAware
