// Carrying out a chosen command: which archiver program starts, with which command line, and
// what the request or list file handed to it holds, byte for byte; and the remembered commands.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fixtures/RegistrySandbox.h"
#include "fixtures/ShellRightClick.h"
#include "fixtures/StandinRecords.h"
#include "fixtures/TempTree.h"
#include "menu/CommandDispatch.h"
#include "menu/ContextMenuState.h"
#include "menu/RecentCommands.h"
#include "menu/RequestLauncher.h"
#include "selection/ClassifyPath.h"
#include "support/InstallLocations.h"
#include "support/RegistryValues.h"

namespace {

namespace Reg = RegistryValues;

std::wstring Upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }
std::wstring NameOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

std::wstring UserTemp() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = folder;
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

std::optional<DWORD> ReadRecentValue(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, Reg::ContextMenuKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Requests = Tree.AddFolder(L"Requests");
        Data = Tree.AddFolder(L"Data");
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Reg::ContextMenuKey);
        RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ProductKey, Reg::EnableContextMenu, 1);
        RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, Requests);
        InstallArchiver(StandinRecords::ArchiverFolder());
    }
    void TearDown() override {
        // Files the commands left in the user's temporary folder (list files, requests made
        // without "TempFolder") go, even when a test stopped half way.
        for (const std::wstring& file : TempFiles())
            if (!TempFilesBefore.count(file)) DeleteFileW(file.c_str());
        CoUninitialize();
    }

    static std::set<std::wstring> TempFiles() {
        std::set<std::wstring> files;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((UserTemp() + L"\\KES*.tmp").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return files;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.insert(UserTemp() + L"\\" + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return files;
    }

    static void InstallArchiver(const std::wstring& folderWithBackslash) {
        RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, Reg::InstallKey, Reg::InstallLocation, folderWithBackslash);
    }

    // The handler state that Initialize and the constructor leave for these paths.
    void Select(const std::vector<std::wstring>& paths) {
        State.Paths = InstallLocations::ForContextMenu();
        State.SelectionItems.clear();
        for (const std::wstring& path : paths) State.SelectionItems.push_back(ClassifyPath(path.c_str()));
        State.SelectionFolder = SelectionFolder(paths.front());
    }

    // Full paths (upper case) of the request files in the request folder.
    std::set<std::wstring> RequestFiles() const {
        std::set<std::wstring> files;
        for (const std::wstring& name : Tree.Find(L"Requests", L"*")) files.insert(Upper(Requests + L"\\" + name));
        return files;
    }

    // The one request file a call created.
    template <typename Call>
    std::wstring NewRequestOf(Call call) {
        const std::set<std::wstring> before = RequestFiles();
        call();
        std::vector<std::wstring> created;
        for (const std::wstring& file : RequestFiles())
            if (!before.count(file)) created.push_back(file);
        EXPECT_EQ(created.size(), 1u);
        return created.empty() ? std::wstring() : created.front();
    }

    const std::set<std::wstring> TempFilesBefore = TempFiles();
    RegistrySandbox Registry{{HKEY_CURRENT_USER, L"Software\\Tamber Soft"},
                             {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Tamber Soft"}};
    TempTree Tree;
    StandinRecords Records;
    ContextMenuState State;
    std::wstring Requests;
    std::wstring Data;
};

TEST_F(CommandTest, ExtractAllHereFromTheMenuHandsTheBatchToolTheEightLineRequest) {
    const std::wstring zip = Tree.AddFile(L"Data\\a.zip");
    const std::wstring sub = Tree.AddFolder(L"Data\\Sub");
    const std::wstring kesx = Tree.AddFile(L"Data\\b.kesx");
    ShellRightClick click({zip, sub, kesx});
    ASSERT_EQ(click.InitializeResult, S_OK);

    EXPECT_EQ(click.Invoke(L"Extract All Here"), S_OK);
    EXPECT_EQ(click.Invoke(L"Extract All Here"), S_OK);

    const std::vector<StandinRecord> records = Records.WaitFor(2);
    ASSERT_EQ(records.size(), 2u);
    for (const StandinRecord& record : records) {
        EXPECT_EQ(record.Program, L"Batch.exe");
        EXPECT_EQ(record.Parameters(), L"-i \"" + record.InputFile + L"\"");
        EXPECT_EQ(Upper(FolderOf(record.InputFile)), Upper(Requests));
        EXPECT_EQ(Upper(NameOf(record.InputFile)).substr(0, 3), L"KES");
        EXPECT_EQ(RequestText(record.InputBytes), CrLfLines({L"[FilesToInclude]", L"0=" + zip, L"2=" + kesx,
                                                           L"[Archive]", L"WizardType=0", L"[ContextMenu]",
                                                           L"RequestedActionCmd=1", L"ExtractTo=" + Data}));
    }
    // Each command gets a request of its own; none is deleted.
    EXPECT_NE(Upper(records[0].InputFile), Upper(records[1].InputFile));
    EXPECT_EQ(RequestFiles().size(), 2u);
    EXPECT_EQ(ReadRecentValue(Reg::Cmd1), 1u);
}

// Selection for the command table: 0 a.zip, 1 Sub (folder), 2 notes.txt, 3 w.rar, 4 x.gz, 5 y.tgz.
struct CommandCase {
    CommandCode Code;
    const wchar_t* Program = nullptr;     // nullptr: the code has no action
    const wchar_t* Option = nullptr;
    const wchar_t* Files = nullptr;       // positions written under "FilesToInclude"
    const wchar_t* Folders = nullptr;     // positions written under "FoldersToInclude"
    const wchar_t* NewArchive = nullptr;  // extension of "ArchiveInfo" Name
    int WizardType = -1;                  // -1: not a wizard (the request has the "ContextMenu" section)
};

constexpr CommandCase CommandCases[] = {
    {1, L"Batch.exe", L"-i", L"0345", L"", nullptr, -1},
    {2, L"Batch.exe", L"-i", L"0345", L"", nullptr, -1},
    {3, L"Batch.exe", L"-i", L"0345", L"", nullptr, -1},
    {4, L"Batch.exe", L"-i", L"0345", L"", nullptr, -1},
    {5, L"Batch.exe", L"-i", L"0345", L"", nullptr, -1},
    {6, L"Recast.exe", L"-i", L"035", L"", nullptr, -1},
    {7, L"Batch.exe", L"-i", L"02345", L"1", nullptr, -1},
    {8, L"Batch.exe", L"-i", L"02345", L"1", nullptr, -1},
    {11, L"Batch.exe", L"-i", L"05", L"", nullptr, -1},
    {12, L"Batch.exe", L"-i", L"05", L"", nullptr, -1},
    {13, L"Batch.exe", L"-i", L"05", L"", nullptr, -1},
    {14, L"Batch.exe", L"-i", L"02345", L"1", nullptr, -1},
    {15, L"Batch.exe", L"-i", L"02345", L"1", nullptr, -1},
    {16, L"Batch.exe", L"-i", L"02345", L"1", nullptr, -1},
    {17, L"Batch.exe", L"-i", L"02345", L"1", L".zip", -1},
    {18, L"Batch.exe", L"-i", L"02345", L"1", L".kesx", -1},
    {19, L"Batch.exe", L"-i", L"02345", L"1", L".tbz2", -1},
    {20, L"KestrelApp.exe", L"-i", L"012345", L"", nullptr, -1},
    {21, L"KestrelApp.exe", L"-p", L"012345", L"", nullptr, -1},
    {22, L"Guide.exe", L"-i", L"02345", L"1", nullptr, 0},
    {23, L"Guide.exe", L"-i", L"02345", L"1", nullptr, 2},
    {24, L"Guide.exe", L"-i", L"02345", L"1", nullptr, 1},
    {25, L"Guide.exe", L"-i", L"02345", L"1", nullptr, 3},
    {26, L"Batch.exe", L"-i", L"02345", L"1", nullptr, -1},
    {0, nullptr}, {9, nullptr}, {10, nullptr}, {28, nullptr}, {29, nullptr}, {30, nullptr},
    {31, nullptr}, {32, nullptr}, {33, nullptr}, {34, nullptr}, {35, nullptr},
};

std::wstring ExpectedRequest(const CommandCase& command, const std::vector<std::wstring>& paths,
                             const std::wstring& folder) {
    std::wstring text;
    auto section = [&](const wchar_t* name, const wchar_t* positions) {
        if (!*positions) return;
        text += L"[" + std::wstring(name) + L"]\r\n";
        for (const wchar_t* p = positions; *p; ++p) text += std::wstring(1, *p) + L"=" + paths[*p - L'0'] + L"\r\n";
    };
    section(L"FilesToInclude", command.Files);
    section(L"FoldersToInclude", command.Folders);
    if (command.NewArchive) text += L"[ArchiveInfo]\r\nName=" + folder + L"\\Data" + command.NewArchive + L"\r\n";
    text += L"[Archive]\r\nWizardType=" + std::to_wstring(command.WizardType < 0 ? 0 : command.WizardType) + L"\r\n";
    if (command.WizardType < 0)
        text += L"[ContextMenu]\r\nRequestedActionCmd=" + std::to_wstring(command.Code) + L"\r\nExtractTo=" + folder +
                L"\r\n";
    return text;
}

TEST_F(CommandTest, EachCommandStartsItsProgramWithItsOwnRequest) {
    const std::vector<std::wstring> paths = {Tree.AddFile(L"Data\\a.zip"),     Tree.AddFolder(L"Data\\Sub"),
                                             Tree.AddFile(L"Data\\notes.txt"), Tree.AddFile(L"Data\\w.rar"),
                                             Tree.AddFile(L"Data\\x.gz"),      Tree.AddFile(L"Data\\y.tgz")};
    Select(paths);

    // All programs run at once; each record is matched to its command by the request it got.
    std::map<std::wstring, const CommandCase*> byRequest;
    for (const CommandCase& command : CommandCases) {
        SCOPED_TRACE(command.Code);
        if (!command.Program) {
            const std::set<std::wstring> before = RequestFiles();
            EXPECT_EQ(InvokeContextCommand(State, command.Code), S_OK);
            EXPECT_EQ(RequestFiles(), before);
            continue;
        }
        const std::wstring request =
            NewRequestOf([&] { EXPECT_EQ(InvokeContextCommand(State, command.Code), S_OK); });
        byRequest[request] = &command;
    }

    const std::vector<StandinRecord> records = Records.WaitFor(byRequest.size());
    ASSERT_EQ(records.size(), byRequest.size());
    for (const StandinRecord& record : records) {
        const auto found = byRequest.find(Upper(record.InputFile));
        ASSERT_NE(found, byRequest.end()) << ::testing::PrintToString(record.InputFile);
        const CommandCase& command = *found->second;
        SCOPED_TRACE(command.Code);
        EXPECT_EQ(record.Program, command.Program);
        EXPECT_EQ(record.Parameters(), std::wstring(command.Option) + L" \"" + record.InputFile + L"\"");
        EXPECT_EQ(RequestText(record.InputBytes), ExpectedRequest(command, paths, Data));
        byRequest.erase(found);
    }
}

// The create commands name the new archive after what was selected.
TEST_F(CommandTest, CreateCommandsNameTheNewArchiveBesideTheSelection) {
    Tree.AddFolder(L"Data\\Pics.old");
    Tree.AddFile(L"Data\\report.doc");
    Tree.AddFile(L"Data\\README");
    Tree.AddFile(L"Data\\my.dir\\README");
    Tree.AddFile(L"Data\\a.doc");
    Tree.AddFile(L"Data\\b.doc");
    const std::wstring d = Data + L"\\";
    struct NameCase {
        std::vector<std::wstring> Selection;
        CommandCode Code;
        std::wstring Name;
    } cases[] = {
        {{d + L"report.doc"}, 17, d + L"report.zip"},
        {{d + L"Pics.old"}, 17, d + L"Pics.old.zip"},
        {{d + L"README"}, 17, d + L"README.zip"},
        {{d + L"my.dir\\README"}, 18, d + L"my.dir\\README.kesx"},
        {{d + L"a.doc", d + L"b.doc"}, 17, d + L"Data.zip"},
        {{d + L"a.doc", d + L"b.doc"}, 19, d + L"Data.tbz2"},
        {{d + L"Pics.old", d + L"a.doc"}, 18, d + L"Data.kesx"},
        // A path whose attributes cannot be read counts as a folder: its name is kept whole.
        {{d + L"gone.doc"}, 17, d + L"gone.doc.zip"},
        // Several items straight in a drive root: the drive letter names the archive.
        {{L"C:\\a.doc", L"C:\\b.doc"}, 17, L"C:\\C.zip"},
        {{L"D:\\x", L"D:\\y"}, 18, L"D:\\D.kesx"},
    };
    // The request is written even though the program is missing: read it from the folder.
    const std::wstring missing = Tree.PathOf(L"NoArchiver\\Batch.exe");
    for (const NameCase& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.Selection.front()) + " code " + std::to_string(test.Code));
        Select(test.Selection);
        const std::wstring request = NewRequestOf(
            [&] { EXPECT_EQ(LaunchWithRequest(State, missing, ItemFilter::AllItems, test.Code), E_FAIL); });
        const std::wstring text = RequestText(ReadFileBytes(request));
        EXPECT_NE(text.find(L"\r\n[ArchiveInfo]\r\nName=" + test.Name + L"\r\n[Archive]\r\n"), std::wstring::npos)
            << ::testing::PrintToString(text);
    }
}

TEST_F(CommandTest, SchedulerGetsANarrowListFileInTheUserTemporaryFolder) {
    const std::wstring japanese = Tree.AddFile(L"Data\\\u65e5\u672c\u8a9e.txt");
    const std::vector<std::wstring> paths = {Tree.AddFile(L"Data\\a.zip"), japanese, Tree.AddFolder(L"Data\\Sub"),
                                             Tree.AddFile(L"Data\\notes.txt")};
    Select(paths);

    // The narrow character set cannot hold the Japanese name: the list gives its 8.3 form.
    wchar_t shortForm[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(japanese.c_str(), shortForm, MAX_PATH), 0u);
    std::string expected;
    for (const std::wstring& path : {paths[0], std::wstring(shortForm), paths[2], paths[3]}) {
        for (wchar_t c : path) {
            ASSERT_LT(c, 0x80) << "expected an ASCII path";
            expected.push_back(static_cast<char>(c));
        }
        expected += "\r\n";
    }

    EXPECT_EQ(InvokeContextCommand(State, 27), S_OK);
    const std::vector<StandinRecord> records = Records.WaitFor(1);
    ASSERT_EQ(records.size(), 1u);
    const StandinRecord& record = records.front();
    EXPECT_EQ(record.Program, L"Agenda.exe");
    EXPECT_EQ(record.Parameters(), L"\"" + record.InputFile + L"\" -c");
    EXPECT_EQ(Upper(FolderOf(record.InputFile)), Upper(UserTemp()));  // "TempFolder" is not used
    EXPECT_EQ(Upper(NameOf(record.InputFile)).substr(0, 3), L"KES");
    EXPECT_EQ(record.InputBytes, expected);
    EXPECT_TRUE(RequestFiles().empty());
}

TEST_F(CommandTest, RequestFolderFollowsTempFolder) {
    Select({Tree.AddFile(L"Data\\a.zip")});

    // Without "TempFolder" the request goes to the user's temporary folder.
    RegistrySandbox::DeleteValue(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder);
    EXPECT_EQ(InvokeContextCommand(State, 4), S_OK);
    std::vector<StandinRecord> records = Records.WaitFor(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(Upper(FolderOf(records[0].InputFile)), Upper(UserTemp()));
    EXPECT_NE(RequestText(records[0].InputBytes).find(L"RequestedActionCmd=4\r\n"), std::wstring::npos);

    // A "TempFolder" naming a missing folder: the request commands fail and start nothing.
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, Tree.PathOf(L"Gone"));
    for (CommandCode code : {1u, 6u, 21u, 22u, 25u}) EXPECT_EQ(InvokeContextCommand(State, code), E_FAIL) << code;

    // A command started afterwards is the only new start.
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, Requests);
    EXPECT_EQ(InvokeContextCommand(State, 7), S_OK);
    records = Records.WaitFor(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(RequestText(records[1].InputBytes).find(L"RequestedActionCmd=7\r\n"), std::wstring::npos);
    EXPECT_EQ(GetFileAttributesW(Tree.PathOf(L"Gone").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CommandTest, MissingProgramFailsButTheCommandIsRemembered) {
    InstallArchiver(Tree.AddFolder(L"EmptyInstall") + L"\\");
    const std::wstring zip = Tree.AddFile(L"Data\\a.zip");
    ShellRightClick click({zip});
    ASSERT_EQ(click.InitializeResult, S_OK);
    EXPECT_EQ(click.Invoke(L"Open with Kestrel..."), E_FAIL);
    EXPECT_EQ(ReadRecentValue(Reg::Cmd1), 21u);
    // The request stays behind for nobody.
    EXPECT_EQ(RequestFiles().size(), 1u);
}

TEST_F(CommandTest, VerbsThatAreNoIdentifierOffsetsAreRefused) {
    ShellRightClick click({Tree.AddFile(L"Data\\a.zip")});
    ASSERT_EQ(click.InitializeResult, S_OK);
    const UINT used = HRESULT_CODE(click.QueryResult);
    ASSERT_GT(used, 0u);

    const UINT_PTR verbs[] = {reinterpret_cast<UINT_PTR>("open"), reinterpret_cast<UINT_PTR>(L"Verify"), 0x10000,
                              0xFFFF0000, used, used + 1, 0xFFFF};
    for (UINT_PTR verb : verbs) EXPECT_EQ(click.Invoke(verb), E_INVALIDARG) << verb;
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, Reg::ContextMenuKey));
    EXPECT_TRUE(RequestFiles().empty());
}

// Which commands are remembered: sequences of choices from a given start.
TEST_F(CommandTest, RememberedCommandsFollowTheUpdateRule) {
    using Slots = std::pair<std::optional<DWORD>, std::optional<DWORD>>;
    constexpr std::optional<DWORD> none;
    struct Step {
        CommandCode Chosen;
        Slots After;
    };
    struct Sequence {
        const char* Name;
        Slots Start;  // none: the value is absent (both none: no key at all)
        std::vector<Step> Steps;
    } sequences[] = {
        {"from nothing", {none, none}, {{4, {4, none}}, {1, {1, 4}}, {4, {1, 4}}, {2, {2, 1}}}},
        {"first slot empty", {0, 5}, {{5, {5, 5}}}},
        {"choosing the older one moves nothing", {7, none}, {{8, {8, 7}}, {7, {8, 7}}, {11, {11, 8}}}},
        {"droplets and codes without action", {none, none}, {{38, {38, none}}, {35, {35, 38}}, {30, {30, 35}}}},
    };
    // No program can start: only the registry is looked at.
    InstallArchiver(Tree.PathOf(L"NoArchiver") + L"\\");
    Select({Tree.AddFile(L"Data\\a.zip")});
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.Name);
        RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Reg::ContextMenuKey);
        if (sequence.Start.first) RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd1, *sequence.Start.first);
        if (sequence.Start.second) RegistrySandbox::WriteDword(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd2, *sequence.Start.second);
        for (const Step& step : sequence.Steps) {
            SCOPED_TRACE(step.Chosen);
            InvokeContextCommand(State, step.Chosen);
            EXPECT_EQ(Slots(ReadRecentValue(Reg::Cmd1), ReadRecentValue(Reg::Cmd2)), step.After);
            const RecentCommands read = RecentCommands::Read();
            EXPECT_EQ(read.Cmd1, step.After.first.value_or(0));
            EXPECT_EQ(read.Cmd2, step.After.second.value_or(0));
        }
    }
    // Values that cannot be read as 32-bit numbers count as empty.
    RegistrySandbox::DeleteKey(HKEY_CURRENT_USER, Reg::ContextMenuKey);
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd1, L"a long text value");
    EXPECT_EQ(RecentCommands::Read().Cmd1, 0u);
}

// Writing the request must stay linear in the number of selected items.
TEST_F(CommandTest, RequestForHugeSelectionsIsWrittenInLinearTime) {
    const std::wstring missing = Tree.PathOf(L"NoArchiver\\Batch.exe");
    auto timeFor = [&](size_t count) {
        State.SelectionItems.clear();
        for (size_t i = 0; i < count; ++i)
            State.SelectionItems.push_back({Data + L"\\file number " + std::to_wstring(i) + L".zip", 0});
        State.SelectionFolder = Data;
        const auto start = std::chrono::steady_clock::now();
        std::wstring request = NewRequestOf(
            [&] { EXPECT_EQ(LaunchWithRequest(State, missing, ItemFilter::ArchivesOnly, 1), E_FAIL); });
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::wstring text = RequestText(ReadFileBytes(request));
        EXPECT_NE(text.find(std::to_wstring(count - 1) + L"=" + State.SelectionItems.back().Path + L"\r\n"),
                  std::wstring::npos);
        DeleteFileW(request.c_str());
        return seconds;
    };
    const double small = timeFor(1000);
    const double large = timeFor(10000);
    std::printf("request for 1,000 items: %.3f s; for 10,000 items: %.3f s\n", small, large);
    // Ten times the items may take about ten times as long, never a hundred.
    EXPECT_LT(large, 40 * small + 0.05);
}

}  // namespace
