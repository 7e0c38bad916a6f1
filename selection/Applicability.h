#pragma once
#include <string>

#include "selection/SelectionItem.h"

// Yes/no tests over the selection that decide which commands fit it. Evaluated afresh
// on every call: two of them touch the file system.
bool IsSingleArchive(const SelectionList& items);
bool HasAnyArchive(const SelectionList& items);
bool HasConvertibleArchive(const SelectionList& items);
bool IsSingleVerifiableArchive(const SelectionList& items);
bool IsSingleFile(const SelectionList& items);
bool IsSingleZipOrKesArchive(const SelectionList& items);
bool IsFirstFolderWritable(const SelectionList& items);

// The folder IsFirstFolderWritable probes for a selected path: the path cut before its last
// backslash, a drive root given its backslash back ("C:\a.zip" gives "C:\"). Empty when the
// path has no backslash or nothing before it.
std::wstring WritableProbeFolder(const std::wstring& path);
