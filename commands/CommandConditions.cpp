#include "commands/CommandConditions.h"

#include "selection/Applicability.h"

namespace {
struct ConditionTest {
    Applies When;
    bool (*Test)(CommandConditions& c);
};

// Each condition names the tests it needs; && keeps the file-system tests from running
// when the cheap test already said no.
constexpr ConditionTest ConditionTests[] = {
    {Applies::Always, [](CommandConditions&) { return true; }},
    {Applies::AnyArchive, [](CommandConditions& c) { return HasAnyArchive(c.Items()); }},
    {Applies::AnyArchiveInWritableFolder,
     [](CommandConditions& c) { return HasAnyArchive(c.Items()) && c.FirstFolderWritable(); }},
    {Applies::ConvertibleArchive, [](CommandConditions& c) { return HasConvertibleArchive(c.Items()); }},
    {Applies::SingleVerifiableArchive, [](CommandConditions& c) { return IsSingleVerifiableArchive(c.Items()); }},
    {Applies::SingleFile, [](CommandConditions& c) { return IsSingleFile(c.Items()); }},
    {Applies::SingleZipOrKesArchive, [](CommandConditions& c) { return IsSingleZipOrKesArchive(c.Items()); }},
    {Applies::NotSingleArchive, [](CommandConditions& c) { return !IsSingleArchive(c.Items()); }},
    {Applies::NotSingleArchiveInWritableFolder,
     [](CommandConditions& c) { return !IsSingleArchive(c.Items()) && c.FirstFolderWritable(); }},
    {Applies::NotSingleArchiveWithDroplets,
     [](CommandConditions& c) { return !IsSingleArchive(c.Items()) && c.Handler().Catalogue.HasDroplets(); }},
    {Applies::SingleArchive, [](CommandConditions& c) { return IsSingleArchive(c.Items()); }},
    {Applies::Never, [](CommandConditions&) { return false; }},
};
}  // namespace

bool ConditionHolds(Applies when, const ContextMenuState& state) { return CommandConditions(state).Holds(when); }

bool CommandConditions::Ask(Known& known, bool (*test)(CommandConditions&), CommandConditions& conditions) {
    if (known == Unknown) known = test(conditions) ? Yes : No;
    return known == Yes;
}

bool CommandConditions::Holds(Applies when) {
    for (const ConditionTest& test : ConditionTests) {
        if (test.When == when) return Ask(Results[static_cast<size_t>(when)], test.Test, *this);
    }
    return false;
}

bool CommandConditions::FirstFolderWritable() {
    return Ask(Writable, [](CommandConditions& c) { return IsFirstFolderWritable(c.Items()); }, *this);
}
