#pragma once
#include "commands/CommandCode.h"

// The two remembered command codes ("Cmd1" most recent); 0 means empty or unreadable.
struct RecentCommands {
    CommandCode Cmd1 = 0;
    CommandCode Cmd2 = 0;

    static RecentCommands Read();
    // The update rule applied when a command is chosen (creates the key path first).
    static void Record(CommandCode code);
};
