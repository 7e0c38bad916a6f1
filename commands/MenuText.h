#pragma once
#include <windows.h>

#include <string_view>

#include "commands/CommandTable.h"

// One menu entry's text, held in the builder's 1,024-character buffer.
class MenuText {
public:
    static constexpr size_t Capacity = 1024;

    // The string table's text.
    explicit MenuText(UINT stringId);
    // "<word> <name><suffix>" ("Create Docs.zip"); a name too long for the buffer is cut,
    // never inside a surrogate pair, so the suffix always shows.
    MenuText(UINT wordId, std::wstring_view name, std::wstring_view suffix);

    const wchar_t* Get() const { return Buffer; }

private:
    wchar_t Buffer[Capacity] = {};
};

// The text of a command's entry: the string table's, or "Create <archiveName>.zip" composed.
MenuText EntryText(const CommandInfo& info, std::wstring_view archiveName);
