#include "launch/DropletLauncher.h"

#include <string>

#include "droplets/DropletCatalogue.h"
#include "launch/RequestFile.h"

namespace {

// Each path followed by a blank, in double quotes when it holds one (as PathQuoteSpacesW
// quotes, without its MAX_PATH limit).
std::wstring DropletParameters(const SelectionList& items) {
    std::wstring parameters;
    for (const SelectionItem& item : items) {
        const bool quote = item.Path.find(L' ') != std::wstring::npos;
        if (quote) parameters += L'"';
        parameters += item.Path;
        if (quote) parameters += L'"';
        parameters += L' ';
    }
    return parameters;
}

}  // namespace

HRESULT LaunchDroplet(const InstallLocations& paths, const SelectionList& items, uint32_t number) {
    const std::wstring path = DropletCatalogue(paths).Find(number);
    if (path.empty()) return E_FAIL;
    return StartProgram(path, DropletParameters(items));
}
