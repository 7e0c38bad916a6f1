#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "fixtures/RegistrySandbox.h"
#include "support/InstallLocations.h"
#include "support/RegistryValues.h"

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::wstring result = SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) ? path : L"";
    CoTaskMemFree(path);
    return result;
}

TEST(InstallLocations, ExecutablesLieInTheInstallFolder) {
    const std::wstring installKey = RegistryValues::InstallKey, unredirected = L"Software\\Tamber Soft\\Kestrel";
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring own = std::wstring(exe).substr(0, std::wstring(exe).rfind(L'\\'));
    const std::wstring longest = L"C:\\" + std::wstring(1019, L'L');  // with "\" and terminator: 1,024
    const struct {
        const std::wstring* Key;  // where "InstallLocation" is written; nullptr: nowhere
        std::wstring Value, Folder;
    } cases[] = {
        {&installKey, L"C:\\Apps\\Kestrel\\", L"C:\\Apps\\Kestrel"},
        {&installKey, L"C:\\Apps\\Kestrel", L"C:\\Apps"},
        {&installKey, L"Kestrel", L"Kestrel"},
        {&installKey, L"D:\\Pr\u00F6gramme\\\u65E5\u672C\\", L"D:\\Pr\u00F6gramme\\\u65E5\u672C"},
        {nullptr, L"", own},
        {&unredirected, L"C:\\Apps\\Kestrel\\", own},
        {&installKey, longest + L"\\", longest},
        {&installKey, longest + L"X\\", own},
    };
    RegistrySandbox sandbox({{HKEY_LOCAL_MACHINE, installKey}, {HKEY_LOCAL_MACHINE, unredirected}});
    for (const auto& c : cases) {
        RegistrySandbox::DeleteValue(HKEY_LOCAL_MACHINE, installKey, RegistryValues::InstallLocation);
        RegistrySandbox::DeleteValue(HKEY_LOCAL_MACHINE, unredirected, RegistryValues::InstallLocation);
        if (c.Key) {
            ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, *c.Key, RegistryValues::InstallLocation, c.Value));
        }
        const InstallLocations paths = InstallLocations::ForContextMenu();
        EXPECT_EQ(paths.MainAppPath, c.Folder + L"\\KestrelApp.exe") << c.Value;
        EXPECT_EQ(paths.ConverterPath, c.Folder + L"\\Recast.exe") << c.Value;
        EXPECT_EQ(paths.WizardPath, c.Folder + L"\\Guide.exe") << c.Value;
        EXPECT_EQ(paths.BatchToolPath, c.Folder + L"\\Batch.exe") << c.Value;
        EXPECT_EQ(paths.SchedulerPath, c.Folder + L"\\Agenda.exe") << c.Value;
        EXPECT_EQ(InstallLocations::DropMenuBatchToolPath(), own + L"\\Batch.exe");  // always beside the library
        EXPECT_EQ(paths.UserDropletFile(), KnownFolder(FOLDERID_LocalAppData) + L"\\Tamber Soft\\DropSlots\\DropSlots.ini");
        EXPECT_EQ(paths.SharedDropletFile(), KnownFolder(FOLDERID_ProgramData) + L"\\Tamber Soft\\Kestrel\\DropSlots.ini");
    }
}

}  // namespace
