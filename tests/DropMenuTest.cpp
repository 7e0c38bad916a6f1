// The right-drag menu as Explorer drives it: the real handler, a real drop-target ID list and
// CF_HDROP list, the menu read back, and what the Batch.exe beside the library was handed.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "dropmenu/CShlDropMenu.h"
#include "fixtures/ShellRightClick.h"
#include "fixtures/KestrelUserTest.h"
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

TEST_F(DropMenuTest, InitializeRefusesWhatCannotHaveAMenu) {
    PIDLIST_ABSOLUTE computer = nullptr;  // a drop target outside the file system
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    const Pidl computerId(computer, ILFree);
    const struct {
        const char* Name;
        DWORD Switch;
        const ITEMIDLIST* Target;
        HDropMode Mode;
        HRESULT Expected;
    } cases[] = {
        {"switched on", 1, TargetId.get(), HDropMode::Serve, S_OK},
        {"switched off", 0, TargetId.get(), HDropMode::Serve, E_INVALIDARG},
        {"no file-system path", 1, computerId.get(), HDropMode::Serve, E_FAIL},
        {"no file list", 1, TargetId.get(), HDropMode::FailGetData, E_INVALIDARG},
        {"unlockable memory", 1, TargetId.get(), HDropMode::NullHandle, E_INVALIDARG},
    };
    for (const auto& c : cases) {
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, c.Switch);
        const ShellRightClick drop(DropMenu, c.Target, {Zip, Kes}, c.Mode);
        EXPECT_EQ(drop.InitializeResult, c.Expected) << c.Name;
        EXPECT_EQ(drop.Data->MediaReleased(), drop.Data->MediaServed()) << c.Name;
    }
    // The list counts one empty name, which cannot be fetched: unlike the context menu, fine.
    EXPECT_EQ(ShellRightClick(DropMenu, TargetId.get(), {}).InitializeResult, S_OK);
}

TEST_F(DropMenuTest, KestrelSubmenuOnlyWhenEverythingDroppedIsAnArchive) {
    const std::wstring shown =
        L"Open\nKestrel #2 [205]\n  Extract All Here #0\n  Extract All to Folder named after archive #1\nProperties\n";
    const struct {
        const char* Name;
        std::vector<std::wstring> Paths;
        UINT Flags, Last;
        bool Shown;
    } cases[] = {
        {"all archives", {Zip, Kes, Tree.AddFile(L"x.tar.gz"), Tree.AddFile(L"y.kes.hqx")}, CMF_NORMAL, 0x7FFF, true},
        {"three identifiers left", {Zip}, CMF_EXPLORE, FirstId + 2, true},
        {"a folder", {Zip, Tree.AddFolder(L"Sub")}, CMF_NORMAL, 0x7FFF, false},
        {"a text file", {Tree.AddFile(L"notes.txt"), Zip}, CMF_NORMAL, 0x7FFF, false},
        {"a path that is gone", {Zip, Tree.PathOf(L"gone.zip")}, CMF_NORMAL, 0x7FFF, false},
        {"default entry only", {Zip}, CMF_DEFAULTONLY, 0x7FFF, false},
        {"two identifiers left", {Zip}, CMF_NORMAL, FirstId + 1, false},
    };
    for (const auto& c : cases) {
        ShellRightClick drop(DropMenu, TargetId.get(), c.Paths);
        ASSERT_EQ(drop.InitializeResult, S_OK) << c.Name;
        EXPECT_EQ(drop.Query(c.Flags, c.Last), c.Shown ? 3 : 0) << c.Name;
        EXPECT_EQ(Render(drop.Snapshot()), c.Shown ? shown : L"Open\nProperties\n") << c.Name;
    }
}

TEST_F(DropMenuTest, EachCommandHandsTheBatchToolBesideTheLibraryItsRequest) {
    // The tests link the library's code, so "beside the library" is beside this program.
    wchar_t self[MAX_PATH];
    const std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    const std::wstring batch = program.substr(0, program.rfind(L'\\')) + L"\\Batch.exe";
    for (const auto& [offset, code] : {std::pair{0u, L"1"}, std::pair{1u, L"4"}}) {
        ShellRightClick drop(DropMenu, TargetId.get(), {Zip, Kes});
        drop.Query();  // a second build must not shift the offsets
        ASSERT_EQ(drop.Query(), 3);
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
    // The remembered commands are the context menu's alone.
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, Reg::ContextMenuKey));
}

TEST_F(DropMenuTest, NoCommandNoStartButStillSuccess) {
    ShellRightClick drop(DropMenu, TargetId.get(), {Zip});
    EXPECT_EQ(drop.Invoke(0), S_OK);  // before any menu was built
    ASSERT_EQ(drop.Query(), 3);
    const char verb[] = "open";
    for (UINT_PTR other : {UINT_PTR{2}, UINT_PTR{3}, UINT_PTR{0xFFFF}, reinterpret_cast<UINT_PTR>(verb)})
        EXPECT_EQ(drop.Invoke(other), S_OK) << other;
    EXPECT_EQ(drop.Handler()->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 0), E_NOTIMPL);
    // Every launch writes its request before it starts anything.
    EXPECT_TRUE(Handed.Now().empty());
}

}  // namespace
