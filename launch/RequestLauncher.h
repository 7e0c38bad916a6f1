#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "commands/CommandCode.h"
#include "commands/ContextMenuState.h"

// Which selected items a request lists.
enum class ItemFilter {
    AllItems,
    ArchivesOnly,
    ConvertibleArchives,  // Zip, KESx, KES, Tar and the compressed Tars
    ConvertibleOrRar,     // the same and RAR: what the converter accepts
};

bool FilterAccepts(ItemFilter filter, ArchiveKind kind);

// Writes a request for the selection and starts executable with `-i "<request>"` (`-p` for
// "Open with Kestrel..."). S_OK when the program started, else E_FAIL.
HRESULT LaunchWithRequest(const ContextMenuState& state, const std::wstring& executable, ItemFilter filter,
                          CommandCode code);

// Writes a wizard request (every item, the wizard type) and starts the wizard program.
HRESULT LaunchWizard(const ContextMenuState& state, int32_t wizardType);

// Writes the list file into the user's temporary folder and starts the scheduler with
// `"<list>" -c`.
HRESULT LaunchScheduler(const ContextMenuState& state);

// The drop menu's request: every dropped item under "FilesToInclude" by position, extracted
// to the drop target by the command-line tool beside the library. S_OK when it started.
HRESULT LaunchDropRequest(const SelectionList& droppedItems, const std::wstring& dropTargetFolder,
                          const std::wstring& batchToolPath, CommandCode actionCode);

// Full path of the archive the create commands make beside the selection; empty for codes
// other than 17, 18, 19 or an empty selection.
std::wstring NewArchiveName(const SelectionList& items, CommandCode code);
