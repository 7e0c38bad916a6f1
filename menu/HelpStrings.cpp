#include "menu/HelpStrings.h"
UINT HelpStringId(CommandCode) { return 217; }
HRESULT WriteHelpText(CommandCode, UINT, LPSTR, UINT) { return E_NOTIMPL; }
