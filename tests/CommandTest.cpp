// Carrying out a chosen command: which archiver program starts, with which command line, and
// what the request or list file handed to it holds, byte for byte; and the remembered commands.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "commands/ContextMenuState.h"
#include "commands/RecentCommands.h"
#include "fixtures/KestrelUserTest.h"
#include "fixtures/RememberedCodes.h"
#include "fixtures/ShellRightClick.h"
#include "launch/CommandDispatch.h"
#include "launch/RequestLauncher.h"
#include "selection/ClassifyPath.h"
#include "support/InstallLocations.h"
#include "support/RegistryValues.h"

namespace {

namespace Reg = RegistryValues;

// A temporary file named "KES....TMP" right in folder.
bool IsTempFileIn(const std::wstring& file, const std::wstring& folder) {
    const std::wstring prefix = Upper(folder + L"\\KES");
    return Upper(file).starts_with(prefix) && file.find(L'\\', prefix.size()) == std::wstring::npos;
}


class CommandTest : public KestrelUserTest {
protected:
    // The handler state that Initialize and the constructor leave for these paths.
    void Select(const std::vector<std::wstring>& paths) {
        State.Paths = {};
        State.SelectionItems.clear();
        for (const std::wstring& path : paths)
            State.SelectionItems.push_back(ShellRightClick::OffersAttributes()
                                               ? ClassifyPath(path, GetFileAttributesW(path.c_str()))
                                               : ClassifyPath(path.c_str()));
        State.SelectionFolder = SelectionFolder(paths.front());
    }


    const std::wstring Data = Tree.AddFolder(L"Data");
    ContextMenuState State;
};

// Selection for the command table: 0 a.zip, 1 Sub (folder), 2 notes.txt, 3 w.rar, 4 x.gz, 5 y.tgz.
// One row per sort of request; the other create extensions are the archive-name test's, and two
// wizards show that the type follows the wizard.
struct CommandCase {
    std::vector<CommandCode> Codes;
    const wchar_t* Program;  // nullptr: the codes have no action
    const wchar_t* Option = nullptr;
    const wchar_t* Files = nullptr;       // positions written under "FilesToInclude"
    const wchar_t* Folders = nullptr;     // positions written under "FoldersToInclude"
    const wchar_t* NewArchive = nullptr;  // extension of "ArchiveInfo" Name
    int WizardType = -1;                  // -1: not a wizard (the request has the "ContextMenu" section)
};
const CommandCase CommandCases[] = {
    {{1, 2, 3, 4, 5}, L"Batch.exe", L"-i", L"0345", L""},
    {{6}, L"Recast.exe", L"-i", L"035", L""},
    {{7, 8, 14, 15, 16, 26}, L"Batch.exe", L"-i", L"02345", L"1"},
    {{11, 12, 13}, L"Batch.exe", L"-i", L"05", L""},
    {{17}, L"Batch.exe", L"-i", L"02345", L"1", L".zip"},
    {{20}, L"KestrelApp.exe", L"-i", L"012345", L""},
    {{21}, L"KestrelApp.exe", L"-p", L"012345", L""},
    {{22}, L"Guide.exe", L"-i", L"02345", L"1", nullptr, 0},
    {{24}, L"Guide.exe", L"-i", L"02345", L"1", nullptr, 1},
    {{0, 9, 10, 28, 29, 30, 31, 32, 33, 34, 35}, nullptr},
};

std::wstring ExpectedRequest(const CommandCase& command, CommandCode code, const std::vector<std::wstring>& paths,
                             const std::wstring& folder) {
    std::wstring text;
    for (const auto& [name, positions] : {std::pair(L"FilesToInclude", command.Files), {L"FoldersToInclude", command.Folders}}) {
        if (*positions) text += L"[" + std::wstring(name) + L"]\r\n";
        for (const wchar_t* p = positions; *p; ++p) text += std::wstring(1, *p) + L"=" + paths[*p - L'0'] + L"\r\n";
    }
    if (command.NewArchive) text += L"[ArchiveInfo]\r\nName=" + folder + L"\\Data" + command.NewArchive + L"\r\n";
    text += L"[Archive]\r\nWizardType=" + std::to_wstring(std::max(command.WizardType, 0)) + L"\r\n";
    if (command.WizardType < 0)
        text += L"[ContextMenu]\r\nRequestedActionCmd=" + std::to_wstring(code) + L"\r\nExtractTo=" + folder + L"\r\n";
    return text;
}

TEST_F(CommandTest, EachCommandStartsItsProgramWithItsOwnRequest) {
    const std::vector<std::wstring> paths = {Tree.AddFile(L"Data\\a.zip"),     Tree.AddFolder(L"Data\\Sub"),
                                             Tree.AddFile(L"Data\\notes.txt"), Tree.AddFile(L"Data\\w.rar"),
                                             Tree.AddFile(L"Data\\x.gz"),      Tree.AddFile(L"Data\\y.tgz")};
    Select(paths);
    // All programs run at once; each record is matched to its command by the request it got.
    std::map<std::wstring, std::pair<const CommandCase*, CommandCode>> byRequest;
    for (const CommandCase& command : CommandCases)
        for (const CommandCode code : command.Codes) {
            SCOPED_TRACE(code);
            const auto handed = Handed.Of([&] { EXPECT_EQ(InvokeContextCommand(State, code), S_OK); });
            EXPECT_EQ(handed.size(), command.Program ? 1u : 0u);
            if (command.Program && handed.size() == 1) byRequest[handed.front()] = {&command, code};
        }

    const std::vector<StandinRecord> records = Records.WaitFor(byRequest.size());
    ASSERT_EQ(records.size(), byRequest.size());
    for (const StandinRecord& record : records) {
        const auto found = byRequest.find(Upper(record.InputFile));
        ASSERT_NE(found, byRequest.end()) << record.InputFile;
        const auto [command, code] = found->second;
        SCOPED_TRACE(code);
        EXPECT_EQ(record.Program, command->Program);
        EXPECT_EQ(record.Parameters(), std::wstring(command->Option) + L" \"" + record.InputFile + L"\"");
        EXPECT_EQ(RequestText(record.InputBytes), ExpectedRequest(*command, code, paths, Data));
        byRequest.erase(found);
    }
}

// The create commands name the new archive after what was selected ("ArchiveInfo" Name above).
TEST_F(CommandTest, CreateCommandsNameTheNewArchiveBesideTheSelection) {
    const std::wstring d = Data + L"\\";
    for (const wchar_t* file : {L"report.doc", L"README", L"my.dir\\README", L"a.doc", L"b.doc"})
        Tree.AddFile(L"Data\\" + std::wstring(file));
    Tree.AddFolder(L"Data\\Pics.old");
    const struct {
        std::vector<std::wstring> Selection;
        CommandCode Code;
        std::wstring Name;
    } cases[] = {
        {{d + L"report.doc"}, 17, d + L"report.zip"},
        {{d + L"Pics.old"}, 17, d + L"Pics.old.zip"},
        {{d + L"README"}, 17, d + L"README.zip"},
        {{d + L"my.dir\\README"}, 18, d + L"my.dir\\README.kesx"},
        {{d + L"a.doc", d + L"b.doc"}, 19, d + L"Data.tbz2"},
        // Several items straight in a drive root: the drive letter names the archive.
        {{L"C:\\a.doc", L"C:\\b.doc"}, 17, L"C:\\C.zip"},
    };
    for (const auto& test : cases) {
        Select(test.Selection);
        EXPECT_EQ(NewArchiveName(State.SelectionItems, test.Code), test.Name) << test.Selection.front();
    }
}

TEST_F(CommandTest, SchedulerGetsANarrowListFileInTheUserTemporaryFolder) {
    const std::wstring japanese = Tree.AddFile(L"Data\\\u65e5\u672c\u8a9e.txt");
    const std::vector<std::wstring> paths = {Tree.AddFile(L"Data\\a.zip"), japanese, Tree.AddFolder(L"Data\\Sub")};
    Select(paths);
    // The narrow character set cannot hold the Japanese name: the list gives its 8.3 form.
    wchar_t shortForm[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(japanese.c_str(), shortForm, MAX_PATH), 0u);
    std::string expected;
    for (const std::wstring& path : {paths[0], std::wstring(shortForm), paths[2]})
        expected += std::string(path.begin(), path.end()) + "\r\n";  // ASCII only

    EXPECT_EQ(InvokeContextCommand(State, 27), S_OK);
    const std::vector<StandinRecord> records = Records.WaitFor(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Program, L"Agenda.exe");
    EXPECT_EQ(records[0].Parameters(), L"\"" + records[0].InputFile + L"\" -c");
    EXPECT_TRUE(IsTempFileIn(records[0].InputFile, Handed.UserTemp)) << records[0].InputFile;  // not "TempFolder"
    EXPECT_EQ(records[0].InputBytes, expected);
}

TEST_F(CommandTest, RequestFolderFollowsTempFolder) {
    Select({Tree.AddFile(L"Data\\a.zip")});
    // Without "TempFolder", or with an empty one, the request goes to the user's temporary folder.
    RegistrySandbox::DeleteValue(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder);
    EXPECT_EQ(InvokeContextCommand(State, 4), S_OK);
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, L"");
    EXPECT_EQ(InvokeContextCommand(State, 4), S_OK);
    std::vector<StandinRecord> records = Records.WaitFor(2);
    ASSERT_EQ(records.size(), 2u);
    for (const StandinRecord& record : records)
        EXPECT_TRUE(IsTempFileIn(record.InputFile, Handed.UserTemp)) << record.InputFile;

    // A "TempFolder" naming a missing folder: the request commands fail and start nothing.
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, Tree.PathOf(L"Gone"));
    for (CommandCode code : {1u, 6u, 21u, 22u, 25u}) EXPECT_EQ(InvokeContextCommand(State, code), E_FAIL) << code;

    // A command started afterwards is the only new start.
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ProductKey, Reg::TempFolder, Requests);
    EXPECT_EQ(InvokeContextCommand(State, 7), S_OK);
    records = Records.WaitFor(3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_NE(RequestText(records[2].InputBytes).find(L"RequestedActionCmd=7\r\n"), std::wstring::npos);
    EXPECT_EQ(GetFileAttributesW(Tree.PathOf(L"Gone").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A program that is missing, or whose path is longer than ShellExecuteW takes.
TEST_F(CommandTest, ProgramThatCannotStartFailsButTheCommandIsRemembered) {
    const std::wstring zip = Tree.AddFile(L"Data\\a.zip");
    // An install location of 1,023 characters, the most that is read, holding the program.
    std::wstring longFolder = Tree.Path();
    while (longFolder.size() < 1022) {
        longFolder += L'\\' + std::wstring(std::min<size_t>(99, 1021 - longFolder.size()), L'k');
        CreateDirectoryW(longFolder.c_str(), nullptr);
    }
    longFolder += L'\\';
    ASSERT_TRUE(CopyFileW((StandinRecords::ArchiverFolder() + L"KestrelApp.exe").c_str(), (longFolder + L"KestrelApp.exe").c_str(), FALSE));
    const std::wstring installs[] = {Tree.AddFolder(L"EmptyInstall") + L"\\", longFolder};
    for (const std::wstring& install : installs) {
        SCOPED_TRACE(install.size());
        InstallArchiver(install);
        Remember(0, 0);
        const std::set<std::wstring> before = Handed.Now();
        ShellRightClick click({zip});
        ASSERT_EQ(click.InitializeResult, S_OK);
        EXPECT_EQ(click.Invoke(L"Open with Kestrel..."), E_FAIL);
        EXPECT_EQ(Remembered().first, 21u);
        EXPECT_EQ(Handed.Now().size(), before.size() + 1);  // the request stays behind for nobody
    }
    EXPECT_TRUE(Records.WaitFor(1, 1000).empty());
}

TEST_F(CommandTest, VerbsThatAreNoIdentifierOffsetsAreRefused) {
    ShellRightClick click({Tree.AddFile(L"Data\\a.zip")});
    ASSERT_EQ(click.InitializeResult, S_OK);
    const UINT used = HRESULT_CODE(click.QueryResult);
    ASSERT_GT(used, 0u);
    for (const UINT_PTR verb : {reinterpret_cast<UINT_PTR>("open"), reinterpret_cast<UINT_PTR>(L"Verify"), UINT_PTR{used}})
        EXPECT_EQ(click.Invoke(verb), E_INVALIDARG) << verb;
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, Reg::ContextMenuKey));
    EXPECT_TRUE(Handed.Now().empty());
}

// Which commands are remembered: sequences of choices from a given start.
TEST_F(CommandTest, RememberedCommandsFollowTheUpdateRule) {
    using Slots = std::pair<DWORD, DWORD>;  // "Cmd1", "Cmd2"
    const struct {
        Slots Start;  // (0, 0): no key at all
        std::vector<std::pair<CommandCode, Slots>> Steps;  // chosen, then the values
    } sequences[] = {
        {{0, 0}, {{4, {4, 0}}, {1, {1, 4}}, {4, {1, 4}}, {2, {2, 1}}}},
        {{0, 5}, {{5, {5, 5}}}},
        {{0, 0}, {{38, {38, 0}}, {35, {35, 38}}, {30, {30, 35}}}},  // droplets, codes without action
    };
    // No program can start: only the registry is looked at.
    InstallArchiver(Tree.PathOf(L"NoArchiver") + L"\\");
    Select({Tree.AddFile(L"Data\\a.zip")});
    for (const auto& sequence : sequences) {
        Remember(sequence.Start.first, sequence.Start.second);
        for (const auto& [chosen, after] : sequence.Steps) {
            InvokeContextCommand(State, chosen);
            EXPECT_EQ(Remembered(), after) << "after " << chosen;
        }
    }
    // Values that cannot be read as 32-bit numbers count as empty.
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, Reg::ContextMenuKey, Reg::Cmd1, L"a long text value");
    EXPECT_EQ(RecentCommands::Read().Cmd1, 0u);
}

// A selection of ten thousand items reaches the request whole (its speed is the benchmark's).
TEST_F(CommandTest, RequestForAHugeSelectionHoldsEveryItem) {
    State.SelectionFolder = Data;
    for (size_t i = 0; i < 10000; ++i)
        State.SelectionItems.push_back({Data + L"\\file number " + std::to_wstring(i) + L".zip", 0});
    const std::vector<std::wstring> handed = Handed.Of([&] {
        EXPECT_EQ(LaunchWithRequest(State, Tree.PathOf(L"NoArchiver\\Batch.exe"), ItemFilter::ArchivesOnly, 1), E_FAIL);
    });
    ASSERT_EQ(handed.size(), 1u);
    const std::wstring text = RequestText(ReadFileBytes(handed.front()));
    EXPECT_NE(text.find(L"\r\n9999=" + State.SelectionItems.back().Path + L"\r\n"), std::wstring::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 10000 + 6);  // and six lines of sections and settings
}

}  // namespace
