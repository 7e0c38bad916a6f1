#pragma once
#include <windows.h>

#include <string>

#include "selection/SelectionItem.h"

// Attributes first (folders and unreadable paths are not archives), then the last extension.
SelectionItem ClassifyPath(const wchar_t* path);
SelectionItem ClassifyPath(std::wstring path);
// The same with attributes the shell already gave for the path: no query of its own.
SelectionItem ClassifyPath(std::wstring path, DWORD shellAttributes);

// The folder holding a path, without trailing backslash ("C:\a.zip" gives "C:").
std::wstring SelectionFolder(const std::wstring& path);

// GetFileAttributesW says folder; its failure value counts as a folder too.
bool IsFolderPath(const std::wstring& path);

// Whether an item was a folder when the selection was read.
inline bool IsFolderItem(const SelectionItem& item) { return (item.Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
// Whether an item is a folder now, when a command runs: the shell's attributes where it gave
// them, else the path's attributes asked afresh.
inline bool IsFolderNow(const SelectionItem& item) {
    return item.AttributesFromShell ? IsFolderItem(item) : IsFolderPath(item.Path);
}
