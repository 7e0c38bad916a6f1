#pragma once
#include <windows.h>
#include <shobjidl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/CShellObject.h"
#include "commands/CommandTable.h"
#include "modern/CommandNode.h"
#include "modern/CommandSession.h"

// Windows 11's first-level menu: "Kestrel" and its sub-commands, from the same command table,
// plan, texts and launches as the classic submenu. The class Explorer creates is the root; it
// makes the sub-commands, which share its session. Every call decides from the shell item array
// Explorer hands over.
class CExplorerCommand final : public CShellObject<CExplorerCommand, IExplorerCommand> {
public:
    static HRESULT Create(std::shared_ptr<CommandSession> session, CommandNode node,
                          IExplorerCommand** command) noexcept;

    // IExplorerCommand
    STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* title) noexcept override;
    STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) noexcept override;
    STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) noexcept override;
    STDMETHODIMP GetCanonicalName(GUID* name) noexcept override;
    STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) noexcept override;
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* context) noexcept override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) noexcept override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) noexcept override;

private:
    friend CShellObject;
    CExplorerCommand();  // the root, with a session of its own
    CExplorerCommand(std::shared_ptr<CommandSession> session, CommandNode node) noexcept;
    ~CExplorerCommand() override = default;

    bool IsSeparator() const;
    // The menu this command opens, or Place::None.
    Place Opens() const;
    // Shown whatever is selected (no disk needed), or unknown without the plan.
    std::optional<bool> ShownWithoutDisk() const;
    bool ShownByPlan();
    std::wstring Title();
    std::wstring Icon();
    std::vector<CommandNode> Children();

    std::shared_ptr<CommandSession> Session;
    CommandNode Node;
};
