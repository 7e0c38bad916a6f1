#include "BenchSetup.h"

#include <shlobj.h>

#include <cstdio>

#include "support/RegistryValues.h"

namespace Reg = RegistryValues;

namespace {

void Touch(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void MakeFolder(const std::wstring& path) { SHCreateDirectoryExW(nullptr, path.c_str(), nullptr); }

}  // namespace

void ForgetRememberedCommands() { RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Reg::ContextMenuKey); }

BenchSetup::BenchSetup(const std::wstring& dataFolder, const std::wstring& archiver, size_t largest)
    : Data(dataFolder), RequestFolder(dataFolder + L"\\Requests") {
    MakeFolder(RequestFolder);
    const wchar_t* folders[] = {L"\\Archives", L"\\Files", L"\\Mix"};
    // Folders of 10,000 entries unless more are needed: the probe's cost grows with its folder.
    const std::wstring sized = largest > 10000 ? L"-" + std::to_wstring(largest) : L"";
    for (int kind = Archives; kind <= Mix; ++kind) {
        const std::wstring folder = Data + folders[kind] + sized;
        MakeFolder(folder);
        Paths[kind].reserve(largest);
        for (size_t i = 0; i < largest; ++i) {
            wchar_t name[64];
            const int shape = kind == Archives ? 0 : kind == Files ? 1 : static_cast<int>(i % 3);
            const wchar_t* pattern = shape == 0 ? L"\\Backup %06zu.zip" : shape == 1 ? L"\\Report %06zu.doc" : L"\\Folder %06zu";
            swprintf(name, 64, pattern, i);
            Paths[kind].push_back(folder + name);
        }
        // Made only once: the last path stands for the whole set.
        if (GetFileAttributesW(Paths[kind].back().c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        for (size_t i = 0; i < largest; ++i) {
            if (kind == Mix && i % 3 == 2) MakeFolder(Paths[kind][i]);
            else Touch(Paths[kind][i]);
        }
    }
    Touch(OneFile());
    Touch(OneArchive());
    for (const wchar_t* droplet : {L"Drops\\Backup to USB.exe", L"Drops\\Mail to Office.exe"})
        DropletFiles.push_back(Catalogues.AddFile(droplet));

    RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, 1);
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, RequestFolder);
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, Reg::InstallKey, Reg::InstallLocation, archiver);
    ForgetRememberedCommands();
}

void BenchSetup::UseDroplets(bool on) const {
    // Both droplets in the user's file: a shared file Wine cannot show as the administrators'
    // own is not read (it is still there, so the check of who may change it is timed too).
    if (on) Catalogues.Write(L"[DropSlots]\n1=%D\\Backup to USB.exe\n2=%D\\Mail to Office.exe\n", L"[DropSlots]\n");
    else Catalogues.Write(nullptr, nullptr);
}

std::vector<std::wstring> BenchSetup::Selection(Kind kind, size_t n) const {
    return std::vector<std::wstring>(Paths[kind].begin(), Paths[kind].begin() + n);
}
