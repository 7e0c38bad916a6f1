#include "support/InstallLocations.h"
InstallLocations InstallLocations::ForContextMenu() { return {}; }
std::wstring InstallLocations::DropMenuBatchToolPath() { return {}; }
std::wstring ModuleFilePath() { return {}; }
