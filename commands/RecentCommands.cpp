#include "commands/RecentCommands.h"

#include "support/CRegistry.h"
#include "support/RegistryValues.h"

namespace {

CommandCode ReadCode(const CRegistry& key, const wchar_t* name) {
    DWORD value = 0;
    return key.GetDword(name, &value) ? value : 0;
}

}  // namespace

RecentCommands RecentCommands::Read() {
    CRegistry key;
    key.SetKeyPath(RegistryValues::ContextMenuKey);
    return {ReadCode(key, RegistryValues::Cmd1), ReadCode(key, RegistryValues::Cmd2)};
}

void RecentCommands::Record(CommandCode code) {
    CRegistry key;
    key.CreateKeyPath(RegistryValues::ContextMenuKey);
    const CommandCode cmd1 = ReadCode(key, RegistryValues::Cmd1);
    const CommandCode cmd2 = ReadCode(key, RegistryValues::Cmd2);
    if (cmd1 == 0) {
        key.SetDword(RegistryValues::Cmd1, code);
    } else if (code != cmd1 && code != cmd2) {
        // Cmd2 first: an interrupted update then leaves the old command remembered twice
        // rather than lost.
        key.SetDword(RegistryValues::Cmd2, cmd1);
        key.SetDword(RegistryValues::Cmd1, code);
    }
}
