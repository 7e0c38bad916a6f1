#pragma once
#include <windows.h>

#include <string>

// The current user's own classes (HKCU\Software\Classes), which Windows lays over the machine's
// in HKEY_CLASSES_ROOT and in COM: a per-user install registers the handlers only there.
// Wine 8 merges neither, so krhost reads them itself, user first, as Windows does.
class UserClasses {
public:
    // The key at `path` below the user's classes, or null when there is none (close it).
    static HKEY Open(const std::wstring& path);

    // An in-process class the user's classes register: its InprocServer32 library loaded and
    // asked through DllGetClassObject, as COM does. REGDB_E_CLASSNOTREG when not registered there.
    static HRESULT CreateInstance(REFCLSID clsid, REFIID riid, void** object);
};
