#pragma once
#include <string>

#include "selection/SelectionItem.h"

// Attributes first (folders and unreadable paths are not archives), then the last extension.
SelectionItem ClassifyPath(const wchar_t* path);

// The folder holding a path, without trailing backslash ("C:\a.zip" gives "C:").
std::wstring SelectionFolder(const std::wstring& path);

// GetFileAttributesW says folder; its failure value counts as a folder too.
bool IsFolderPath(const std::wstring& path);
