#include "modern/CommandIcons.h"

#include "resources/resource.h"
#include "support/InstallLocations.h"

namespace {
struct MenuIcon {
    UINT Image;
    UINT Icon;
};
constexpr MenuIcon MenuIcons[] = {
    {IDB_PRODUCT, IDI_PRODUCT},         {IDB_CONVERT, IDI_CONVERT}, {IDB_KESX, IDI_KESX},
    {IDB_SPARE_CREATE, IDI_SPARE_CREATE}, {IDB_BURN, IDI_BURN},       {IDB_EMAIL, IDI_EMAIL},
    {IDB_FTP, IDI_FTP},                 {IDB_CREATE_NEW, IDI_CREATE_NEW}, {IDB_ZIP, IDI_ZIP},
    {IDB_SELF_EXTRACT, IDI_SELF_EXTRACT}, {IDB_SCHEDULE, IDI_SCHEDULE},
};
}  // namespace

std::wstring IconOf(UINT imageId) {
    for (const MenuIcon& icon : MenuIcons)
        if (icon.Image == imageId) return ModuleFilePath() + L",-" + std::to_wstring(icon.Icon);
    return {};
}
