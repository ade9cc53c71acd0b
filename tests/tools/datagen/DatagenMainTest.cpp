// SPDX-License-Identifier: GPL-3.0-or-later
// The vantrel-datagen program: writes the tree of a named scenario (the same bytes as the
// library) and refuses unknown scenarios and stray arguments with exit code 2.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "tools/datagen/Generator.h"

namespace vantrel::datagen {
namespace {

namespace fs = std::filesystem;

int RunDatagen(const std::string& arguments) {
    const std::string command =
        std::string(VANTREL_BIN_DIR) + "/vantrel-datagen " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(VantrelDatagen, WritesTheScenarioAndRejectsBadArguments) {
    const fs::path root = fs::temp_directory_path() /
                          ("vantrel_datagen_cli_" + std::to_string(std::random_device{}()));
    ASSERT_EQ(RunDatagen("--scenario small --seed 9 --recorder " + root.string()), 0);
    const CardData card = *GenerateCard(*NamedScenario("small"), 9);
    for (const GeneratedFile& f : card.files) {
        std::ifstream in(root / "dtacho" / f.monthFolder / f.name, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        EXPECT_EQ(bytes, f.Encode()) << f.name;
    }
    EXPECT_TRUE(fs::exists(root / "log" / "system.log"));
    EXPECT_FALSE(fs::exists(root / "dvr_config"));
    fs::remove_all(root);

    EXPECT_EQ(RunDatagen("--list"), 0);
    EXPECT_EQ(RunDatagen("--scenario nosuch " + root.string()), 2);
    EXPECT_EQ(RunDatagen("--seed x " + root.string()), 2);
    EXPECT_EQ(RunDatagen(""), 2);
    EXPECT_FALSE(fs::exists(root));
}

}  // namespace
}  // namespace vantrel::datagen
