#pragma once
#include <windows.h>
#include <objbase.h>

#include <array>

// Makes one handler object; refuses any outer object.
using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv) noexcept;

// One COM class served by the library: its CLSID, its registrar script, its creator.
struct ObjectMapEntry {
    const CLSID* Clsid;
    UINT ScriptId;
    InstanceCreator CreateInstance;
};

// The script id of a class that a package manifest declares: regsvr32 writes nothing for it.
inline constexpr UINT DeclaredByPackage = 0;

// In registration order.
extern const std::array<ObjectMapEntry, 4> ObjectMap;
