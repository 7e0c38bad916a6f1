#include "module/CKrShellExtModule.h"

#include "com/Guids.h"
#include "com/UnloadHooks.h"
#include "module/CKrComModule.h"
#include "module/CRegistrar.h"
#include "module/ObjectMap.h"
#include "proppage/ArchivePage.h"
#include "resources/resource.h"

namespace {

// Registration reads the scripts under the system default locale, whatever the caller's
// thread had; the caller gets its own locale back on every way out.
class SystemLocaleScope {
public:
    SystemLocaleScope() noexcept : Saved(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(Saved); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID Saved;
};

struct AppIdText {
    wchar_t Text[40] = {};
    AppIdText() noexcept { StringFromGUID2(KrGuids::AppId, Text, ARRAYSIZE(Text)); }
};
}  // namespace

CKrShellExtModule& CKrShellExtModule::Instance() {
    static CKrShellExtModule module;
    return module;
}

CKrShellExtModule::CKrShellExtModule() = default;

CKrShellExtModule::~CKrShellExtModule() {
    if (Git) Git->Release();
}

LONG CKrShellExtModule::Lock() { return ModuleLock::Lock(); }
LONG CKrShellExtModule::Unlock() { return ModuleLock::Unlock(); }
LONG CKrShellExtModule::GetLockCount() const { return ModuleLock::Count(); }

bool CKrShellExtModule::IsInitialised() const noexcept {
    return Section.IsCreated() && CKrComModule::Instance().IsInitialised();
}

HRESULT CKrShellExtModule::GetGITPtr(IGlobalInterfaceTable** git) noexcept {
    if (!git) return E_POINTER;
    *git = nullptr;
    CCriticalSection::Guard guard(Section);
    if (!Git) {
        const HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&Git));
        if (FAILED(hr)) {
            Git = nullptr;
            return hr;
        }
    }
    Git->AddRef();
    *git = Git;
    return S_OK;
}

HRESULT CKrShellExtModule::AddCommonRGSReplacements(CRegistrar& registrar) noexcept {
    return registrar.AddReplacement(L"APPID", AppIdText().Text);
}

HRESULT CKrShellExtModule::DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept {
    return CKrComModule::Instance().GetClassObject(clsid, riid, ppv);
}

// The shell frees the library only after an S_OK here, and may as well keep it: what may not
// be given back inside DllMain (GDI+) goes now; the rest stays for the next right-click and goes
// at unload. A live property page holds the library through a count of its own (see ArchivePage).
HRESULT CKrShellExtModule::DllCanUnloadNow() noexcept {
    if (GetLockCount() != 0 || ArchivePage::LivePages() != 0) return S_FALSE;
    UnloadHooks::RunAll();
    return S_OK;
}

HRESULT CKrShellExtModule::UpdateRegistryFromResource(UINT scriptId, bool doRegister,
                                                      std::span<const RgsReplacement> extra) noexcept {
    CRegistrar registrar;
    for (const RgsReplacement& pair : extra) registrar.AddReplacement(pair.Name, pair.Value);  // failure ignored
    const HRESULT hr = AddCommonRGSReplacements(registrar);
    if (FAILED(hr)) return hr;
    return registrar.RunResource(ModuleInstance(), scriptId, doRegister);
}

HRESULT CKrShellExtModule::DllRegisterServer() noexcept {
    SystemLocaleScope locale;
    const AppIdText appId;
    const RgsReplacement appIdPair[] = {{L"APPID", appId.Text}};
    HRESULT hr = UpdateRegistryFromResource(IDR_APP_SCRIPT, true, appIdPair);
    for (size_t i = 0; SUCCEEDED(hr) && i < ObjectMap.size(); ++i) {
        if (ObjectMap[i].ScriptId == DeclaredByPackage) continue;
        hr = UpdateRegistryFromResource(ObjectMap[i].ScriptId, true);  // no component categories to add
    }
    return FAILED(hr) ? hr : S_OK;  // the type library is not registered
}

HRESULT CKrShellExtModule::DllUnregisterServer() noexcept {
    SystemLocaleScope locale;
    for (const ObjectMapEntry& entry : ObjectMap) {
        if (entry.ScriptId == DeclaredByPackage) continue;
        const HRESULT hr = UpdateRegistryFromResource(entry.ScriptId, false);
        if (FAILED(hr)) return hr;  // the application entries stay
    }
    const AppIdText appId;
    const RgsReplacement appIdPair[] = {{L"APPID", appId.Text}};
    return UpdateRegistryFromResource(IDR_APP_SCRIPT, false, appIdPair);
}
