#include "launch/CommandDispatch.h"

#include "commands/RecentCommands.h"
#include "launch/DropletLauncher.h"
#include "launch/RequestLauncher.h"

namespace {

enum class Operation { Request, Wizard, Schedule };

struct CommandAction {
    CommandCode Code;
    Operation Run;
    std::wstring InstallLocations::Programs::*Executable;  // for requests
    ItemFilter Filter;                           // for requests
    int32_t WizardType;                          // for wizards
};

constexpr auto Batch = &InstallLocations::Programs::BatchToolPath;
constexpr auto Converter = &InstallLocations::Programs::ConverterPath;
constexpr auto MainApp = &InstallLocations::Programs::MainAppPath;
constexpr auto Wizard = &InstallLocations::Programs::WizardPath;
constexpr auto Scheduler = &InstallLocations::Programs::SchedulerPath;

constexpr CommandAction Actions[] = {
    {Cmd::ExtractHere, Operation::Request, Batch, ItemFilter::ArchivesOnly, 0},
    {Cmd::ExtractToDesktop, Operation::Request, Batch, ItemFilter::ArchivesOnly, 0},
    {Cmd::ExtractToMyArchives, Operation::Request, Batch, ItemFilter::ArchivesOnly, 0},
    {Cmd::ExtractToNamedFolder, Operation::Request, Batch, ItemFilter::ArchivesOnly, 0},
    {Cmd::ExtractWithOptions, Operation::Request, Batch, ItemFilter::ArchivesOnly, 0},
    // The converter takes RAR archives as well.
    {Cmd::Convert, Operation::Request, Converter, ItemFilter::ConvertibleOrRar, 0},
    {Cmd::Verify, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::Recover, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::Print, Operation::Request, Batch, ItemFilter::ConvertibleArchives, 0},
    {Cmd::CopyToClipboard, Operation::Request, Batch, ItemFilter::ConvertibleArchives, 0},
    {Cmd::SaveAs, Operation::Request, Batch, ItemFilter::ConvertibleArchives, 0},
    {Cmd::Digest, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::AutoboxBuilder, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::MakeSelfExtracting, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::CreateZip, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::CreateKesx, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::CreateTarBzip2, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::CreateWithApp, Operation::Request, MainApp, ItemFilter::AllItems, 0},
    {Cmd::OpenWithApp, Operation::Request, MainApp, ItemFilter::AllItems, 0},
    {Cmd::WizardCreateNew, Operation::Wizard, Wizard, ItemFilter::AllItems, 0},
    {Cmd::WizardEmail, Operation::Wizard, Wizard, ItemFilter::AllItems, 2},
    {Cmd::WizardFtp, Operation::Wizard, Wizard, ItemFilter::AllItems, 1},
    {Cmd::WizardBurn, Operation::Wizard, Wizard, ItemFilter::AllItems, 3},
    {Cmd::AddToExisting, Operation::Request, Batch, ItemFilter::AllItems, 0},
    {Cmd::Schedule, Operation::Schedule, Scheduler, ItemFilter::AllItems, 0},
};

HRESULT Run(const ContextMenuState& state, const CommandAction& action) {
    switch (action.Run) {
    case Operation::Request:
        return LaunchWithRequest(state, state.Paths.Executables().*action.Executable, action.Filter, action.Code);
    case Operation::Wizard:
        return LaunchWizard(state, action.WizardType);
    case Operation::Schedule:
        return LaunchScheduler(state);
    }
    return S_OK;
}

}  // namespace

HRESULT InvokeContextCommand(const ContextMenuState& state, CommandCode code) {
    RecentCommands::Record(code);
    for (const CommandAction& action : Actions)
        if (action.Code == code) return Run(state, action);
    if (code >= Cmd::FirstDroplet) return LaunchDroplet(state.Paths, state.SelectionItems, code - Cmd::FirstDroplet);
    // Separators, submenus and unused codes have no action.
    return S_OK;
}
