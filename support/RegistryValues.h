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
}  // namespace RegistryValues

// True only when HKCU\Software\Tamber Soft\Kestrel "EnableContextMenu" reads exactly 1.
bool IsContextMenuEnabled();
