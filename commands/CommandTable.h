#pragma once
#include <windows.h>

#include "commands/CommandCode.h"
#include "resources/resource.h"

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

inline constexpr UINT NoText = 0;
inline constexpr UINT NoImage = 0;
// String id of every code without a help text of its own (separators, droplets).
inline constexpr UINT DropletsTextId = IDS_DROPLETS_MENU;

inline constexpr CommandInfo CommandTable[] = {
    {Cmd::ExtractHere, IDS_EXTRACT_HERE, IDS_HELP_EXTRACT_HERE, NoImage, IDB_PRODUCT, Place::Main,
     Applies::AnyArchiveInWritableFolder},
    {Cmd::ExtractToDesktop, IDS_EXTRACT_TO_DESKTOP, IDS_HELP_EXTRACT_TO_DESKTOP, NoImage, IDB_PRODUCT, Place::Main,
     Applies::AnyArchive},
    {Cmd::ExtractToMyArchives, IDS_EXTRACT_TO_MY_ARCHIVES, IDS_HELP_EXTRACT_TO_MY_ARCHIVES, NoImage, IDB_PRODUCT,
     Place::Main, Applies::AnyArchive},
    {Cmd::ExtractToNamedFolder, IDS_EXTRACT_TO_NAMED_FOLDER, IDS_HELP_EXTRACT_TO_NAMED_FOLDER, NoImage, IDB_PRODUCT,
     Place::Main, Applies::AnyArchive},
    {Cmd::ExtractWithOptions, IDS_EXTRACT_WITH_OPTIONS, IDS_HELP_EXTRACT_WITH_OPTIONS, NoImage, IDB_PRODUCT,
     Place::Main, Applies::AnyArchive},
    {Cmd::Convert, IDS_CONVERT, IDS_HELP_CONVERT, IDB_CONVERT, IDB_PRODUCT, Place::Tools, Applies::ConvertibleArchive},
    {Cmd::Verify, IDS_VERIFY, IDS_HELP_VERIFY, NoImage, IDB_PRODUCT, Place::Tools, Applies::SingleVerifiableArchive},
    {Cmd::Recover, IDS_RECOVER, IDS_HELP_RECOVER, NoImage, IDB_PRODUCT, Place::Tools, Applies::SingleVerifiableArchive},
    {Cmd::Print, IDS_PRINT, IDS_HELP_PRINT, NoImage, IDB_PRODUCT, Place::ContentList, Applies::SingleVerifiableArchive},
    {Cmd::CopyToClipboard, IDS_COPY_TO_CLIPBOARD, IDS_HELP_COPY_TO_CLIPBOARD, NoImage, IDB_PRODUCT, Place::ContentList,
     Applies::SingleVerifiableArchive},
    {Cmd::SaveAs, IDS_SAVE_AS, IDS_HELP_SAVE_AS, NoImage, IDB_PRODUCT, Place::ContentList,
     Applies::SingleVerifiableArchive},
    {Cmd::Digest, IDS_DIGEST, IDS_HELP_DIGEST, NoImage, IDB_PRODUCT, Place::Tools, Applies::SingleFile},
    {Cmd::AutoboxBuilder, IDS_AUTOBOX_BUILDER, IDS_HELP_AUTOBOX_BUILDER, IDB_SELF_EXTRACT, IDB_PRODUCT, Place::Tools,
     Applies::Always},
    {Cmd::MakeSelfExtracting, IDS_MAKE_SELF_EXTRACTING, IDS_HELP_MAKE_SELF_EXTRACTING, IDB_SELF_EXTRACT, IDB_PRODUCT,
     Place::Tools, Applies::SingleZipOrKesArchive},
    {Cmd::CreateZip, NoText, IDS_HELP_CREATE_ZIP, IDB_ZIP, IDB_ZIP, Place::Main,
     Applies::NotSingleArchiveInWritableFolder},
    {Cmd::CreateKesx, NoText, IDS_HELP_CREATE_KESX, IDB_KESX, IDB_KESX, Place::Main,
     Applies::NotSingleArchiveInWritableFolder},
    {Cmd::CreateTarBzip2, NoText, IDS_HELP_CREATE_TAR_BZIP2, NoImage, NoImage, Place::None, Applies::Never},
    {Cmd::CreateWithApp, IDS_CREATE_WITH_APP, IDS_HELP_CREATE_WITH_APP, IDB_PRODUCT, IDB_PRODUCT, Place::Main,
     Applies::NotSingleArchive},
    {Cmd::OpenWithApp, IDS_OPEN_WITH_APP, IDS_HELP_OPEN_WITH_APP, IDB_PRODUCT, IDB_PRODUCT, Place::Main,
     Applies::SingleArchive},
    {Cmd::WizardCreateNew, IDS_WIZARD_CREATE_NEW, IDS_HELP_WIZARD_CREATE_NEW, IDB_CREATE_NEW, IDB_CREATE_NEW,
     Place::Wizards, Applies::NotSingleArchive},
    {Cmd::WizardEmail, IDS_WIZARD_EMAIL, IDS_HELP_WIZARD_EMAIL, IDB_EMAIL, IDB_EMAIL, Place::Wizards,
     Applies::NotSingleArchive},
    {Cmd::WizardFtp, IDS_WIZARD_FTP, IDS_HELP_WIZARD_FTP, IDB_FTP, IDB_FTP, Place::Wizards, Applies::NotSingleArchive},
    {Cmd::WizardBurn, IDS_WIZARD_BURN, IDS_HELP_WIZARD_BURN, IDB_BURN, IDB_BURN, Place::Wizards,
     Applies::NotSingleArchive},
    {Cmd::AddToExisting, IDS_ADD_TO_EXISTING, IDS_HELP_ADD_TO_EXISTING, NoImage, IDB_PRODUCT, Place::Main,
     Applies::Always},
    {Cmd::Schedule, IDS_SCHEDULE, IDS_HELP_SCHEDULE, IDB_SCHEDULE, IDB_SCHEDULE, Place::Tools,
     Applies::NotSingleArchive},
    {Cmd::ContentListMenu, IDS_CONTENT_LIST_MENU, IDS_HELP_CONTENT_LIST_MENU, NoImage, NoImage, Place::Tools,
     Applies::SingleVerifiableArchive},
    {Cmd::CreateOptions, NoText, IDS_HELP_CREATE_OPTIONS, NoImage, NoImage, Place::None, Applies::Never},
    {Cmd::ToolsMenu, IDS_TOOLS_MENU, IDS_HELP_TOOLS_MENU, NoImage, NoImage, Place::Main, Applies::Always},
    {Cmd::WizardsMenu, IDS_WIZARDS_MENU, IDS_HELP_WIZARDS_MENU, NoImage, NoImage, Place::Main,
     Applies::NotSingleArchive},
    {Cmd::DropletsMenu, IDS_DROPLETS_MENU, IDS_HELP_DROPLETS_MENU, NoImage, NoImage, Place::Main,
     Applies::NotSingleArchiveWithDroplets},
    {Cmd::KestrelMenu, IDS_KESTREL_MENU, IDS_HELP_KESTREL_MENU, IDB_PRODUCT, NoImage, Place::Shell, Applies::Always},
    {Cmd::Separator, NoText, DropletsTextId, NoImage, NoImage, Place::Main, Applies::Always},
};

// The row of a code, or nullptr (droplets and unused codes).
const CommandInfo* FindCommand(CommandCode code);
