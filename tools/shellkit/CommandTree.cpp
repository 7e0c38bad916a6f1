#include "shellkit/CommandTree.h"

#include <shlobj.h>

namespace {
using Microsoft::WRL::ComPtr;

// A string the command allocated, taken over and freed.
std::wstring Take(HRESULT hr, wchar_t* text) {
    std::wstring taken = SUCCEEDED(hr) && text ? text : L"";
    CoTaskMemFree(text);
    return taken;
}
}  // namespace

HRESULT ShellItemArrayOf(const std::vector<std::wstring>& paths, IShellItemArray** items) {
    std::vector<PIDLIST_ABSOLUTE> lists;
    HRESULT hr = S_OK;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE list = nullptr;
        hr = SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr);
        if (FAILED(hr)) break;
        lists.push_back(list);
    }
    if (SUCCEEDED(hr))
        hr = SHCreateShellItemArrayFromIDLists(static_cast<UINT>(lists.size()),
                                               const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists.data()), items);
    for (PIDLIST_ABSOLUTE list : lists) CoTaskMemFree(list);
    return hr;
}

std::optional<CommandSnapshot> SnapshotCommand(IExplorerCommand* command, IShellItemArray* items) {
    CommandSnapshot snapshot;
    snapshot.Command = command;
    EXPCMDSTATE state = ECS_HIDDEN;
    HRESULT hr = command->GetState(items, FALSE, &state);
    if (hr == E_PENDING) {
        snapshot.Pending = true;
        hr = command->GetState(items, TRUE, &state);
    }
    if (FAILED(hr) || (state & ECS_HIDDEN)) return std::nullopt;

    EXPCMDFLAGS flags = ECF_DEFAULT;
    command->GetFlags(&flags);
    snapshot.Separator = (flags & ECF_ISSEPARATOR) != 0;
    if (!snapshot.Separator) {
        wchar_t* text = nullptr;
        hr = command->GetTitle(items, &text);
        snapshot.Title = Take(hr, text);
        text = nullptr;
        hr = command->GetIcon(items, &text);
        snapshot.Icon = Take(hr, text);
        text = nullptr;
        hr = command->GetToolTip(items, &text);
        snapshot.ToolTip = Take(hr, text);
        command->GetCanonicalName(&snapshot.CanonicalName);
    }
    ComPtr<IEnumExplorerCommand> children;
    if ((flags & ECF_HASSUBCOMMANDS) && SUCCEEDED(command->EnumSubCommands(&children)) && children) {
        ComPtr<IExplorerCommand> child;
        while (children->Next(1, &child, nullptr) == S_OK) {
            if (std::optional<CommandSnapshot> shown = SnapshotCommand(child.Get(), items))
                snapshot.Children.push_back(std::move(*shown));
            child.Reset();
        }
    }
    return snapshot;
}

const CommandSnapshot* FindCommand(const CommandSnapshot& root, const std::wstring& text) {
    for (const CommandSnapshot& child : root.Children) {
        if (child.Children.empty() && !child.Separator && child.Title == text) return &child;
        if (const CommandSnapshot* found = FindCommand(child, text)) return found;
    }
    return nullptr;
}
