#include "module/ObjectMap.h"

#include "dropmenu/CShlDropMenu.h"
#include "menu/CShlContextMenu.h"
#include "module/Guids.h"
#include "proppage/CPropPageExt.h"

constexpr std::array<ObjectMapEntry, 3> ObjectMap = {{
    {&KrGuids::PropPageExt, 103, &CPropPageExt::CreateInstance},
    {&KrGuids::ShlContextMenu, 104, &CShlContextMenu::CreateInstance},
    {&KrGuids::ShlDropMenu, 152, &CShlDropMenu::CreateInstance},
}};
