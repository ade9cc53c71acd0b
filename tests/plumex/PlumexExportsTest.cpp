// SPDX-License-Identifier: GPL-3.0-or-later
// The built library exports its eight functions and nothing else, under a versioned name.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/plumex/support/DynamicSymbols.h"

namespace {

TEST(PlumexExports, ExactlyTheEightFunctions) {
    EXPECT_EQ(plumex_test::ExportedFunctions(VANTREL_BIN_DIR "/libPlumex.so"),
              plumex_test::kDeviceLinkExports);
}

TEST(PlumexExports, LibraryNameCarriesItsInterfaceVersion) {
    const std::filesystem::path link = VANTREL_BIN_DIR "/libPlumex.so";
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), "libPlumex.so.1");
}

}  // namespace
