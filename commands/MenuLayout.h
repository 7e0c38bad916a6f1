#pragma once
#include <string_view>
#include <vector>

#include "commands/CommandCode.h"
#include "commands/CommandTable.h"

// The "Kestrel" menu in insertion order, which is identifier order: a submenu's entries take
// their identifiers before the entry that opens it, so the tools entries come before the
// separator above "Kestrel Tools", and "Kestrel" takes the last one. Each entry goes into the
// menu of its Place and is inserted when its condition holds.
inline constexpr CommandCode KestrelMenuLayout[] = {
    Cmd::OpenWithApp,
    Cmd::ExtractHere, Cmd::ExtractToDesktop, Cmd::ExtractToMyArchives, Cmd::ExtractToNamedFolder,
    Cmd::ExtractWithOptions,
    Cmd::CreateZip, Cmd::CreateKesx,
    Cmd::DropletsMenu,
    Cmd::WizardCreateNew, Cmd::WizardEmail, Cmd::WizardFtp, Cmd::WizardBurn, Cmd::WizardsMenu,
    Cmd::CreateWithApp,
    Cmd::AddToExisting,
    Cmd::Convert, Cmd::Schedule, Cmd::Verify, Cmd::Recover,
    Cmd::Print, Cmd::CopyToClipboard, Cmd::SaveAs, Cmd::ContentListMenu,
    Cmd::Digest, Cmd::AutoboxBuilder, Cmd::MakeSelfExtracting,
    Cmd::Separator, Cmd::ToolsMenu,
    Cmd::KestrelMenu,
};

// Entries that open a submenu, and the menu each opens.
struct SubmenuEntry {
    CommandCode Code;
    Place Opens;
};
inline constexpr SubmenuEntry SubmenuEntries[] = {
    {Cmd::KestrelMenu, Place::Main},
    {Cmd::ToolsMenu, Place::Tools},
    {Cmd::ContentListMenu, Place::ContentList},
    {Cmd::WizardsMenu, Place::Wizards},
    {Cmd::DropletsMenu, Place::Droplets},
};

// Entries whose text is composed as "Create <name><suffix>".
struct ComposedText {
    CommandCode Code;
    std::wstring_view Suffix;
};
inline constexpr ComposedText ComposedTexts[] = {
    {Cmd::CreateZip, L".zip"},
    {Cmd::CreateKesx, L".kesx"},
};

// The layout's entries that go into the menu at place, in screen order: a popup shows its
// entries in the order they were inserted.
std::vector<CommandCode> EntriesIn(Place place);

const SubmenuEntry* FindSubmenuEntry(CommandCode code);
const ComposedText* FindComposedText(CommandCode code);
// A command the user can choose from its own entry (1 to 8, 11 to 18, 20 to 27): what the
// shell's menu may show as a remembered command.
bool IsCommandEntry(CommandCode code);
