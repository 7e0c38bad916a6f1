#pragma once
#include <windows.h>

#include <string>

#include "support/UniqueFile.h"

// What every launch shares: the unique request file in the request folder, and the start of
// an archiver program with that file on its command line.

// A file this process has just created, and the handle that created it: what is written
// through it lands in that file, whatever else appears in a shared folder meanwhile.
struct NewUniqueFile {
    std::wstring Path;
    UniqueFileHandle Handle;  // null when no file could be created
};

// An empty, uniquely named request file ("KES" prefix) in the folder named by "TempFolder",
// else in the user's temporary folder.
NewUniqueFile CreateRequestFile();

// An empty file named as GetTempFileNameW names it (the prefix's first three characters, a
// hexadecimal number, ".TMP") in folder. A folder longer than such a name allows (MAX_PATH - 14
// characters) fails, as GetTempFileNameW fails on Windows.
NewUniqueFile CreateUniqueFile(const std::wstring& folder, const wchar_t* prefix);

// The user's temporary folder (GetTempPathW); empty when it cannot be read.
std::wstring UserTempFolder();

// `<option> "<path>"`, the form in which every request file is handed over.
std::wstring QuotedFileParameter(const wchar_t* option, const std::wstring& path);

// ShellExecuteW "open" with no owner window and no working directory: S_OK when the program
// started, E_FAIL otherwise, and when the path or the command line is longer than
// ShellExecuteW takes (nothing is started then).
HRESULT StartProgram(const std::wstring& executable, const std::wstring& parameters);
