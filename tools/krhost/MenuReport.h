#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "EntryLabels.h"
#include "shellkit/MenuSnapshot.h"

// Prints a handler's menu as a tree: text, image, identifier offset, command code, help text.
class MenuReport {
public:
    MenuReport(IContextMenu* handler, const EntryLabels& labels, UINT idFirst)
        : Handler(handler), Labels(labels), IdFirst(idFirst) {}

    void Print(const std::vector<MenuItemSnapshot>& shellMenu) const;

private:
    void PrintNodes(const std::vector<MenuItemSnapshot>& nodes, const std::wstring& indent, bool inDroplets) const;
    std::wstring HelpText(UINT offset) const;

    IContextMenu* Handler;
    const EntryLabels& Labels;
    UINT IdFirst;
};
