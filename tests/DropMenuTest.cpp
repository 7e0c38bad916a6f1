// The right-drag menu as Explorer drives it: the real handler, a real drop-target ID list and
// CF_HDROP list, the menu read back, and what the Batch.exe beside the library was handed.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "dropmenu/CShlDropMenu.h"
#include "fixtures/KestrelUserTest.h"
#include "fixtures/ShellRightClick.h"
#include "module/CKrShellExtModule.h"
#include "support/RegistryValues.h"

namespace {

namespace Reg = RegistryValues;
using Pidl = std::unique_ptr<ITEMIDLIST, decltype(&ILFree)>;
constexpr ShellRightClick::Factory DropMenu = &CShlDropMenu::CreateInstance;
constexpr UINT FirstId = ShellRightClick::FirstId;

// One line per item ("Text #offset [image]"), submenus indented; the shell's items by text only.
std::wstring Render(const std::vector<MenuItemSnapshot>& items, int depth = 0) {
    std::wstring tree;
    for (const MenuItemSnapshot& item : items) {
        tree += std::wstring(2 * depth, L' ') + item.Text;
        if (item.Id >= FirstId) tree += L" #" + std::to_wstring(item.Id - FirstId);
        if (item.Image)
            tree += L" [" + std::to_wstring(BitmapResourceOf(item.Image, ModuleInstance(), {IDB_PRODUCT})) + L"]";
        tree += L"\n" + Render(item.Submenu, depth + 1);
    }
    return tree;
}

// The context menu's archiver is installed too; the drop menu must not use it.
class DropMenuTest : public KestrelUserTest {
protected:
    const std::wstring Target = Tree.AddFolder(L"Drop Target");
    const Pidl TargetId{ILCreateFromPathW(Target.c_str()), ILFree};
    const std::wstring Zip = Tree.AddFile(L"Data\\a.zip");
    const std::wstring Kes = Tree.AddFile(L"Data\\Ärger 数据.kes");
};

// "Kestrel" only for a drop into a file-system folder of archives only, with the switch on and
// room for its three identifiers.
TEST_F(DropMenuTest, KestrelSubmenuOnlyWhenEverythingDroppedIsAnArchive) {
    PIDLIST_ABSOLUTE computer = nullptr;  // a drop target outside the file system
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    const Pidl computerId(computer, ILFree);
    const std::wstring shown =
        L"Open\nKestrel #2 [205]\n  Extract All Here #0\n  Extract All to Folder named after archive #1\nProperties\n";
    const struct {
        const char* Name;
        std::vector<std::wstring> Paths;
        bool Shown = false;
        UINT Flags = CMF_NORMAL, Last = ShellRightClick::LastId;
        HRESULT Initialized = S_OK;
        DWORD Switch = 1;
        PCIDLIST_ABSOLUTE Target = nullptr;  // the tree's "Drop Target"
        HDropMode Mode = HDropMode::Serve;
    } cases[] = {
        {"all archives", {Zip, Kes, Tree.AddFile(L"x.tar.gz"), Tree.AddFile(L"y.kes.hqx")}, true},
        {"three identifiers left", {Zip}, true, CMF_EXPLORE, FirstId + 2},
        {"a folder", {Zip, Tree.AddFolder(L"Sub")}},
        {"a text file", {Tree.AddFile(L"notes.txt"), Zip}},
        {"a path that is gone", {Zip, Tree.PathOf(L"gone.zip")}},
        {"default entry only", {Zip}, false, CMF_DEFAULTONLY},
        {"two identifiers left", {Zip}, false, CMF_NORMAL, FirstId + 1},
        // The list counts one empty name, which cannot be fetched and is skipped: nothing is refused.
        {"no name that can be fetched", {}, true},
        {.Name = "switched off", .Paths = {Zip, Kes}, .Initialized = E_INVALIDARG, .Switch = 0},
        {.Name = "no file-system path", .Paths = {Zip, Kes}, .Initialized = E_FAIL, .Target = computerId.get()},
        {.Name = "no file list", .Paths = {Zip, Kes}, .Initialized = E_INVALIDARG, .Mode = HDropMode::FailGetData},
        {.Name = "unlockable memory", .Paths = {Zip, Kes}, .Initialized = E_INVALIDARG, .Mode = HDropMode::NullHandle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, c.Switch);
        ShellRightClick drop(DropMenu, c.Target ? c.Target : TargetId.get(), c.Paths, c.Mode);
        EXPECT_EQ(drop.InitializeResult, c.Initialized);
        EXPECT_EQ(drop.Data->MediaReleased(), drop.Data->MediaServed());
        if (c.Initialized != S_OK) continue;
        EXPECT_EQ(drop.Query(c.Flags, c.Last), c.Shown ? 3 : 0);
        EXPECT_EQ(Render(drop.Snapshot()), c.Shown ? shown : L"Open\nProperties\n");
    }
}

// Each offset starts the tool with its code, "Kestrel" too (the shell never invokes a submenu
// entry); anything else starts nothing. The remembered commands are the context menu's alone.
TEST_F(DropMenuTest, EachCommandHandsTheBatchToolBesideTheLibraryItsRequest) {
    // The tests link the library's code, so "beside the library" is beside this program.
    wchar_t self[MAX_PATH];
    const std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    const std::wstring batch = program.substr(0, program.rfind(L'\\')) + L"\\Batch.exe";
    ShellRightClick drop(DropMenu, TargetId.get(), {Zip, Kes});
    EXPECT_EQ(drop.Invoke(0), S_OK);  // before any menu was built
    drop.Query();  // a second build must not shift the offsets
    ASSERT_EQ(drop.Query(), 3);
    const char verb[] = "open";
    for (UINT_PTR other : {UINT_PTR{3}, UINT_PTR{0xFFFF}, reinterpret_cast<UINT_PTR>(verb)})
        EXPECT_EQ(drop.Invoke(other), S_OK) << other;
    EXPECT_EQ(drop.Handler()->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 0), E_NOTIMPL);
    EXPECT_TRUE(Handed.Now().empty());  // every launch writes its request before it starts anything

    for (const auto& [offset, code] : {std::pair{0u, L"1"}, std::pair{1u, L"4"}, std::pair{2u, L"34"}}) {
        EXPECT_EQ(drop.Invoke(offset), S_OK);
        const std::vector<StandinRecord> started = Records.WaitFor(offset + 1);
        ASSERT_EQ(started.size(), offset + 1);
        const StandinRecord& record = started.back();
        EXPECT_EQ(record.CommandLine, L"\"" + batch + L"\" -i \"" + record.InputFile + L"\"");
        EXPECT_EQ(record.InputFile.substr(0, Requests.size() + 4), Requests + L"\\KES");
        EXPECT_EQ(RequestText(record.InputBytes),
                  CrLfLines({L"[FilesToInclude]", L"0=" + Zip, L"1=" + Kes, L"[Archive]", L"WizardType=0",
                             L"[ContextMenu]", L"RequestedActionCmd=" + std::wstring(code), L"ExtractTo=" + Target}));
    }
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, Reg::ContextMenuKey));
}

}  // namespace
