// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli format-sd as a user runs it, on sparse image files: the JSON on standard output
// (one object, nothing else), the question on standard error and its answers (end of input
// and "no" write nothing), refusals with exit 1, usage errors with exit 2.
#include <gtest/gtest.h>

#include "tests/core/sdcard/SdImage.h"
#include "tests/support/CliProcess.h"
#include "tests/support/TempFolder.h"

namespace vantrel {
namespace {

using test::kMiB;
using test::TempFolder;

using test::CliRun;

class FormatSdCli : public ::testing::Test {
protected:
    // stdin: the text typed at the question; nullptr for end of input at once.
    CliRun Cli(const std::vector<std::string>& args, const char* input = nullptr) {
        const std::string home = m_tmp.Folder("home");
        std::vector<std::string> all{"format-sd"};
        all.insert(all.end(), args.begin(), args.end());
        return test::RunVantrelCli(
            m_tmp.Folder(), {"HOME=" + home, "XDG_CONFIG_HOME=" + home + ".config"}, all,
            input != nullptr ? std::optional<std::string>(input) : std::nullopt);
    }
    std::string Image(std::uint64_t mib) {
        const std::string path = m_tmp.Folder() + "card.img";
        EXPECT_TRUE(test::MakeSparseImage(path, mib * kMiB));
        return path;
    }
    static std::string Json(const char* route, std::uint64_t mib) {
        return std::string("{\n  \"route\": \"") + route +
               "\",\n  \"sizeMiB\": " + std::to_string(mib) +
               ",\n  \"fat\": \"FAT32\",\n  \"clusterBytes\": 32768,\n  \"label\": "
               "\"AVFILE3\",\n  \"prepared\": true\n}\n";
    }
    TempFolder m_tmp;
};

TEST_F(FormatSdCli, JsonIsTheOnlyOutput) {
    const struct {
        std::uint64_t mib;
        const char* route;
        std::vector<std::string> options;
    } cases[] = {
        {7000, "command", {}},
        {56301, "raw", {"--route", "auto"}},
        {3000, "raw", {"--route=raw"}},
        {60000, "command", {"--route", "command"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mib);
        const std::string image = Image(c.mib);
        std::vector<std::string> args{image, "--driver", "Driver 7", "--yes", "--json"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, Json(c.route, c.mib));
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(test::Fsck(image).exitCode, 0);
        EXPECT_EQ(test::Mtools("mtype", image, "::/dvr_config/driverid.ini").output, "Driver 7");
    }
}

TEST_F(FormatSdCli, TheQuestionNamesTheCardAndOnlyYesGoesOn) {
    const struct {
        const char* input;
        int status;
    } cases[] = {
        {nullptr, 1},  // end of input
        {"n\n", 1},
        {"\n", 1},
        {"y\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input != nullptr ? c.input : "EOF");
        const std::string image = Image(4000);
        const CliRun run = Cli({image, "--json"}, c.input);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(image), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("4000 MiB"), std::string::npos);
        EXPECT_NE(run.err.find("AVFILE3"), std::string::npos);
        const std::vector<std::uint8_t> boot = test::ReadSector(image, 0);
        if (c.status == 0) {
            EXPECT_EQ(run.out, Json("command", 4000));
            EXPECT_EQ(test::Fsck(image).exitCode, 0);
        } else {
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(boot, std::vector<std::uint8_t>(512, 0)) << "nothing written";
        }
    }
}

TEST_F(FormatSdCli, RefusalsAndUsageErrors) {
    const std::string small = Image(2999);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{small, "--yes"}, 1, "at least 3000 MiB"},
        {{m_tmp.Folder(), "--yes", "--json"}, 1, "neither a block device nor an image file"},
        {{m_tmp.Folder() + "none.img", "--yes"}, 1, "No such file"},
        {{small, "--route", "fat16"}, 2, "unknown route"},
        {{}, 2, "one TARGET"},
        {{small, small}, 2, "one TARGET"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(test::ReadSector(small, 0), std::vector<std::uint8_t>(512, 0));
}

TEST_F(FormatSdCli, HelpIsListed) {
    const CliRun run = Cli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage: vantrel-cli format-sd TARGET"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
