#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "fixtures/HDropDataObject.h"
#include "fixtures/TempTree.h"
#include "selection/Applicability.h"
#include "selection/SelectionReader.h"

namespace {

// The selection Explorer would hand over for these paths.
SelectionList Select(const std::vector<std::wstring>& paths) {
    SelectionList items;
    if (!paths.empty()) {
        EXPECT_EQ(ReadSelection(MakeHDropDataObject(paths).Get(), items), S_OK);
    }
    return items;
}

struct Answers {
    bool SingleArchive, AnyArchive, Convertible, SingleVerifiable, SingleFile, SingleZipOrKes, Writable;
    bool operator==(const Answers&) const = default;
};

Answers Ask(const SelectionList& items) {
    return {IsSingleArchive(items),         HasAnyArchive(items), HasConvertibleArchive(items),
            IsSingleVerifiableArchive(items), IsSingleFile(items),  IsSingleZipOrKesArchive(items),
            IsFirstFolderWritable(items)};
}

std::ostream& operator<<(std::ostream& out, const Answers& a) {
    return out << "single archive " << a.SingleArchive << ", any archive " << a.AnyArchive << ", convertible "
               << a.Convertible << ", single verifiable " << a.SingleVerifiable << ", single file "
               << a.SingleFile << ", single Zip/KES " << a.SingleZipOrKes << ", writable " << a.Writable;
}

struct SelectionCase {
    const char* Name;
    std::vector<const wchar_t*> Names;  // relative to the tree
    Answers Expected;
};

TEST(Applicability, TypicalSelections) {
    TempTree tree;
    for (const wchar_t* file : {L"a.zip", L"b.zip", L"c.rar", L"d.gz", L"e.txt", L"f.KESX", L"g.tgz", L"h.7z",
                                L"i.kes", L"j.tar.gz", L"sub\\k.zip"})
        tree.AddFile(file);
    tree.AddFolder(L"Folder");
    tree.AddFolder(L"old.zip");

    //                                                      single any   conv   verif  file   zipkes writable
    const SelectionCase cases[] = {
        {"one folder", {L"Folder"}, {false, false, false, false, false, false, true}},
        {"folder named like an archive", {L"old.zip"}, {false, false, false, false, false, false, true}},
        {"one Zip", {L"a.zip"}, {true, true, true, true, true, true, true}},
        {"one KESx", {L"f.KESX"}, {true, true, true, true, true, true, true}},
        {"one KES", {L"i.kes"}, {true, true, true, true, true, true, true}},
        {"one RAR", {L"c.rar"}, {true, true, true, false, true, false, true}},
        {"one GZip", {L"d.gz"}, {true, true, false, false, true, false, true}},
        {"one tar.gz is GZip", {L"j.tar.gz"}, {true, true, false, false, true, false, true}},
        {"one compressed Tar", {L"g.tgz"}, {true, true, true, true, true, false, true}},
        {"one 7-Zip", {L"h.7z"}, {true, true, false, false, true, false, true}},
        {"one plain file", {L"e.txt"}, {false, false, false, false, true, false, true}},
        {"one missing file", {L"gone.zip"}, {false, false, false, false, false, false, true}},
        {"two Zips", {L"a.zip", L"b.zip"}, {false, true, true, false, false, false, true}},
        {"Zip and folder", {L"a.zip", L"Folder"}, {false, true, true, false, false, false, true}},
        {"folder then Zip", {L"Folder", L"a.zip"}, {false, true, true, false, false, false, true}},
        {"only RAR is convertible", {L"e.txt", L"c.rar"}, {false, true, true, false, false, false, true}},
        {"GZip and 7-Zip", {L"d.gz", L"h.7z"}, {false, true, false, false, false, false, true}},
        {"same Zip twice", {L"a.zip", L"a.zip"}, {false, true, true, false, false, false, true}},
        {"first in missing folder", {L"nowhere\\a.zip", L"a.zip"}, {false, true, true, false, false, false, false}},
        {"first in a subfolder", {L"sub\\k.zip"}, {true, true, true, true, true, true, true}},
    };
    for (const SelectionCase& row : cases) {
        std::vector<std::wstring> paths;
        for (const wchar_t* name : row.Names) paths.push_back(tree.PathOf(name));
        EXPECT_EQ(Ask(Select(paths)), row.Expected) << row.Name;
    }
    EXPECT_EQ(Ask({}), (Answers{false, false, false, false, false, false, false})) << "empty selection";
    EXPECT_TRUE(tree.Find(L"", L"111*").empty());
    EXPECT_TRUE(tree.Find(L"sub", L"111*").empty());
}

TEST(Applicability, ProbeFolder) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\a.zip", L"C:\\"},  // the drive root, not the drive's current folder
        {L"C:\\Data\\a.zip", L"C:\\Data"},
        {L"C:\\Data\\Sub\\", L"C:\\Data\\Sub"},
        {L"\\\\server\\share\\a.zip", L"\\\\server\\share"},
        {L"a.zip", L""},
        {L"\\a.zip", L""},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(WritableProbeFolder(path), folder) << path;
}

TEST(Applicability, ProbeLeavesNothingBehindAndIsNotCached) {
    TempTree tree;
    const std::wstring zip = tree.AddFile(L"Ärger\\数据.zip");
    const SelectionList here{{zip, 0}};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsFirstFolderWritable(here));
    EXPECT_EQ(tree.Find(L"Ärger", L"*"), std::vector<std::wstring>{L"数据.zip"});

    // Neither a missing folder nor a file standing where the folder should be takes a file.
    const SelectionList later{{tree.PathOf(L"later\\a.zip"), 0}};
    const SelectionList underFile{{tree.UnwritableFolder() + L"\\a.zip", 0}};
    EXPECT_FALSE(IsFirstFolderWritable(later));
    EXPECT_FALSE(IsFirstFolderWritable(underFile));
    tree.AddFolder(L"later");
    EXPECT_TRUE(IsFirstFolderWritable(later));
    EXPECT_TRUE(tree.Find(L"later", L"*").empty());

    const SelectionList noFolder{{L"a.zip", 0}};
    EXPECT_FALSE(IsFirstFolderWritable(noFolder));
}

}  // namespace
