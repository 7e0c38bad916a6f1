#pragma once
#include <windows.h>

#include "commands/CommandCode.h"

// Which test of the selection decides whether a command is offered.
enum class Applies {
    Always,
    AnyArchive,
    AnyArchiveInWritableFolder,
    ConvertibleArchive,
    SingleVerifiableArchive,
    SingleFile,
    SingleZipOrKesArchive,
    NotSingleArchive,
    NotSingleArchiveInWritableFolder,
    NotSingleArchiveWithDroplets,
    SingleArchive,
    Never,  // keep last: it sizes per-condition tables
};

// The menu that holds an entry.
enum class Place { Main, Tools, ContentList, Wizards, Droplets, Shell, None };

struct CommandInfo {
    CommandCode Code;
    UINT MenuTextId;     // 0: composed text or no entry
    UINT HelpTextId;
    UINT ImageId;        // bitmap in its submenu; 0: none
    UINT RecentImageId;  // bitmap as a remembered entry on the shell's menu; 0: none
    Place Where;
    Applies When;
};

inline constexpr UINT NoImage = 0;
inline constexpr UINT ProductImage = 205;
// String id of every code without a help text of its own (separators, droplets).
inline constexpr UINT DropletsTextId = 217;
inline constexpr UINT CreateWordTextId = 149;

inline constexpr CommandInfo CommandTable[] = {
    {Cmd::ExtractHere, 128, 104, NoImage, ProductImage, Place::Main, Applies::AnyArchiveInWritableFolder},
    {Cmd::ExtractToDesktop, 129, 105, NoImage, ProductImage, Place::Main, Applies::AnyArchive},
    {Cmd::ExtractToMyArchives, 220, 221, NoImage, ProductImage, Place::Main, Applies::AnyArchive},
    {Cmd::ExtractToNamedFolder, 130, 106, NoImage, ProductImage, Place::Main, Applies::AnyArchive},
    {Cmd::ExtractWithOptions, 131, 107, NoImage, ProductImage, Place::Main, Applies::AnyArchive},
    {Cmd::Convert, 132, 108, 206, ProductImage, Place::Tools, Applies::ConvertibleArchive},
    {Cmd::Verify, 133, 109, NoImage, ProductImage, Place::Tools, Applies::SingleVerifiableArchive},
    {Cmd::Recover, 134, 110, NoImage, ProductImage, Place::Tools, Applies::SingleVerifiableArchive},
    {Cmd::Print, 137, 113, NoImage, ProductImage, Place::ContentList, Applies::SingleVerifiableArchive},
    {Cmd::CopyToClipboard, 202, 205, NoImage, ProductImage, Place::ContentList, Applies::SingleVerifiableArchive},
    {Cmd::SaveAs, 203, 206, NoImage, ProductImage, Place::ContentList, Applies::SingleVerifiableArchive},
    {Cmd::Digest, 200, 201, NoImage, ProductImage, Place::Tools, Applies::SingleFile},
    {Cmd::AutoboxBuilder, 138, 114, 214, ProductImage, Place::Tools, Applies::Always},
    {Cmd::MakeSelfExtracting, 218, 219, 214, ProductImage, Place::Tools, Applies::SingleZipOrKesArchive},
    {Cmd::CreateZip, 0, 115, 213, 213, Place::Main, Applies::NotSingleArchiveInWritableFolder},
    {Cmd::CreateKesx, 0, 116, 207, 207, Place::Main, Applies::NotSingleArchiveInWritableFolder},
    {Cmd::CreateTarBzip2, 0, 117, NoImage, NoImage, Place::None, Applies::Never},
    {Cmd::CreateWithApp, 142, 118, ProductImage, ProductImage, Place::Main, Applies::NotSingleArchive},
    {Cmd::OpenWithApp, 215, 216, ProductImage, ProductImage, Place::Main, Applies::SingleArchive},
    {Cmd::WizardCreateNew, 143, 119, 212, 212, Place::Wizards, Applies::NotSingleArchive},
    {Cmd::WizardEmail, 144, 120, 210, 210, Place::Wizards, Applies::NotSingleArchive},
    {Cmd::WizardFtp, 145, 121, 211, 211, Place::Wizards, Applies::NotSingleArchive},
    {Cmd::WizardBurn, 146, 122, 209, 209, Place::Wizards, Applies::NotSingleArchive},
    {Cmd::AddToExisting, 147, 123, NoImage, ProductImage, Place::Main, Applies::Always},
    {Cmd::Schedule, 211, 213, 217, 217, Place::Tools, Applies::NotSingleArchive},
    {Cmd::ContentListMenu, 204, 124, NoImage, NoImage, Place::Tools, Applies::SingleVerifiableArchive},
    {Cmd::CreateOptions, 0, 125, NoImage, NoImage, Place::None, Applies::Never},
    {Cmd::ToolsMenu, 210, 212, NoImage, NoImage, Place::Main, Applies::Always},
    {Cmd::WizardsMenu, 150, 126, NoImage, NoImage, Place::Main, Applies::NotSingleArchive},
    {Cmd::DropletsMenu, 217, 214, NoImage, NoImage, Place::Main, Applies::NotSingleArchiveWithDroplets},
    {Cmd::KestrelMenu, 151, 127, ProductImage, NoImage, Place::Shell, Applies::Always},
    {Cmd::Separator, 0, DropletsTextId, NoImage, NoImage, Place::Main, Applies::Always},
};

// The row of a code, or nullptr (droplets and unused codes).
const CommandInfo* FindCommand(CommandCode code);
