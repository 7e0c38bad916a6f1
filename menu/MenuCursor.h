#pragma once
#include <windows.h>

// Running state of one QueryContextMenu call.
struct MenuCursor {
    UINT NextId = 0;          // next command identifier to hand out
    UINT LastId = 0;          // the shell's idCmdLast: nothing is inserted above it
    UINT InsertPosition = 0;  // by-position index for every inserted entry
    UINT ShellIndex = 0;      // where "Kestrel" goes in the shell's menu
};
