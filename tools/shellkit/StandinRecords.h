#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shellkit/TempTree.h"

// A file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// A request file's text. Only UTF-16LE units behind the mark FF FE decode; anything else reads
// as a marker text that matches nothing, so comparing texts compares the bytes exactly.
std::wstring RequestText(const std::string& bytes);

// The lines, each ended by CR LF, as request files hold them.
std::wstring CrLfLines(std::initializer_list<std::wstring> lines);

// One start of an archiver stand-in program (tools/standin), as it recorded itself.
struct StandinRecord {
    unsigned Number = 0;
    std::wstring Program;      // "Batch.exe"
    std::wstring CommandLine;  // GetCommandLineW of the started program
    std::wstring InputFile;    // the path after -i or -p, or the quoted path before -c
    bool InputCopied = false;  // the stand-in could read that file
    std::string InputBytes;    // its bytes at the time of the start

    // The command line without the program's own (quoted) path.
    std::wstring Parameters() const;
};

// A fresh record folder for this test's stand-in starts: KESTREL_STANDIN_RECORDS points at it
// while the object lives (started programs inherit it); both are undone on destruction.
class StandinRecords {
public:
    StandinRecords();
    ~StandinRecords();
    StandinRecords(const StandinRecords&) = delete;
    StandinRecords& operator=(const StandinRecords&) = delete;

    const std::wstring& Folder() const { return Records.Path(); }

    // Every finished record so far, oldest first.
    std::vector<StandinRecord> All() const;
    // Polls until at least count records exist or the timeout passes; returns what is there.
    std::vector<StandinRecord> WaitFor(size_t count, DWORD timeoutMs = 15000) const;

    // build\archiver\ (with its final backslash), where the stand-ins are built.
    static std::wstring ArchiverFolder();

private:
    TempTree Records;
    std::wstring SavedVariable;
    bool HadVariable = false;
};
