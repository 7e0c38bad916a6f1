#pragma once
#include <string>

// Where the archiver's executables and droplet catalogue files are, worked out once
// when a handler object is made; nothing checks that the files exist.
struct InstallLocations {
    std::wstring MainAppPath;
    std::wstring ConverterPath;
    std::wstring WizardPath;
    std::wstring BatchToolPath;
    std::wstring SchedulerPath;
    std::wstring UserDropletFile;
    std::wstring SharedDropletFile;

    // "InstallLocation" (cut at its last backslash) or the library's own folder.
    static InstallLocations ForContextMenu();
    // The drop menu always uses the command-line tool beside the library.
    static std::wstring DropMenuBatchToolPath();
};

// Full path of the file that holds this code (the DLL, or a test executable).
std::wstring ModuleFilePath();
