#include "modern/CCommandEnumerator.h"

#include <new>

#include "modern/CExplorerCommand.h"

HRESULT CCommandEnumerator::Create(std::shared_ptr<CommandSession> session, std::vector<CommandNode> nodes,
                                   size_t next, IEnumExplorerCommand** enumerator) noexcept {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    CCommandEnumerator* object = new (std::nothrow) CCommandEnumerator();
    if (!object) return E_OUTOFMEMORY;
    object->Session = std::move(session);
    object->Nodes = std::move(nodes);
    object->Position = std::min(next, object->Nodes.size());
    *enumerator = object;  // the creation reference
    return S_OK;
}

STDMETHODIMP CCommandEnumerator::Next(ULONG count, IExplorerCommand** commands, ULONG* fetched) noexcept {
    if (fetched) *fetched = 0;
    if (!commands || (count > 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    HRESULT hr = S_OK;
    while (given < count && Position < Nodes.size() && SUCCEEDED(hr)) {
        try {
            hr = CExplorerCommand::Create(Session, Nodes[Position], &commands[given]);
        } catch (...) {
            hr = E_OUTOFMEMORY;
        }
        if (SUCCEEDED(hr)) ++Position, ++given;
    }
    if (FAILED(hr)) {
        while (given > 0) commands[--given]->Release();
        return hr;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP CCommandEnumerator::Skip(ULONG count) noexcept {
    const size_t left = Nodes.size() - Position;
    Position += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP CCommandEnumerator::Reset() noexcept {
    Position = 0;
    return S_OK;
}

STDMETHODIMP CCommandEnumerator::Clone(IEnumExplorerCommand** copy) noexcept {
    try {
        return Create(Session, Nodes, Position, copy);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
