#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "shellkit/DropletCatalogueFolders.h"
#include "shellkit/RegistrySandbox.h"
#include "support/RegistryValues.h"

// The files a benchmark selects and the user the handlers see: a data folder with archives,
// other files and folders; the switch on, the archiver installed in the given folder (with its
// final backslash), requests in a folder of their own, and a droplet catalogue of two droplets.
// The user's registry and catalogues are put back afterwards.
class BenchSetup {
public:
    enum Kind { Archives, Files, Mix };
    static constexpr const char* KindNames[] = {"archives", "files", "mix+folders"};

    BenchSetup(const std::wstring& dataFolder, const std::wstring& archiver, size_t largest);
    BenchSetup(const BenchSetup&) = delete;
    BenchSetup& operator=(const BenchSetup&) = delete;

    // The first n paths of a selection of this kind, in a folder of its own (of 10,000
    // entries, or of `largest` when that is more).
    std::vector<std::wstring> Selection(Kind kind, size_t n) const;
    const std::wstring& Folder() const { return Data; }
    const std::wstring& Requests() const { return RequestFolder; }
    // A file with no droplet-specific meaning: "report.doc" in the data folder.
    std::wstring OneFile() const { return Data + L"\\report.doc"; }
    std::wstring OneArchive() const { return Data + L"\\one.zip"; }
    const std::vector<std::wstring>& Droplets() const { return DropletFiles; }
    // Droplets on (both catalogue files as the archiver writes them) or off (no files).
    void UseDroplets(bool on) const;

private:
    RegistrySandbox Registry{{HKEY_CURRENT_USER, RegistryValues::ProductKey}, {HKEY_LOCAL_MACHINE, RegistryValues::InstallKey}};
    DropletCatalogueFolders Catalogues;
    std::wstring Data, RequestFolder;
    std::vector<std::wstring> DropletFiles;
    std::vector<std::wstring> Paths[3];
};

// Deletes what a remembered command would add to the next menus.
void ForgetRememberedCommands();
