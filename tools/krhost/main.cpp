// krhost: does with a registered shell extension what Explorer does, and prints what a
// user would see.
//   krhost menu PATH... [--invoke "TEXT"] [--screenshot FILE.png]
//   krhost commands PATH... [--invoke "TEXT"] [--screenshot FILE.png]   (Windows 11's menu)
//   krhost drop TARGET PATH... [--invoke "TEXT"]
//   krhost props PATH
//   --lang de|en|fr|ja|zh-CN: the texts of that display language
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "com/Guids.h"
#include "CommandReport.h"
#include "Console.h"
#include "EntryLabels.h"
#include "HandlerRegistry.h"
#include "LaunchReport.h"
#include "MenuReport.h"
#include "MenuScreenshot.h"
#include "PropertyReport.h"
#include "shellkit/MenuSnapshot.h"
#include "shellkit/StandinRecords.h"
#include "ShellSession.h"
#include "support/UiLanguage.h"

namespace {

// Explorer hands context-menu handlers identifiers from 1 up to 0x7FFF; its own entries
// use identifiers above that.
constexpr UINT IdFirst = 1;
constexpr UINT IdLast = 0x7FFF;
constexpr UINT ShellIdBase = 0x9000;

struct Options {
    std::wstring Mode;
    std::vector<std::wstring> Paths;
    std::wstring Invoke;
    std::wstring Screenshot;
    std::wstring Language;
};

struct DisplayLanguage {
    const wchar_t* Option;
    const wchar_t* Name;
    LANGID Id;
};
constexpr DisplayLanguage Languages[] = {
    {L"de", L"de-DE", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
    {L"en", L"en-US", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
    {L"fr", L"fr-FR", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
    {L"ja", L"ja-JP", MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)},
    {L"zh-CN", L"zh-CN", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
};

const DisplayLanguage* FindLanguage(const std::wstring& option) {
    for (const DisplayLanguage& language : Languages)
        if (option == language.Option) return &language;
    return nullptr;
}

int Fail(const std::wstring& message) {
    Console::Err(L"krhost: " + message + L"\n");
    return 1;
}

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    wsprintfW(text, L"0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[4096];
    DWORD length = GetFullPathNameW(path.c_str(), ARRAYSIZE(full), full, nullptr);
    return length && length < ARRAYSIZE(full) ? std::wstring(full) : path;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos) return L"";
    return cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
}

bool ParseArguments(int argc, wchar_t** argv, Options& options, std::wstring& error) {
    if (argc < 3) {
        error = L"usage: krhost menu PATH... [--invoke TEXT] [--screenshot FILE.png] | commands PATH... [--invoke TEXT] "
                L"[--screenshot FILE.png] | drop TARGET PATH... [--invoke TEXT] | props PATH; any with [--lang de|en|fr|ja|zh-CN]";
        return false;
    }
    options.Mode = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::wstring argument = argv[i];
        if (argument == L"--invoke" || argument == L"--screenshot" || argument == L"--lang") {
            if (i + 1 >= argc) {
                error = argument + L" needs a value";
                return false;
            }
            (argument == L"--invoke" ? options.Invoke : argument == L"--lang" ? options.Language : options.Screenshot) =
                argv[++i];
        } else {
            options.Paths.push_back(FullPath(argument));
        }
    }
    if (options.Mode != L"menu" && options.Mode != L"commands" && options.Mode != L"drop" && options.Mode != L"props") {
        error = L"unknown mode '" + options.Mode + L"' (menu, commands, drop or props)";
        return false;
    }
    if (!options.Language.empty() && !FindLanguage(options.Language)) {
        error = L"unknown language '" + options.Language + L"' (de, en, fr, ja or zh-CN)";
        return false;
    }
    const size_t needed = options.Mode == L"drop" ? 2 : 1;
    if (options.Paths.size() < needed || (options.Mode == L"props" && options.Paths.size() != 1)) {
        error = L"wrong number of paths for '" + options.Mode + L"'";
        return false;
    }
    for (const std::wstring& path : options.Paths) {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            error = L"no such file or folder: " + path;
            return false;
        }
    }
    return true;
}

// Explorer's own entries around the place it offers to handlers.
HMENU ShellMenu(bool drop, UINT* indexMenu) {
    HMENU menu = CreatePopupMenu();
    if (drop) {
        AppendMenuW(menu, MF_STRING, ShellIdBase + 1, L"Copy here");
        AppendMenuW(menu, MF_STRING, ShellIdBase + 2, L"Move here");
        AppendMenuW(menu, MF_STRING, ShellIdBase + 3, L"Create shortcuts here");
        *indexMenu = 3;
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, ShellIdBase + 4, L"Cancel");
    } else {
        AppendMenuW(menu, MF_STRING, ShellIdBase + 1, L"Open");
        *indexMenu = 1;
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, ShellIdBase + 2, L"Cut");
        AppendMenuW(menu, MF_STRING, ShellIdBase + 3, L"Copy");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, ShellIdBase + 4, L"Delete");
        AppendMenuW(menu, MF_STRING, ShellIdBase + 5, L"Rename");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, ShellIdBase + 6, L"Properties");
    }
    return menu;
}

// First command entry (depth first, in screen order) whose text is exactly `text`.
const MenuItemSnapshot* FindByText(const std::vector<MenuItemSnapshot>& items, const std::wstring& text) {
    for (const MenuItemSnapshot& item : items) {
        if (!item.Separator && !item.HasSubmenu && item.Text == text) return &item;
        if (const MenuItemSnapshot* found = FindByText(item.Submenu, text)) return found;
    }
    return nullptr;
}

std::wstring LibraryPathOf(const CLSID& clsid) {
    wchar_t key[128] = L"CLSID\\";
    StringFromGUID2(clsid, key + 6, 64);
    wcscat(key, L"\\InprocServer32");
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

HMODULE LibraryOf(const CLSID& clsid) { return GetModuleHandleW(LibraryPathOf(clsid).c_str()); }

// As for a user whose first display language it is: Windows goes by the thread's list. Wine 8
// ignores that list but builds it from its in-process default UI language, which only Wine may
// be given here (on Windows that call would change the user's own setting).
void UseLanguage(const DisplayLanguage& language) {
    wchar_t list[8] = {};
    wcscpy(list, language.Name);
    ULONG count = 0;
    SetThreadPreferredUILanguages(MUI_LANGUAGE_NAME, list, &count);
    SetUiLanguageForTesting(language.Id);  // our own labels
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    using SetDefaultUiLanguage = LONG(NTAPI*)(LANGID);
    if (const auto set = reinterpret_cast<SetDefaultUiLanguage>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetDefaultUILanguage"))))
        set(language.Id);
}

int RunMenu(const Options& options, bool drop) {
    const std::vector<std::wstring> items(options.Paths.begin() + (drop ? 1 : 0), options.Paths.end());
    const std::wstring folder = drop ? options.Paths[0] : FolderOf(items[0]);
    const auto handlers = HandlerRegistry::For(drop ? HandlerRegistry::Kind::DragDrop : HandlerRegistry::Kind::ContextMenu,
                                               drop ? std::vector<std::wstring>{folder} : items);
    if (handlers.empty()) {
        return Fail(std::wstring(L"no ") + (drop ? L"drag-and-drop" : L"context-menu") +
                    L" handler is registered for these items (is KrShellExtEN.dll registered? run regsvr32)");
    }
    Console::Out(std::wstring(drop ? L"Right-drag of " : L"Right-click on ") + std::to_wstring(items.size()) +
                 L" item(s)" + (drop ? L" onto " + folder : L"") + L":\n");
    for (const std::wstring& item : items) Console::Out(L"  " + item + L"\n");

    int status = 0;
    for (const auto& handler : handlers) {
        ShellSession* raw = nullptr;
        HRESULT initResult = E_FAIL;
        HRESULT hr = ShellSession::Start(handler, drop ? folder : L"", items, &raw, &initResult);
        if (FAILED(hr)) {
            status = Fail(L"cannot create handler " + handler.Name + L": " + Hex(hr));
            continue;
        }
        std::unique_ptr<ShellSession> session(raw);
        Console::Out(L"\nHandler " + handler.Name + L": Initialize returned " + Hex(initResult) + L"\n");
        if (FAILED(initResult)) {
            Console::Out(L"  (the handler adds nothing to this menu)\n");
            continue;
        }
        IContextMenu* menuHandler = session->Query<IContextMenu>(IID_IContextMenu);
        if (!menuHandler) {
            status = Fail(L"handler " + handler.Name + L" has no IContextMenu");
            continue;
        }
        UINT indexMenu = 0;
        HMENU menu = ShellMenu(drop, &indexMenu);
        hr = menuHandler->QueryContextMenu(menu, indexMenu, IdFirst, IdLast, drop ? CMF_NORMAL : CMF_NORMAL | CMF_CANRENAME);
        Console::Out(L"QueryContextMenu returned " + Hex(hr) + L" (" + std::to_wstring(HRESULT_CODE(hr)) +
                     L" identifiers used)\n\n");
        const std::vector<MenuItemSnapshot> tree = SnapshotMenu(menu);
        EntryLabels labels(LibraryOf(handler.Clsid));
        MenuReport(menuHandler, labels, IdFirst).Print(tree);

        if (!options.Screenshot.empty()) {
            UINT kestrelId = IdFirst + HRESULT_CODE(hr) - 1;
            if (MenuScreenshot::Capture(menu, tree, kestrelId, options.Screenshot)) {
                Console::Out(L"\nScreenshot saved: " + options.Screenshot + L"\n");
            } else {
                status = Fail(L"could not take the screenshot (is there a display? run under xvfb-run)");
            }
        }
        if (!options.Invoke.empty()) {
            const MenuItemSnapshot* chosen = FindByText(tree, options.Invoke);
            if (!chosen || chosen->Id < IdFirst || chosen->Id > IdLast) {
                status = Fail(L"no entry with the text \"" + options.Invoke + L"\" in this menu");
            } else {
                StandinRecords records;
                CMINVOKECOMMANDINFO invoke{};
                invoke.cbSize = sizeof(invoke);
                invoke.lpVerb = MAKEINTRESOURCEA(chosen->Id - IdFirst);
                invoke.nShow = SW_SHOWNORMAL;
                hr = menuHandler->InvokeCommand(&invoke);
                Console::Out(L"\nInvokeCommand(\"" + options.Invoke + L"\", offset " + std::to_wstring(chosen->Id - IdFirst) +
                             L") returned " + Hex(hr) + L"\n");
                LaunchReport::Print(records.WaitFor(1, SUCCEEDED(hr) ? 10000 : 1000));
            }
        }
        DestroyMenu(menu);
        menuHandler->Release();
    }
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    Options options;
    std::wstring error;
    if (!ParseArguments(argc, argv, options, error)) return Fail(error);
    if (FAILED(OleInitialize(nullptr))) return Fail(L"cannot initialise COM");
    if (!options.Language.empty()) UseLanguage(*FindLanguage(options.Language));
    int status = options.Mode == L"props"      ? PropertyReport::Run(options.Paths[0], options.Screenshot)
                 : options.Mode == L"commands" ? CommandReport::Run(options.Paths, options.Invoke, options.Screenshot)
                                               : RunMenu(options, options.Mode == L"drop");
    OleUninitialize();
    return status;
}
