#include "commands/CommandConditions.h"

#include "menu/MenuDroplets.h"
#include "selection/Applicability.h"

namespace {
struct ConditionTest {
    Applies When;
    bool (*Test)(const ContextMenuState& state);
};

// Each condition names the tests it needs; && keeps the file-system tests from running
// when the cheap test already said no.
constexpr ConditionTest ConditionTests[] = {
    {Applies::Always, [](const ContextMenuState&) { return true; }},
    {Applies::AnyArchive, [](const ContextMenuState& s) { return HasAnyArchive(s.SelectionItems); }},
    {Applies::AnyArchiveInWritableFolder,
     [](const ContextMenuState& s) {
         return HasAnyArchive(s.SelectionItems) && IsFirstFolderWritable(s.SelectionItems);
     }},
    {Applies::ConvertibleArchive,
     [](const ContextMenuState& s) { return HasConvertibleArchive(s.SelectionItems); }},
    {Applies::SingleVerifiableArchive,
     [](const ContextMenuState& s) { return IsSingleVerifiableArchive(s.SelectionItems); }},
    {Applies::SingleFile, [](const ContextMenuState& s) { return IsSingleFile(s.SelectionItems); }},
    {Applies::SingleZipOrKesArchive,
     [](const ContextMenuState& s) { return IsSingleZipOrKesArchive(s.SelectionItems); }},
    {Applies::NotSingleArchive, [](const ContextMenuState& s) { return !IsSingleArchive(s.SelectionItems); }},
    {Applies::NotSingleArchiveInWritableFolder,
     [](const ContextMenuState& s) {
         return !IsSingleArchive(s.SelectionItems) && IsFirstFolderWritable(s.SelectionItems);
     }},
    {Applies::NotSingleArchiveWithDroplets,
     [](const ContextMenuState& s) { return !IsSingleArchive(s.SelectionItems) && MenuDroplets::Available(s); }},
    {Applies::SingleArchive, [](const ContextMenuState& s) { return IsSingleArchive(s.SelectionItems); }},
    {Applies::Never, [](const ContextMenuState&) { return false; }},
};
}  // namespace

bool ConditionHolds(Applies when, const ContextMenuState& state) {
    for (const ConditionTest& test : ConditionTests) {
        if (test.When == when) return test.Test(state);
    }
    return false;
}

bool CommandConditions::Holds(Applies when) {
    Known& known = Results[static_cast<size_t>(when)];
    if (known == Unknown) known = ConditionHolds(when, State) ? Yes : No;
    return known == Yes;
}
