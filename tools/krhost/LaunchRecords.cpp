#include "LaunchRecords.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "Console.h"

namespace {

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// UTF-16 with its byte-order mark (request files), else the narrow code page (list files).
std::wstring Decode(const std::string& bytes, std::wstring* encoding) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        *encoding = L"UTF-16LE with BOM";
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    }
    *encoding = L"narrow text";
    int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

}  // namespace

LaunchRecords::LaunchRecords() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(ARRAYSIZE(temp), temp);
    Folder = std::wstring(temp) + L"krhost-records-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(Folder.c_str(), nullptr);
    SetEnvironmentVariableW(L"KESTREL_STANDIN_RECORDS", Folder.c_str());
}

LaunchRecords::~LaunchRecords() {
    for (const std::wstring& name : FilesIn(Folder)) DeleteFileW((Folder + L"\\" + name).c_str());
    RemoveDirectoryW(Folder.c_str());
}

bool LaunchRecords::PrintWhenDone(unsigned milliseconds) const {
    std::vector<std::wstring> names;
    for (unsigned waited = 0; waited <= milliseconds; waited += 100) {
        names = FilesIn(Folder);
        if (!names.empty()) break;
        Sleep(100);
    }
    if (names.empty()) {
        Console::Out(L"Nothing was started (no stand-in recorded a start).\n");
        return false;
    }
    Sleep(300);  // let the stand-in finish writing its last file
    for (const std::wstring& name : FilesIn(Folder)) {
        std::wstring encoding;
        std::wstring text = Decode(ReadBytes(Folder + L"\\" + name), &encoding);
        Console::Out(L"── " + name + L" (" + encoding + L")\n");
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(L'\n', start);
            std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            Console::Out(L"   " + line + L"\n");
            if (end == std::wstring::npos) break;
            start = end + 1;
        }
    }
    return true;
}
