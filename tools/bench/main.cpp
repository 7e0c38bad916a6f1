// bench: how fast the registered handlers answer, driven through COM as krhost drives them,
// next to floors measured in the same run: the least work each answer needs.
//   bench DATA-FOLDER [--huge] [--reps N] [--sizes N,N,...] [--tables 123]
// DATA-FOLDER receives the selected files (made once, kept for the next run).
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "BenchSetup.h"
#include "com/Guids.h"
#include "Samples.h"
#include "shellkit/FileSystemCalls.h"
#include "shellkit/HDropDataObject.h"
#include "shellkit/ImportHook.h"
#include "shellkit/MenuSnapshot.h"
#include "shellkit/ProcessResources.h"
#include "support/RegistryValues.h"

namespace {

// ---- What the library calls, seen through its import table ----

double g_launchTime = 0;
std::optional<FileSystemCalls> g_calls;  // in the library, for the whole run

// The launch itself is timed apart: here it only marks the moment and removes the request.
HINSTANCE WINAPI MarkedShellExecuteW(HWND, LPCWSTR, LPCWSTR, LPCWSTR parameters, LPCWSTR, INT) {
    g_launchTime = Now();
    if (parameters) {
        const wchar_t* open = std::wcschr(parameters, L'"');
        const wchar_t* close = open ? std::wcschr(open + 1, L'"') : nullptr;
        if (close) DeleteFileW(std::wstring(open + 1, close).c_str());
    }
    return reinterpret_cast<HINSTANCE>(42);
}

// ---- The handlers, as Explorer uses them ----

struct Handlers {
    IClassFactory* ContextMenu = nullptr;
    IClassFactory* DropMenu = nullptr;
    PIDLIST_ABSOLUTE DropTarget = nullptr;
};

constexpr UINT MenuFlags = CMF_NORMAL | CMF_CANRENAME;

// Create, Initialize, QueryContextMenu, DestroyMenu, release: one right-click.
double RightClick(IClassFactory* factory, PCIDLIST_ABSOLUTE folder, IDataObject* data) {
    HMENU menu = CreatePopupMenu();
    return Timed([&] {
        IShellExtInit* init = nullptr;
        if (FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)))) return;
        IContextMenu* context = nullptr;
        if (SUCCEEDED(init->Initialize(folder, data, nullptr)) &&
            SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&context)))) {
            context->QueryContextMenu(menu, 0, 1, 0x7FFF, MenuFlags);
            context->Release();
        }
        DestroyMenu(menu);
        init->Release();
    });
}

std::optional<UINT> FindOffset(const std::vector<MenuItemSnapshot>& items, bool (*wanted)(const std::wstring&)) {
    for (const MenuItemSnapshot& item : items) {
        if (wanted(item.Text) && item.Id >= 1) return item.Id - 1;
        if (auto inner = FindOffset(item.Submenu, wanted)) return inner;
    }
    return std::nullopt;
}

bool IsExtractHere(const std::wstring& text) { return text == L"Extract All Here"; }
bool IsCreateZip(const std::wstring& text) {
    return text.starts_with(L"Create ") && text.ends_with(L".zip") && text.size() > 11;
}

// InvokeCommand of the entry, up to the launch call; nothing when the menu has no such entry.
std::optional<double> InvokeUntilLaunch(IClassFactory* factory, IDataObject* data, bool (*wanted)(const std::wstring&)) {
    IShellExtInit* init = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)))) return {};
    std::optional<double> took;
    IContextMenu* context = nullptr;
    HMENU menu = CreatePopupMenu();
    if (SUCCEEDED(init->Initialize(nullptr, data, nullptr)) &&
        SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&context)))) {
        context->QueryContextMenu(menu, 0, 1, 0x7FFF, MenuFlags);
        if (const std::optional<UINT> offset = FindOffset(SnapshotMenu(menu), wanted)) {
            CMINVOKECOMMANDINFO info{};
            info.cbSize = sizeof(info);
            info.lpVerb = MAKEINTRESOURCEA(*offset);
            info.nShow = SW_SHOWNORMAL;
            g_launchTime = 0;
            const double start = Now();
            context->InvokeCommand(&info);
            if (g_launchTime > 0) took = g_launchTime - start;
        }
        context->Release();
    }
    DestroyMenu(menu);
    init->Release();
    ForgetRememberedCommands();
    return took;
}

// ---- Floors ----

// One pass over the locked block that gives every name as a string: what any reader must do.
size_t PassOverBlock(const void* block) {
    const auto* header = static_cast<const DROPFILES*>(block);
    const auto* name = reinterpret_cast<const wchar_t*>(static_cast<const BYTE*>(block) + header->pFiles);
    std::vector<std::wstring> names;
    while (*name) {
        const size_t length = std::wcslen(name);
        names.emplace_back(name, length);
        name += length + 1;
    }
    return names.size();
}

DWORD AttributesOfAll(const std::vector<std::wstring>& paths) {
    DWORD any = 0;
    for (const std::wstring& path : paths) any |= GetFileAttributesW(path.c_str());
    return any;
}

// The cheapest sure probe: one file created in the folder and gone again when closed.
void Probe(const std::wstring& folder) {
    const std::wstring name = folder + L"\\111floor.tmp";
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Submenus anywhere below menu: each is a user object, made and destroyed with the menu.
int PopupsIn(HMENU menu) {
    int popups = 0;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) popups += 1 + PopupsIn(sub);
    }
    return popups;
}

// Making and destroying that many empty popups: what the menu's own objects cost the host.
void MakePopups(int count) {
    for (int i = 0; i < count; ++i) DestroyMenu(CreatePopupMenu());
}

// The request for the extract command, as bytes (UTF-16 with its mark).
std::string RequestBytes(const std::vector<std::wstring>& paths) {
    std::wstring text = L"\xFEFF[FilesToInclude]\r\n";
    for (size_t i = 0; i < paths.size(); ++i) text += std::to_wstring(i) + L'=' + paths[i] + L"\r\n";
    text += L"[Archive]\r\nWizardType=0\r\n[ContextMenu]\r\nRequestedActionCmd=1\r\nExtractTo=X:\\Data\r\n";
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

double WriteRequest(const std::wstring& file, const std::string& bytes) {
    const double took = Timed([&] {
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(handle);
    });
    DeleteFileW(file.c_str());
    return took;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

void ReadRegistryValues() {
    HKEY key = nullptr;
    DWORD value = 0, size = sizeof(value);
    if (!RegOpenKeyExW(HKEY_CURRENT_USER, RegistryValues::ProductKey, 0, KEY_READ, &key)) {
        RegQueryValueExW(key, RegistryValues::EnableContextMenu, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    if (!RegOpenKeyExW(HKEY_CURRENT_USER, RegistryValues::ContextMenuKey, 0, KEY_READ, &key)) {
        for (const wchar_t* name : {RegistryValues::Cmd1, RegistryValues::Cmd2}) {
            size = sizeof(value);
            RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        }
        RegCloseKey(key);
    }
}

// Where the catalogue lies, both files read whole, and each droplet's file checked.
void ReadCatalogue(const BenchSetup& setup) {
    const std::pair<int, const wchar_t*> files[] = {{CSIDL_LOCAL_APPDATA, L"\\Tamber Soft\\DropSlots\\DropSlots.ini"},
                                                    {CSIDL_COMMON_APPDATA, L"\\Tamber Soft\\Kestrel\\DropSlots.ini"}};
    for (const auto& [csidl, file] : files) {
        wchar_t folder[MAX_PATH];
        SHGetSpecialFolderPathW(nullptr, folder, csidl, FALSE);
        HANDLE handle = CreateFileW((folder + std::wstring(file)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        char bytes[4096];
        DWORD read = 0;
        ReadFile(handle, bytes, sizeof(bytes), &read, nullptr);
        CloseHandle(handle);
    }
    AttributesOfAll(setup.Droplets());
}

// ---- Printing ----

std::string Ms(double seconds) {
    char text[32];
    if (seconds <= 0) return "-";
    snprintf(text, sizeof text, seconds < 0.01 ? "%.3f" : seconds < 1 ? "%.2f" : "%.0f", seconds * 1000);
    return text;
}

std::string Ratio(double value, double floor) {
    char text[32];
    if (value <= 0 || floor <= 0) return "-";
    snprintf(text, sizeof text, "%.2f", value / floor);
    return text;
}

std::string MedMin(const Samples& samples) {
    return samples.Empty() ? "-" : Ms(samples.Median()) + " (" + Ms(samples.Min()) + ")";
}

// ---- The three tables ----

void SelectionTable(const Handlers& handlers, const BenchSetup& setup, const std::vector<size_t>& sizes, int reps) {
    printf("\n1. Selections of N items: median (minimum) of %d runs, milliseconds; floors measured in between.\n", reps);
    printf("   right-click = create, Initialize, QueryContextMenu, DestroyMenu, release; invoke = InvokeCommand up to the launch call;\n");
    printf("   floors: one pass over the DROPFILES block (every name copied out), N GetFileAttributesW, one probe, one WriteFile of the request.\n");
    printf("   ratio = right-click / (pass + N attributes) without the attributes array, / pass with it.\n\n");
    printf("%-11s %-5s %7s | %-17s %6s %6s | %-15s %-15s %-15s | %-9s %-9s %-7s %-9s | %6s\n", "selection", "attrs", "N",
           "right-click", "query", "probe", "extract here", "create .zip", "drop menu", "pass", "N attrs", "probe",
           "write", "ratio");
    for (int kind = BenchSetup::Archives; kind <= BenchSetup::Mix; ++kind) {
        for (const bool attributes : {false, true}) {
            std::vector<double> rightClicks;
            for (const size_t n : sizes) {
                const std::vector<std::wstring> paths = setup.Selection(static_cast<BenchSetup::Kind>(kind), n);
                auto data = HDropDataObject::Create(paths);
                if (attributes) data->OfferAttributes();
                FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
                STGMEDIUM medium{};
                data->GetData(&format, &medium);
                const void* block = GlobalLock(medium.hGlobal);
                const std::string request = RequestBytes(paths);
                const std::wstring requestFile = setup.Requests() + L"\\floor.tmp";

                Samples rightClick, pass, attributeFloor, probe, write, extract, create, drop;
                int queries = 0, probes = 0;
                for (int rep = 0; rep < reps; ++rep) {
                    g_calls->Reset();
                    rightClick.Add(RightClick(handlers.ContextMenu, nullptr, data.Get()));
                    queries += g_calls->Count("GetFileAttributesW");
                    probes += g_calls->Count(FileSystemCalls::Probes);
                    pass.Add(Timed([&] { PassOverBlock(block); }));
                    attributeFloor.Add(Timed([&] { AttributesOfAll(paths); }));
                    probe.Add(Timed([&] { Probe(FolderOf(paths[0])); }));
                    write.Add(WriteRequest(requestFile, request));
                    if (auto took = InvokeUntilLaunch(handlers.ContextMenu, data.Get(), IsExtractHere)) extract.Add(*took);
                    if (auto took = InvokeUntilLaunch(handlers.ContextMenu, data.Get(), IsCreateZip)) create.Add(*took);
                    drop.Add(RightClick(handlers.DropMenu, handlers.DropTarget, data.Get()));
                }
                GlobalUnlock(medium.hGlobal);
                ReleaseStgMedium(&medium);

                const double floor = pass.Median() + (attributes ? 0 : attributeFloor.Median());
                rightClicks.push_back(rightClick.Median());
                char counts[2][16];
                snprintf(counts[0], 16, "%g", double(queries) / reps);
                snprintf(counts[1], 16, "%g", double(probes) / reps);
                printf("%-11s %-5s %7zu | %-17s %6s %6s | %-15s %-15s %-15s | %-9s %-9s %-7s %-9s | %6s\n",
                       BenchSetup::KindNames[kind], attributes ? "yes" : "no", n, MedMin(rightClick).c_str(), counts[0],
                       counts[1], MedMin(extract).c_str(), MedMin(create).c_str(), MedMin(drop).c_str(),
                       Ms(pass.Median()).c_str(), Ms(attributeFloor.Median()).c_str(), Ms(probe.Median()).c_str(),
                       Ms(write.Median()).c_str(), Ratio(rightClick.Median(), floor).c_str());
                fflush(stdout);
            }
            // Growth of the right-click from each size to the next, where they grow tenfold.
            std::string growth;
            for (size_t i = 1; i < sizes.size(); ++i) {
                if (sizes[i] < 10000 || sizes[i] != sizes[i - 1] * 10) continue;
                growth += "  " + std::to_string(sizes[i - 1]) + " -> " + std::to_string(sizes[i]) + ": x" +
                          Ratio(rightClicks[i], rightClicks[i - 1]);
            }
            if (!growth.empty()) printf("%-11s %-5s growth%s\n", BenchSetup::KindNames[kind], attributes ? "yes" : "no", growth.c_str());
        }
    }
}

void OneItemTable(const Handlers& handlers, const BenchSetup& setup, int reps) {
    printf("\n2. One item's right-click in parts: median of %d runs, milliseconds (library loaded; the class object kept).\n", reps);
    printf("   floor = the disk and registry work it must do: one probe, one attribute query, the registry values\n");
    printf("   (EnableContextMenu, Cmd1, Cmd2) and, with droplets, both special folders, both\n");
    printf("   catalogue files read and each droplet's file checked.\n");
    printf("   popups = making and destroying as many empty submenus as the menu holds (under Wine, a round trip to the\n");
    printf("   wine server each way), shown apart like CoCreate; ratio+ = total / (floor + popups).\n\n");
    printf("%-22s %-5s | %9s %9s %9s %9s %9s %9s | %9s | %9s %6s | %7s %6s | %14s\n", "item", "attrs", "create", "Initialize",
           "Query", "Destroy", "release", "total", "CoCreate", "floor", "ratio", "popups", "ratio+", "queries/probes");
    const struct {
        const char* Name;
        std::wstring Path;
        bool Droplets;
    } cases[] = {{"archive", setup.OneArchive(), false}, {"file, two droplets", setup.OneFile(), true}};
    for (const auto& c : cases) {
        setup.UseDroplets(c.Droplets);
        for (const bool attributes : {false, true}) {
            auto data = HDropDataObject::Create({c.Path});
            if (attributes) data->OfferAttributes();
            Samples parts[6], coCreate, floor, popups;
            int queries = 0, probes = 0, popupCount = 0;
            for (int rep = 0; rep < reps; ++rep) {
                HMENU menu = CreatePopupMenu();
                IShellExtInit* init = nullptr;
                IContextMenu* context = nullptr;
                g_calls->Reset();
                const double t0 = Now();
                handlers.ContextMenu->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
                const double t1 = Now();
                init->Initialize(nullptr, data.Get(), nullptr);
                const double t2 = Now();
                init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&context));
                context->QueryContextMenu(menu, 0, 1, 0x7FFF, MenuFlags);
                const double t3 = Now();
                popupCount = PopupsIn(menu);
                const double t3b = Now();
                DestroyMenu(menu);
                const double t4 = Now();
                context->Release();
                init->Release();
                const double t5 = Now();
                queries += g_calls->Count("GetFileAttributesW");
                probes += g_calls->Count(FileSystemCalls::Probes);
                const double times[] = {t1 - t0, t2 - t1, t3 - t2, t4 - t3b, t5 - t4, t5 - t0 - (t3b - t3)};
                for (int i = 0; i < 6; ++i) parts[i].Add(times[i]);
                coCreate.Add(Timed([&] {
                    IUnknown* object = nullptr;
                    CoCreateInstance(KrGuids::ShlContextMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&object));
                    if (object) object->Release();
                }));
                floor.Add(Timed([&] {
                    Probe(FolderOf(c.Path));
                    GetFileAttributesW(c.Path.c_str());
                    ReadRegistryValues();
                    if (c.Droplets) ReadCatalogue(setup);
                }));
                popups.Add(Timed([&] { MakePopups(popupCount); }));
            }
            char counts[32];
            snprintf(counts, sizeof counts, "%g / %g", double(queries) / reps, double(probes) / reps);
            printf("%-22s %-5s | %9s %9s %9s %9s %9s %9s | %9s | %9s %6s | %7s %6s | %14s\n", c.Name,
                   attributes ? "yes" : "no", Ms(parts[0].Median()).c_str(), Ms(parts[1].Median()).c_str(),
                   Ms(parts[2].Median()).c_str(), Ms(parts[3].Median()).c_str(), Ms(parts[4].Median()).c_str(),
                   Ms(parts[5].Median()).c_str(), Ms(coCreate.Median()).c_str(), Ms(floor.Median()).c_str(),
                   Ratio(parts[5].Median(), floor.Median()).c_str(), Ms(popups.Median()).c_str(),
                   Ratio(parts[5].Median(), floor.Median() + popups.Median()).c_str(), counts);
            fflush(stdout);
        }
    }
}

void ResourceTable(const Handlers& handlers, const BenchSetup& setup, int rightClicks, int invokes) {
    printf("\n3. What the process holds before and after %d right-clicks and %d invokes (10 items: archives,\n", rightClicks, invokes);
    printf("   files and folders; with and without the attributes array; droplets on). Handles: every value\n");
    printf("   DuplicateHandle accepts; heap: bytes in use by HeapWalk over every heap; GDI: the GDI handle table.\n\n");
    setup.UseDroplets(true);
    auto plain = HDropDataObject::Create(setup.Selection(BenchSetup::Mix, 10));
    auto withAttributes = HDropDataObject::Create(setup.Selection(BenchSetup::Mix, 10));
    withAttributes->OfferAttributes();
    auto archives = HDropDataObject::Create(setup.Selection(BenchSetup::Archives, 10));
    auto run = [&](int clicks, int launches) {
        for (int i = 0; i < clicks; ++i)
            RightClick(handlers.ContextMenu, nullptr, (i % 2 ? withAttributes : plain).Get());
        for (int i = 0; i < launches; ++i) InvokeUntilLaunch(handlers.ContextMenu, archives.Get(), IsExtractHere);
    };
    run(200, 20);  // caches and first-use costs of the system's own
    const ProcessResources before = ProcessResources::Now();
    const double start = Now();
    run(rightClicks, invokes);
    const double took = Now() - start;
    const ProcessResources after = ProcessResources::Now();
    printf("%-12s %12s %12s %12s\n", "", "handles", "heap bytes", "GDI objects");
    printf("%-12s %12zu %12zu %12zu\n", "before", before.Handles, before.HeapBytes, before.GdiObjects);
    printf("%-12s %12zu %12zu %12zu\n", "after", after.Handles, after.HeapBytes, after.GdiObjects);
    printf("%-12s %+12lld %+12lld %+12lld   (%.1f s)\n", "growth", (long long)after.Handles - (long long)before.Handles,
           (long long)after.HeapBytes - (long long)before.HeapBytes,
           (long long)after.GdiObjects - (long long)before.GdiObjects, took);
}

// The stand-in's own start, which the invoke times leave out.
void StandInStart(const std::wstring& archiver, const BenchSetup& setup, int reps) {
    const std::wstring request = setup.Requests() + L"\\standin.tmp";
    Samples start;
    for (int rep = 0; rep < reps; ++rep) {
        WriteRequest(request, RequestBytes({setup.OneArchive()}));
        HANDLE handle = CreateFileW(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(handle);
        const std::wstring parameters = L"-i \"" + request + L"\"";
        start.Add(Timed([&] { ShellExecuteW(nullptr, L"open", (archiver + L"Batch.exe").c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL); }));
    }
    printf("\nThe stand-in's start (ShellExecuteW of Batch.exe), left out of the invoke times: %s ms median\n",
           MedMin(start).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench DATA-FOLDER [--huge] [--reps N]\n");
        return 2;
    }
    std::vector<size_t> sizes{1, 10, 100, 1000, 10000};
    int reps = 5;
    std::wstring tables = L"123";
    for (int i = 2; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--huge") == 0) sizes.push_back(100000);
        if (std::wcscmp(argv[i], L"--reps") == 0 && i + 1 < argc) reps = std::max(1, _wtoi(argv[++i]));
        if (std::wcscmp(argv[i], L"--tables") == 0 && i + 1 < argc) tables = argv[++i];
        if (std::wcscmp(argv[i], L"--sizes") == 0 && i + 1 < argc) {
            sizes.clear();
            for (wchar_t* at = argv[++i]; *at;) {
                sizes.push_back(std::wcstoul(at, &at, 10));
                if (*at == L',') ++at; else break;
            }
        }
    }
    if (sizes.empty()) sizes.push_back(1);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t self[MAX_PATH];
    std::wstring archiver(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    archiver = archiver.substr(0, archiver.rfind(L'\\') + 1) + L"archiver\\";
    {
        const BenchSetup setup(argv[1], archiver, std::max<size_t>(*std::max_element(sizes.begin(), sizes.end()), 10000));
        Handlers handlers;
        if (FAILED(CoGetClassObject(KrGuids::ShlContextMenu, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                    reinterpret_cast<void**>(&handlers.ContextMenu))) ||
            FAILED(CoGetClassObject(KrGuids::ShlDropMenu, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                    reinterpret_cast<void**>(&handlers.DropMenu)))) {
            fprintf(stderr, "bench: the handlers are not registered\n");
            return 1;
        }
        handlers.DropTarget = ILCreateFromPathW(setup.Folder().c_str());
        HMODULE library = GetModuleHandleW(L"KrShellExtEN.dll");
        wchar_t libraryPath[MAX_PATH] = {};
        GetModuleFileNameW(library, libraryPath, MAX_PATH);
        printf("Library: %ls\n", libraryPath);
        g_calls.emplace(library);
        const ImportHook launch(library, "shell32.dll", "ShellExecuteW", reinterpret_cast<void*>(&MarkedShellExecuteW));

        setup.UseDroplets(true);
        if (tables.find(L'1') != std::wstring::npos) SelectionTable(handlers, setup, sizes, reps);
        if (tables.find(L'2') != std::wstring::npos) OneItemTable(handlers, setup, std::max(reps, 20));
        if (tables.find(L'3') != std::wstring::npos) ResourceTable(handlers, setup, 10000, 1000);
        StandInStart(archiver, setup, reps);

        g_calls.reset();  // while the library is loaded: its import table is put back
        ILFree(handlers.DropTarget);
        handlers.DropMenu->Release();
        handlers.ContextMenu->Release();
    }
    CoUninitialize();
    return 0;
}
