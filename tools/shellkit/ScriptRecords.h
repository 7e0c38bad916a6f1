#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "shellkit/TempTree.h"

// A batch droplet that records its arguments: cmd.exe runs it, and it writes %~1 to %~n, one
// UTF-8 line each, into the folder KESTREL_SCRIPT_RECORDS names, then a mark that it finished.
// While the object lives that variable points at a fresh folder of its own (started scripts
// inherit it); both are undone on destruction.
class ScriptRecords {
public:
    ScriptRecords();
    ~ScriptRecords();
    ScriptRecords(const ScriptRecords&) = delete;
    ScriptRecords& operator=(const ScriptRecords&) = delete;

    // The script's text, to be saved as a .bat or .cmd file.
    static const char* Script();

    // True once a started script has finished.
    bool Finished() const;
    // The arguments the script got, once it finished (polling up to the timeout); then clears
    // the folder for the next start. Empty when nothing finished in time.
    std::vector<std::wstring> WaitForArguments(DWORD timeoutMs = 15000) const;

private:
    TempTree Records;
    std::wstring SavedVariable;
    bool HadVariable = false;
};
