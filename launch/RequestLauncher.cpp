#include "launch/RequestLauncher.h"

#include <utility>

#include "launch/ListFile.h"
#include "launch/RequestFile.h"
#include "selection/ClassifyPath.h"
#include "support/CIniFile.h"

namespace {

constexpr const wchar_t* FilesSection = L"FilesToInclude";
constexpr const wchar_t* FoldersSection = L"FoldersToInclude";

bool AnyKind(ArchiveKind) { return true; }

struct FilterRule {
    ItemFilter Filter;
    bool (*Accepts)(ArchiveKind);
};

constexpr FilterRule FilterRules[] = {
    {ItemFilter::AllItems, AnyKind},
    {ItemFilter::ArchivesOnly, IsArchive},
    {ItemFilter::ConvertibleArchives, IsVerifiableKind},
    {ItemFilter::ConvertibleOrRar, IsConvertibleKind},
};

// How a request command differs from the plain "-i", items-apart request.
struct RequestStyle {
    CommandCode Code;
    bool ItemsAsFiles;               // every item under "FilesToInclude", folders too
    const wchar_t* Option;
    const wchar_t* ArchiveExtension;  // the create commands name their new archive
};

constexpr RequestStyle PlainRequest{0, false, L"-i", nullptr};

constexpr RequestStyle RequestStyles[] = {
    {Cmd::Convert, true, L"-i", nullptr},
    {Cmd::CreateZip, false, L"-i", L".zip"},
    {Cmd::CreateKesx, false, L"-i", L".kesx"},
    {Cmd::CreateTarBzip2, false, L"-i", L".tbz2"},
    {Cmd::CreateWithApp, true, L"-i", nullptr},
    {Cmd::OpenWithApp, true, L"-p", nullptr},
};

const RequestStyle& StyleOf(CommandCode code) {
    for (const RequestStyle& style : RequestStyles)
        if (style.Code == code) return style;
    return PlainRequest;
}

void WriteItem(CIniFile& request, size_t position, const SelectionItem& item, bool asFile) {
    const bool folder = !asFile && IsFolderNow(item);
    request.SetString(folder ? FoldersSection : FilesSection, std::to_wstring(position).c_str(),
                      item.Path.c_str());
}

// Creates the request file, lets fill add its entries, writes them through the handle that
// created the file and starts executable with `<option> "<request>"`. Nothing is started when
// the file cannot be made.
template <class Fill>
HRESULT WriteRequestAndStart(const std::wstring& executable, const wchar_t* option, Fill fill) {
    NewUniqueFile file = CreateRequestFile();
    if (!file.Handle) return E_FAIL;
    {
        const UniqueFileHandle written = std::move(file.Handle);  // closed before the program reads it
        CIniFile request;
        fill(request);
        request.Save(written.Get());
    }
    return StartProgram(executable, QuotedFileParameter(option, file.Path));
}

// What every action request says after its items: no wizard, the command, where to extract.
void WriteAction(CIniFile& request, CommandCode code, const std::wstring& extractTo) {
    request.SetInt(L"Archive", L"WizardType", 0);
    request.SetInt(L"ContextMenu", L"RequestedActionCmd", static_cast<int32_t>(code));
    request.SetString(L"ContextMenu", L"ExtractTo", extractTo.c_str());
}

// The last path component of a folder; a drive root ("C:") gives its letter.
std::wstring FolderOwnName(const std::wstring& folder) {
    const size_t slash = folder.rfind(L'\\');
    if (slash != std::wstring::npos) return folder.substr(slash + 1);
    return folder.size() == 2 && folder[1] == L':' ? folder.substr(0, 1) : folder;
}

}  // namespace

bool FilterAccepts(ItemFilter filter, ArchiveKind kind) {
    for (const FilterRule& rule : FilterRules)
        if (rule.Filter == filter) return rule.Accepts(kind);
    return false;
}

std::wstring NewArchiveName(const SelectionList& items, CommandCode code) {
    const wchar_t* extension = StyleOf(code).ArchiveExtension;
    if (!extension || items.empty()) return {};
    std::wstring name = items.front().Path;
    const size_t slash = name.rfind(L'\\');
    if (items.size() > 1) {
        // Named after the folder that holds the first item, inside that folder.
        if (slash != std::wstring::npos) {
            name.resize(slash);
            name += L'\\' + FolderOwnName(name);
        }
    } else if (!IsFolderNow(items.front())) {
        const size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) name.resize(dot);
    }
    return name + extension;
}

HRESULT LaunchWithRequest(const ContextMenuState& state, const std::wstring& executable, ItemFilter filter,
                          CommandCode code) {
    const RequestStyle& style = StyleOf(code);
    return WriteRequestAndStart(executable, style.Option, [&](CIniFile& request) {
        for (size_t position = 0; position < state.SelectionItems.size(); ++position) {
            const SelectionItem& item = state.SelectionItems[position];
            if (FilterAccepts(filter, item.Kind)) WriteItem(request, position, item, style.ItemsAsFiles);
        }
        if (style.ArchiveExtension)
            request.SetString(L"ArchiveInfo", L"Name", NewArchiveName(state.SelectionItems, code).c_str());
        WriteAction(request, code, state.SelectionFolder);
    });
}

HRESULT LaunchWizard(const ContextMenuState& state, int32_t wizardType) {
    return WriteRequestAndStart(state.Paths.Executables().WizardPath, L"-i", [&](CIniFile& request) {
        for (size_t position = 0; position < state.SelectionItems.size(); ++position)
            WriteItem(request, position, state.SelectionItems[position], false);
        request.SetInt(L"Archive", L"WizardType", wizardType);
    });
}

HRESULT LaunchDropRequest(const SelectionList& droppedItems, const std::wstring& dropTargetFolder,
                          const std::wstring& batchToolPath, CommandCode actionCode) {
    return WriteRequestAndStart(batchToolPath, L"-i", [&](CIniFile& request) {
        // Only archives are ever dropped onto this menu: no folder test, no filter.
        for (size_t position = 0; position < droppedItems.size(); ++position)
            WriteItem(request, position, droppedItems[position], true);
        WriteAction(request, actionCode, dropTargetFolder);
    });
}

HRESULT LaunchScheduler(const ContextMenuState& state) {
    NewUniqueFile list = CreateUniqueFile(UserTempFolder(), L"Kestrel");
    if (!list.Handle) return E_FAIL;
    {
        const UniqueFileHandle written = std::move(list.Handle);  // closed before the scheduler reads it
        if (!WriteListFile(written.Get(), state.SelectionItems)) return E_FAIL;
    }
    return StartProgram(state.Paths.Executables().SchedulerPath, L'"' + list.Path + L"\" -c");
}
