#include "modern/CommandSession.h"

#include "droplets/DropletCatalogue.h"
#include "modern/ShellItemPaths.h"
#include "selection/ClassifyPath.h"
#include "support/RegistryValues.h"

bool CommandSession::Select(IShellItemArray* items) {
    if (items && items == Items.Get()) return Shown;
    Forget();
    if (!items) return false;
    items->AddRef();
    Items = UniqueComPtr<IShellItemArray>(items);  // held, so another array never takes its address
    Shown = IsContextMenuEnabled() && ReadFileSystemPaths(items, Paths);
    return Shown;
}

void CommandSession::Forget() {
    Items.Reset();
    Paths.clear();
    Shown = false;
    Remembered.reset();
    Selection.reset();
    Planned.reset();
    RememberedDroplets.clear();
}

const RecentCommands& CommandSession::Recent() {
    if (!Remembered) Remembered = RecentCommands::Read();
    return *Remembered;
}

const ContextMenuState& CommandSession::State() {
    if (!Selection) {
        auto state = std::make_unique<ContextMenuState>();
        state->SelectionItems.reserve(Paths.size());
        for (const std::wstring& path : Paths)
            if (IsItemPath(path)) state->SelectionItems.push_back(ClassifyPath(path.c_str()));
        if (!state->SelectionItems.empty()) state->SelectionFolder = SelectionFolder(state->SelectionItems.front().Path);
        Selection = std::move(state);
    }
    return *Selection;
}

const MenuPlan& CommandSession::Plan() {
    if (!Planned) Planned = PlanContextMenu(State(), Recent());
    return *Planned;
}

std::wstring CommandSession::RememberedDroplet(CommandCode code) {
    for (const auto& [known, path] : RememberedDroplets)
        if (known == code) return path;
    std::wstring path;
    if (code >= Cmd::FirstDroplet) path = State().Catalogue.Find(code - Cmd::FirstDroplet);
    return RememberedDroplets.emplace_back(code, std::move(path)).second;
}
