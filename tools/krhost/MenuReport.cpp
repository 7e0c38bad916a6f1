#include "MenuReport.h"

#include "Console.h"

namespace {
constexpr size_t TextColumn = 52;
}  // namespace

std::wstring MenuReport::HelpText(UINT offset) const {
    wchar_t text[512] = {};
    HRESULT hr = Handler->GetCommandString(offset, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(text),
                                           ARRAYSIZE(text));
    if (FAILED(hr)) return L"(no help text)";
    return L"\"" + std::wstring(text) + L"\"";
}

void MenuReport::PrintNodes(const std::vector<MenuItemSnapshot>& nodes, const std::wstring& indent, bool inDroplets) const {
    for (size_t i = 0; i < nodes.size(); ++i) {
        const MenuItemSnapshot& node = nodes[i];
        const bool last = i + 1 == nodes.size();
        std::wstring label = node.Separator ? L"────────────" : node.Text + (node.HasSubmenu ? L" ▸" : L"");
        std::wstring line = indent + (last ? L"└─ " : L"├─ ") + label;
        const bool ours = node.Id >= IdFirst && node.Id < IdFirst + 0x8000;
        if (ours) {
            const UINT offset = node.Id - IdFirst;
            line = Console::Pad(line, TextColumn) + Console::Pad(Labels.ImageOf(node.Image), 20) + Console::Pad(L"offset " + std::to_wstring(offset), 10) +
                   Console::Pad(L"code " + Labels.CodeOf(node, inDroplets), 9) + HelpText(offset);
        } else {
            line += L"   (the shell's own entry)";
        }
        Console::Out(line + L"\n");
        if (node.HasSubmenu) {
            const bool droplets = inDroplets || Labels.CodeOf(node, false) == std::to_wstring(33);
            PrintNodes(node.Submenu, indent + (last ? L"   " : L"│  "), droplets);
        }
    }
}

void MenuReport::Print(const std::vector<MenuItemSnapshot>& shellMenu) const {
    Console::Out(L"Explorer's menu\n");
    PrintNodes(shellMenu, L"", false);
}
