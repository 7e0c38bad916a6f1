#include "commands/CommandTable.h"

const CommandInfo* FindCommand(CommandCode code) {
    for (const CommandInfo& info : CommandTable) {
        if (info.Code == code) return &info;
    }
    return nullptr;
}
