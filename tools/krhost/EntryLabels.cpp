#include "EntryLabels.h"

#include "commands/CommandTable.h"
#include "support/UiResource.h"

namespace {
std::wstring LoadText(HMODULE library, UINT id) {
    wchar_t text[1024] = {};
    LoadUiString(library, id, text, ARRAYSIZE(text));
    return text;
}
}  // namespace

void EntryLabels::LoadTexts() {
    for (const CommandInfo& info : CommandTable) {
        if (info.MenuTextId) CodeByText.emplace(LoadText(Library, info.MenuTextId), info.Code);
    }
    CreateWord = LoadText(Library, IDS_CREATE_WORD);
}

std::wstring EntryLabels::CodeOf(const MenuItemSnapshot& item, bool inDropletsMenu) const {
    if (item.Separator) return std::to_wstring(Cmd::Separator);
    if (inDropletsMenu && !item.HasSubmenu) return L"droplet";
    auto found = CodeByText.find(item.Text);
    if (found != CodeByText.end()) return std::to_wstring(found->second);
    if (item.Text.starts_with(CreateWord + L" ")) {
        if (item.Text.ends_with(L".zip")) return std::to_wstring(Cmd::CreateZip);
        if (item.Text.ends_with(L".kesx")) return std::to_wstring(Cmd::CreateKesx);
    }
    // Only droplets carry texts that are not in the string table.
    return L"droplet";
}

std::wstring EntryLabels::ImageOf(HBITMAP image) const {
    if (!image) return L"no image";
    const UINT id = BitmapResourceOf(image, Library);
    return id ? L"image " + std::to_wstring(id) : L"image (droplet icon)";
}
