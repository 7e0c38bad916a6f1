// Stand-in for the archiver's executables: records its own name, its command line and a
// byte copy of the request or list file it was handed, then exits.
//
// Records go to %KESTREL_STANDIN_RECORDS%, else to "records" beside the program. A recorded start
// exits with %KESTREL_STANDIN_EXIT_CODE% when that is set, so a test can play a failing program. Start n
// leaves NNNNNN.input (the file's bytes, empty when there was none) and then NNNNNN.record
// (UTF-8 lines Program=, CommandLine=, InputFile=, InputCopied=), renamed into place last
// so that a reader never sees half a record. The highest number is the newest.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : Value(handle) {}
    ~Handle() { if (Valid()) CloseHandle(Value); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return Value != INVALID_HANDLE_VALUE && Value != nullptr; }
    HANDLE Get() const { return Value; }

private:
    HANDLE Value;
};

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring RecordFolder(const std::wstring& ownPath) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(L"KESTREL_STANDIN_RECORDS", buffer, 32768);
    if (length > 0 && length < 32768) return buffer;
    return FolderOf(ownPath) + L"\\records";
}

// The file named after -i or -p, or the quoted path before -c.
std::wstring HandedFile() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return {};
    std::wstring file;
    if (count >= 3 && (lstrcmpiW(args[1], L"-i") == 0 || lstrcmpiW(args[1], L"-p") == 0))
        file = args[2];
    else if (count >= 3 && lstrcmpiW(args[2], L"-c") == 0)
        file = args[1];
    LocalFree(args);
    return file;
}

bool ReadBytes(const std::wstring& path, std::string& bytes) {
    if (path.empty()) return false;
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return true;
}

bool WriteBytes(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
}

std::wstring Numbered(const std::wstring& folder, unsigned number, const wchar_t* extension) {
    wchar_t name[32];
    wsprintfW(name, L"\\%06u%s", number, extension);
    return folder + name;
}

// One past the highest number in use, so the newest record always has the highest number.
unsigned NextNumber(const std::wstring& folder) {
    unsigned highest = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.input").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 1;
    do {
        const unsigned number = wcstoul(found.cFileName, nullptr, 10);
        if (number > highest) highest = number;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return highest + 1;
}

void CreateFolderPath(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return;
    const size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash < 3) return;
    CreateFolderPath(folder.substr(0, slash));
    CreateDirectoryW(folder.c_str(), nullptr);
}

int Record() {
    const std::wstring ownPath = OwnPath();
    const std::wstring folder = RecordFolder(ownPath);
    CreateFolderPath(folder);

    const std::wstring input = HandedFile();
    std::string bytes;
    const bool copied = ReadBytes(input, bytes);

    // Several stand-ins may start at once: CREATE_NEW claims a number, a clash tries the next.
    for (unsigned number = NextNumber(folder), tries = 0; tries < 1000; ++number, ++tries) {
        {
            // Closed before the record appears: a reader that sees the record can read the copy.
            Handle copy(CreateFileW(Numbered(folder, number, L".input").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!copy.Valid()) {
                if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
                return 2;
            }
            if (!WriteBytes(copy.Get(), bytes)) return 3;
        }

        const std::wstring partial = Numbered(folder, number, L".partial");
        const std::wstring finished = Numbered(folder, number, L".record");
        const std::wstring name = ownPath.substr(ownPath.find_last_of(L"\\/") + 1);
        const std::string text = "Program=" + Utf8(name) + "\r\nCommandLine=" + Utf8(GetCommandLineW()) +
                                 "\r\nInputFile=" + Utf8(input) + "\r\nInputCopied=" + (copied ? "1" : "0") +
                                 "\r\n";
        {
            Handle record(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!record.Valid() || !WriteBytes(record.Get(), text)) return 4;
        }
        return MoveFileExW(partial.c_str(), finished.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
    }
    return 6;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    const int recorded = Record();
    wchar_t code[16];
    const DWORD length = GetEnvironmentVariableW(L"KESTREL_STANDIN_EXIT_CODE", code, 16);
    return recorded == 0 && length > 0 && length < 16 ? static_cast<int>(wcstol(code, nullptr, 10)) : recorded;
}
