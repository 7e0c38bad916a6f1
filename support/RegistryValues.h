#pragma once
// Every registry key and value the library reads or writes at run time.
namespace RegistryValues {
inline constexpr const wchar_t* ProductKey = L"Software\\Tamber Soft\\Kestrel";
inline constexpr const wchar_t* ContextMenuSuffix = L"\\ContextMenu";
inline constexpr const wchar_t* ContextMenuKey = L"Software\\Tamber Soft\\Kestrel\\ContextMenu";
// Named literally so the 64-bit library sees what 32-bit programs wrote.
inline constexpr const wchar_t* InstallKey = L"Software\\Wow6432Node\\Tamber Soft\\Kestrel";

inline constexpr const wchar_t* EnableContextMenu = L"EnableContextMenu";
inline constexpr const wchar_t* TempFolder = L"TempFolder";
inline constexpr const wchar_t* Cmd1 = L"Cmd1";
inline constexpr const wchar_t* Cmd2 = L"Cmd2";
inline constexpr const wchar_t* InstallLocation = L"InstallLocation";

// The archiver's ProgIDs: the default value of an extension's key under the classes root
// names one of these while the archiver owns the extension. Only ever read.
inline constexpr const wchar_t* ProgIdKesx = L"Kestrel.Archive.Open.Kesx";
inline constexpr const wchar_t* ProgIdKedx = L"Kestrel.Archive.Open.Kedx";
inline constexpr const wchar_t* ProgIdKes = L"Kestrel.Archive.Open.Kes";
inline constexpr const wchar_t* ProgIdZip = L"Kestrel.Archive.Open.Zip";
inline constexpr const wchar_t* ProgId7Zip = L"Kestrel.Archive.Open.7Zip";
inline constexpr const wchar_t* ProgIdRar = L"Kestrel.Archive.Open.Rar";
inline constexpr const wchar_t* ProgIdTar = L"Kestrel.Archive.Open.Tar";
inline constexpr const wchar_t* ProgIdCab = L"Kestrel.Archive.Open.Cab";
inline constexpr const wchar_t* ProgIdGeneric = L"Kestrel.Archive.Open.Generic";
}  // namespace RegistryValues

// True only when HKCU\Software\Tamber Soft\Kestrel "EnableContextMenu" reads exactly 1.
bool IsContextMenuEnabled();
