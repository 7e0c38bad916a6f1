#pragma once
#include <objidl.h>

#include "selection/SelectionItem.h"

// Reads the CF_HDROP list of a data object into classified items (names cut to 1,023
// characters). E_INVALIDARG when there is no list or no name could be read.
HRESULT ReadSelection(IDataObject* data, SelectionList& items);
