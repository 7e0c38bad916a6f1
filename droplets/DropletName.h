#pragma once
#include <string>
#include <string_view>

// The name a droplet shows: its file name without the last extension ("C:\Drops\my.tool.exe"
// gives "my.tool", "C:\Tools.old\run" gives "run").
std::wstring DropletName(std::wstring_view path);
