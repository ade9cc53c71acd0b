// SPDX-License-Identifier: GPL-3.0-or-later
// The line reader over a scripted byte stream: the recorder sends a line per transfer, but a
// transfer may carry several lines or part of one, and a line may be too long for the buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>

#include "device/DeviceLink.h"

namespace vantrel {
namespace {

// The transfers the scripted device hands out, one per read.
std::deque<std::string> g_transfers;

std::int32_t ScriptOpen(std::uint32_t) {
    return 1;
}
std::int32_t ScriptRead(void* buffer, std::uint32_t length, std::int32_t) {
    if (g_transfers.empty()) {
        return 0;
    }
    std::string& next = g_transfers.front();
    const std::size_t count = std::min<std::size_t>(length, next.size());
    std::memcpy(buffer, next.data(), count);
    next.erase(0, count);
    if (next.empty()) {
        g_transfers.pop_front();
    }
    return static_cast<std::int32_t>(count);
}
std::int32_t ScriptWrite(const void*, std::uint32_t length, std::int32_t) {
    return static_cast<std::int32_t>(length);
}
std::int32_t ScriptClose(std::int32_t) {
    return 1;
}

class DeviceLineReader : public testing::Test {
protected:
    void SetUp() override { g_transfers.clear(); }
    void TearDown() override { g_transfers.clear(); }

    CDeviceLink m_link{UsbFunctions{&ScriptOpen, &ScriptRead, &ScriptWrite, &ScriptClose}, ""};
    char m_line[kDeviceLineSize] = {};
};

TEST_F(DeviceLineReader, BytesAfterTheLineEndWaitForTheNextLine) {
    g_transfers = {"#LIST,dtacho,\r\n#DEV", "ICE,SN-VQ0A1B2C,\r\n#END\r\n"};
    ASSERT_TRUE(m_link.ReadDeviceLine(m_line));
    EXPECT_STREQ(m_line, "#LIST,dtacho,\r\n");
    ASSERT_TRUE(m_link.ReadDeviceLine(m_line));
    EXPECT_STREQ(m_line, "#DEVICE,SN-VQ0A1B2C,\r\n");
    ASSERT_TRUE(m_link.ReadDeviceLine(m_line));
    EXPECT_STREQ(m_line, "#END\r\n");
    EXPECT_FALSE(m_link.ReadDeviceLine(m_line));
    EXPECT_FALSE(m_link.LastLineTooLong());
}

TEST_F(DeviceLineReader, ALineEndsAtItsFirstCrLfAndATransferAtItsFirstNul) {
    g_transfers = {std::string("A\rB\r\n\0junk", 10), "C\r\n"};
    ASSERT_TRUE(m_link.ReadDeviceLine(m_line));
    EXPECT_STREQ(m_line, "A\rB\r\n");
    ASSERT_TRUE(m_link.ReadDeviceLine(m_line));
    EXPECT_STREQ(m_line, "C\r\n");
}

TEST_F(DeviceLineReader, LinesOf4096BytesOrMoreDoNotFit) {
    const std::string longest = std::string(kDeviceLineSize - 3, 'x') + "\r\n";  // 4095 bytes
    g_transfers = {longest, std::string(kDeviceLineSize - 2, 'y') + "\r\n", "after\r\n"};
    ASSERT_TRUE(m_link.ReadDeviceLine(m_line));
    EXPECT_EQ(std::strlen(m_line), kDeviceLineSize - 1);
    EXPECT_FALSE(m_link.ReadDeviceLine(m_line));
    EXPECT_TRUE(m_link.LastLineTooLong());
}

TEST_F(DeviceLineReader, AnEndlessLineStopsWithoutGrowing) {
    for (int i = 0; i < 100; ++i) {
        g_transfers.push_back(std::string(1000, 'z'));
    }
    EXPECT_FALSE(m_link.ReadDeviceLine(m_line));
    EXPECT_TRUE(m_link.LastLineTooLong());
    EXPECT_GT(g_transfers.size(), 90u) << "the reader kept reading a line that cannot fit";
}

TEST_F(DeviceLineReader, SilenceEndsTheLine) {
    g_transfers = {"#FILE,log/system.log"};
    EXPECT_FALSE(m_link.ReadDeviceLine(m_line));
    EXPECT_FALSE(m_link.LastLineTooLong());
}

}  // namespace
}  // namespace vantrel
