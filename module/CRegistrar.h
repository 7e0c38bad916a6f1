#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Runs registrar scripts ("REGISTRY" resources in the usual text form) against the
// classes root. Understands what the library's scripts use: keys, default and named
// string values, NoRemove, ForceRemove and %NAME% replacements.
//
// Registering creates every key and writes its values; a ForceRemove key is deleted with
// everything below it first. Unregistering deletes ForceRemove keys whole, never deletes
// NoRemove keys, and deletes an unmarked key only when nothing but what the script put
// there is left in it.
class CRegistrar {
public:
    // A later pair of the same name takes the place of the earlier one.
    HRESULT AddReplacement(std::wstring_view name, std::wstring_view value) noexcept;

    // Runs script resource id of module in the language of the thread's locale, with
    // "MODULE" replaced by the module's full path.
    HRESULT RunResource(HINSTANCE module, UINT id, bool doRegister) noexcept;
    HRESULT RunScript(std::wstring_view script, bool doRegister) noexcept;

private:
    std::vector<std::pair<std::wstring, std::wstring>> Replacements;
};
