#include "support/InstallLocations.h"

#include <windows.h>
#include <shlobj.h>

#include "com/ModuleInstance.h"
#include "support/CRegistry.h"
#include "support/RegistryValues.h"

namespace {

constexpr DWORD PathBufferLength = 1024;

struct Executable {
    std::wstring InstallLocations::Programs::*Field;
    const wchar_t* Name;
};

constexpr Executable ProgramNames[] = {
    {&InstallLocations::Programs::MainAppPath, L"\\KestrelApp.exe"},
    {&InstallLocations::Programs::ConverterPath, L"\\Recast.exe"},
    {&InstallLocations::Programs::WizardPath, L"\\Guide.exe"},
    {&InstallLocations::Programs::BatchToolPath, L"\\Batch.exe"},
    {&InstallLocations::Programs::SchedulerPath, L"\\Agenda.exe"},
};

// Everything before the last backslash; text without one stays whole.
std::wstring CutAtLastBackslash(const std::wstring& text) {
    const size_t last = text.rfind(L'\\');
    return last == std::wstring::npos ? text : text.substr(0, last);
}

// Empty when the folder cannot be determined: that catalogue then gives no droplets.
std::wstring DropletFile(int folder, const wchar_t* subFolder) {
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, folder, FALSE)) return {};
    return std::wstring(path) + subFolder + L"\\DropSlots.ini";
}

}  // namespace

const InstallLocations::Programs& InstallLocations::Executables() const {
    if (Installed) return *Installed;
    CRegistry registry;
    registry.SetRoot(CRegistry::LocalMachine);
    registry.SetKeyPath(RegistryValues::InstallKey);
    wchar_t location[PathBufferLength] = {};
    // The value is expected to end in a backslash; the library's own path loses its file name.
    const std::wstring folder = CutAtLastBackslash(
        registry.GetString(RegistryValues::InstallLocation, location, PathBufferLength) ? location : ModuleFilePath());

    Programs programs;
    for (const Executable& executable : ProgramNames) programs.*executable.Field = folder + executable.Name;
    return Installed.emplace(std::move(programs));
}

const InstallLocations::CatalogueFiles& InstallLocations::DropletFiles() const {
    if (!Catalogue) {
        Catalogue = CatalogueFiles{DropletFile(CSIDL_LOCAL_APPDATA, L"\\Tamber Soft\\DropSlots"),
                                   DropletFile(CSIDL_COMMON_APPDATA, L"\\Tamber Soft\\Kestrel")};
    }
    return *Catalogue;
}

std::wstring InstallLocations::DropMenuBatchToolPath() {
    const std::wstring module = ModuleFilePath();
    const size_t last = module.rfind(L'\\');
    return last == std::wstring::npos ? std::wstring() : module.substr(0, last) + L"\\Batch.exe";
}

std::wstring ModuleFilePath() {
    wchar_t path[PathBufferLength] = {};
    const DWORD length = GetModuleFileNameW(ModuleInstance(), path, PathBufferLength);
    return std::wstring(path, length < PathBufferLength ? length : PathBufferLength - 1);
}
