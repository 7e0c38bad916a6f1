#include "MenuTree.h"

std::vector<MenuNode> MenuTree::Read(HMENU menu) {
    std::vector<MenuNode> nodes;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[1024] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_CHECKMARKS | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = ARRAYSIZE(text);
        if (!GetMenuItemInfoW(menu, position, TRUE, &info)) continue;
        MenuNode node;
        node.Separator = (info.fType & MFT_SEPARATOR) != 0;
        node.Text = node.Separator ? L"" : text;
        node.Id = info.wID;
        node.Image = info.hbmpUnchecked ? info.hbmpUnchecked : info.hbmpItem;
        node.Submenu = info.hSubMenu;
        if (info.hSubMenu) node.Children = Read(info.hSubMenu);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

const MenuNode* MenuTree::FindByText(const std::vector<MenuNode>& nodes, const std::wstring& text) {
    for (const MenuNode& node : nodes) {
        if (!node.Separator && !node.Submenu && node.Text == text) return &node;
        if (const MenuNode* found = FindByText(node.Children, text)) return found;
    }
    return nullptr;
}
