#include "menu/CommandDispatch.h"
HRESULT InvokeContextCommand(const ContextMenuState&, CommandCode) { return S_OK; }
