#pragma once
#include <objidl.h>

#include "selection/SelectionItem.h"

// Reads the CF_HDROP list of a data object into classified items (names cut to 1,023
// characters; a name that cannot be fetched is skipped). E_INVALIDARG when there is no list
// to lock, and items stay as they were; otherwise S_OK with the list's own count in listed.
HRESULT ReadDropList(IDataObject* data, SelectionList& items, UINT& listed);

// The same, but E_INVALIDARG when no name could be read.
HRESULT ReadSelection(IDataObject* data, SelectionList& items);
