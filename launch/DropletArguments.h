#pragma once
#include <optional>
#include <string>

#include "selection/SelectionItem.h"

// How the selected paths reach a droplet on its command line: every path in double quotes, so
// that each arrives as exactly itself and none is ever read as command text.

// A program reads its parameters as CommandLineToArgvW does; a batch droplet has them read by
// cmd.exe, which expands "%" and (where delayed expansion is on) "!" even inside quotes.
enum class DropletReader { Program, CommandShell };

// CommandShell for a file cmd.exe runs: a .bat or .cmd file, cmd.exe itself, any file whose
// "open" verb runs cmd; a shortcut is judged by its target. Program for everything else.
DropletReader ReaderOf(const std::wstring& droplet);

// Each path quoted and followed by one blank. For a program, backslashes before a closing (or
// inner) quote are doubled, so that "C:\" arrives as C:\; cmd.exe takes the quotes off
// without any escape, so for it the path goes between them as it is. None when cmd.exe would
// run the droplet and a path (or the droplet's own) holds what quotes cannot carry through it:
// "%", "!", a quote or a control character.
std::optional<std::wstring> DropletArguments(const std::wstring& droplet, DropletReader reader, const SelectionList& items);
