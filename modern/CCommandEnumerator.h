#pragma once
#include <windows.h>
#include <shobjidl.h>

#include <memory>
#include <vector>

#include "com/CShellObject.h"
#include "modern/CommandNode.h"
#include "modern/CommandSession.h"

// The sub-commands of one command, made as Explorer takes them.
class CCommandEnumerator final : public CShellObject<CCommandEnumerator, IEnumExplorerCommand> {
public:
    static HRESULT Create(std::shared_ptr<CommandSession> session, std::vector<CommandNode> nodes, size_t next,
                          IEnumExplorerCommand** enumerator) noexcept;

    // IEnumExplorerCommand
    STDMETHODIMP Next(ULONG count, IExplorerCommand** commands, ULONG* fetched) noexcept override;
    STDMETHODIMP Skip(ULONG count) noexcept override;
    STDMETHODIMP Reset() noexcept override;
    STDMETHODIMP Clone(IEnumExplorerCommand** copy) noexcept override;

private:
    friend CShellObject;
    CCommandEnumerator() = default;
    ~CCommandEnumerator() override = default;

    std::shared_ptr<CommandSession> Session;
    std::vector<CommandNode> Nodes;
    size_t Position = 0;
};
