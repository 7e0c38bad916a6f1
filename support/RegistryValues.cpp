#include "support/RegistryValues.h"
bool IsContextMenuEnabled() { return false; }
