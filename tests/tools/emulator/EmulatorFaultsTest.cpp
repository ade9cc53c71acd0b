// SPDX-License-Identifier: GPL-3.0-or-later
// The faults the emulator plays on request, for the program's tests: falling silent after a
// number of lines, a file cut off before its last data line, chunks that start with "#END",
// and malformed or hostile listing lines.
#include "tests/tools/emulator/EmulatorTestSupport.h"

namespace emulator_test {
namespace {

TEST_F(EmulatorTest, FallsSilentAfterTheConfiguredNumberOfLines) {
    FillStorage();
    setenv("VANTREL_EMU_SILENT_AFTER", "2", 1);
    plumex_test::DeviceLinkLibrary& emu = Emulator();
    ASSERT_EQ(emu.usbOpen(0), 1);
    EXPECT_EQ(Answer("#LIST dtacho\r\n").size(), 2u);
    EXPECT_TRUE(Answer("#LIST dtacho/202401\r\n").empty());
    // Each exchange starts counting afresh.
    EXPECT_EQ(emu.usbClose(1), 1);
    unsetenv("VANTREL_EMU_SILENT_AFTER");
    ASSERT_EQ(emu.usbOpen(0), 1);
    EXPECT_EQ(Answer("#LIST dtacho\r\n").back(), "#END\r\n");
}

TEST_F(EmulatorTest, CutFileStopsBeforeItsLastDataLine) {
    const auto& card = FillStorage();
    const std::string path = vantrel::datagen::RecorderPath(card.files.front()).substr(1);
    const std::string whole = ReadWholeFile(m_storage / path);
    ASSERT_GT(whole.size(), 768u * 2);
    setenv("VANTREL_EMU_CUT_FILE", card.files.front().name.c_str(), 1);
    plumex_test::DeviceLinkLibrary& emu = Emulator();
    ASSERT_EQ(emu.usbOpen(0), 1);
    const auto [data, complete] = Fetch(path);
    EXPECT_FALSE(complete);
    EXPECT_EQ(data, whole.substr(0, data.size()));
    EXPECT_LT(data.size(), whole.size());
    EXPECT_GE(data.size(), whole.size() / 2 - 768);
    EXPECT_TRUE(Answer("#LIST dtacho\r\n").empty()) << "silent for the rest of the exchange";

    // With a byte count, even the smallest file is cut before its end.
    setenv("VANTREL_EMU_CUT_FILE", (card.files.back().name + ":0").c_str(), 1);
    EXPECT_EQ(emu.usbClose(1), 1);
    ASSERT_EQ(emu.usbOpen(0), 1);
    const auto [none, done] = Fetch(vantrel::datagen::RecorderPath(card.files.back()).substr(1));
    EXPECT_FALSE(done);
    EXPECT_EQ(none, "");
    // Other files are untouched.
    ASSERT_EQ(emu.usbClose(1), 1);
    ASSERT_EQ(emu.usbOpen(0), 1);
    EXPECT_TRUE(Fetch(path).second);
}

TEST_F(EmulatorTest, EndFirstChunksRepeatAsConfigured) {
    const auto& card = FillStorage();
    const std::string path = vantrel::datagen::RecorderPath(card.files.front()).substr(1);
    setenv("VANTREL_EMU_END_FIRST", (card.files.front().name + ":2").c_str(), 1);
    plumex_test::DeviceLinkLibrary& emu = Emulator();
    ASSERT_EQ(emu.usbOpen(0), 1);
    // The program sends the same "#FILE" again after an answer that is only "#END".
    const std::string command = "#FILE " + path + "\r\n";
    EXPECT_EQ(Answer(command), std::vector<std::string>{"#END\r\n"});
    EXPECT_EQ(Answer(command), std::vector<std::string>{"#END\r\n"});
    const std::vector<std::string> third = Answer(command);
    ASSERT_GE(third.size(), 5u);
    EXPECT_EQ(third[0].rfind("#FILE,", 0), 0u);

    setenv("VANTREL_EMU_END_FIRST", "*", 1);
    EXPECT_EQ(emu.usbClose(1), 1);
    ASSERT_EQ(emu.usbOpen(0), 1);
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(Answer(command), std::vector<std::string>{"#END\r\n"}) << i;
    }
    EXPECT_TRUE(Fetch("log/system.log").second) << "only .dtc files match *";
}

struct HostileCase {
    const char* kind;
    const char* command;
    std::vector<std::string> mustContain;  // lines that the answer holds
    std::size_t longestLineAtLeast;
};

class EmulatorHostile : public EmulatorTest, public testing::WithParamInterface<HostileCase> {};

TEST_P(EmulatorHostile, ListingCarriesTheRequestedLines) {
    FillStorage();
    setenv("VANTREL_EMU_HOSTILE", GetParam().kind, 1);
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    const std::vector<std::string> lines = Answer(GetParam().command);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "#END\r\n");
    for (const std::string& wanted : GetParam().mustContain) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), wanted), lines.end()) << wanted;
    }
    std::size_t longest = 0;
    for (const std::string& line : lines) {
        longest = std::max(longest, line.size());
    }
    EXPECT_GE(longest, GetParam().longestLineAtLeast);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EmulatorHostile,
    testing::Values(
        HostileCase{"month-dotdot",
                    "#LIST dtacho/202401\r\n",
                    {"/dtacho/../..//VQDOTDOT00_20991231_235959.dtc,F,100,\r\n"},
                    0},
        HostileCase{"name-slash",
                    "#LIST dtacho/202401\r\n",
                    {"/dtacho/202401/../../evil_20991231_235959.dtc,F,100,\r\n"},
                    0},
        HostileCase{"long-line", "#LIST dtacho/202401\r\n", {}, 4096},
        HostileCase{"not-file",
                    "#LIST dtacho/202401\r\n",
                    {"/dtacho/202401/VQNOTFILED_20991231_235959.dtc,D,100,\r\n",
                     "/dtacho/202401/VQNOTFILEE_20991231_235959.dtc,,100,\r\n"},
                    0},
        HostileCase{"bad-month",
                    "#LIST dtacho\r\n",
                    {"/dtacho/20AB01,D,\r\n", "/dtacho/../..,D,\r\n", "/dtacho/202401,D,\r\n"},
                    0},
        HostileCase{"short-month-listing", "#LIST dtacho\r\n", {"#LIST,dtacho,\r\n"}, 0}),
    [](const auto& info) {
        std::string name = info.param.kind;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(EmulatorTest, ShortMonthListingEndsBeforeItsSecondLine) {
    FillStorage();
    setenv("VANTREL_EMU_HOSTILE", "short-month-listing", 1);
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    EXPECT_EQ(Answer("#LIST dtacho\r\n"),
              (std::vector<std::string>{"#LIST,dtacho,\r\n", "#END\r\n"}));
}

}  // namespace
}  // namespace emulator_test
