#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "shellkit/HDropDataObject.h"
#include "fixtures/TempTree.h"
#include "selection/Applicability.h"
#include "selection/SelectionReader.h"

namespace {

// The answers as "1"/"0" in the order: single archive, any archive, convertible, single verifiable,
// single file, single Zip/KES, first folder writable.
std::string Ask(const SelectionList& items) {
    std::string answers;
    for (bool (*test)(const SelectionList&) : {IsSingleArchive, HasAnyArchive, HasConvertibleArchive, IsSingleVerifiableArchive,
                                               IsSingleFile, IsSingleZipOrKesArchive, IsFirstFolderWritable})
        answers += test(items) ? '1' : '0';
    return answers;
}

TEST(Applicability, TypicalSelections) {
    TempTree tree;
    for (const wchar_t* file : {L"a.zip", L"b.zip", L"c.rar", L"d.gz", L"e.txt", L"f.KESX", L"g.tgz", L"h.7z", L"i.kes"})
        tree.AddFile(file);
    tree.AddFolder(L"Folder");
    const struct {
        std::vector<const wchar_t*> Names;  // relative to the tree, as Explorer would hand them over
        const char* Expected;
    } cases[] = {
        {{L"Folder"}, "0000001"},
        {{L"a.zip"}, "1111111"},
        {{L"f.KESX"}, "1111111"},
        {{L"i.kes"}, "1111111"},
        {{L"c.rar"}, "1110101"},
        {{L"d.gz"}, "1100101"},
        {{L"g.tgz"}, "1111101"},
        {{L"h.7z"}, "1100101"},
        {{L"e.txt"}, "0000101"},
        {{L"gone.zip"}, "0000001"},
        {{L"a.zip", L"b.zip"}, "0110001"},
        {{L"Folder", L"a.zip"}, "0110001"},
        {{L"e.txt", L"c.rar"}, "0110001"},
        {{L"d.gz", L"h.7z"}, "0100001"},
        {{L"nowhere\\a.zip", L"a.zip"}, "0110000"},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> paths;
        for (const wchar_t* name : c.Names) paths.push_back(tree.PathOf(name));
        SelectionList items;
        ASSERT_EQ(ReadSelection(MakeHDropDataObject(paths).Get(), items), S_OK);
        EXPECT_EQ(Ask(items), c.Expected) << paths[0];
    }
    EXPECT_EQ(Ask({}), "0000000");
    EXPECT_TRUE(tree.Find(L"", L"111*").empty());
}

TEST(Applicability, ProbeFolder) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\a.zip", L"C:\\"},  // the drive root, not the drive's current folder
        {L"C:\\Data\\a.zip", L"C:\\Data"},
        {L"\\\\server\\share\\a.zip", L"\\\\server\\share"},
        {L"a.zip", L""},
        {L"\\a.zip", L""},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(WritableProbeFolder(path), folder) << path;
}

TEST(Applicability, ProbeLeavesNothingBehindAndIsNotCached) {
    TempTree tree;
    const SelectionList here{{tree.AddFile(L"Ärger\\数据.zip"), 0}}, later{{tree.PathOf(L"later\\a.zip"), 0}};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsFirstFolderWritable(here));
    EXPECT_EQ(tree.Find(L"Ärger", L"*"), std::vector<std::wstring>{L"数据.zip"});

    // Neither a missing folder nor a file standing where the folder should be takes a file.
    EXPECT_FALSE(IsFirstFolderWritable(later));
    EXPECT_FALSE(IsFirstFolderWritable({{tree.UnwritableFolder() + L"\\a.zip", 0}}));
    tree.AddFolder(L"later");
    EXPECT_TRUE(IsFirstFolderWritable(later));
    EXPECT_TRUE(tree.Find(L"later", L"*").empty());
    EXPECT_FALSE(IsFirstFolderWritable({{L"a.zip", 0}}));
}

}  // namespace
