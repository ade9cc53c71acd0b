// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder emulator's normal answers, through its exports as the program loads them: who
// is attached, the month and file listings with their fields, whole files in Base64 chunks
// (for several line and chunk sizes, and for empty files), the report commands, the format
// command and the way commands and lines travel in pieces.
#include <set>

#include "tests/plumex/support/DynamicSymbols.h"
#include "tests/tools/emulator/EmulatorTestSupport.h"

namespace emulator_test {
namespace {

TEST(EmulatorExports, TheSameEightFunctionsAsPlumex) {
    EXPECT_EQ(plumex_test::ExportedFunctions(VANTREL_BIN_DIR "/libVantrelRecorderEmulator.so"),
              plumex_test::kDeviceLinkExports);
}

TEST_F(EmulatorTest, AttachedOnlyWithAStorageFolderAndAtIndexZero) {
    unsetenv("VANTREL_EMU_STORAGE");
    plumex_test::DeviceLinkLibrary& emu = Emulator();
    EXPECT_EQ(emu.usbOpen(0), 0);
    EXPECT_EQ(emu.open(3), -1);
    setenv("VANTREL_EMU_STORAGE", (m_root / "missing").c_str(), 1);
    EXPECT_EQ(emu.usbOpen(0), 0);

    setenv("VANTREL_EMU_STORAGE", m_storage.c_str(), 1);
    EXPECT_EQ(emu.usbOpen(1), 0);
    EXPECT_EQ(emu.usbOpen(16), 0);
    ASSERT_EQ(emu.usbOpen(0), 1);
    char buffer[8];
    EXPECT_EQ(emu.usbRead(buffer, sizeof buffer, 2), 0);
    EXPECT_EQ(emu.usbWrite("#NEXT\r\n", 7, 0), 0);
    EXPECT_EQ(emu.usbClose(1), 1);
    EXPECT_EQ(emu.usbClose(1), 0);
    EXPECT_EQ(emu.usbRead(buffer, sizeof buffer, 1), 0);
    EXPECT_EQ(emu.usbWrite("#NEXT\r\n", 7, 1), 0);
}

TEST_F(EmulatorTest, MonthListingNamesTheRecorderAndItsMonths) {
    const auto& card = FillStorage();
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    const std::vector<std::string> lines = Answer("#LIST dtacho\r\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "#LIST,dtacho,\r\n");
    const std::string field1 = Fields(lines[1]).at(1);
    EXPECT_EQ(field1.substr(field1.size() - 8), card.DeviceIdText());
    EXPECT_EQ(lines[3], "/dtacho/202401,D,\r\n");
    EXPECT_EQ(lines[4], "/dtacho/202402,D,\r\n");
    EXPECT_EQ(lines[5], "#END\r\n");

    setenv("VANTREL_EMU_DEVICE_ID", "VQ00BEEF", 1);
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    EXPECT_EQ(Fields(Answer("#LIST dtacho\r\n").at(1)).at(1), "SN-VQ00BEEF");
}

TEST_F(EmulatorTest, FileListingGivesPathsWithTheRecordTimeAtFixedPlaces) {
    const auto& card = FillStorage();
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    std::set<std::string> listed;
    for (const char* month : {"202401", "202402"}) {
        const std::vector<std::string> lines =
            Answer(std::string("#LIST dtacho/") + month + "\r\n");
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines.back(), "#END\r\n");
        for (std::size_t i = 3; i + 1 < lines.size(); ++i) {
            const std::vector<std::string> fields = Fields(lines[i]);
            ASSERT_GE(fields.size(), 3u) << lines[i];
            EXPECT_EQ(fields[1], "F");
            const std::string& path = fields[0];
            ASSERT_EQ(path.size(), 45u) << path;
            EXPECT_EQ(path.substr(0, 15), std::string("/dtacho/") + month + "/");
            // Year 26-29, month 30-31, day 32-33, hour 35-36 ...: the name's date and time.
            EXPECT_EQ(path.substr(26, 6), month);
            EXPECT_EQ(path[34], '_');
            EXPECT_EQ(path.substr(41), ".dtc");
            listed.insert(path);
        }
    }
    std::set<std::string> expected;
    for (const auto& file : card.files) {
        expected.insert(vantrel::datagen::RecorderPath(file));
    }
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(Answer("#LIST dtacho/202403\r\n").size(), 4u);  // no such month: no entries
    EXPECT_EQ(Answer("#LIST dtacho/../log\r\n").size(), 4u);
}

struct ChunkCase {
    const char* name;
    const char* lineBytes;
    const char* chunkLines;
};

class EmulatorChunks : public EmulatorTest, public testing::WithParamInterface<ChunkCase> {};

TEST_P(EmulatorChunks, EveryFileArrivesWholeInBase64Chunks) {
    setenv("VANTREL_EMU_LINE_BYTES", GetParam().lineBytes, 1);
    setenv("VANTREL_EMU_CHUNK_LINES", GetParam().chunkLines, 1);
    const auto& card = FillStorage();
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    for (const auto& file : card.files) {
        const std::string path = vantrel::datagen::RecorderPath(file).substr(1);
        const auto [data, complete] = Fetch(path);
        EXPECT_TRUE(complete) << path;
        EXPECT_EQ(data, ReadWholeFile(m_storage / path)) << path;
    }
    const auto [log, complete] = Fetch("log/system.log");
    EXPECT_TRUE(complete);
    EXPECT_EQ(log, ReadWholeFile(m_storage / "log/system.log"));
    EXPECT_FALSE(log.empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, EmulatorChunks,
                         testing::Values(ChunkCase{"Default", "", ""},
                                         ChunkCase{"TinyLinesOnePerChunk", "3", "1"},
                                         ChunkCase{"LongLines", "3000", "2"},
                                         ChunkCase{"NotAMultipleOfThree", "100", "5"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatorTest, ChunksFollowTheLineLayout) {
    setenv("VANTREL_EMU_LINE_BYTES", "3", 1);
    setenv("VANTREL_EMU_CHUNK_LINES", "2", 1);
    fs::create_directories(m_storage / "dtacho/202401");
    std::ofstream(m_storage / "dtacho/202401/a.dtc", std::ios::binary) << "ABCDEFG";
    { std::ofstream empty(m_storage / "dtacho/202401/empty.dtc", std::ios::binary); }
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    const std::vector<std::string> first = Answer("#FILE dtacho/202401/a.dtc\r\n");
    ASSERT_EQ(first.size(), 6u);
    EXPECT_EQ(first[3], "#QUJD,\r\n");
    EXPECT_EQ(first[4], "#REVG,\r\n");
    EXPECT_EQ(first[5], "#END\r\n");
    const std::vector<std::string> second = Answer("#NEXT\r\n");
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[3], "#Rw==\r\n");
    EXPECT_EQ(second[4], "#END\r\n");
    const std::vector<std::string> empty = Answer("#FILE dtacho/202401/empty.dtc\r\n");
    ASSERT_EQ(empty.size(), 5u);
    EXPECT_EQ(empty[3], "#\r\n");
    // A file the recorder does not have, or one outside its storage, comes as an empty file.
    std::ofstream(m_root / "secret.txt") << "not for the program";
    for (const char* path : {"dtacho/202401/none.dtc", "../secret.txt", "/etc/passwd"}) {
        const auto [data, complete] = Fetch(path);
        EXPECT_TRUE(complete) << path;
        EXPECT_EQ(data, "") << path;
    }
}

TEST_F(EmulatorTest, CommandsAndLinesMayTravelInPieces) {
    FillStorage();
    setenv("VANTREL_EMU_COMMAND_LOG", (m_root / "commands.log").c_str(), 1);
    plumex_test::DeviceLinkLibrary& emu = Emulator();
    ASSERT_EQ(emu.usbOpen(0), 1);
    EXPECT_TRUE(Send("#LIST dt"));
    char buffer[8];
    EXPECT_EQ(emu.usbRead(buffer, sizeof buffer, 1), 0);  // no answer to half a command
    EXPECT_TRUE(Send("acho\r\n#LIST dtacho/202401\r\n"));
    std::string first;
    std::int32_t got;
    while ((got = emu.usbRead(buffer, 5, 1)) > 0) {
        first.append(buffer, static_cast<std::size_t>(got));
        if (first.find("#END\r\n") != std::string::npos) {
            break;
        }
    }
    EXPECT_EQ(first.rfind("#LIST,dtacho,\r\n", 0), 0u);
    const auto next = ReadLine();
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(*next, "#LIST,dtacho/202401,\r\n");
    EXPECT_EQ(ReadWholeFile(m_root / "commands.log"), "#LIST dtacho\n#LIST dtacho/202401\n");
}

TEST_F(EmulatorTest, ReportCommandsFillTheBufferedFamily) {
    fs::create_directories(m_storage / "report");
    std::ofstream(m_storage / "report/24H.txt") << "H1\r\nH2\r\n";
    setenv("VANTREL_EMU_TIME", "20240115093000", 1);
    plumex_test::DeviceLinkLibrary& emu = Emulator();
    for (const std::int32_t mode : {0, 4, -1}) {
        EXPECT_EQ(emu.open(mode), -1);
    }
    char line[64];
    std::int32_t status = 0;
    EXPECT_EQ(emu.gets(line, sizeof line, 1, &status), 0);
    EXPECT_EQ(status, -1);

    ASSERT_EQ(emu.open(1), 1);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(emu.gets(line, sizeof line, 1, &status), 1);
        EXPECT_STREQ(line, "H1\r\n");
        EXPECT_EQ(emu.gets(line, sizeof line, 1, &status), 0);
        EXPECT_STREQ(line, "H2\r\n");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(emu.rewind(1), 1);
    }
    EXPECT_EQ(emu.close(1), 1);
    EXPECT_EQ(emu.close(1), 0);

    ASSERT_EQ(emu.open(0x10003), 3);
    EXPECT_EQ(emu.gets(line, sizeof line, 3, &status), 0);
    EXPECT_STREQ(line, "20240115093000\r\n");
    EXPECT_EQ(emu.gets(line, 10, 3, &status), 0);  // at the end: nothing, however small
    EXPECT_EQ(emu.rewind(3), 1);
    EXPECT_EQ(emu.gets(line, 10, 3, &status), 0);  // too small for the line: kept
    EXPECT_EQ(status, -1);
    EXPECT_EQ(emu.gets(line, sizeof line, 3, &status), 0);
    EXPECT_STREQ(line, "20240115093000\r\n");
}

TEST_F(EmulatorTest, FormatErasesTheStorageButNotTheIdentity) {
    const auto& card = FillStorage();
    plumex_test::DeviceLinkLibrary& emu = Emulator();
    ASSERT_EQ(emu.usbOpen(0), 1);
    EXPECT_EQ(Answer("#FORMAT\r\n"), (std::vector<std::string>{"#FORMAT,OK,\r\n", "#END\r\n"}));
    EXPECT_TRUE(fs::is_empty(m_storage / "dtacho"));
    EXPECT_TRUE(fs::is_empty(m_storage / "log"));
    EXPECT_EQ(emu.usbClose(1), 1);
    ASSERT_EQ(emu.usbOpen(0), 1);
    const std::vector<std::string> lines = Answer("#LIST dtacho\r\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Fields(lines[1]).at(1), "SN-" + card.DeviceIdText());
}

TEST_F(EmulatorTest, SilentFormatStillErases) {
    FillStorage();
    setenv("VANTREL_EMU_FORMAT_SILENT", "1", 1);
    ASSERT_EQ(Emulator().usbOpen(0), 1);
    EXPECT_TRUE(Answer("#FORMAT\r\n").empty());
    EXPECT_TRUE(fs::is_empty(m_storage / "dtacho"));
}

}  // namespace
}  // namespace emulator_test
