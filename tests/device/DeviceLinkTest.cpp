// SPDX-License-Identifier: GPL-3.0-or-later
// The binding, the download's choice of files, what it writes, and the format command, against
// the recorder emulator.
#include <gtest/gtest.h>

#include "core/store/MgrTachoDB.h"
#include "tests/device/DeviceTestSupport.h"

namespace device_test {
namespace {

using vantrel::CDeviceLink;

TEST(PlumexBinding, AllFourFunctionsOrNone) {
    vantrel::PlumexBinding binding;
    EXPECT_FALSE(binding.Bind("libc.so.6"));  // loads, but has none of the functions
    EXPECT_FALSE(binding.IsBound());
    EXPECT_NE(binding.Error().find("VQusbOpen"), std::string::npos) << binding.Error();
    EXPECT_FALSE(binding.Bind("/nonexistent/libPlumex.so"));
    EXPECT_FALSE(binding.Functions().IsBound());
    ASSERT_TRUE(binding.Bind(VANTREL_BIN_DIR "/libVantrelRecorderEmulator.so"));
    EXPECT_TRUE(binding.Functions().IsBound());
    binding.Release();
    EXPECT_FALSE(binding.IsBound());
}

TEST(PlumexBinding, WithoutTheLibraryEveryOperationFailsAtOnce) {
    setenv("VANTREL_PLUMEX", "/nonexistent/libPlumex.so", 1);
    vantrel::PlumexBinding binding;
    EXPECT_FALSE(binding.Bind());
    unsetenv("VANTREL_PLUMEX");
    const auto backup = fs::temp_directory_path().string() + "/";
    CDeviceLink link(binding.Functions(), backup);
    std::vector<std::string> files{"stale"};
    EXPECT_FALSE(link.ReadDeviceFiles(files));
    EXPECT_TRUE(files.empty());
    EXPECT_FALSE(link.FormatDevice());
}

TEST_F(DeviceTest, DownloadWritesTheRecordersFilesAndLogAsTheyAre) {
    FillGenerated();
    setenv("VANTREL_EMU_CHUNK_LINES", "2", 1);  // many chunks per file
    CDeviceLink link = Link();
    std::vector<std::string> files;
    std::vector<int> steps;
    ASSERT_TRUE(link.ReadDeviceFiles(files, [&steps](int percent) { steps.push_back(percent); }));
    EXPECT_EQ(steps, (std::vector<int>{0, 10, 20, 30}));
    ASSERT_EQ(files.size(), m_storageFiles.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path source = m_storageFiles[i];
        const std::string month = source.parent_path().filename().string();
        EXPECT_EQ(fs::path(files[i]), m_backup / "VQ0A1B2C" / "usbdtc" / month / source.filename());
        EXPECT_EQ(ReadWholeFile(files[i]), ReadWholeFile(source)) << files[i];
    }
    EXPECT_EQ(ReadWholeFile(m_backup / "VQ0A1B2C" / "system.log"),
              ReadWholeFile(m_storage / "log" / "system.log"));
    const std::vector<std::string> commands = TakeCommands();
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(commands[0], "#LIST dtacho");
    EXPECT_EQ(commands[1], "#LIST dtacho/202401");
    EXPECT_EQ(commands[2], "#LIST dtacho/202402");
    EXPECT_EQ(commands[3], "#FILE log/system.log");
}

struct MarkerCase {
    const char* normalClose;
    std::vector<std::string> fetched;
};

class DeviceMarker : public DeviceTest, public testing::WithParamInterface<MarkerCase> {};

TEST_P(DeviceMarker, FilesAfterTheLastImportAreFetched) {
    setenv("VANTREL_EMU_DEVICE_ID", "VQ0A1B2C", 1);
    AddStorageFile("VQ0A1B2CDT_20231231_100000.dtc");
    AddStorageFile("VQ0A1B2CDT_20240110_120000.dtc");
    AddStorageFile("VQ0A1B2CDT_20240115_093000.dtc");
    AddStorageFile("VQ0A1B2CDT_20240115_093001.dtc");
    // The device folder in lower case is still the recorder's; new files go to its capitals.
    WriteMarker("vq0a1b2c", "20240115093000", GetParam().normalClose);
    CDeviceLink link = Link();
    std::string folder;
    int normalClose = 1;
    EXPECT_EQ(link.FindDeviceBackup("VQ0A1B2C", folder, normalClose), "20240115093000");
    EXPECT_EQ(folder, "VQ0A1B2C");
    std::vector<std::string> files;
    ASSERT_TRUE(link.ReadDeviceFiles(files));
    EXPECT_EQ(Names(files), GetParam().fetched);
    for (const std::string& file : files) {
        EXPECT_EQ(fs::path(file).parent_path(), m_backup / "VQ0A1B2C" / "usbdtc" / "202401");
    }
    for (const std::string& command : TakeCommands()) {
        EXPECT_NE(command, "#LIST dtacho/202312") << "a month before the last import was listed";
    }
}

INSTANTIATE_TEST_SUITE_P(NormalClose, DeviceMarker,
                         testing::Values(MarkerCase{"1", {"VQ0A1B2CDT_20240115_093001.dtc"}},
                                         MarkerCase{"", {"VQ0A1B2CDT_20240115_093001.dtc"}},
                                         MarkerCase{"0",
                                                    {"VQ0A1B2CDT_20240115_093000.dtc",
                                                     "VQ0A1B2CDT_20240115_093001.dtc"}}));

class DeviceUnusableMarker : public DeviceTest, public testing::WithParamInterface<const char*> {};

TEST_P(DeviceUnusableMarker, CountsAsNoMarker) {
    setenv("VANTREL_EMU_DEVICE_ID", "VQ0A1B2C", 1);
    AddStorageFile("VQ0A1B2CDT_20231231_100000.dtc");
    AddStorageFile("VQ0A1B2CDT_20240115_093000.dtc");
    WriteMarker("VQ0A1B2C", GetParam(), "0");
    CDeviceLink link = Link();
    std::string folder;
    int normalClose = 1;
    EXPECT_EQ(link.FindDeviceBackup("VQ0A1B2C", folder, normalClose), "20000101000000");
    EXPECT_EQ(normalClose, 1);
    std::vector<std::string> files;
    ASSERT_TRUE(link.ReadDeviceFiles(files));
    EXPECT_EQ(Names(files), (std::vector<std::string>{"VQ0A1B2CDT_20231231_100000.dtc",
                                                      "VQ0A1B2CDT_20240115_093000.dtc"}));
}

INSTANTIATE_TEST_SUITE_P(LastTime, DeviceUnusableMarker,
                         testing::Values("", "garbage", "00000000000000", "20241399000000"));

TEST_F(DeviceTest, FindDeviceBackupWithoutAFolderGivesTheIdentity) {
    std::string folder = "old";
    int normalClose = 0;
    EXPECT_EQ(Link().FindDeviceBackup("VQ0A1B2C", folder, normalClose), "20000101000000");
    EXPECT_EQ(folder, "VQ0A1B2C");
    EXPECT_EQ(normalClose, 0);
    // A folder named exactly as the identity wins over one that only ends like it.
    WriteMarker("AVQ0A1B2C", "20200101000000", "1");
    WriteMarker("VQ0A1B2C", "20240101000000", "1");
    EXPECT_EQ(Link().FindDeviceBackup("VQ0A1B2C", folder, normalClose), "20240101000000");
    EXPECT_EQ(folder, "VQ0A1B2C");
}

TEST_F(DeviceTest, ImportThenNothingNewThenTheCutShortFileAgain) {
    FillGenerated();
    vantrel::CMgrTachoDB store(Backup());
    CDeviceLink link = Link();
    const vantrel::ImportResult first = store.ImportFromDevice(link.Download());
    ASSERT_EQ(first.status, vantrel::ImportStatus::Completed);
    EXPECT_EQ(first.converted.size(), m_storageFiles.size());
    TakeCommands();

    const vantrel::ImportResult second = store.ImportFromDevice(link.Download());
    EXPECT_EQ(second.status, vantrel::ImportStatus::NothingNew);
    ASSERT_EQ(second.messages.size(), 1u);
    EXPECT_EQ(second.messages[0].key, "USBREADINGCOMPLETE");
    for (const std::string& command : TakeCommands()) {
        EXPECT_TRUE(command.rfind("#FILE dtacho", 0) != 0) << command;
    }

    // The marker now says the last import did not close normally: its newest file comes again.
    const fs::path marker = m_backup / "VQ0A1B2C" / "LastTime.ini";
    std::string text = ReadWholeFile(marker);
    const std::size_t at = text.find("NormalClose=1");
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, 13, "NormalClose=0");
    WriteWholeFile(marker, text);
    std::vector<std::string> files;
    ASSERT_TRUE(link.ReadDeviceFiles(files));
    EXPECT_EQ(Names(files),
              std::vector<std::string>{fs::path(m_storageFiles.back()).filename().string()});

    // A new try of that file that is cut short fails and leaves the earlier copy whole.
    setenv("VANTREL_EMU_CUT_FILE", fs::path(m_storageFiles.back()).filename().c_str(), 1);
    const std::string copy = files.at(0);
    EXPECT_FALSE(link.ReadDeviceFiles(files));
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(m_storageFiles.back()));
}

TEST_F(DeviceTest, FormatErasesTheRecordersStorage) {
    FillGenerated(2);
    EXPECT_TRUE(Link().FormatDevice());
    EXPECT_EQ(TakeCommands(), std::vector<std::string>{"#FORMAT"});
    EXPECT_TRUE(FilesBelow(m_storage).empty());
}

TEST_F(DeviceTest, FormatOfASilentRecorderStillCounts) {
    FillGenerated(1);
    setenv("VANTREL_EMU_FORMAT_SILENT", "1", 1);
    EXPECT_TRUE(Link().FormatDevice());
    unsetenv("VANTREL_EMU_STORAGE");  // no recorder attached
    EXPECT_FALSE(Link().FormatDevice());
    std::vector<std::string> files;
    EXPECT_FALSE(Link().ReadDeviceFiles(files));
}

}  // namespace
}  // namespace device_test
