#include "module/ObjectMap.h"

#include "com/Guids.h"
#include "dropmenu/CShlDropMenu.h"
#include "menu/CShlContextMenu.h"
#include "modern/CExplorerCommand.h"
#include "proppage/CPropPageExt.h"
#include "resources/resource.h"

constexpr std::array<ObjectMapEntry, 4> ObjectMap = {{
    {&KrGuids::PropPageExt, IDR_PROP_PAGE_EXT_SCRIPT, &CPropPageExt::CreateInstance},
    {&KrGuids::ShlContextMenu, IDR_SHL_CONTEXT_MENU_SCRIPT, &CShlContextMenu::CreateInstance},
    {&KrGuids::ShlDropMenu, IDR_SHL_DROP_MENU_SCRIPT, &CShlDropMenu::CreateInstance},
    {&KrGuids::ExplorerCommand, DeclaredByPackage, &CExplorerCommand::CreateInstance},
}};
