// SPDX-License-Identifier: GPL-3.0-or-later
// Folder helpers on real folders in a temporary tree: creating folder paths (also far beyond
// the 260 characters of the original platform and beyond the system's own path limit),
// emptiness, deleting subfolders and trees without following links, and file titles of exact
// paths and wildcard patterns.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/util/FolderUtil.h"
#include "tests/core/util/UtilTestFolder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::UtilTestFolder;

// Checks each component with openat, so paths longer than the system's limit can be checked.
bool FolderChainExists(const fs::path& base, const std::string& name, int depth) {
    int fd = ::open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        const int next = ::openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

TEST(FolderUtil, CreateFolderPathCreatesOnlyPrefixesEndingInASeparator) {
    UtilTestFolder tmp;
    EXPECT_TRUE(CreateFolderPath(tmp.Folder("x/y")));
    EXPECT_TRUE(fs::is_directory(tmp.Path() / "x/y"));

    EXPECT_TRUE(CreateFolderPath(tmp.File("a/b")));
    EXPECT_TRUE(fs::is_directory(tmp.Path() / "a"));
    EXPECT_FALSE(fs::exists(tmp.Path() / "a/b"));

    // Again: nothing to do, still true; doubled separators are one.
    EXPECT_TRUE(CreateFolderPath(tmp.Folder("x/y")));
    EXPECT_TRUE(CreateFolderPath(tmp.File("x//y//z/")));
    EXPECT_TRUE(fs::is_directory(tmp.Path() / "x/y/z"));

    EXPECT_TRUE(CreateFolderPath(""));
    EXPECT_TRUE(CreateFolderPath("no-separator"));
    EXPECT_FALSE(fs::exists("no-separator"));
}

TEST(FolderUtil, CreateFolderPathFailsOnAFileOrDanglingLinkInTheWay) {
    UtilTestFolder tmp;
    UtilTestFolder::Write(tmp.Path() / "file", "x");
    EXPECT_FALSE(CreateFolderPath(tmp.Folder("file/sub")));
    fs::create_symlink(tmp.Path() / "gone", tmp.Path() / "dangling");
    EXPECT_FALSE(CreateFolderPath(tmp.Folder("dangling/sub")));
    // Folders before the failure stay.
    UtilTestFolder::Write(tmp.Path() / "kept/file3", "");
    EXPECT_FALSE(CreateFolderPath(tmp.Folder("new/../kept/file3/x")));
    EXPECT_TRUE(fs::is_directory(tmp.Path() / "new"));
}

TEST(FolderUtil, CreateFolderPathFollowsLinksToFolders) {
    UtilTestFolder tmp;
    fs::create_directories(tmp.Path() / "target");
    fs::create_directory_symlink(tmp.Path() / "target", tmp.Path() / "link");
    EXPECT_TRUE(CreateFolderPath(tmp.Folder("link/inside")));
    EXPECT_TRUE(fs::is_directory(tmp.Path() / "target/inside"));
}

TEST(FolderUtil, CreateFolderPathTakesPathsOfAnyLength) {
    UtilTestFolder tmp;
    // 600 characters: well past the original platform's 260.
    const std::string name60(60, 'm');
    std::string path = tmp.Folder();
    for (int i = 0; i < 10; ++i) {
        path += name60 + "/";
    }
    ASSERT_GT(path.size(), 600u);
    EXPECT_TRUE(CreateFolderPath(path));
    EXPECT_TRUE(fs::is_directory(path));

    // 6,000 characters: past the system's own limit for one path (4,096).
    const std::string name200(200, 'n');
    std::string deep = tmp.Folder("deep");
    for (int i = 0; i < 30; ++i) {
        deep += name200 + "/";
    }
    ASSERT_GT(deep.size(), 6000u);
    EXPECT_TRUE(CreateFolderPath(deep));
    EXPECT_TRUE(FolderChainExists(tmp.Path() / "deep", name200, 30));
    EXPECT_TRUE(CreateFolderPath(deep));
}

TEST(FolderUtil, IsFolderEmptySeesEveryEntry) {
    UtilTestFolder tmp;
    fs::create_directories(tmp.Path() / "empty");
    EXPECT_TRUE(IsFolderEmpty(tmp.Folder("empty")));
    EXPECT_TRUE(IsFolderEmpty(tmp.File("empty")));

    UtilTestFolder::Write(tmp.Path() / "hidden/.x", "");
    EXPECT_FALSE(IsFolderEmpty(tmp.Folder("hidden")));
    fs::create_directories(tmp.Path() / "sub/inner");
    EXPECT_FALSE(IsFolderEmpty(tmp.Folder("sub")));
    // Nothing can be said about a folder that cannot be listed.
    EXPECT_FALSE(IsFolderEmpty(tmp.Folder("missing")));
}

TEST(FolderUtil, DeleteSubfoldersKeepsFilesAndLinkTargets) {
    UtilTestFolder tmp;
    const fs::path card = tmp.Path() / "dtacho";
    UtilTestFolder::Write(card / "201503/a.dtc", "a");
    UtilTestFolder::Write(card / "201504/deeper/b.dtc", "b");
    fs::create_directories(card / "empty");
    UtilTestFolder::Write(card / "loose.dtc", "c");
    UtilTestFolder::Write(tmp.Path() / "outside/keep.txt", "k");
    fs::create_directory_symlink(tmp.Path() / "outside", card / "link");

    DeleteSubfolders(tmp.Folder("dtacho"));

    EXPECT_FALSE(fs::exists(card / "201503"));
    EXPECT_FALSE(fs::exists(card / "201504"));
    EXPECT_FALSE(fs::exists(card / "empty"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(card / "link")));
    EXPECT_TRUE(fs::exists(card / "loose.dtc"));
    EXPECT_TRUE(fs::exists(tmp.Path() / "outside/keep.txt"));

    DeleteSubfolders(tmp.Folder("missing"));  // nothing to do, nothing breaks
}

TEST(FolderUtil, DeleteFolderTreeRemovesEverythingAndReportsLeftovers) {
    UtilTestFolder tmp;
    UtilTestFolder::Write(tmp.Path() / "tree/a/b/c.dat", "x");
    EXPECT_FALSE(DeleteFolderTree(tmp.Folder("tree")));
    EXPECT_FALSE(fs::exists(tmp.Path() / "tree"));
    EXPECT_FALSE(DeleteFolderTree(tmp.Folder("tree")));  // already gone
    EXPECT_FALSE(DeleteFolderTree(""));
    EXPECT_TRUE(fs::exists(tmp.Path()));

    // A link given with a trailing separator goes as a link; its target's files stay.
    UtilTestFolder::Write(tmp.Path() / "target/keep.txt", "k");
    fs::create_directory_symlink(tmp.Path() / "target", tmp.Path() / "link");
    EXPECT_FALSE(DeleteFolderTree(tmp.Folder("link")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp.Path() / "link")));
    EXPECT_TRUE(fs::exists(tmp.Path() / "target/keep.txt"));
}

TEST(FolderUtil, DeleteFolderTreeReportsWhatCouldNotBeRemoved) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not bind the superuser";
    }
    UtilTestFolder tmp;
    UtilTestFolder::Write(tmp.Path() / "tree/locked/f.dat", "x");
    fs::permissions(tmp.Path() / "tree/locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_TRUE(DeleteFolderTree(tmp.Folder("tree")));
    EXPECT_TRUE(fs::exists(tmp.Path() / "tree/locked/f.dat"));
    fs::permissions(tmp.Path() / "tree/locked", fs::perms::owner_all);
}

TEST(FolderUtil, GetFileTitleOfExactPaths) {
    UtilTestFolder tmp;
    UtilTestFolder::Write(tmp.Path() / "20160315081200_VQ0A1B2C.dat", "");
    UtilTestFolder::Write(tmp.Path() / "a.b.c", "");
    UtilTestFolder::Write(tmp.Path() / "plain", "");
    fs::create_directories(tmp.Path() / "folder.d");

    EXPECT_EQ(GetFileTitleOf(tmp.File("20160315081200_VQ0A1B2C.dat")), "20160315081200_VQ0A1B2C");
    EXPECT_EQ(GetFileTitleOf(tmp.File("a.b.c")), "a.b");
    EXPECT_EQ(GetFileTitleOf(tmp.File("plain")), "plain");
    EXPECT_EQ(GetFileTitleOf(tmp.File("folder.d")), "folder");
    EXPECT_EQ(GetFileTitleOf(tmp.File("missing.dat")), "");
    // Letter case is the file system's: another spelling is another name here.
    EXPECT_EQ(GetFileTitleOf(tmp.File("PLAIN")), "");
    EXPECT_EQ(GetFileTitleOf(tmp.Folder("folder.d")), "");
    EXPECT_EQ(GetFileTitleOf(""), "");
}

TEST(FolderUtil, GetFileTitleOfPatternsTakesTheLastNameInOrder) {
    UtilTestFolder tmp;
    for (const char* name : {"VQ01_20150312_101530.dtc", "VQ01_20150313_080000.DTC",
                             "VQ01_20150312_235959.dtc", "notes.txt", "b.dtcx"}) {
        UtilTestFolder::Write(tmp.Path() / name, "");
    }
    // Matching ignores ASCII case; so does the order, so the .DTC file is the last one.
    EXPECT_EQ(GetFileTitleOf(tmp.File("*.dtc")), "VQ01_20150313_080000");
    EXPECT_EQ(GetFileTitleOf(tmp.File("*_20150312_*.dtc")), "VQ01_20150312_235959");
    EXPECT_EQ(GetFileTitleOf(tmp.File("?otes.*")), "notes");
    EXPECT_EQ(GetFileTitleOf(tmp.File("*.*")), "VQ01_20150313_080000");
    EXPECT_EQ(GetFileTitleOf(tmp.File("*.dtcx")), "b");
    EXPECT_EQ(GetFileTitleOf(tmp.File("*.cda")), "");
    EXPECT_EQ(GetFileTitleOf(tmp.File("missing/*.dtc")), "");

    // Names that fold alike: byte order decides, capitals first.
    UtilTestFolder::Write(tmp.Path() / "case/ab.x", "");
    UtilTestFolder::Write(tmp.Path() / "case/AB.x", "");
    UtilTestFolder::Write(tmp.Path() / "case/a_.x", "");
    EXPECT_EQ(GetFileTitleOf(tmp.File("case/*")), "a_");
    EXPECT_EQ(GetFileTitleOf(tmp.File("case/?b.x")), "ab");
    // '?' takes one character, also one of two bytes.
    UtilTestFolder::Write(tmp.Path() / "case/äb.x", "");
    EXPECT_EQ(GetFileTitleOf(tmp.File("case/?b.?")), "äb");
}

struct MonthCase {
    const char* name;
    const char* month;
};

class GetMonthFolderNameTest : public testing::TestWithParam<MonthCase> {};

TEST_P(GetMonthFolderNameTest, TakesSixCharactersAfterTheFirstUnderscore) {
    UtilTestFolder tmp;
    UtilTestFolder::Write(tmp.Path() / GetParam().name, "");
    EXPECT_EQ(GetMonthFolderName(tmp.File(GetParam().name)), GetParam().month);
}

INSTANTIATE_TEST_SUITE_P(FolderUtil, GetMonthFolderNameTest,
                         testing::Values(MonthCase{"VQ0A1B2C00_20150312_101530.dtc", "201503"},
                                         MonthCase{"ABCDEFGH.dtc", "ABCDEF"},
                                         MonthCase{"ABC.dtc", "ABC"},
                                         MonthCase{"x_2015.dtc", "2015"}, MonthCase{"x_.dtc", ""},
                                         MonthCase{"x_ÄÖÜ1234.dtc", "ÄÖÜ123"}));

TEST(FolderUtil, GetMonthFolderNameOfAMissingFileIsEmpty) {
    UtilTestFolder tmp;
    EXPECT_EQ(GetMonthFolderName(tmp.File("VQ0A1B2C00_20150312_101530.dtc")), "");
}

}  // namespace
}  // namespace vantrel
