// SPDX-License-Identifier: GPL-3.0-or-later
// A recorder that misbehaves: the download either fails as a whole (nothing is imported or
// marked, so the next download fetches the same files) or, for listing entries that name no
// proper file, skips them. It never writes outside the backup folder, hangs or overflows.
#include <gtest/gtest.h>

#include "core/store/MgrTachoDB.h"
#include "tests/device/DeviceTestSupport.h"

namespace device_test {
namespace {

struct FaultCase {
    const char* name;
    const char* variable;
    const char* value;
    bool completes;
};

class DeviceFault : public DeviceTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(DeviceFault, GivesTheSoundResult) {
    FillGenerated(3);
    setenv(GetParam().variable, GetParam().value, 1);
    vantrel::CMgrTachoDB store(Backup());
    vantrel::CDeviceLink link = Link();
    const vantrel::ImportResult result = store.ImportFromDevice(link.Download());
    const fs::path marker = m_backup / "VQ0A1B2C" / "LastTime.ini";
    if (GetParam().completes) {
        ASSERT_EQ(result.status, vantrel::ImportStatus::Completed);
        EXPECT_EQ(result.converted.size(), m_storageFiles.size());
    } else {
        EXPECT_EQ(result.status, vantrel::ImportStatus::DeviceReadFailed);
        ASSERT_FALSE(result.messages.empty());
        EXPECT_EQ(result.messages[0].text, "Device read failed");
        EXPECT_FALSE(fs::exists(marker));
        EXPECT_FALSE(fs::exists(m_backup / "cda"));
        // What the download left are whole copies of the recorder's files, nothing cut.
        for (const std::string& file : FilesBelow(m_backup / "VQ0A1B2C" / "usbdtc")) {
            const fs::path saved = m_backup / "VQ0A1B2C" / "usbdtc" / file;
            EXPECT_EQ(ReadWholeFile(saved), ReadWholeFile(m_storage / "dtacho" / file)) << file;
        }
        unsetenv(GetParam().variable);
        const vantrel::ImportResult again = store.ImportFromDevice(link.Download());
        ASSERT_EQ(again.status, vantrel::ImportStatus::Completed);
        EXPECT_EQ(again.converted.size(), m_storageFiles.size());
    }
    EXPECT_TRUE(fs::exists(marker));
    // Nothing was written beside the backup folder, the storage and the command log.
    for (const std::string& file : FilesBelow(m_root)) {
        const bool inPlace = file.rfind("backup/", 0) == 0 || file.rfind("storage/", 0) == 0 ||
                             file == "commands.txt";
        EXPECT_TRUE(inPlace) << file;
        EXPECT_EQ(file.find("evil"), std::string::npos) << file;
        EXPECT_EQ(file.find("DOTDOT"), std::string::npos) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DeviceFault,
    testing::Values(
        FaultCase{"CutFile", "VANTREL_EMU_CUT_FILE", "*", false},
        FaultCase{"CutLog", "VANTREL_EMU_CUT_FILE", "system.log", false},
        FaultCase{"EndFirstForEver", "VANTREL_EMU_END_FIRST", "*", false},
        FaultCase{"EndFirstThreeTimes", "VANTREL_EMU_END_FIRST", "*:3", true},
        // 3069 bytes a line make data lines of exactly 4096 bytes with their CR LF; 3066 of 4092.
        FaultCase{"LongDataLines", "VANTREL_EMU_LINE_BYTES", "3069", false},
        FaultCase{"LongestDataLinesFit", "VANTREL_EMU_LINE_BYTES", "3066", true},
        FaultCase{"LongListingLine", "VANTREL_EMU_HOSTILE", "long-line", false},
        FaultCase{"ShortMonthListing", "VANTREL_EMU_HOSTILE", "short-month-listing", false},
        FaultCase{"SilentInMonthListing", "VANTREL_EMU_SILENT_AFTER", "3", false},
        FaultCase{"SilentInFileListing", "VANTREL_EMU_SILENT_AFTER", "8", false},
        FaultCase{"HostileEntries", "VANTREL_EMU_HOSTILE",
                  "month-dotdot,name-slash,not-file,bad-month", true}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, HostileEntriesAreNeverAskedFor) {
    FillGenerated(2);
    setenv("VANTREL_EMU_HOSTILE", "month-dotdot,name-slash,not-file,bad-month", 1);
    std::vector<std::string> files;
    ASSERT_TRUE(Link().ReadDeviceFiles(files));
    EXPECT_EQ(files.size(), m_storageFiles.size());
    for (const std::string& command : TakeCommands()) {
        EXPECT_EQ(command.find(".."), std::string::npos) << command;
        EXPECT_EQ(command.find("20AB"), std::string::npos) << command;
    }
}

}  // namespace
}  // namespace device_test
