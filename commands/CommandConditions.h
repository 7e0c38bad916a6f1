#pragma once
#include <array>
#include <cstdint>

#include "commands/CommandTable.h"
#include "commands/ContextMenuState.h"

// Whether a command's condition holds for the selection, evaluated now.
bool ConditionHolds(Applies when, const ContextMenuState& state);

// The conditions of one menu build: each is evaluated at most once, when first asked, and the
// writable-folder probe runs at most once for all of them, so a build creates at most one probe
// file however many entries (remembered ones included) depend on it.
class CommandConditions {
public:
    explicit CommandConditions(const ContextMenuState& state) : State(state) {}
    bool Holds(Applies when);

    const SelectionList& Items() const { return State.SelectionItems; }
    const ContextMenuState& Handler() const { return State; }
    bool FirstFolderWritable();

private:
    enum Known : int8_t { Unknown, No, Yes };
    static bool Ask(Known& known, bool (*test)(CommandConditions&), CommandConditions& conditions);

    const ContextMenuState& State;
    std::array<Known, static_cast<size_t>(Applies::Never) + 1> Results{};
    Known Writable = Unknown;
};
