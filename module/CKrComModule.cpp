#include "module/CKrComModule.h"

#include "module/CClassFactory.h"
#include "module/CKrShellExtModule.h"

CKrComModule& CKrComModule::Instance() {
    static CKrComModule module;
    return module;
}

CKrComModule::CKrComModule() {
    // Class objects unlock the module when released, so it must outlive this object.
    CKrShellExtModule::Instance();
}

CKrComModule::~CKrComModule() {
    for (std::atomic<IUnknown*>& cached : ClassObjects) {
        if (IUnknown* object = cached.exchange(nullptr)) object->Release();
    }
}

HRESULT CKrComModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < ObjectMap.size(); ++i) {
        if (!IsEqualCLSID(*ObjectMap[i].Clsid, clsid)) continue;
        IUnknown* object = nullptr;
        const HRESULT hr = CachedClassObject(i, &object);
        if (FAILED(hr)) return hr;
        return object->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CKrComModule::CachedClassObject(size_t index, IUnknown** object) noexcept {
    *object = ClassObjects[index].load();
    if (*object) return S_OK;
    CCriticalSection::Guard guard(Section);
    *object = ClassObjects[index].load();  // another thread may have made it meanwhile
    if (*object) return S_OK;
    const HRESULT hr = CClassFactory::Create(ObjectMap[index].CreateInstance, object);
    if (SUCCEEDED(hr)) ClassObjects[index].store(*object);
    return hr;
}
