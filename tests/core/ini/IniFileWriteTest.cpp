// SPDX-License-Identifier: GPL-3.0-or-later
// Writing through the INI layer: key-by-key edits that leave every other line as it was, values
// that can never break out of their line, and saves that replace the file atomically (a failed
// save keeps the old file and leaves no temporary file behind).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "core/ini/IniFile.h"
#include "core/util/AtomicFile.h"

namespace vantrel::ini {
namespace {

namespace fs = std::filesystem;

struct EditCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class IniFileSet : public ::testing::TestWithParam<EditCase> {};

TEST_P(IniFileSet, ChangesOnlyTheKeyLine) {
    const EditCase& c = GetParam();
    IniFile file = IniFile::Parse(c.before);
    file.Set(c.section, c.key, c.value);
    EXPECT_EQ(file.ToText(), c.after);
    EXPECT_EQ(IniFile::Parse(file.ToText()).Find(c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    IniFile, IniFileSet,
    ::testing::Values(
        EditCase{"ReplaceInPlaceKeepingSpelling",
                 "; settings\n[Gui]\n  Language = 1 \n# kept\n\n[PATH]\nBACKUP=/a/\n", "GUI",
                 "LANGUAGE", "2", "; settings\n[Gui]\nLanguage=2\n# kept\n\n[PATH]\nBACKUP=/a/\n"},
        EditCase{"NewKeyAfterLastNonBlankLine", "[A]\nk=1\n\n\n[B]\nx=1\n", "A", "j", "2",
                 "[A]\nk=1\nj=2\n\n\n[B]\nx=1\n"},
        EditCase{"NewKeyAfterTrailingComment", "[A]\nk=1\n;c\n\n[B]\n", "a", "j", "2",
                 "[A]\nk=1\n;c\nj=2\n\n[B]\n"},
        EditCase{"NewKeyInEmptySection", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        EditCase{"NewKeyInLastSection", "[A]\nk=1\n", "A", "j", "", "[A]\nk=1\nj=\n"},
        EditCase{"NewSectionAtEnd", "[A]\r\nk=1\r\n\r\n", "NEW", "k", "v",
                 "[A]\nk=1\n\n[NEW]\nk=v\n"},
        EditCase{"IntoEmptyDocument", "", "GUI", "LANGUAGE", "0", "[GUI]\nLANGUAGE=0\n"},
        EditCase{"OnlyFirstSectionOfName", "[A]\nk=1\n[B]\n[a]\nk=2\n", "A", "k", "9",
                 "[A]\nk=9\n[B]\n[a]\nk=2\n"},
        EditCase{"OnlyFirstKeyOfName", "[A]\nk=1\nK=2\n", "A", "k", "9", "[A]\nk=9\nK=2\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, LineBreaksInAValueCannotInjectKeysOrSections) {
    IniFile file = IniFile::Parse("[RECORDINFO]\nVehicleNo=12A\n[GUI]\nLANGUAGE=1\n");
    file.Set("RECORDINFO", "DriverName", "Kim\r\n[GUI]\nLANGUAGE=9\rEnd");
    file.Set("RECORDINFO\n[X]", "Area\r\nInjected", "v");

    const IniFile reread = IniFile::Parse(file.ToText());
    EXPECT_EQ(reread.GetString("RECORDINFO", "DriverName", ""), "Kim  [GUI] LANGUAGE=9 End");
    EXPECT_EQ(reread.GetInt("GUI", "LANGUAGE", -1), 1);
    EXPECT_EQ(reread.Keys("RECORDINFO"), (std::vector<std::string>{"VehicleNo", "DriverName"}));
    EXPECT_FALSE(reread.HasSection("X"));
    EXPECT_EQ(reread.Keys("RECORDINFO [X]"), std::vector<std::string>{"Area  Injected"});
    EXPECT_EQ(reread.GetString("RECORDINFO [X]", "Area  Injected", ""), "v");
}

TEST(IniFile, ClearSectionKeepsHeaderAndOtherSections) {
    IniFile file = IniFile::Parse(
        "[ACCOUNT]\nCOUNT=2\nID1=kim\n; note\nPW1=x\n\n[GUI]\nLANGUAGE=1\n[account]\nID9=z\n");
    file.ClearSection("Account");
    EXPECT_EQ(file.ToText(), "[ACCOUNT]\n; note\n\n[GUI]\nLANGUAGE=1\n[account]\nID9=z\n");
    file.Set("ACCOUNT", "COUNT", "0");
    EXPECT_EQ(file.ToText(), "[ACCOUNT]\n; note\nCOUNT=0\n\n[GUI]\nLANGUAGE=1\n[account]\nID9=z\n");

    IniFile empty;
    empty.ClearSection("ACCOUNT");
    EXPECT_EQ(empty.ToText(), "[ACCOUNT]\n");
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937_64 rng(std::random_device{}());
        m_dir = fs::temp_directory_path() / ("vantrel-ini-" + std::to_string(rng()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }

    static std::string ReadBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void WriteBytes(const fs::path& path, std::string_view bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    // The names in the folder, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_dir;
};

using IniFileSave = TempFolder;

TEST_F(IniFileSave, ProfileFunctionsRoundTripThroughAFile) {
    const fs::path path = m_dir / "App.ini";
    WriteBytes(path, "[GUI]\r\nLANGUAGE=0\r\n[PATH]\r\nBACKUP=\r\nEXPORT=/x/\r\n");
    EXPECT_TRUE(WriteProfileString("GUI", "LANGUAGE", "2", path));
    EXPECT_TRUE(WriteProfileString("PATH", "BACKUP", "/home/u/Documents/Halvik/", path));
    EXPECT_TRUE(WriteProfileString("EXTRA", "K", "v", path));
    EXPECT_EQ(ReadBytes(path),
              "[GUI]\nLANGUAGE=2\n[PATH]\nBACKUP=/home/u/Documents/Halvik/\nEXPORT=/x/\n"
              "[EXTRA]\nK=v\n");
    EXPECT_EQ(GetProfileInt("gui", "language", 0, path), 2);
    EXPECT_EQ(GetProfileString("PATH", "EXPORT", "", path), "/x/");
    EXPECT_TRUE(ClearProfileSection("PATH", path));
    EXPECT_EQ(GetProfileString("PATH", "EXPORT", "none", path), "none");
    EXPECT_TRUE(IniFile::Load(path).HasSection("PATH"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"App.ini"});
}

TEST_F(IniFileSave, Utf16FileIsWrittenBackAsUtf8) {
    const fs::path path = m_dir / "lang_kr.ini";
    const std::u16string text = u"[GUI]\r\nOK=\uD655\uC778\r\nCANCEL=\uCDE8\uC18C\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    WriteBytes(path, bytes);
    ASSERT_TRUE(WriteProfileString("GUI", "CLOSE", "\xEB\x8B\xAB\xEA\xB8\xB0", path));
    EXPECT_EQ(ReadBytes(path),
              "[GUI]\nOK=\xED\x99\x95\xEC\x9D\xB8\nCANCEL=\xEC\xB7\xA8\xEC\x86\x8C\n"
              "CLOSE=\xEB\x8B\xAB\xEA\xB8\xB0\n");
}

TEST_F(IniFileSave, KeepsPermissionsOfTheReplacedFile) {
    const fs::path path = m_dir / "Account.ini";
    WriteBytes(path, "[ACCOUNT]\nCOUNT=0\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteProfileString("ACCOUNT", "COUNT", "1", path));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A new file gets the mode any new file gets: 0666 under the umask.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const fs::path fresh = m_dir / "fresh.ini";
    ASSERT_TRUE(WriteProfileString("A", "k", "v", fresh));
    struct stat info {};
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST_F(IniFileSave, WritesThroughASymbolicLink) {
    const fs::path real = m_dir / "real.ini";
    const fs::path link = m_dir / "App.ini";
    WriteBytes(real, "[GUI]\nLANGUAGE=0\n");
    fs::create_symlink(real.filename(), link);
    ASSERT_TRUE(WriteProfileString("GUI", "LANGUAGE", "1", link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[GUI]\nLANGUAGE=1\n");
}

TEST_F(IniFileSave, FailedWriteKeepsOldFileAndLeavesNoTemporaryFile) {
    const fs::path path = m_dir / "App.ini";
    const std::string old = "[GUI]\nLANGUAGE=1\n";
    WriteBytes(path, old);
    IniFile file = IniFile::Load(path);
    file.Set("PATH", "BACKUP", std::string(4096, 'x'));

    // A file size limit stands in for a full disk: the write stops part-way.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = file.Save(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"App.ini"});
}

TEST_F(IniFileSave, FailedRenameKeepsTargetAndLeavesNoTemporaryFile) {
    // A non-empty folder where the file should go: everything succeeds up to the rename.
    const fs::path path = m_dir / "App.ini";
    fs::create_directories(path / "inside");
    EXPECT_FALSE(WriteFileAtomically(path, "[GUI]\n"));
    EXPECT_TRUE(fs::is_directory(path / "inside"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"App.ini"});
    // The profile writer sees a file it cannot read and does not try.
    EXPECT_TRUE(IniFile::Load(path).readFailed());
    EXPECT_FALSE(WriteProfileString("GUI", "LANGUAGE", "1", path));
}

TEST_F(IniFileSave, SaveIntoMissingFolderFails) {
    EXPECT_FALSE(IniFile::Parse("[A]\nk=1\n").Save(m_dir / "missing" / "App.ini"));
    EXPECT_FALSE(WriteFileAtomically(m_dir / "", "x"));
    EXPECT_TRUE(Entries().empty());
}

TEST_F(IniFileSave, SaveIntoReadOnlyFolderKeepsOldFile) {
    const fs::path path = m_dir / "App.ini";
    const std::string old = "[GUI]\nLANGUAGE=1\n";
    WriteBytes(path, old);
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(m_dir.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "folder permissions do not bind this user (root)";
    }
    EXPECT_FALSE(WriteProfileString("GUI", "LANGUAGE", "2", path));
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"App.ini"});
}

}  // namespace
}  // namespace vantrel::ini
