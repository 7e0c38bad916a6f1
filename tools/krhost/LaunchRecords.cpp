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

std::wstring Utf8ToWide(const std::string& bytes) {
    int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

void PrintLines(const std::wstring& text) {
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
    // Each start leaves NNNNNN.input (the handed file's bytes) and then NNNNNN.record.
    auto records = [&] {
        std::vector<std::wstring> names = FilesIn(Folder);
        std::erase_if(names, [](const std::wstring& name) { return !name.ends_with(L".record"); });
        return names;
    };
    std::vector<std::wstring> names;
    for (unsigned waited = 0; waited <= milliseconds && names.empty(); waited += 100) {
        names = records();
        if (names.empty()) Sleep(100);
    }
    if (names.empty()) {
        Console::Out(L"Nothing was started.\n");
        return false;
    }
    for (const std::wstring& name : names) {
        const std::wstring stem = Folder + L"\\" + name.substr(0, name.size() - 7);
        Console::Out(L"Started:\n");
        PrintLines(Utf8ToWide(ReadBytes(stem + L".record")));
        std::wstring encoding;
        const std::string input = ReadBytes(stem + L".input");
        if (input.empty()) continue;
        const std::wstring text = Decode(input, &encoding);
        Console::Out(L"The file it was handed (" + std::to_wstring(input.size()) + L" bytes, " + encoding + L"):\n");
        PrintLines(text);
    }
    return true;
}
