#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Finds shell extension handlers the way Explorer does: the shellex handler lists
// of the classes root (the user's and the machine's) for the types of the selected items.
class HandlerRegistry {
public:
    enum class Kind { ContextMenu, DragDrop, PropertySheet };

    struct Handler {
        std::wstring Name;  // the handler list entry, e.g. KestrelContextMenuHandler
        CLSID Clsid;
    };

    // Handlers registered for every one of the given paths (files: "*", folders:
    // "Directory"; drop targets: "Directory", "Drive" and "Folder").
    static std::vector<Handler> For(Kind kind, const std::vector<std::wstring>& paths);

private:
    static std::vector<std::wstring> TypeKeysOf(Kind kind, const std::wstring& path);
    static std::vector<Handler> ListedUnder(const std::wstring& typeKey, Kind kind);
};
