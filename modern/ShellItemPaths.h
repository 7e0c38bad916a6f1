#pragma once
#include <shobjidl.h>

#include <string>
#include <vector>

// The file-system paths of Explorer's shell item array in its order, each cut to 1,023
// characters as the classic handler's list is. False when there is no item, or when an item has
// no file-system path (a library, the Control Panel): nothing of ours applies to such a selection.
// The paths come from the items themselves; no file is looked at.
bool ReadFileSystemPaths(IShellItemArray* items, std::vector<std::wstring>& paths);
