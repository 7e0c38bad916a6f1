#pragma once
#include <windows.h>

#include <string>

// What every launch shares: the unique request file in the request folder, and the start of
// an archiver program with that file on its command line.

// An empty, uniquely named request file ("KES" prefix) in the folder named by "TempFolder",
// else in the user's temporary folder. Empty when it could not be created.
std::wstring CreateRequestFile();

// An empty, uniquely named file made by GetTempFileNameW in folder; empty on failure.
std::wstring CreateUniqueFile(const std::wstring& folder, const wchar_t* prefix);

// The user's temporary folder (GetTempPathW); empty when it cannot be read.
std::wstring UserTempFolder();

// `<option> "<path>"`, the form in which every request file is handed over.
std::wstring QuotedFileParameter(const wchar_t* option, const std::wstring& path);

// ShellExecuteW "open" with no owner window and no working directory: S_OK when the program
// started, E_FAIL otherwise, and when the path or the command line is longer than
// ShellExecuteW takes (nothing is started then).
HRESULT StartProgram(const std::wstring& executable, const std::wstring& parameters);
