// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli --demo, started as a program with a fixture home: the demo is made on first use
// and reused afterwards, its card imports as a card, its emulated recorder downloads over
// "USB", and the user's own configuration and documents stay untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/CliProcess.h"
#include "tests/support/TempFolder.h"

namespace {
namespace fs = std::filesystem;
using vantrel::test::TempFolder;

using vantrel::test::CliRun;

class DemoCli : public ::testing::Test {
protected:
    CliRun Cli(const std::vector<std::string>& args) {
        return vantrel::test::RunVantrelCli(m_tmp.Folder(), {"LC_ALL=C.UTF-8", "HOME=" + Home()},
                                            args);
    }
    std::string Home() const { return m_tmp.Folder("home"); }
    std::string Demo() const { return Home() + ".cache/vantrel-demo/"; }

    TempFolder m_tmp;
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(DemoCli, ListImportCardAndDownloadInTheDemo) {
    fs::create_directories(Home());
    const CliRun first = Cli({"--demo", "list", "--json"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.err.find("preparing the demo"), std::string::npos);
    EXPECT_EQ(Count(first.out, "\"record\": \""), 9u) << first.out;
    EXPECT_EQ(Count(first.out, Demo() + "Documents/Halvik/Korvut/dtacho/cda/"), 9u);

    // Reused as it is: no second build, the same records.
    const CliRun again = Cli({"--demo", "list", "--json"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err.find("preparing the demo"), std::string::npos);
    EXPECT_EQ(Count(again.out, "\"record\": \""), 9u);

    const CliRun card = Cli({"--demo", "import-sd", Demo() + "card"});
    EXPECT_EQ(card.status, 0) << card.err;
    EXPECT_NE(card.out.find("SD Card reading has been complete"), std::string::npos);
    const CliRun usb = Cli({"--demo", "import-usb"});
    EXPECT_EQ(usb.status, 0) << usb.err;
    EXPECT_NE(usb.out.find("Device reading has been complete"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(Demo() + "Documents/Halvik/Korvut/dtacho/VQ3C4D5E/system.log"));
    const CliRun after = Cli({"--demo", "list", "--json"});
    EXPECT_GT(Count(after.out, "\"record\": \""), 9u);

    // Nothing outside the cache folder.
    EXPECT_FALSE(fs::exists(Home() + ".config"));
    EXPECT_FALSE(fs::exists(Home() + "Documents"));

    // Without --demo the user's own (empty) backup folder is used.
    const CliRun own = Cli({"list", "--json"});
    EXPECT_EQ(own.status, 0) << own.err;
    EXPECT_EQ(Count(own.out, "\"record\": \""), 0u);
    EXPECT_TRUE(fs::exists(Home() + ".config/Halvik/Korvut/App.ini"));
}

}  // namespace
