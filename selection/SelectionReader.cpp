#include "selection/SelectionReader.h"
HRESULT ReadSelection(IDataObject*, SelectionList&) { return E_INVALIDARG; }
