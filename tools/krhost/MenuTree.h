#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A menu read back the way Explorer sees it, with GetMenuItemInfoW.
struct MenuNode {
    bool Separator = false;
    std::wstring Text;
    UINT Id = 0;
    HBITMAP Image = nullptr;
    HMENU Submenu = nullptr;
    std::vector<MenuNode> Children;
};

class MenuTree {
public:
    static std::vector<MenuNode> Read(HMENU menu);
    // First entry (depth first, in screen order) whose text is exactly `text`.
    static const MenuNode* FindByText(const std::vector<MenuNode>& nodes, const std::wstring& text);
};
