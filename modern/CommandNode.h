#pragma once
#include <string>

#include "commands/CommandCode.h"

// What one command of Windows 11's tree stands for.
struct CommandNode {
    enum class Role {
        Root,                 // "Kestrel"
        Remembered,           // a remembered command ("Cmd1", "Cmd2"), above the others
        RememberedSeparator,  // below the remembered commands
        Entry,                // an entry of the "Kestrel" menus where the layout places it
        Droplet,              // one droplet of the "Droplets" menu
    };
    Role Kind = Role::Root;
    CommandCode Code = Cmd::KestrelMenu;
    std::wstring DropletPath;  // droplets: the program's file
};
