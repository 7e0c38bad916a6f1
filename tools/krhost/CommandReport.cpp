#include "CommandReport.h"

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "com/Guids.h"
#include "CommandScreenshot.h"
#include "Console.h"
#include "LaunchReport.h"
#include "shellkit/CommandTree.h"
#include "shellkit/StandinRecords.h"

namespace {
using Microsoft::WRL::ComPtr;

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    wsprintfW(text, L"0x%08X", static_cast<unsigned>(hr));
    return text;
}


// "KrShellExtEN.dll,-305" rather than the full path; a droplet's file by its name.
std::wstring IconLabel(const std::wstring& icon) {
    if (icon.empty()) return L"no icon";
    return L"icon " + icon.substr(icon.find_last_of(L'\\') + 1);
}

void PrintNodes(const std::vector<CommandSnapshot>& nodes, const std::wstring& indent) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        const CommandSnapshot& node = nodes[i];
        const bool last = i + 1 == nodes.size();
        std::wstring line = indent + (last ? L"└─ " : L"├─ ");
        if (node.Separator) {
            line += L"────────────";
        } else {
            wchar_t guid[40] = {};
            StringFromGUID2(node.CanonicalName, guid, ARRAYSIZE(guid));
            line = Console::Pad(line + node.Title + (node.Children.empty() ? L"" : L" ▸"), 50) +
                   Console::Pad(IconLabel(node.Icon), 30) + Console::Pad(node.Pending ? L"slow" : L"quick", 5) + guid + L"  \"" +
                   node.ToolTip + L"\"";
        }
        Console::Out(line + L"\n");
        PrintNodes(node.Children, indent + (last ? L"   " : L"│  "));
    }
}

std::wstring LibraryPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"KrShellExtEN.dll";
}
}  // namespace

int CommandReport::Run(const std::vector<std::wstring>& paths, const std::wstring& invoke, const std::wstring& screenshot) {
    const std::wstring library = LibraryPath();
    HMODULE module = LoadLibraryW(library.c_str());
    const auto getClassObject = module ? reinterpret_cast<decltype(&DllGetClassObject)>(
                                             reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                                       : nullptr;
    ComPtr<IClassFactory> factory;
    ComPtr<IExplorerCommand> root;
    HRESULT hr = getClassObject ? getClassObject(KrGuids::ExplorerCommand, IID_PPV_ARGS(&factory)) : E_FAIL;
    if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&root));
    if (FAILED(hr)) {
        Console::Err(L"krhost: cannot create the command tree from " + library + L": " + Hex(hr) + L"\n");
        return 1;
    }
    ComPtr<IShellItemArray> items;
    hr = ShellItemArrayOf(paths, &items);
    if (FAILED(hr)) {
        Console::Err(L"krhost: cannot make a shell item array of these paths: " + Hex(hr) + L"\n");
        return 1;
    }

    Console::Out(L"Windows 11's menu for " + std::to_wstring(paths.size()) + L" item(s)" +
                 L" (each command: title, icon, GetState answered quick or only when slow, canonical name, tooltip):\n");
    const std::optional<CommandSnapshot> tree = SnapshotCommand(root.Get(), items.Get());
    if (!tree) {
        Console::Out(L"  (\"Kestrel\" is hidden for this selection)\n");
        return 0;
    }
    PrintNodes({*tree}, L"");

    int status = 0;
    if (!screenshot.empty()) {
        if (CommandScreenshot::Save(*tree, screenshot)) {
            Console::Out(L"\nScreenshot saved: " + screenshot + L"\n");
        } else {
            Console::Err(L"krhost: could not draw the screenshot\n");
            status = 1;
        }
    }
    if (!invoke.empty()) {
        const CommandSnapshot* chosen = FindCommand(*tree, invoke);
        if (!chosen) {
            Console::Err(L"krhost: no command with the title \"" + invoke + L"\" in this tree\n");
            return 1;
        }
        StandinRecords records;
        hr = chosen->Command->Invoke(items.Get(), nullptr);
        Console::Out(L"\nInvoke(\"" + invoke + L"\") returned " + Hex(hr) + L"\n");
        LaunchReport::Print(records.WaitFor(1, SUCCEEDED(hr) ? 10000 : 1000));
    }
    return status;
}
