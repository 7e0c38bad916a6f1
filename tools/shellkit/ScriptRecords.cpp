#include "shellkit/ScriptRecords.h"

#include "shellkit/StandinRecords.h"

namespace {
constexpr const wchar_t* Variable = L"KESTREL_SCRIPT_RECORDS";
}  // namespace

ScriptRecords::ScriptRecords() {
    wchar_t saved[32768];
    const DWORD length = GetEnvironmentVariableW(Variable, saved, 32768);
    HadVariable = length > 0 && length < 32768;
    if (HadVariable) SavedVariable.assign(saved, length);
    SetEnvironmentVariableW(Variable, Records.Path().c_str());
}

ScriptRecords::~ScriptRecords() { SetEnvironmentVariableW(Variable, HadVariable ? SavedVariable.c_str() : nullptr); }

// The arguments go through delayed expansion only: what %~1 gave is never parsed again.
const char* ScriptRecords::Script() {
    return "@echo off\r\nchcp 65001 >nul\r\nsetlocal EnableDelayedExpansion\r\n"
           "set \"out=%KESTREL_SCRIPT_RECORDS%\\arguments.txt\"\r\n"
           ":next\r\nif \"%~1\"==\"\" goto done\r\nset \"arg=%~1\"\r\n>>\"!out!\" echo:!arg!\r\nshift\r\ngoto next\r\n"
           ":done\r\n>\"%KESTREL_SCRIPT_RECORDS%\\finished.txt\" echo:done\r\n";
}

bool ScriptRecords::Finished() const { return GetFileAttributesW(Records.PathOf(L"finished.txt").c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> ScriptRecords::WaitForArguments(DWORD timeoutMs) const {
    for (DWORD waited = 0; !Finished() && waited < timeoutMs; waited += 20) Sleep(20);
    if (!Finished()) return {};
    const std::wstring written = Records.PathOf(L"arguments.txt");
    const std::string bytes = ReadFileBytes(written);
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = bytes.substr(start, end - start);
        std::wstring wide(line.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                                        static_cast<int>(wide.size())));
        lines.push_back(wide);
    }
    DeleteFileW(Records.PathOf(L"finished.txt").c_str());
    DeleteFileW(written.c_str());
    return lines;
}
