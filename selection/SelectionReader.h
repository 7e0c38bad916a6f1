#pragma once
#include <objidl.h>

#include <span>
#include <string>
#include <vector>

#include "selection/SelectionItem.h"

// Reads the CF_HDROP list of a data object in one pass (names cut to 1,023 characters; a name
// that cannot be fetched is skipped) and classifies each name. The attributes come from the
// shell's "File Attributes Array" when the data object offers one for as many items, else
// from one GetFileAttributesW per item. E_INVALIDARG when there is no list to lock (items stay
// as they were) or the block holds no well-formed list (items emptied, listed 0); otherwise
// S_OK with the list's own count in listed.
HRESULT ReadDropList(IDataObject* data, SelectionList& items, UINT& listed);

// The same, but E_INVALIDARG when no name could be read.
HRESULT ReadSelection(IDataObject* data, SelectionList& items);

// Classified items for paths in order, skipping those that cannot be items (IsItemPath). shellAttributes, when it holds one
// value per path, is used instead of asking the file system.
SelectionList ClassifyPaths(std::vector<std::wstring> paths, std::span<const DWORD> shellAttributes = {});
