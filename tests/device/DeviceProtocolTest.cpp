// SPDX-License-Identifier: GPL-3.0-or-later
// The listing checks and the Base64 of the recorder's line protocol.
#include "device/DeviceProtocol.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct PathCase {
    const char* path;
    bool valid;
};

class RecorderPath : public testing::TestWithParam<PathCase> {};

TEST_P(RecorderPath, OnlyTheRecorderLayoutIsAccepted) {
    EXPECT_EQ(IsValidRecorderPath(GetParam().path), GetParam().valid) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecorderPath,
    testing::Values(PathCase{"/dtacho/202401/VQ0A1B2CDT_20240128_071502.dtc", true},
                    PathCase{"/dtacho/202401/VQ0A1B2CDT_20240128_071502.DTC", true},
                    PathCase{"/dtacho/../..//VQDOTDOT00_20991231_235959.dtc", false},
                    PathCase{"/dtacho/202401/../../evil_20991231_235959.dtc", false},
                    PathCase{"/dtacho/20AB01/VQ0A1B2CDT_20240128_071502.dtc", false},
                    PathCase{"/dtacho/202401/VQ0A1B2CDT_20240128_07150.dtc", false},
                    PathCase{"/dtacho/202401/VQ0A1B2CDT_20240128_071502.txt", false},
                    PathCase{"/dtacho/202401/VQ0A1B2C/T_20240128_071502.dtc", false},
                    PathCase{"dtacho/202401/VQ0A1B2CDT_20240128_071502.dtcx", false},
                    PathCase{"/dtacho/2024011/Q0A1B2CDT_20240128_071502.dtc", false},
                    PathCase{"", false}));

TEST(DeviceProtocol, IdentityIsEightLettersOrDigits) {
    EXPECT_TRUE(IsValidDeviceIdentity("VQ0A1B2C"));
    EXPECT_FALSE(IsValidDeviceIdentity("VQ0A1B2"));
    EXPECT_FALSE(IsValidDeviceIdentity("../../xy"));
    EXPECT_FALSE(IsValidDeviceIdentity("VQ0A 1B2"));
}

TEST(DeviceProtocol, Base64SkipsCharactersOutsideTheAlphabet) {
    std::string out;
    AppendBase64Decoded("SGVsbG8sIHdvcmxkIQ==", out);
    EXPECT_EQ(out, "Hello, world!");
    out = "x";
    AppendBase64Decoded("A A\r\n=E=C", out);  // "AAEC" with noise
    EXPECT_EQ(out, std::string("x\x00\x01\x02", 4));
    std::string all;
    AppendBase64Decoded("+/8=", all);
    EXPECT_EQ(all, "\xfb\xff");
}

TEST(DeviceProtocol, FieldsOfALine) {
    EXPECT_EQ(SplitDeviceFields("/dtacho/202401,D,\r\n"),
              (std::vector<std::string>{"/dtacho/202401", "D", ""}));
    EXPECT_EQ(SplitDeviceFields("#END\r\n"), (std::vector<std::string>{"#END"}));
    EXPECT_TRUE(EndsWithCommaLineEnd("#QUJD,\r\n"));
    EXPECT_FALSE(EndsWithCommaLineEnd("#QUJD\r\n"));
}

}  // namespace
}  // namespace vantrel
