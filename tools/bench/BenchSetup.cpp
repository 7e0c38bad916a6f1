#include "BenchSetup.h"

#include <shlobj.h>

#include <cstdio>

#include "support/RegistryValues.h"

namespace {

void Touch(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void MakeFolder(const std::wstring& path) { SHCreateDirectoryExW(nullptr, path.c_str(), nullptr); }

bool ReadAll(const std::wstring& path, std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    fclose(file);
    return true;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
    return path;
}

// UTF-16LE with its mark and CR LF line ends, as the archiver writes catalogues.
std::string Utf16(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        if (c == L'\n') bytes.append("\r\0", 2);
        bytes.append(reinterpret_cast<const char*>(&c), 2);
    }
    return bytes;
}

void SetString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

void ForgetRememberedCommands() { RegDeleteTreeW(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey); }

BenchSetup::BenchSetup(const std::wstring& dataFolder, size_t largest)
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
    for (const wchar_t* droplet : {L"\\Droplets\\Backup to USB.exe", L"\\Droplets\\Mail to Office.exe"}) {
        MakeFolder(Data + L"\\Droplets");
        DropletFiles.push_back(Data + droplet);
        Touch(DropletFiles.back());
    }

    UserCatalogueFile = SpecialFolder(CSIDL_LOCAL_APPDATA) + L"\\Tamber Soft\\DropSlots\\DropSlots.ini";
    SharedCatalogueFile = SpecialFolder(CSIDL_COMMON_APPDATA) + L"\\Tamber Soft\\Kestrel\\DropSlots.ini";
    HadUserCatalogue = ReadAll(UserCatalogueFile, SavedUserCatalogue);
    HadSharedCatalogue = ReadAll(SharedCatalogueFile, SavedSharedCatalogue);

    const DWORD on = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::EnableContextMenu, REG_DWORD, &on,
                    sizeof(on));
    SetString(HKEY_CURRENT_USER, RegistryValues::ProductKey, RegistryValues::TempFolder, RequestFolder);
    ForgetRememberedCommands();
}

BenchSetup::~BenchSetup() {
    DeleteFileW(UserCatalogueFile.c_str());
    DeleteFileW(SharedCatalogueFile.c_str());
    if (HadUserCatalogue) WriteAll(UserCatalogueFile, SavedUserCatalogue);
    if (HadSharedCatalogue) WriteAll(SharedCatalogueFile, SavedSharedCatalogue);
    ForgetRememberedCommands();
}

void BenchSetup::UseDroplets(bool on) const {
    DeleteFileW(UserCatalogueFile.c_str());
    DeleteFileW(SharedCatalogueFile.c_str());
    if (!on) return;
    MakeFolder(UserCatalogueFile.substr(0, UserCatalogueFile.rfind(L'\\')));
    WriteAll(UserCatalogueFile, Utf16(L"[DropSlots]\n1=" + DropletFiles[0] + L"\n"));
    MakeFolder(SharedCatalogueFile.substr(0, SharedCatalogueFile.rfind(L'\\')));
    WriteAll(SharedCatalogueFile, Utf16(L"[DropSlots]\n1=" + DropletFiles[1] + L"\n"));
}

std::vector<std::wstring> BenchSetup::Selection(Kind kind, size_t n) const {
    return std::vector<std::wstring>(Paths[kind].begin(), Paths[kind].begin() + n);
}
