#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "fixtures/RegistrySandbox.h"
#include "support/InstallLocations.h"
#include "support/RegistryValues.h"

namespace {

const std::wstring InstallKey = RegistryValues::InstallKey;
const std::wstring UnredirectedKey = L"Software\\Tamber Soft\\Kestrel";

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring exe = path;
    return exe.substr(0, exe.rfind(L'\\'));
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

struct LocationCase {
    const char* Name;
    const std::wstring* Key;  // where the value is written; nullptr: nowhere
    std::wstring Value;
    std::wstring Folder;      // empty: the test executable's own folder
};

const std::wstring LongFolder = L"C:\\" + std::wstring(1019, L'L');  // with "\" and terminator: 1,024

const std::vector<LocationCase> LocationCases = {
    {"FinalBackslash", &InstallKey, L"C:\\Apps\\Kestrel\\", L"C:\\Apps\\Kestrel"},
    {"NoFinalBackslash", &InstallKey, L"C:\\Apps\\Kestrel", L"C:\\Apps"},
    {"NoBackslashAtAll", &InstallKey, L"Kestrel", L"Kestrel"},
    {"NonAscii", &InstallKey, L"D:\\Pr\u00F6gramme\\\u65E5\u672C\\", L"D:\\Pr\u00F6gramme\\\u65E5\u672C"},
    {"Absent", nullptr, L"", L""},
    {"OnlyUnderTheUnredirectedKey", &UnredirectedKey, L"C:\\Apps\\Kestrel\\", L""},
    {"LongestThatFits", &InstallKey, LongFolder + L"\\", LongFolder},
    {"TooLongForTheBuffer", &InstallKey, LongFolder + L"X\\", L""},
};

class ContextMenuLocations : public testing::TestWithParam<LocationCase> {};

TEST_P(ContextMenuLocations, ExecutablesLieInTheInstallFolder) {
    RegistrySandbox sandbox({{HKEY_LOCAL_MACHINE, InstallKey}, {HKEY_LOCAL_MACHINE, UnredirectedKey}});
    RegistrySandbox::DeleteValue(HKEY_LOCAL_MACHINE, InstallKey, RegistryValues::InstallLocation);
    RegistrySandbox::DeleteValue(HKEY_LOCAL_MACHINE, UnredirectedKey, RegistryValues::InstallLocation);
    const LocationCase& c = GetParam();
    if (c.Key) {
        ASSERT_TRUE(RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, *c.Key, RegistryValues::InstallLocation, c.Value));
    }
    const std::wstring folder = c.Folder.empty() ? ExeFolder() : c.Folder;

    const InstallLocations paths = InstallLocations::ForContextMenu();
    EXPECT_EQ(paths.MainAppPath, folder + L"\\KestrelApp.exe");
    EXPECT_EQ(paths.ConverterPath, folder + L"\\Recast.exe");
    EXPECT_EQ(paths.WizardPath, folder + L"\\Guide.exe");
    EXPECT_EQ(paths.BatchToolPath, folder + L"\\Batch.exe");
    EXPECT_EQ(paths.SchedulerPath, folder + L"\\Agenda.exe");
    // The drop menu always takes the tool beside the library.
    EXPECT_EQ(InstallLocations::DropMenuBatchToolPath(), ExeFolder() + L"\\Batch.exe");
}

void PrintTo(const LocationCase& c, std::ostream* out) { *out << c.Name; }
INSTANTIATE_TEST_SUITE_P(InstallLocation, ContextMenuLocations, testing::ValuesIn(LocationCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(InstallLocations, DropletFilesInTheApplicationDataFolders) {
    const std::wstring local = KnownFolder(FOLDERID_LocalAppData);
    const std::wstring shared = KnownFolder(FOLDERID_ProgramData);
    ASSERT_FALSE(local.empty());
    ASSERT_FALSE(shared.empty());
    const InstallLocations paths = InstallLocations::ForContextMenu();
    EXPECT_EQ(paths.UserDropletFile, local + L"\\Tamber Soft\\DropSlots\\DropSlots.ini");
    EXPECT_EQ(paths.SharedDropletFile, shared + L"\\Tamber Soft\\Kestrel\\DropSlots.ini");
}

TEST(InstallLocations, ModuleFilePathIsTheFileHoldingTheCode) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(ModuleFilePath(), exe);
}

}  // namespace
