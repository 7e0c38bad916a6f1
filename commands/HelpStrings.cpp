#include "commands/HelpStrings.h"

#include <shlobj.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "com/ModuleInstance.h"
#include "commands/CommandTable.h"
#include "support/UiResource.h"

UINT HelpStringId(CommandCode code) {
    const CommandInfo* info = FindCommand(code);
    return info ? info->HelpTextId : DropletsTextId;
}

HRESULT WriteHelpText(CommandCode code, UINT flags, LPSTR out, UINT capacity) {
    if (!out) return E_INVALIDARG;
    wchar_t text[256] = {};
    const int length = LoadUiString(ModuleInstance(), HelpStringId(code), text, 256);
    const int limit = static_cast<int>(std::min<UINT>(capacity, INT_MAX));
    if (flags & GCS_UNICODE) {
        lstrcpynW(reinterpret_cast<LPWSTR>(out), text, limit);
        return S_OK;
    }
    std::vector<char> narrow(2 * static_cast<size_t>(length) + 2, '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, narrow.data(), static_cast<int>(narrow.size()), nullptr,
                        nullptr);
    // A code page needing more than two bytes a character fails the conversion part way.
    narrow.back() = '\0';
    lstrcpynA(out, narrow.data(), limit);
    return S_OK;
}
