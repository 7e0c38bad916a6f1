#pragma once
#include <array>
#include <cstdint>

#include "commands/CommandTable.h"
#include "menu/ContextMenuState.h"

// Whether a command's condition holds for the selection, evaluated now (two of the tests
// touch the file system).
bool ConditionHolds(Applies when, const ContextMenuState& state);

// The conditions of one menu build: each is evaluated at most once, when first asked, so
// the folder probe runs once for the extract entry and once for both create entries.
class CommandConditions {
public:
    explicit CommandConditions(const ContextMenuState& state) : State(state) {}
    bool Holds(Applies when);

private:
    enum Known : int8_t { Unknown, No, Yes };
    const ContextMenuState& State;
    std::array<Known, static_cast<size_t>(Applies::Never) + 1> Results{};
};
