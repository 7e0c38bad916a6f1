#pragma once
#include <string>

#include "shellkit/CommandTree.h"

// Draws a command tree as Windows 11 shows it: Explorer's first-level menu with the root, the
// root's menu beside it, and each last entry that opens a menu opened in turn; saved as PNG.
class CommandScreenshot {
public:
    static bool Save(const CommandSnapshot& root, const std::wstring& pngPath);
};
