#pragma once
#include <optional>
#include <string>

// Where the archiver's executables and droplet catalogue files are, each worked out when first
// asked for and then kept: a right-click needs neither unless it shows droplets, so it reads
// no "InstallLocation". Nothing checks that the files exist.
struct InstallLocations {
    struct Programs {
        std::wstring MainAppPath;
        std::wstring ConverterPath;
        std::wstring WizardPath;
        std::wstring BatchToolPath;
        std::wstring SchedulerPath;
    };
    // In "InstallLocation" (cut at its last backslash), or else in the library's own folder.
    const Programs& Executables() const;

    // Empty when the special folder cannot be determined: no droplets from that file.
    const std::wstring& UserDropletFile() const { return DropletFiles().User; }
    const std::wstring& SharedDropletFile() const { return DropletFiles().Shared; }

    // The drop menu always uses the command-line tool beside the library.
    static std::wstring DropMenuBatchToolPath();

private:
    struct CatalogueFiles {
        std::wstring User;
        std::wstring Shared;
    };
    const CatalogueFiles& DropletFiles() const;
    mutable std::optional<Programs> Installed;
    mutable std::optional<CatalogueFiles> Catalogue;
};

// Full path of the file that holds this code (the DLL, or a test executable).
std::wstring ModuleFilePath();
