#include "modern/CommandIcons.h"

#include "support/InstallLocations.h"

namespace {
struct MenuIcon {
    UINT Image;
    UINT Icon;
};
constexpr MenuIcon MenuIcons[] = {
    {205, 305}, {206, 306}, {207, 307}, {208, 308}, {209, 309}, {210, 310},
    {211, 311}, {212, 312}, {213, 313}, {214, 314}, {217, 317},
};
}  // namespace

std::wstring IconOf(UINT imageId) {
    for (const MenuIcon& icon : MenuIcons)
        if (icon.Image == imageId) return ModuleFilePath() + L",-" + std::to_wstring(icon.Icon);
    return {};
}
