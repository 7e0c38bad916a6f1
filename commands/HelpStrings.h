#pragma once
#include <windows.h>

#include "commands/CommandCode.h"

// String id of the status-bar help text of a code ("Droplets" for any code without one).
UINT HelpStringId(CommandCode code);

// Writes the help text in UTF-16 (GCS_UNICODE set) or ANSI, cut to the capacity.
HRESULT WriteHelpText(CommandCode code, UINT flags, LPSTR out, UINT capacity);
