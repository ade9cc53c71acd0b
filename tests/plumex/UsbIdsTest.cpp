// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing of the user's list of recorder ids (PLUMEX_USB_IDS).
#include "plumex/src/UsbIds.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace plumex {
namespace {

struct IdsCase {
    const char* text;
    std::vector<UsbId> ids;
};

class UsbIdsCases : public testing::TestWithParam<IdsCase> {};

TEST_P(UsbIdsCases, ParsesThePairsAndSkipsMalformedOnes) {
    EXPECT_EQ(ParseUsbIds(GetParam().text), GetParam().ids) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UsbIdsCases,
    testing::Values(IdsCase{"", {}}, IdsCase{"1234:5678", {{0x1234, 0x5678}}},
                    IdsCase{"1234:5678,ABCD:ef01", {{0x1234, 0x5678}, {0xABCD, 0xEF01}}},
                    IdsCase{" 0x1234:0X5678 ; 1:2 ", {{0x1234, 0x5678}, {0x0001, 0x0002}}},
                    IdsCase{"12345:1,1234,:5678,zz:10,1234:,1234:5678:9,-1:2,4:5",
                            {{0x0004, 0x0005}}}));

TEST(UsbIds, ConfiguredIdsComeFromTheEnvironment) {
    unsetenv(kUsbIdsVariable);
    EXPECT_TRUE(ConfiguredUsbIds().empty());
    setenv(kUsbIdsVariable, "dead:beef", 1);
    EXPECT_EQ(ConfiguredUsbIds(), (std::vector<UsbId>{{0xDEAD, 0xBEEF}}));
    unsetenv(kUsbIdsVariable);
}

}  // namespace
}  // namespace plumex
