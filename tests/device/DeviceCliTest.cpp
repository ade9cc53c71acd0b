// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli import-usb and format-device, started as a program against the recorder
// emulator, which it loads through VANTREL_PLUMEX.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class DeviceCli : public testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        m_root = fs::temp_directory_path() / ("vantrel_device_cli_" + std::to_string(seed()));
        fs::create_directories(m_root / "home");
        auto card = vantrel::datagen::GenerateCard(*vantrel::datagen::NamedScenario("small"), 11);
        ASSERT_TRUE(card.has_value());
        ASSERT_TRUE(vantrel::datagen::WriteSdCard(*card, m_root / "card").ok);
        ASSERT_TRUE(vantrel::datagen::WriteRecorderStorage(*card, m_root / "storage").ok);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    CliRun Cli(const std::vector<std::string>& args, const std::string& input = {}) {
        const std::string home = (m_root / "home").string();
        std::string command =
            "env -i PATH=/usr/bin:/bin TZ=Europe/Berlin HOME=" + Quote(home) +
            " XDG_CONFIG_HOME=" + Quote(home + "/.config") +
            " VANTREL_PLUMEX=" + Quote(VANTREL_BIN_DIR "/libVantrelRecorderEmulator.so") +
            " VANTREL_EMU_STORAGE=" + Quote((m_root / "storage").string()) +
            " VANTREL_EMU_COMMAND_LOG=" + Quote((m_root / "commands.txt").string()) + " " +
            Quote(VANTREL_BIN_DIR "/vantrel-cli");
        for (const std::string& arg : args) {
            command += " " + Quote(arg);
        }
        std::ofstream(m_root / "stdin.txt") << input;
        command += " <" + Quote((m_root / "stdin.txt").string()) + " >" +
                   Quote((m_root / "out.txt").string()) + " 2>" +
                   Quote((m_root / "err.txt").string());
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(m_root / "out.txt"),
                ReadWholeFile(m_root / "err.txt")};
    }

    // The record files of the backup folder's only import folder, by name, with the keys that
    // tell imports apart (when and from where) taken out of the summaries.
    std::map<std::string, std::string> Records(const fs::path& backup, const char* readType) {
        std::vector<fs::path> imports;
        for (const auto& entry : fs::directory_iterator(backup / "cda")) {
            imports.push_back(entry.path());
        }
        EXPECT_EQ(imports.size(), 1u);
        std::map<std::string, std::string> records;
        for (const auto& entry : fs::directory_iterator(imports.at(0))) {
            std::string bytes = ReadWholeFile(entry.path());
            if (entry.path().extension() == ".dat") {
                std::istringstream lines(bytes);
                bytes.clear();
                for (std::string line; std::getline(lines, line);) {
                    if (line.rfind("ReadType=", 0) == 0) {
                        EXPECT_EQ(line.substr(9, 3), readType) << entry.path();
                    } else if (line.rfind("SaveDateTime=", 0) != 0) {
                        bytes += line + "\n";
                    }
                }
            }
            records[entry.path().filename().string()] = bytes;
        }
        return records;
    }

    fs::path m_root;
};

TEST_F(DeviceCli, ImportUsbMakesTheRecordsOfImportSdAndThenFindsNothingNew) {
    const CliRun sd =
        Cli({"--backup", (m_root / "sd").string(), "import-sd", (m_root / "card").string()});
    ASSERT_EQ(sd.status, 0) << sd.err;
    const CliRun usb = Cli({"--backup", (m_root / "usb").string(), "import-usb"});
    ASSERT_EQ(usb.status, 0) << usb.err;
    EXPECT_NE(usb.out.find("Device reading has been complete"), std::string::npos) << usb.out;
    const auto sdRecords = Records(m_root / "sd", "SD");
    const auto usbRecords = Records(m_root / "usb", "USB");
    EXPECT_GE(sdRecords.size(), 3u);
    EXPECT_EQ(sdRecords, usbRecords);

    const CliRun again = Cli({"--backup", (m_root / "usb").string(), "import-usb"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("nothing new"), std::string::npos) << again.err;
    EXPECT_EQ(
        std::distance(fs::directory_iterator(m_root / "usb" / "cda"), fs::directory_iterator()), 1);
}

TEST_F(DeviceCli, FormatDeviceAsksFirstUnlessYes) {
    const CliRun declined = Cli({"format-device"}, "n\n");
    EXPECT_EQ(declined.status, 1);
    EXPECT_NE(declined.out.find("WARNING: Formatting erases all data in the eMMC."),
              std::string::npos)
        << declined.out;
    EXPECT_FALSE(fs::exists(m_root / "commands.txt")) << "the recorder was asked";
    EXPECT_TRUE(fs::exists(m_root / "storage" / "log" / "system.log"));

    const CliRun confirmed = Cli({"format-device"}, "y\n");
    EXPECT_EQ(confirmed.status, 0) << confirmed.err;
    EXPECT_NE(confirmed.out.find("Has been complete"), std::string::npos) << confirmed.out;
    EXPECT_FALSE(fs::exists(m_root / "storage" / "log" / "system.log"));

    fs::remove_all(m_root / "storage");  // no recorder attached
    const CliRun absent = Cli({"format-device", "--yes"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.out.find("Failed."), std::string::npos) << absent.out;
}

TEST_F(DeviceCli, ImportUsbWithoutTheLibraryFails) {
    const std::string command =
        "env -i PATH=/usr/bin:/bin HOME=" + Quote((m_root / "home").string()) +
        " VANTREL_PLUMEX=/nonexistent/libPlumex.so " + Quote(VANTREL_BIN_DIR "/vantrel-cli") +
        " --backup " + Quote((m_root / "usb").string()) + " import-usb >" +
        Quote((m_root / "out.txt").string()) + " 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_NE(ReadWholeFile(m_root / "out.txt").find("Device read failed"), std::string::npos);
}

}  // namespace
