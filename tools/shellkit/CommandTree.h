#pragma once
#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

// One command of Windows 11's tree as Explorer reads it.
struct CommandSnapshot {
    Microsoft::WRL::ComPtr<IExplorerCommand> Command;
    std::wstring Title;
    std::wstring Icon;     // "<file>,-<id>", a file's path, or empty
    std::wstring ToolTip;
    GUID CanonicalName{};
    bool Separator = false;
    bool Pending = false;  // the quick GetState answered E_PENDING and Explorer asked again
    std::vector<CommandSnapshot> Children;  // the visible sub-commands
};

// An IShellItemArray for paths, as Explorer makes one: each path parsed to an ID list, then
// SHCreateShellItemArrayFromIDLists. Paths that do not parse fail the call.
HRESULT ShellItemArrayOf(const std::vector<std::wstring>& paths, IShellItemArray** items);

// Reads a command the way Windows 11's Explorer does: GetState with fOkToBeSlow FALSE, asked
// again with TRUE when that answers E_PENDING; then flags, title, icon, tooltip and canonical
// name, and the sub-commands, each read the same way. Nothing for a hidden command.
std::optional<CommandSnapshot> SnapshotCommand(IExplorerCommand* command, IShellItemArray* items);

// The first command without sub-commands whose title is exactly text, depth first.
const CommandSnapshot* FindCommand(const CommandSnapshot& root, const std::wstring& text);
