#include "commands/MenuText.h"

#include <algorithm>

#include "com/ModuleInstance.h"
#include "commands/MenuLayout.h"
#include "resources/resource.h"
#include "support/UiResource.h"

MenuText::MenuText(UINT stringId) { LoadUiString(ModuleInstance(), stringId, Buffer, Capacity); }

MenuText::MenuText(UINT wordId, std::wstring_view name, std::wstring_view suffix) {
    wchar_t word[256] = {};
    LoadUiString(ModuleInstance(), wordId, word, 256);
    const std::wstring_view wordText(word);

    // Room for word, blank, name, suffix and the terminator; word (< 256) and the suffixes are short.
    const size_t nameRoom = Capacity - 1 - wordText.size() - 1 - suffix.size();
    if (name.size() > nameRoom) {
        name = name.substr(0, nameRoom);
        if (!name.empty() && IS_HIGH_SURROGATE(name.back())) name.remove_suffix(1);
    }
    wchar_t* out = Buffer;
    out = std::copy(wordText.begin(), wordText.end(), out);
    *out++ = L' ';
    out = std::copy(name.begin(), name.end(), out);
    out = std::copy(suffix.begin(), suffix.end(), out);
    *out = L'\0';
}

MenuText EntryText(const CommandInfo& info, std::wstring_view archiveName) {
    const ComposedText* composed = FindComposedText(info.Code);
    if (!composed) return MenuText(info.MenuTextId);
    return MenuText(IDS_CREATE_WORD, archiveName, composed->Suffix);
}
