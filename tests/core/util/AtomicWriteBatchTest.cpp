// SPDX-License-Identifier: GPL-3.0-or-later
// The batched atomic write on real files: commit puts every target in place (both flush
// modes), a target that cannot be replaced fails alone and leaves no temporary file, a flush
// that fails writes nothing, and a batch dropped without commit leaves the targets as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/util/AtomicFile.h"
#include "tests/core/util/UtilTestFolder.h"

namespace vantrel {
namespace {

using Mode = AtomicWriteBatch::FlushMode;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Names of the files in a folder tree that are left-over temporary files.
std::vector<std::string> TempFiles(const std::filesystem::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
            names.push_back(entry.path().string());
        }
    }
    return names;
}

class AtomicWriteBatchModes : public ::testing::TestWithParam<Mode> {
protected:
    test::UtilTestFolder m_folder;
};

TEST_P(AtomicWriteBatchModes, CommitPutsEveryTargetInPlace) {
    const std::string a = m_folder.File("one/a.cda");
    const std::string b = m_folder.File("two/b.dat");
    const std::string c = m_folder.File("one/c.ini");
    test::UtilTestFolder::Write(a, "old a");
    std::filesystem::create_directories(m_folder.Path() / "two");
    ASSERT_EQ(::chmod(a.c_str(), 0600), 0);
    const std::string big(345'600, '\x7f');

    AtomicWriteBatch batch(GetParam());
    ASSERT_TRUE(batch.Add(a, "first a"));
    ASSERT_TRUE(batch.Add(b, big));
    ASSERT_TRUE(batch.Add(c, ""));
    ASSERT_TRUE(batch.Add(a, "new a"));  // the newest bytes of a target win
    EXPECT_EQ(batch.Size(), 3u);
    EXPECT_EQ(ReadText(a), "old a");  // nothing is in place before the commit
    EXPECT_FALSE(std::filesystem::exists(b));

    EXPECT_TRUE(batch.Commit());
    EXPECT_TRUE(batch.Failed().empty());
    EXPECT_EQ(batch.Size(), 0u);
    EXPECT_EQ(ReadText(a), "new a");
    EXPECT_EQ(ReadText(b), big);
    EXPECT_TRUE(std::filesystem::exists(c));
    EXPECT_EQ(std::filesystem::file_size(c), 0u);
    struct stat info {};
    ASSERT_EQ(::stat(a.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);  // a replaced file keeps its permissions
    EXPECT_TRUE(TempFiles(m_folder.Path()).empty());

    // The batch is reusable after a commit, and an empty commit succeeds.
    ASSERT_TRUE(batch.Add(b, "again"));
    EXPECT_TRUE(batch.Commit());
    EXPECT_EQ(ReadText(b), "again");
    EXPECT_TRUE(batch.Commit());
}

TEST_P(AtomicWriteBatchModes, TargetThatCannotBeReplacedFailsAlone) {
    const std::string a = m_folder.File("a.dat");
    const std::string blocked = m_folder.File("blocked.dat");
    const std::string c = m_folder.File("c.dat");
    // A non-empty folder where the file should go: the rename over it fails.
    test::UtilTestFolder::Write(m_folder.File("blocked.dat/keep"), "kept");
    test::UtilTestFolder::Write(c, "old c");

    AtomicWriteBatch batch(GetParam());
    ASSERT_TRUE(batch.Add(a, "a"));
    ASSERT_TRUE(batch.Add(blocked, "b"));
    ASSERT_TRUE(batch.Add(c, "new c"));
    EXPECT_FALSE(batch.Commit());
    EXPECT_EQ(batch.Failed(), std::vector<std::string>{blocked});
    EXPECT_EQ(ReadText(a), "a");
    EXPECT_EQ(ReadText(c), "new c");
    EXPECT_EQ(ReadText(m_folder.File("blocked.dat/keep")), "kept");
    EXPECT_TRUE(TempFiles(m_folder.Path()).empty());
}

TEST_P(AtomicWriteBatchModes, AddThatCannotWriteLeavesTheBatchAsItWas) {
    const std::string a = m_folder.File("a.dat");
    AtomicWriteBatch batch(GetParam());
    ASSERT_TRUE(batch.Add(a, "a"));
    EXPECT_FALSE(batch.Add(m_folder.File("missing/b.dat"), "b"));
    EXPECT_FALSE(batch.Add("", "no name"));
    EXPECT_FALSE(batch.Add(m_folder.Folder(), "a folder"));
    EXPECT_EQ(batch.Size(), 1u);
    EXPECT_TRUE(batch.Commit());
    EXPECT_EQ(ReadText(a), "a");
    EXPECT_FALSE(std::filesystem::exists(m_folder.Path() / "missing"));
    EXPECT_TRUE(TempFiles(m_folder.Path()).empty());
}

TEST_P(AtomicWriteBatchModes, WithoutCommitTheTargetsStayUntouched) {
    const std::string a = m_folder.File("a.dat");
    const std::string b = m_folder.File("sub/b.dat");
    test::UtilTestFolder::Write(a, "old a");
    std::filesystem::create_directories(m_folder.Path() / "sub");
    {
        AtomicWriteBatch batch(GetParam());
        ASSERT_TRUE(batch.Add(a, "new a"));
        ASSERT_TRUE(batch.Add(b, "new b"));
        EXPECT_EQ(TempFiles(m_folder.Path()).size(), 2u);
    }
    EXPECT_EQ(ReadText(a), "old a");
    EXPECT_FALSE(std::filesystem::exists(b));
    EXPECT_TRUE(TempFiles(m_folder.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(AtomicWriteBatch, AtomicWriteBatchModes,
                         ::testing::Values(Mode::kSyncFileSystem, Mode::kSyncEachFile),
                         [](const ::testing::TestParamInfo<Mode>& info) {
                             return info.param == Mode::kSyncFileSystem ? "SyncFileSystem"
                                                                        : "SyncEachFile";
                         });

// A temporary file that is gone by commit time (removed by someone else) fails the flush of
// the file-by-file mode: then no target of the batch is written.
TEST(AtomicWriteBatch, FailedFlushWritesNoTarget) {
    test::UtilTestFolder folder;
    const std::string a = folder.File("a.dat");
    const std::string b = folder.File("b.dat");
    test::UtilTestFolder::Write(a, "old a");
    AtomicWriteBatch batch(Mode::kSyncEachFile);
    ASSERT_TRUE(batch.Add(a, "new a"));
    ASSERT_TRUE(batch.Add(b, "new b"));
    const std::vector<std::string> temps = TempFiles(folder.Path());
    ASSERT_EQ(temps.size(), 2u);
    std::filesystem::remove(temps.front());
    EXPECT_FALSE(batch.Commit());
    EXPECT_EQ(batch.Failed(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(ReadText(a), "old a");
    EXPECT_FALSE(std::filesystem::exists(b));
    EXPECT_TRUE(TempFiles(folder.Path()).empty());
}

}  // namespace
}  // namespace vantrel
