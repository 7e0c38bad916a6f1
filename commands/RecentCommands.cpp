#include "commands/RecentCommands.h"

#include "support/CRegistry.h"
#include "support/RegistryValues.h"

namespace {

RecentCommands ReadPair(const CRegistry& key) {
    const wchar_t* const names[] = {RegistryValues::Cmd1, RegistryValues::Cmd2};
    DWORD codes[2];
    key.GetDwords(names, codes);
    return {codes[0], codes[1]};
}

}  // namespace

RecentCommands RecentCommands::Read() {
    CRegistry key;
    key.SetKeyPath(RegistryValues::ContextMenuKey);
    return ReadPair(key);
}

void RecentCommands::Record(CommandCode code) {
    CRegistry key;
    key.CreateKeyPath(RegistryValues::ContextMenuKey);
    const auto [cmd1, cmd2] = ReadPair(key);
    if (cmd1 == 0) {
        key.SetDword(RegistryValues::Cmd1, code);
    } else if (code != cmd1 && code != cmd2) {
        // Cmd2 first: an interrupted update then leaves the old command remembered twice
        // rather than lost.
        key.SetDword(RegistryValues::Cmd2, cmd1);
        key.SetDword(RegistryValues::Cmd1, code);
    }
}
