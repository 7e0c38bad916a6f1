#include "commands/MenuLayout.h"

std::vector<CommandCode> EntriesIn(Place place) {
    std::vector<CommandCode> entries;
    for (CommandCode code : KestrelMenuLayout)
        if (FindCommand(code)->Where == place) entries.push_back(code);
    return entries;
}

const SubmenuEntry* FindSubmenuEntry(CommandCode code) {
    for (const SubmenuEntry& entry : SubmenuEntries) {
        if (entry.Code == code) return &entry;
    }
    return nullptr;
}

const ComposedText* FindComposedText(CommandCode code) {
    for (const ComposedText& text : ComposedTexts) {
        if (text.Code == code) return &text;
    }
    return nullptr;
}

bool IsCommandEntry(CommandCode code) {
    const CommandInfo* info = FindCommand(code);
    return info && info->Where != Place::None && info->Where != Place::Shell && code != Cmd::Separator &&
           !FindSubmenuEntry(code);
}
