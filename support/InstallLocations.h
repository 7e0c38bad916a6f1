#pragma once
#include <optional>
#include <string>

// Where the archiver's executables and droplet catalogue files are: the executables worked
// out when a handler object is made, the catalogue files (two special folders) when first
// asked for; nothing checks that the files exist.
struct InstallLocations {
    std::wstring MainAppPath;
    std::wstring ConverterPath;
    std::wstring WizardPath;
    std::wstring BatchToolPath;
    std::wstring SchedulerPath;

    // Empty when the special folder cannot be determined: no droplets from that file.
    const std::wstring& UserDropletFile() const { return DropletFiles().User; }
    const std::wstring& SharedDropletFile() const { return DropletFiles().Shared; }

    // "InstallLocation" (cut at its last backslash) or the library's own folder.
    static InstallLocations ForContextMenu();
    // The drop menu always uses the command-line tool beside the library.
    static std::wstring DropMenuBatchToolPath();

private:
    struct CatalogueFiles {
        std::wstring User;
        std::wstring Shared;
    };
    const CatalogueFiles& DropletFiles() const;
    mutable std::optional<CatalogueFiles> Catalogue;
};

// Full path of the file that holds this code (the DLL, or a test executable).
std::wstring ModuleFilePath();
