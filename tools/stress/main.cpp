// make stress: the registered handlers driven the way no sane shell would, from a seed. Each
// environment (registry values, catalogue files) is followed by call sequences through the three
// handlers; batches run in child processes under a watchdog, so a crash or a hang is counted and
// the run goes on after it. The user's files that the selections name must come out unchanged.
//
//   stress.exe [--sequences N] [--environments M] [--seed S]
#include <windows.h>
#include <prsht.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "com/Guids.h"
#include "shellkit/DropletCatalogueFolders.h"
#include "shellkit/HDropDataObject.h"
#include "shellkit/MenuSnapshot.h"
#include "shellkit/RegisteredLibrary.h"
#include "shellkit/RegistrySandbox.h"
#include "shellkit/ScriptRecords.h"
#include "shellkit/StandinRecords.h"
#include "shellkit/TempTree.h"
#include "support/RegistryValues.h"

using Microsoft::WRL::ComPtr;
namespace Reg = RegistryValues;

namespace {

constexpr DWORD HangMs = 5000;
constexpr int EnvironmentsPerChild = 25;
constexpr LONG MenuLimit = 6000;

// Reproducible randomness: one generator per (seed, environment, sequence).
class Random {
public:
    explicit Random(uint64_t seed) : State(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next() {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return State;
    }
    size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
    bool OneIn(size_t n) { return Below(n) == 0; }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    uint64_t State;
};

// What the parent and its children share: the child's place in the run, and the tree's paths.
struct Progress {
    volatile LONG Environment;
    volatile LONG Sequence;
    volatile LONG Steps;  // moves on with every call, so the watchdog sees a live child
    volatile LONG Overruns;
    volatile LONG ShownDroplets;     // droplets the current environment's catalogue shows
    volatile LONG WrongArguments;    // a recording droplet got other paths than those selected
    volatile LONG NamesChecked;      // selections of hostile names handed to the recording droplets
};

struct Places {
    std::wstring Sentinel, Probe, Drops, UserCatalogue, SharedCatalogue;
};

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string RandomBytes(Random& random, size_t count) {
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random.Next());
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// ---- hostile paths and data objects

// Names anybody can give a file, as a downloaded or shared file may carry them; those after the
// first NamesThroughCmd must not start a batch droplet ("%" and "!" are expanded even inside
// quotes). Each is a file (or, ending in a backslash, a folder) under Sentinel\Names.
const wchar_t* const HostileNames[] = {
    L"x&Record", L"a^b.txt", L"x)&Record&(x", L"my (1);x,y=z.txt", L"two  blanks", L"dir with space\\",
    L"\u00dcbersicht \u6570.zip", L"a^^b & c",
    L"my %OS% file.txt", L"100%", L"wow!.txt", L"%cd:~,%Record"};
constexpr size_t NamesThroughCmd = 8;

// A folder holding names a probe by number in turn would try.
std::wstring BusyFolder(const Places& places) { return places.Probe + L"\\Busy"; }

// Existing folders of 300 to 1,000 characters for "TempFolder", in components a file system takes.
std::wstring LongFolder(const Places& places, size_t length) {
    std::wstring folder = places.Probe + L"\\Long";
    while (folder.size() < length) folder += L"\\" + std::wstring(std::min<size_t>(100, length - folder.size()), L'L');
    folder.resize(length);
    while (folder.back() == L'\\') folder.back() = L'L';
    return folder;
}
constexpr size_t LongFolderLengths[] = {300, 415, 600, 1000};

// An archive in an existing folder longer than a temporary file name may start with.
const std::wstring& DeepName() {
    static const std::wstring name = L"Deep\\" + std::wstring(240, L'd') + L"\\deep.zip";
    return name;
}

std::wstring HostilePath(Random& random, const Places& places) {
    static const wchar_t* const Names[] = {L"a.zip", L"b.kesx", L"Sub", L"Sub\\c.txt", L"spaced name.tar", L"\u00dcbersicht \u6570.7z",
                                           DeepName().c_str()};
    if (random.OneIn(12)) return BusyFolder(places) + L"\\a.zip";
    static const wchar_t* const Odd[] = {L"CON", L"NUL", L"\\\\.\\COM1", L"C:\\AUX.zip", L"\\\\?\\C:\\x.zip", L"", L"C:",
                                         L"\\\\server\\share\\a.zip", L"C:\\a.zip.", L".", L"\\", L"C:\\Sub\\..\\..\\a.rar"};
    switch (random.Below(6)) {
    case 0:
    case 1: return places.Sentinel + L"\\" + random.Pick(Names);
    case 2: return random.Pick(Odd);
    case 3: {  // 259 to 32,767 characters
        std::wstring path = places.Sentinel;
        const size_t length = 259 + random.Below(32767 - 259);
        while (path.size() < length) path += random.OneIn(3) ? L"\\x" : L"yy.zip";
        path.resize(length);
        return path;
    }
    case 4: {  // unpaired surrogates and other odd units
        std::wstring path = places.Sentinel + L"\\";
        for (size_t i = 0, n = 1 + random.Below(12); i < n; ++i)
            path += static_cast<wchar_t>(random.OneIn(2) ? 0xD800 + random.Below(0x800) : 1 + random.Below(0xFFFE));
        return path + (random.OneIn(2) ? L".zip" : L"");
    }
    default: return places.Drops + L"\\missing " + std::to_wstring(random.Below(100)) + L".kesx";
    }
}

// A DROPFILES block: well formed most of the time, else broken the ways a drag source can.
std::string DropBlock(Random& random, const Places& places) {
    std::vector<std::wstring> paths(random.OneIn(20) ? random.Below(3000) : random.Below(5));
    for (std::wstring& path : paths) path = HostilePath(random, places);
    std::wstring list;
    for (const std::wstring& path : paths) list += path + L'\0';
    list += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::string names = Utf16Bytes(list);
    switch (random.Below(12)) {
    case 0: header.pFiles = 0x7FFFFFF0; break;
    case 1: header.pFiles = static_cast<DWORD>(sizeof(DROPFILES) + names.size()); break;
    case 2: names.resize(names.size() > 4 ? names.size() - 4 : 0); break;  // no terminator
    case 3: header.fWide = FALSE; names = std::string(names.size() / 2, 'a') + std::string(2, '\0'); break;
    case 4: return RandomBytes(random, random.Below(sizeof(DROPFILES)));
    case 5: return RandomBytes(random, random.Below(4096));
    case 6: header.pFiles = static_cast<DWORD>(random.Next()); break;
    default: break;
    }
    std::string block(reinterpret_cast<const char*>(&header), sizeof(header));
    return block + names;
}

// ---- the calls

struct Handler {
    const CLSID* Clsid;
    bool Page;
};
const Handler Handlers[] = {{&KrGuids::ShlContextMenu, false}, {&KrGuids::ShlDropMenu, false}, {&KrGuids::PropPageExt, true}};

// A buffer with guard bytes on both sides: a handler that writes past the capacity it was
// given is caught even when the write does not crash.
class GuardedBuffer {
public:
    explicit GuardedBuffer(UINT capacity) : Bytes(capacity * sizeof(wchar_t) + 2 * Guard, '\x5A') {}
    char* Data() { return Bytes.data() + Guard; }
    bool Intact() const {
        return std::all_of(Bytes.begin(), Bytes.begin() + Guard, [](char c) { return c == '\x5A'; }) &&
               std::all_of(Bytes.end() - Guard, Bytes.end(), [](char c) { return c == '\x5A'; });
    }

private:
    static constexpr size_t Guard = 64;
    std::string Bytes;
};

void Step(Progress& progress) { InterlockedIncrement(&progress.Steps); }

// KR_STRESS_TRACE=1 prints every call as it starts, to find what a reported hang was doing
// (with --first to start at its environment).
bool Tracing() {
    static const bool tracing = GetEnvironmentVariableW(L"KR_STRESS_TRACE", nullptr, 0) != 0;
    return tracing;
}

template <class... Args>
void Trace(const wchar_t* format, Args... args) {
    if (!Tracing()) return;
    std::fwprintf(stderr, format, args...);
    std::fflush(stderr);
}

void RunSequence(Random& random, const Places& places, Progress& progress) {
    const Handler& handler = random.Pick(Handlers);
    ComPtr<IShellExtInit> init;
    Trace(L"environment %ld sequence %ld handler %zu\n", progress.Environment, progress.Sequence,
          static_cast<size_t>(&handler - Handlers));
    if (FAILED(CoCreateInstance(*handler.Clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init)))) return;
    ComPtr<IContextMenu> menu;
    ComPtr<IShellPropSheetExt> sheet;
    init.As(&menu);
    init.As(&sheet);
    HMENU popup = CreatePopupMenu();
    PIDLIST_ABSOLUTE target = nullptr;
    SHParseDisplayName(places.Probe.c_str(), nullptr, &target, 0, nullptr);

    for (size_t call = 0, calls = 1 + random.Below(12); call < calls; ++call) {
        Step(progress);
        const size_t operation = random.Below(menu ? 5 : 3);
        Trace(L"  call %zu at %lu ms\n", operation, GetTickCount());
        switch (operation) {
        case 0: {
            const ComPtr<HDropDataObject> data = HDropDataObject::Create({});
            data->ServeBlock(DropBlock(random, places));
            init->Initialize(random.OneIn(2) ? target : nullptr, random.OneIn(30) ? nullptr : data.Get(), nullptr);
            break;
        }
        case 1:
            if (sheet) {
                const LPFNSVADDPROPSHEETPAGE add = [](HPROPSHEETPAGE page, LPARAM keep) -> BOOL {
                    if (keep) DestroyPropertySheetPage(page);
                    return static_cast<BOOL>(keep);
                };
                sheet->AddPages(random.OneIn(10) ? nullptr : add, random.Below(2));
                sheet->ReplacePage(static_cast<EXPPS>(random.Below(3)), add, 0);
                break;
            }
            [[fallthrough]];
        case 2:
            if (menu) {
                static const UINT Firsts[] = {0, 1, 1000, 0x7FF0, 0xFFFF, 0xFFFFFFF0};
                static const UINT Flags[] = {CMF_NORMAL, CMF_EXPLORE, CMF_CANRENAME, CMF_DEFAULTONLY, CMF_VERBSONLY, 0xFFFFFFFF};
                const UINT first = random.Pick(Firsts);
                const UINT last = random.OneIn(3) ? first + static_cast<UINT>(random.Below(40)) - 1 : 0x7FFF;
                if (random.OneIn(4)) {
                    DestroyMenu(popup);
                    popup = CreatePopupMenu();
                }
                menu->QueryContextMenu(popup, static_cast<UINT>(random.Below(8)), first, last, random.Pick(Flags));
            }
            break;
        case 3: {
            static const UINT Types[] = {GCS_VERBA, GCS_HELPTEXTA, GCS_VALIDATEA, GCS_VERBW, GCS_HELPTEXTW, GCS_VALIDATEW, 0xFF};
            static const UINT Capacities[] = {0, 1, 2, 3, 40, 1024};
            const UINT capacity = random.Pick(Capacities);
            GuardedBuffer buffer(capacity);
            const UINT_PTR id = random.OneIn(8) ? static_cast<UINT_PTR>(random.Next()) : random.Below(60);
            menu->GetCommandString(id, random.Pick(Types), nullptr, buffer.Data(), capacity);
            if (!buffer.Intact()) InterlockedIncrement(&progress.Overruns);
            break;
        }
        default: {
            CMINVOKECOMMANDINFOEX info{};
            info.cbSize = random.OneIn(4) ? sizeof(CMINVOKECOMMANDINFO) : sizeof(info);
            info.nShow = SW_HIDE;
            static const char* const Verbs[] = {"open", "", "Extract All Here", "\xff\xfe"};
            static const wchar_t* const WideVerbs[] = {L"open", L"", L"Verify"};
            switch (random.Below(4)) {
            case 0: info.lpVerb = random.Pick(Verbs); break;
            case 1:
                info.fMask = CMIC_MASK_UNICODE;
                info.lpVerb = "open";
                info.lpVerbW = random.Pick(WideVerbs);
                break;
            default: info.lpVerb = MAKEINTRESOURCEA(random.OneIn(10) ? random.Below(0x10000) : random.Below(40)); break;
            }
            menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
            break;
        }
        }
    }
    DestroyMenu(popup);
    CoTaskMemFree(target);
}

// One selection of hostile names handed to the recording program droplet and the recording batch
// droplet through the real menu: each gets exactly the selected paths, or (cmd.exe and a name it
// cannot carry) nothing starts.
void RunNamesSequence(Random& random, const Places& places, Progress& progress) {
    std::vector<std::wstring> selection;
    bool carried = true;
    for (size_t i = 0, n = 1 + random.Below(4); i < n; ++i) {
        const size_t pick = random.Below(std::size(HostileNames));
        if (random.OneIn(8)) {
            selection.push_back(L"C:\\");  // a backslash before the closing quote
            continue;
        }
        selection.push_back(places.Sentinel + L"\\Names\\" + HostileNames[pick]);
        carried &= pick < NamesThroughCmd;
    }
    Trace(L"environment %ld sequence %ld: %zu hostile names\n", progress.Environment, progress.Sequence, selection.size());
    ComPtr<IShellExtInit> init;
    ComPtr<IContextMenu> menu;
    if (FAILED(CoCreateInstance(KrGuids::ShlContextMenu, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init))) || FAILED(init.As(&menu)))
        return;
    const ComPtr<HDropDataObject> data = HDropDataObject::Create(selection);
    if (FAILED(init->Initialize(nullptr, data.Get(), nullptr))) return;
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL | CMF_CANRENAME);  // as Explorer asks for a right-click
    std::vector<MenuItemSnapshot> items = SnapshotMenu(popup);
    DestroyMenu(popup);
    // Depth first: the droplet's entry in the "Droplets" submenu.
    auto find = [](auto& self, const std::vector<MenuItemSnapshot>& level, const wchar_t* text) -> UINT {
        for (const MenuItemSnapshot& item : level) {
            if (!item.HasSubmenu && item.Text == text) return item.Id;
            if (const UINT id = self(self, item.Submenu, text)) return id;
        }
        return 0;
    };
    for (const bool script : {false, true}) {
        const UINT id = find(find, items, script ? L"Record script" : L"Record program");
        if (id == 0) continue;
        Step(progress);
        const StandinRecords programs;
        const ScriptRecords scripts;
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof(info);
        info.lpVerb = MAKEINTRESOURCEA(id - 1);
        info.nShow = SW_HIDE;
        const HRESULT hr = menu->InvokeCommand(&info);
        InterlockedIncrement(&progress.NamesChecked);
        std::vector<std::wstring> got;
        bool finished = false;
        // Polled in steps, so the watchdog sees a live child while the droplet starts.
        for (int waited = 0; waited < (SUCCEEDED(hr) ? 15000 : 1000) && !finished; waited += 250) {
            Step(progress);
            if (script) {
                finished = scripts.Finished();
                if (finished) got = scripts.WaitForArguments(0);
                else Sleep(250);
                continue;
            }
            const std::vector<StandinRecord> records = programs.WaitFor(1, 250);
            if ((finished = !records.empty())) {
                int count = 0;
                LPWSTR* arguments = CommandLineToArgvW(records.front().CommandLine.c_str(), &count);
                if (arguments) got.assign(arguments + std::min(count, 1), arguments + count);
                LocalFree(arguments);
            }
        }
        const bool expectStart = !script || carried;
        const bool right = expectStart ? SUCCEEDED(hr) && finished && got == selection : hr == E_FAIL && !finished;
        if (!right) {
            InterlockedIncrement(&progress.WrongArguments);
            std::fwprintf(stderr, L"stress: environment %ld, sequence %ld: the %ls droplet got %zu paths for %zu selected (0x%08lX)\n",
                          progress.Environment, progress.Sequence, script ? L"batch" : L"program", got.size(), selection.size(),
                          static_cast<unsigned long>(hr));
            for (size_t i = 0; i < std::max(got.size(), selection.size()); ++i)
                std::fwprintf(stderr, L"  [%ls] [%ls]\n", i < selection.size() ? selection[i].c_str() : L"", i < got.size() ? got[i].c_str() : L"");
        }
    }
}

// ---- environments

void WriteValue(HKEY root, const wchar_t* key, const wchar_t* name, Random& random, DWORD dword, const std::wstring& text) {
    switch (random.Below(8)) {
    case 0: RegistrySandbox::DeleteValue(root, key, name); break;
    case 1: RegistrySandbox::WriteString(root, key, name, text); break;
    case 2: {
        const std::string bytes = RandomBytes(random, random.Below(12));
        RegistrySandbox::WriteValue(root, key, name, random.Pick({REG_BINARY, REG_QWORD, REG_MULTI_SZ, REG_DWORD}), bytes.data(),
                                    static_cast<DWORD>(bytes.size()));
        break;
    }
    case 3: RegistrySandbox::WriteDword(root, key, name, static_cast<DWORD>(random.Next())); break;
    default:
        if (dword != ~0u) RegistrySandbox::WriteDword(root, key, name, dword);
        else RegistrySandbox::WriteString(root, key, name, text);
        break;
    }
}

// Droplets that exist (files nothing opens), that are gone, or that no buffer holds.
std::wstring DropletPath(Random& random, const Places& places) {
    static const wchar_t* const Names[] = {L"d0.kdrop", L"d1.kdrop", L"d 2.kdrop", L"gone.exe", L"CON", L"d0.kdrop\\"};
    if (random.OneIn(5)) return std::wstring(1000 + random.Below(100), L'd');
    if (random.OneIn(5)) return places.Drops + L"\\" + std::wstring(240 + random.Below(40), L'l') + L".kdrop";
    return places.Drops + L"\\" + random.Pick(Names);
}

std::string HostileCatalogue(Random& random, const Places& places, LONG& shown) {
    static const char* const Marks[] = {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF", "\xFF\xFE\x00\x00"};
    switch (random.Below(6)) {
    case 0: return {};
    case 1: return RandomBytes(random, random.OneIn(50) ? 10'000'000 : random.Below(4096));
    case 2: return random.Pick(Marks) + RandomBytes(random, random.Below(512));
    default: {
        std::wstring text = L"[DropSlots]\r\n";
        LONG existing = 0;
        for (size_t i = 0, n = random.OneIn(30) ? 20000 : random.Below(20); i < n; ++i) {
            const std::wstring droplet = DropletPath(random, places);
            existing += GetFileAttributesW(droplet.c_str()) != INVALID_FILE_ATTRIBUTES;
            text += std::to_wstring(random.Below(8)) + L"=" + droplet + L"\r\n";
        }
        const std::string mark = random.Pick(Marks);
        // Only these two marks are read as UTF-16LE text.
        if (mark.empty() || mark == "\xFF\xFE") shown += existing;
        return mark + Utf16Bytes(text);
    }
    }
}

// A catalogue of a few droplets followed by 2 GiB of nothing (a sparse file: no disk is used).
void WriteHugeCatalogue(const std::wstring& path, const Places& places) {
    WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(L"[DropSlots]\r\n1=" + places.Drops + L"\\d0.kdrop\r\n"));
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER end{};
    end.QuadPart = 2LL << 30;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

// The user's catalogue with the recording droplets, and droplets planted in the shared one
// (Wine shows every file as the user's own, never the administrators': it must not be read).
std::string NamesCatalogue(const Places& places) {
    return "\xFF\xFE" + Utf16Bytes(L"[DropSlots]\r\nP=" + places.Drops + L"\\Record program.exe\r\nS=" + places.Drops +
                                    L"\\Record script.bat\r\n");
}
std::string PlantedCatalogue(const Places& places) {
    return "\xFF\xFE" + Utf16Bytes(L"[DropSlots]\r\n1=" + places.Drops + L"\\Extract All Here.exe\r\n2=\\\\unreachable\\share\\x.exe\r\n" +
                                    L"3=" + places.Drops + L"\\Record program.exe\r\n");
}

// Every 20th environment is one for the recording droplets and hostile names.
bool MakeEnvironment(Random& random, LONG environment, const Places& places, Progress& progress) {
    std::vector<std::wstring> temps = {places.Probe, places.Sentinel + L"\\a.zip", places.Probe + L"\\gone", L"NUL", L"CON", L"",
                                       places.Probe + std::wstring(300, L'p')};
    for (size_t length : LongFolderLengths) temps.push_back(LongFolder(places, length));
    const std::wstring installs[] = {places.Drops + L"\\NoArchiver\\", std::wstring(1023, L'i'), L"", L"\\\\.\\NUL\\"};
    WriteValue(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, random, random.OneIn(10) ? 0 : 1, L"1");
    WriteValue(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, random, ~0u,
               random.OneIn(2) ? places.Probe : temps[random.Below(temps.size())]);
    WriteValue(HKEY_LOCAL_MACHINE, Reg::InstallKey, Reg::InstallLocation, random, ~0u, random.Pick(installs));
    WriteValue(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd1, random, static_cast<DWORD>(random.Below(60)), L"7");
    WriteValue(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd2, random, static_cast<DWORD>(random.Below(60)), L"x");
    LONG shown = 0;
    const bool names = environment % 20 == 10;
    WriteFileBytes(places.UserCatalogue, names ? NamesCatalogue(places) : HostileCatalogue(random, places, shown));
    if (names) RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, 1);  // a menu to pick from
    LONG ignored = 0;  // the shared catalogue is never believed under Wine
    WriteFileBytes(places.SharedCatalogue, random.OneIn(4) ? PlantedCatalogue(places) : HostileCatalogue(random, places, ignored));
    for (const std::wstring* file : {&places.UserCatalogue, &places.SharedCatalogue})
        if (!names && random.OneIn(50)) WriteHugeCatalogue(*file, places);
    progress.ShownDroplets = shown;
    return names;
}

// ---- child: a range of environments with their sequences

int RunChild(uint64_t seed, LONG firstEnvironment, LONG environments, LONG sequencesPerEnvironment, LONG resumeSequence,
             const wchar_t* progressName, const Places& places) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    const HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, progressName);
    auto* progress = mapping ? static_cast<Progress*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(Progress))) : nullptr;
    if (!progress) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Droplets started by the random calls record themselves here (a names sequence has its own).
    SetEnvironmentVariableW(L"KESTREL_STANDIN_RECORDS", (places.Probe + L"\\records").c_str());
    CreateDirectoryW((places.Probe + L"\\scripts").c_str(), nullptr);
    SetEnvironmentVariableW(L"KESTREL_SCRIPT_RECORDS", (places.Probe + L"\\scripts").c_str());
    for (LONG environment = firstEnvironment; environment < firstEnvironment + environments; ++environment) {
        Random setup(seed ^ (static_cast<uint64_t>(environment) << 32));
        const bool names = MakeEnvironment(setup, environment, places, *progress);
        for (const std::wstring* file : {&places.UserCatalogue, &places.SharedCatalogue}) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (Tracing() && GetFileAttributesExW(file->c_str(), GetFileExInfoStandard, &data))
                Trace(L"catalogue %ls: %lu bytes\n", file->c_str(), data.nFileSizeLow);
        }
        for (LONG sequence = environment == firstEnvironment ? resumeSequence : 0; sequence < sequencesPerEnvironment; ++sequence) {
            progress->Environment = environment;
            progress->Sequence = sequence;
            Step(*progress);
            Random random(seed ^ (static_cast<uint64_t>(environment) << 32) ^ (static_cast<uint64_t>(sequence) + 1));
            if (names && random.OneIn(3))
                RunNamesSequence(random, places, *progress);
            else
                RunSequence(random, places, *progress);
            if (random.OneIn(4)) CoFreeUnusedLibrariesEx(0, 0);
        }
    }
    CoUninitialize();
    progress->Environment = firstEnvironment + environments;
    return 0;
}

// ---- parent

std::map<std::wstring, std::string> Snapshot(const std::wstring& folder) {
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[path + L"\\"] = {};
            files.merge(Snapshot(path));
            continue;
        }
        std::string bytes;
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char chunk[4096];
            DWORD count = 0;
            while (ReadFile(file, chunk, sizeof chunk, &count, nullptr) && count) bytes.append(chunk, count);
            CloseHandle(file);
        }
        files[path] = std::move(bytes);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

std::vector<std::wstring> NewEntries(const std::map<std::wstring, std::string>& before,
                                     const std::map<std::wstring, std::string>& after) {
    std::vector<std::wstring> added;
    for (const auto& [path, bytes] : after)
        if (!before.count(path)) added.push_back(path);
    return added;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

int RunParent(uint64_t seed, LONG sequences, LONG environments, LONG first) {
    const std::wstring userTemp = [] {
        wchar_t folder[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, folder);
        return std::wstring(folder, length ? length - 1 : 0);
    }();
    const auto tempBefore = Snapshot(userTemp);
    size_t crashes = 0, hangs = 0, menuLimits = 0, changed = 0, probesLeft = 0, unpicked = 0;
    LONG overruns = 0, wrongArguments = 0, namesChecked = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        RegisteredLibrary registered;
        if (registered.ExitCode != 0) {
            std::fwprintf(stderr, L"stress: the library could not be registered\n");
            return 1;
        }
        RegistrySandbox registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"},
                                 {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Tamber Soft"},
                                 {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug"}};
        // A crashed child just ends: no debugger is started for it.
        RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", L"Debugger", L"");
        RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", L"Auto", L"0");
        DropletCatalogueFolders catalogues;
        TempTree probeTree;
        Places places{catalogues.Tree().AddFolder(L"Sentinel"), probeTree.AddFolder(L"Probe"), catalogues.Tree().AddFolder(L"Drops"),
                      catalogues.Tree().PathOf(L"Local\\Tamber Soft\\DropSlots\\DropSlots.ini"),
                      catalogues.Tree().PathOf(L"Common\\Tamber Soft\\Kestrel\\DropSlots.ini")};
        catalogues.Tree().AddFile(L"Sentinel\\a.zip", "PK\x03\x04 user's archive");
        catalogues.Tree().AddFile(L"Sentinel\\b.kesx", std::string(70000, 'k'));
        catalogues.Tree().AddFile(L"Sentinel\\Sub\\c.txt", "notes");
        catalogues.Tree().AddFile(L"Sentinel\\spaced name.tar", std::string(512, '\0'));
        catalogues.Tree().AddFile(L"Sentinel\\\u00dcbersicht \u6570.7z", "7z\xBC\xAF");
        catalogues.Tree().AddFile(L"Sentinel\\" + DeepName(), "PK\x03\x04 deep down");
        catalogues.AddFile(L"Local\\Tamber Soft\\DropSlots\\keep");
        catalogues.AddFile(L"Common\\Tamber Soft\\Kestrel\\keep");
        for (const wchar_t* droplet : {L"Drops\\d0.kdrop", L"Drops\\d1.kdrop", L"Drops\\d 2.kdrop"}) catalogues.AddFile(droplet);
        // The recording droplets, a planted one, the hostile names as the user's files, the long
        // request folders, and a folder full of the names a probe by number would try.
        for (const wchar_t* program : {L"Drops\\Record program.exe", L"Drops\\Extract All Here.exe"}) catalogues.AddProgram(program);
        catalogues.Tree().AddFile(L"Drops\\Record script.bat", ScriptRecords::Script());
        for (const wchar_t* name : HostileNames) {
            const std::wstring relative = std::wstring(L"Sentinel\\Names\\") + name;
            if (relative.back() == L'\\') catalogues.Tree().AddFolder(relative.substr(0, relative.size() - 1));
            else catalogues.Tree().AddFile(relative, "a user's file");
        }
        for (size_t length : LongFolderLengths) probeTree.AddFolder(LongFolder(places, length).substr(probeTree.Path().size() + 1));
        probeTree.AddFile(L"Probe\\Busy\\a.zip", "PK\x03\x04 busy");
        // A few thousand: Wine looks up each new name in the whole folder, case-blind.
        for (UINT number = 1; number <= 0xFFF; ++number) {
            wchar_t name[MAX_PATH];
            if (GetTempFileNameW(BusyFolder(places).c_str(), L"111", number, name)) WriteFileBytes(name, {});
        }
        const size_t busyBefore = FindNames(BusyFolder(places), L"*", true).size();
        // A program that a name run as command text would start: it must never run.
        probeTree.AddFile(L"Probe\\cwd\\Record.bat", "@echo off\r\n>>\"%~dp0..\\tripped.txt\" echo tripped\r\n");
        const std::wstring childFolder = places.Probe + L"\\cwd";
        const auto sentinelBefore = Snapshot(places.Sentinel);

        const std::wstring progressName = L"Local\\krstress-" + std::to_wstring(GetCurrentProcessId());
        const HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Progress), progressName.c_str());
        auto* progress = static_cast<Progress*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(Progress)));
        const LONG perEnvironment = std::max<LONG>(1, sequences / std::max<LONG>(1, environments));
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);

        LONG environment = first, sequence = 0;
        while (environment < environments) {
            const LONG count = std::min<LONG>(EnvironmentsPerChild, environments - environment);
            *progress = {environment, sequence, 0, progress->Overruns, 0, progress->WrongArguments, progress->NamesChecked};
            std::wstring commandLine = Quoted(self) + L" --child " + std::to_wstring(seed) + L" " + std::to_wstring(environment) +
                                       L" " + std::to_wstring(count) + L" " + std::to_wstring(perEnvironment) + L" " +
                                       std::to_wstring(sequence) + L" " + progressName;
            for (const std::wstring* place : {&places.Sentinel, &places.Probe, &places.Drops, &places.UserCatalogue, &places.SharedCatalogue})
                commandLine += L" " + Quoted(*place);
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION child{};
            if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, childFolder.c_str(), &startup, &child))
                return 1;
            LONG lastSteps = -1;
            DWORD quietSince = GetTickCount();
            bool hung = false;
            while (WaitForSingleObject(child.hProcess, 50) == WAIT_TIMEOUT) {
                if (progress->Steps != lastSteps) {
                    lastSteps = progress->Steps;
                    quietSince = GetTickCount();
                } else if (GetTickCount() - quietSince > HangMs) {
                    TerminateProcess(child.hProcess, 0xDEAD);
                    WaitForSingleObject(child.hProcess, INFINITE);
                    hung = true;
                }
            }
            DWORD exitCode = 0;
            GetExitCodeProcess(child.hProcess, &exitCode);
            CloseHandle(child.hThread);
            CloseHandle(child.hProcess);
            if (exitCode == 0 && !hung) {
                environment += count;
                sequence = 0;
                continue;
            }
            // Wine's InsertMenuW copies the item array on every insertion: a popup of more than
            // about 6,000 droplets takes seconds by itself. Nothing limits the droplets.
            const bool menuLimit = hung && progress->ShownDroplets > MenuLimit;
            (menuLimit ? menuLimits : hung ? hangs : crashes) += 1;
            std::fwprintf(stderr, L"stress: %ls in environment %ld, sequence %ld (seed %llu, exit 0x%08lX)\n",
                          menuLimit ? L"Wine's menu limit (a popup of more than 6,000 droplets)" : hung ? L"hang" : L"crash",
                          progress->Environment, progress->Sequence, static_cast<unsigned long long>(seed), exitCode);
            environment = progress->Environment;
            sequence = progress->Sequence + 1;
            if (sequence >= perEnvironment) {
                ++environment;
                sequence = 0;
            }
        }
        overruns = progress->Overruns;
        wrongArguments = progress->WrongArguments;
        namesChecked = progress->NamesChecked;
        UnmapViewOfFile(progress);
        CloseHandle(mapping);

        const auto sentinelAfter = Snapshot(places.Sentinel);
        for (const auto& [path, bytes] : sentinelBefore) {
            const auto found = sentinelAfter.find(path);
            if (found == sentinelAfter.end() || found->second != bytes) ++changed;
        }
        changed += NewEntries(sentinelBefore, sentinelAfter).size();
        // Every probe file went again, in a folder full of names too.
        const size_t busyAfter = FindNames(BusyFolder(places), L"*", true).size();
        if (busyAfter != busyBefore) std::fwprintf(stderr, L"stress: %zu files more in %ls\n", busyAfter - busyBefore, BusyFolder(places).c_str());
        probesLeft += busyAfter - busyBefore;
        // Programs nobody picked: the one a name run as command text starts, and the planted droplet.
        std::string tripped = ReadFileBytes(places.Probe + L"\\tripped.txt");
        unpicked += static_cast<size_t>(std::count(tripped.begin(), tripped.end(), '\n'));
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((places.Probe + L"\\records\\*.record").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string record = ReadFileBytes(places.Probe + L"\\records\\" + found.cFileName);
                unpicked += record.find("Program=Extract All Here.exe") != std::string::npos;
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    // What the run made in the user's temporary folder (list files, the trees) is gone again.
    for (const std::wstring& path : NewEntries(tempBefore, Snapshot(userTemp))) {
        if (path.back() != L'\\' && DeleteFileW(path.c_str())) continue;  // the scheduler's list files
        ++probesLeft;
        std::fwprintf(stderr, L"stress: left behind: %ls\n", path.c_str());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::wprintf(L"stress: seed %llu: %ld sequences in %ld environments, %.1f s: %zu crashes, %zu hangs over %lu s "
                 L"(and %zu at Wine's menu limit, more than %ld droplets), %ld buffer overruns, %zu user files changed, "
                 L"%zu probe files left, %ld hostile selections handed to recording droplets with %ld wrong, "
                 L"%zu programs started that nobody picked\n",
                 static_cast<unsigned long long>(seed), std::max<LONG>(1, sequences / std::max<LONG>(1, environments)) * (environments - first),
                 environments - first, seconds, crashes, hangs, HangMs / 1000, menuLimits, MenuLimit, overruns, changed, probesLeft,
                 namesChecked, wrongArguments, unpicked);
    return crashes || hangs || overruns || changed || probesLeft || wrongArguments || unpicked ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 13 && std::wcscmp(argv[1], L"--child") == 0) {
        const Places places{argv[8], argv[9], argv[10], argv[11], argv[12]};
        return RunChild(std::wcstoull(argv[2], nullptr, 10), std::wcstol(argv[3], nullptr, 10), std::wcstol(argv[4], nullptr, 10),
                        std::wcstol(argv[5], nullptr, 10), std::wcstol(argv[6], nullptr, 10), argv[7], places);
    }
    uint64_t seed = 1;
    LONG sequences = 10000, environments = 1000, first = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::wcscmp(argv[i], L"--sequences") == 0) sequences = std::wcstol(argv[i + 1], nullptr, 10);
        if (std::wcscmp(argv[i], L"--environments") == 0) environments = std::wcstol(argv[i + 1], nullptr, 10);
        if (std::wcscmp(argv[i], L"--seed") == 0) seed = std::wcstoull(argv[i + 1], nullptr, 10);
        if (std::wcscmp(argv[i], L"--first") == 0) first = std::wcstol(argv[i + 1], nullptr, 10);  // to repeat one
    }
    return RunParent(seed, sequences, environments, first);
}
