// SPDX-License-Identifier: GPL-3.0-or-later
// The SD card tree and the recorder storage written to real temporary folders: layout, file
// names, contents, and a failure reported when the root cannot be a folder.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <regex>
#include <set>

#include "tools/datagen/CardWriter.h"

namespace vantrel::datagen {
namespace {

namespace fs = std::filesystem;

class CardWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("vantrel_datagen_" + std::to_string(std::random_device{}()));
        fs::create_directories(m_root);
        m_card = *GenerateCard(*NamedScenario("features"), 1);
    }
    void TearDown() override { fs::remove_all(m_root); }

    static std::vector<std::uint8_t> ReadAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::set<std::string> Tree(const fs::path& root) const {
        std::set<std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            entries.insert(fs::relative(entry.path(), root).generic_string());
        }
        return entries;
    }

    fs::path m_root;
    CardData m_card;
};

TEST_F(CardWriterTest, SdCardHasDtachoLogAndCardFolders) {
    const fs::path card = m_root / "card";
    const WriteResult result = WriteSdCard(m_card, card);
    ASSERT_TRUE(result.ok) << result.error;
    std::set<std::string> expected{"dtacho",  "log",        "log/system.log",         "media",
                                   "driving", "dvr_config", "dvr_config/driverid.ini"};
    const std::regex name("VQ0A1B2CDT_(\\d{8})_\\d{6}\\.dtc");
    ASSERT_EQ(result.dtcPaths.size(), m_card.files.size());
    for (std::size_t i = 0; i < m_card.files.size(); ++i) {
        const GeneratedFile& f = m_card.files[i];
        std::smatch match;
        ASSERT_TRUE(std::regex_match(f.name, match, name)) << f.name;
        EXPECT_EQ(f.monthFolder, match[1].str().substr(0, 6));
        expected.insert("dtacho/" + f.monthFolder);
        expected.insert("dtacho/" + f.monthFolder + "/" + f.name);
        EXPECT_EQ(result.dtcPaths[i], (card / "dtacho" / f.monthFolder / f.name).generic_string());
        EXPECT_EQ(ReadAll(result.dtcPaths[i]), f.Encode()) << f.name;
    }
    EXPECT_EQ(Tree(card), expected);
    EXPECT_EQ(ReadAll(card / "log" / "system.log"), m_card.EncodeSystemLog());
    EXPECT_EQ(fs::file_size(card / "log" / "system.log"), 64'064u);
    const std::vector<std::uint8_t> driver = ReadAll(card / "dvr_config" / "driverid.ini");
    EXPECT_EQ(std::string(driver.begin(), driver.end()), "김민준");
}

TEST_F(CardWriterTest, RecorderStorageKeepsOnlyDtachoAndLog) {
    const WriteResult result = WriteRecorderStorage(m_card, m_root / "emmc");
    ASSERT_TRUE(result.ok) << result.error;
    for (const std::string& entry : Tree(m_root / "emmc")) {
        EXPECT_TRUE(entry.rfind("dtacho", 0) == 0 || entry.rfind("log", 0) == 0) << entry;
    }
    EXPECT_EQ(result.logPath, (m_root / "emmc" / "log" / "system.log").generic_string());
    // The listing's fixed positions read the file's time out of its recorder path.
    const GeneratedFile& f = m_card.files.front();
    const std::string path = RecorderPath(f);
    EXPECT_EQ(path, "/dtacho/" + f.monthFolder + "/" + f.name);
    ASSERT_EQ(path.size(), 45u);
    EXPECT_EQ(path.substr(26, 4) + path.substr(30, 2) + path.substr(32, 2), f.name.substr(11, 8));
    EXPECT_EQ(path[34], '_');
    EXPECT_EQ(path.substr(35, 2) + path.substr(37, 2) + path.substr(39, 2), f.name.substr(20, 6));
}

TEST_F(CardWriterTest, OptionsLeaveOutTheLogAndTheCardFolders) {
    const WriteResult result = WriteSdCard(m_card, m_root / "bare", {false, false});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.logPath.empty());
    EXPECT_FALSE(fs::exists(m_root / "bare" / "log"));
    EXPECT_FALSE(fs::exists(m_root / "bare" / "dvr_config"));
    EXPECT_TRUE(fs::is_directory(m_root / "bare" / "dtacho"));
}

TEST_F(CardWriterTest, ReportsARootThatIsAFile) {
    const fs::path file = m_root / "plain";
    std::ofstream(file) << "x";
    const WriteResult sd = WriteSdCard(m_card, file);
    EXPECT_FALSE(sd.ok);
    EXPECT_FALSE(sd.error.empty());
    EXPECT_FALSE(WriteRecorderStorage(m_card, file / "below").ok);
}

}  // namespace
}  // namespace vantrel::datagen
