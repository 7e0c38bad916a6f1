#pragma once
#include <windows.h>

// Whether the process that had this id is over, for what a killed run left behind: true when no
// process runs under it, or when it is this process's own id (then an earlier process had it,
// before this one started).
bool HasEnded(DWORD process);
