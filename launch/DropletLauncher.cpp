#include "launch/DropletLauncher.h"

#include <optional>
#include <string>

#include "droplets/DropletCatalogue.h"
#include "launch/DropletArguments.h"
#include "launch/RequestFile.h"

HRESULT LaunchDroplet(const InstallLocations& paths, const SelectionList& items, uint32_t number) {
    const std::wstring path = DropletCatalogue(paths).Find(number);
    if (path.empty()) return E_FAIL;
    // A selection that cmd.exe could not be handed safely starts nothing.
    const std::optional<std::wstring> arguments = DropletArguments(path, ReaderOf(path), items);
    if (!arguments) return E_FAIL;
    return StartProgram(path, *arguments);
}
