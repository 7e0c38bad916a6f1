#pragma once
#include <string>

#include "selection/SelectionItem.h"

// The scheduler's list file: one path a line in the runtime's narrow character set, text mode
// (CR LF), no mark, no header.

// A path as it goes into the list: converted exactly when the narrow set holds it, else its
// short (8.3) form when that converts exactly, else converted with the replacement character.
std::string NarrowListPath(const std::wstring& path);

// Writes the list into an existing file; false when the file cannot be opened for writing.
bool WriteListFile(const std::wstring& file, const SelectionList& items);
