#include "modern/CExplorerCommand.h"

#include <shlwapi.h>

#include <new>

#include "com/Guids.h"
#include "commands/CommandTable.h"
#include "commands/HelpStrings.h"
#include "commands/MenuLayout.h"
#include "commands/MenuText.h"
#include "droplets/DropletCatalogue.h"
#include "droplets/DropletName.h"
#include "launch/CommandDispatch.h"
#include "modern/CCommandEnumerator.h"
#include "modern/CommandIcons.h"

namespace {
using Role = CommandNode::Role;

// The root shows for every selection with paths: some entries of the "Kestrel" menu are offered
// whatever is selected, so deciding the root never needs the disk.
constexpr bool MainMenuOffersSomethingAlways() {
    for (const CommandInfo& info : CommandTable)
        if (info.Where == Place::Main && info.When == Applies::Always && info.Code != Cmd::Separator) return true;
    return false;
}
static_assert(MainMenuOffersSomethingAlways());

bool IsDropletCode(CommandCode code) { return code >= Cmd::FirstDroplet; }

HRESULT Duplicate(const std::wstring& text, LPWSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return E_NOTIMPL;
    return SHStrDupW(text.c_str(), out);
}
}  // namespace

CExplorerCommand::CExplorerCommand() : Session(std::make_shared<CommandSession>()) {}

HRESULT CExplorerCommand::Create(std::shared_ptr<CommandSession> session, CommandNode node,
                                 IExplorerCommand** command) noexcept {
    *command = nullptr;
    CExplorerCommand* object = new (std::nothrow) CExplorerCommand(std::move(session), std::move(node));
    if (!object) return E_OUTOFMEMORY;
    *command = object;  // the creation reference
    return S_OK;
}

CExplorerCommand::CExplorerCommand(std::shared_ptr<CommandSession> session, CommandNode node) noexcept
    : Session(std::move(session)), Node(std::move(node)) {}

bool CExplorerCommand::IsSeparator() const {
    return Node.Kind == Role::RememberedSeparator || (Node.Kind == Role::Entry && Node.Code == Cmd::Separator);
}

Place CExplorerCommand::Opens() const {
    if (Node.Kind == Role::Root) return Place::Main;
    const SubmenuEntry* submenu = Node.Kind == Role::Entry ? FindSubmenuEntry(Node.Code) : nullptr;
    return submenu ? submenu->Opens : Place::None;
}

std::optional<bool> CExplorerCommand::ShownWithoutDisk() const {
    if (Node.Kind == Role::Root || Node.Kind == Role::Droplet) return true;
    if (Node.Kind == Role::Entry && FindCommand(Node.Code)->When == Applies::Always) return true;
    return std::nullopt;
}

bool CExplorerCommand::ShownByPlan() {
    const MenuPlan& plan = Session->Plan();
    const auto remembered = [&](CommandCode code) {
        return plan.Remembers(code) && (!IsDropletCode(code) || !Session->RememberedDroplet(code).empty());
    };
    switch (Node.Kind) {
    case Role::Remembered:
        return remembered(Node.Code);
    case Role::RememberedSeparator:
        return remembered(Session->Recent().Cmd1) || remembered(Session->Recent().Cmd2);
    default:
        return plan.Offers(Node.Code);
    }
}

std::wstring CExplorerCommand::Title() {
    if (Node.Kind == Role::Droplet) return DropletName(Node.DropletPath);
    if (IsDropletCode(Node.Code)) return DropletName(Session->RememberedDroplet(Node.Code));
    const CommandInfo& info = *FindCommand(Node.Code);
    const MenuText text = EntryText(info, FindComposedText(Node.Code) ? Session->Plan().ArchiveName : L"");
    return text.Get();
}

// Remembered commands carry the images of the shell's menu, the others those of their submenu.
std::wstring CExplorerCommand::Icon() {
    if (Node.Kind == Role::Droplet) return Node.DropletPath;
    if (IsDropletCode(Node.Code)) return Session->RememberedDroplet(Node.Code);
    const CommandInfo& info = *FindCommand(Node.Code);
    return IconOf(Node.Kind == Role::Remembered ? info.RecentImageId : info.ImageId);
}

std::vector<CommandNode> CExplorerCommand::Children() {
    std::vector<CommandNode> children;
    const Place place = Opens();
    if (place == Place::Droplets) {
        for (DropletCatalogue::Droplet& droplet : Session->State().Catalogue.Shown())
            children.push_back({Role::Droplet, Cmd::FirstDroplet + droplet.Number, std::move(droplet.Path)});
        return children;
    }
    if (Node.Kind == Role::Root) {
        for (CommandCode code : {Session->Recent().Cmd1, Session->Recent().Cmd2})
            if (IsCommandEntry(code) || IsDropletCode(code)) children.push_back({Role::Remembered, code, {}});
        if (!children.empty()) children.push_back({Role::RememberedSeparator, Cmd::Separator, {}});
    }
    for (CommandCode code : EntriesIn(place)) children.push_back({Role::Entry, code, {}});
    return children;
}

STDMETHODIMP CExplorerCommand::GetTitle(IShellItemArray* items, LPWSTR* title) noexcept {
    try {
        if (IsSeparator()) return Duplicate({}, title);
        // A composed text or a remembered droplet depends on the selection.
        const bool fromSelection = FindComposedText(Node.Code) || (Node.Kind == Role::Remembered && IsDropletCode(Node.Code));
        if (fromSelection && !Session->Select(items)) {
            if (title) *title = nullptr;
            return E_INVALIDARG;
        }
        return Duplicate(Title(), title);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CExplorerCommand::GetIcon(IShellItemArray* items, LPWSTR* icon) noexcept {
    try {
        if (IsSeparator()) return Duplicate({}, icon);
        if (IsDropletCode(Node.Code) && Node.Kind == Role::Remembered && !Session->Select(items)) {
            if (icon) *icon = nullptr;
            return E_INVALIDARG;
        }
        return Duplicate(Icon(), icon);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CExplorerCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) noexcept {
    try {
        if (IsSeparator()) return Duplicate({}, tip);
        return Duplicate(MenuText(HelpStringId(Node.Code)).Get(), tip);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CExplorerCommand::GetCanonicalName(GUID* name) noexcept {
    if (!name) return E_POINTER;
    *name = KrGuids::CommandNames;
    name->Data1 = Node.Code;
    return S_OK;
}

STDMETHODIMP CExplorerCommand::GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) noexcept {
    if (!state) return E_POINTER;
    *state = ECS_HIDDEN;
    try {
        if (!Session->Select(items)) return S_OK;
        // What needs the disk (attributes, the folder probe, the droplet catalogue) waits for
        // Explorer to ask off its UI thread, unless the plan already knows.
        std::optional<bool> shown = ShownWithoutDisk();
        if (!shown && !okToBeSlow && !Session->HasPlan()) return E_PENDING;
        if (!shown) shown = ShownByPlan();
        *state = *shown ? ECS_ENABLED : ECS_HIDDEN;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CExplorerCommand::Invoke(IShellItemArray* items, IBindCtx*) noexcept {
    // The root, separators and the entries that open a menu have nothing to run.
    if (Node.Kind == Role::Root || IsSeparator() || Opens() != Place::None) return E_NOTIMPL;
    try {
        if (!Session->Select(items)) return E_INVALIDARG;
        const HRESULT hr = InvokeContextCommand(Session->State(), Node.Code);
        // The remembered commands have changed: a later menu works them out afresh.
        Session->Forget();
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CExplorerCommand::GetFlags(EXPCMDFLAGS* flags) noexcept {
    if (!flags) return E_POINTER;
    *flags = IsSeparator() ? ECF_ISSEPARATOR : Opens() != Place::None ? ECF_HASSUBCOMMANDS : ECF_DEFAULT;
    return S_OK;
}

STDMETHODIMP CExplorerCommand::EnumSubCommands(IEnumExplorerCommand** commands) noexcept {
    if (!commands) return E_POINTER;
    *commands = nullptr;
    if (Opens() == Place::None) return E_NOTIMPL;
    try {
        return CCommandEnumerator::Create(Session, Children(), 0, commands);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
