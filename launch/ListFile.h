#pragma once
#include <windows.h>

#include <string>

#include "selection/SelectionItem.h"

// The scheduler's list file: one path a line in the runtime's narrow character set, text mode
// (CR LF), no mark, no header.

// A path as it goes into the list: converted exactly when the narrow set holds it, else its
// short (8.3) form when that converts exactly, else converted with the replacement character.
std::string NarrowListPath(const std::wstring& path);

// Writes the list through the handle of the file just created; false when it cannot be written.
bool WriteListFile(HANDLE file, const SelectionList& items);
