#include "module/ObjectMap.h"

#include "dropmenu/CShlDropMenu.h"
#include "menu/CShlContextMenu.h"
#include "modern/CExplorerCommand.h"
#include "module/Guids.h"
#include "proppage/CPropPageExt.h"

constexpr std::array<ObjectMapEntry, 4> ObjectMap = {{
    {&KrGuids::PropPageExt, 103, &CPropPageExt::CreateInstance},
    {&KrGuids::ShlContextMenu, 104, &CShlContextMenu::CreateInstance},
    {&KrGuids::ShlDropMenu, 152, &CShlDropMenu::CreateInstance},
    {&KrGuids::ExplorerCommand, DeclaredByPackage, &CExplorerCommand::CreateInstance},
}};
