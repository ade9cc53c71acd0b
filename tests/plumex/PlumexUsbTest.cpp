// SPDX-License-Identifier: GPL-3.0-or-later
// Plumex as the program meets it: loaded with dlopen, talking through real libusb to fake USB
// devices in a umockdev testbed. Checks the recorder search (interface GUID from MS OS 2.0 and
// 1.0 descriptors, configured ids, member index), the byte stream with its trace lines, the
// drain at open, closed and stray handles, and the report commands with their line reader.
// Every open waits out the 1000 ms drain time-out, every report command also its 1000 ms end of
// answer, so these tests take some seconds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/plumex/support/DeviceLinkLibrary.h"
#include "tests/plumex/support/UsbTestbed.h"

namespace plumex_test {
namespace {

constexpr const char* kNotConnected = "Device not connected or driver not installed\n";

std::string OpenTrace(unsigned vendor, unsigned product, unsigned bcdUsb) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Device found: VID_%04X&PID_%04X; bcdUsb %04X\n"
                  "Device speed: 3 (High speed).\n"
                  "Endpoint index: 0 Pipe type: Bulk Pipe IN ID: 129.\n"
                  "Endpoint index: 1 Pipe type: Bulk Pipe OUT ID: 2.\n",
                  vendor, product, bcdUsb);
    return text;
}

// Answers every command with two lines naming it, and "#TIME" with a four-line report.
std::vector<std::string> SimpleRecorder(const std::string& command) {
    if (command == "#TIME\r\n") {
        return {"#BEGIN,\r\n", "20240115093000\r\n", "V1\r\n", "#END\r\n"};
    }
    if (command == "#24H\r\n") {
        return {"#BEGIN,\r\n", "H1\r\n", "H2\r\n", "#END\r\n"};
    }
    return {"A:" + command, "#END\r\n"};
}

class PlumexUsb : public testing::Test {
protected:
    void TearDown() override {
        if (m_library) {
            EXPECT_TRUE(m_library->Unload()) << "libPlumex.so stayed loaded";
        }
        unsetenv("PLUMEX_USB_IDS");
    }

    DeviceLinkLibrary& Plumex() {
        if (!m_library) {
            m_library = std::make_unique<DeviceLinkLibrary>(VANTREL_BIN_DIR "/libPlumex.so");
        }
        EXPECT_TRUE(m_library->Loaded()) << m_library->Error();
        return *m_library;
    }

    template <typename F>
    static std::string Captured(F&& f) {
        testing::internal::CaptureStdout();
        f();
        return testing::internal::GetCapturedStdout();
    }

    std::string Read(std::int32_t handle) {
        char buffer[4096] = {};
        const std::int32_t got = Plumex().usbRead(buffer, sizeof buffer, handle);
        return std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }

    UsbTestbed m_bed;  // outlives the library, whose unloading closes libusb
    std::unique_ptr<DeviceLinkLibrary> m_library;
};

TEST_F(PlumexUsb, IndexSixteenFailsWithoutTouchingTheDevice) {
    FakeUsbDevice& device = m_bed.AddDevice();
    DeviceLinkLibrary& plumex = Plumex();
    const std::string out = Captured([&] {
        EXPECT_EQ(plumex.usbOpen(16), 0);
        EXPECT_EQ(plumex.usbOpen(0xFFFFFFFFu), 0);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(device.Connections(), 0);
}

TEST_F(PlumexUsb, NoRecorderIsReportedAsNotConnected) {
    DeviceLinkLibrary& plumex = Plumex();
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbOpen(0), 0); }), kNotConnected);
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.open(3), -1); }), kNotConnected);
}

TEST_F(PlumexUsb, OneRecorderOpensAtIndexZeroOnlyAndCarriesBytes) {
    FakeUsbDevice& device = m_bed.AddDevice();
    device.SetResponder(SimpleRecorder);
    DeviceLinkLibrary& plumex = Plumex();

    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbOpen(0), 1); }), OpenTrace(0x1234, 0x5678, 0x210));
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbOpen(1), 0); }), kNotConnected);

    const std::string command = "#LIST dtacho\r\n";
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbWrite(command.data(), 14, 1), 14); }),
              "Wrote to pipe 2: #LIST dtacho\r\n[14]\n\n");
    EXPECT_EQ(Read(1), "A:#LIST dtacho\r\n");
    EXPECT_EQ(Read(1), "#END\r\n");
    EXPECT_EQ(device.Commands(), std::vector<std::string>{command});

    // Opening an index that is open already starts afresh on the same device.
    Captured([&] { EXPECT_EQ(plumex.usbOpen(0), 1); });
    EXPECT_EQ(plumex.usbClose(1), 1);

    const std::string out = Captured([&] {
        char buffer[16];
        EXPECT_EQ(plumex.usbRead(buffer, sizeof buffer, 1), 0);
        EXPECT_EQ(plumex.usbWrite(command.data(), 14, 1), 0);
        EXPECT_EQ(plumex.usbClose(1), 0);
        for (const std::int32_t stray : {0, -1, 2, 16, 17, 1000}) {
            EXPECT_EQ(plumex.usbRead(buffer, sizeof buffer, stray), 0);
            EXPECT_EQ(plumex.usbWrite(buffer, sizeof buffer, stray), 0);
            EXPECT_EQ(plumex.usbClose(stray), 0);
        }
    });
    EXPECT_EQ(out, "");
}

TEST_F(PlumexUsb, OpenDrainsWhatTheDeviceStillHeld) {
    FakeUsbDevice& device = m_bed.AddDevice();
    device.SetResponder(SimpleRecorder);
    device.QueueIn("stale line\r\n");
    device.QueueIn(std::string(12000, 'x'));  // more than two 5120-byte blocks
    DeviceLinkLibrary& plumex = Plumex();
    Captured([&] { ASSERT_EQ(plumex.usbOpen(0), 1); });
    EXPECT_EQ(device.QueuedInBytes(), 0u);
    Captured([&] { plumex.usbWrite("#NEXT\r\n", 7, 1); });
    EXPECT_EQ(Read(1), "A:#NEXT\r\n");
    EXPECT_EQ(plumex.usbClose(1), 1);
}

TEST_F(PlumexUsb, WriteTraceShowsOnlyTheBytesSent) {
    FakeUsbDevice& device = m_bed.AddDevice();
    DeviceLinkLibrary& plumex = Plumex();
    Captured([&] { ASSERT_EQ(plumex.usbOpen(0), 1); });
    const char buffer[] = {'#', 'N', 'E', 'X', 'T', '\r', '\n', 'G', 'A', 'R', 'B'};  // no NUL
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbWrite(buffer, 7, 1), 7); }),
              "Wrote to pipe 2: #NEXT\r\n[7]\n\n");
    EXPECT_EQ(device.Commands(), std::vector<std::string>{"#NEXT\r\n"});
    EXPECT_EQ(plumex.usbClose(1), 1);
}

TEST_F(PlumexUsb, FailedTransfersGiveZeroAndTheirTraceLines) {
    FakeUsbDevice& device = m_bed.AddDevice();
    DeviceLinkLibrary& plumex = Plumex();
    Captured([&] { ASSERT_EQ(plumex.usbOpen(0), 1); });
    device.StallIn(true);
    device.StallOut(true);
    char buffer[64];
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbRead(buffer, sizeof buffer, 1), 0); }),
              "Error : Read Bulk EndPoint\n");
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbWrite("#LIST\r\n", 7, 1), 0); }),
              "Error : Write Bulk EndPoint\n");
    EXPECT_EQ(plumex.usbClose(1), 1);
}

TEST_F(PlumexUsb, MemberIndexCountsOnlyRecordersInPortOrder) {
    m_bed.AddDevice({.vendor = 0x1111, .announcement = Announcement::MsOs20Device});
    m_bed.AddDevice({.vendor = 0x2222, .announcement = Announcement::None});
    m_bed.AddDevice({.vendor = 0x3333, .announcement = Announcement::MsOs10});
    DeviceLinkLibrary& plumex = Plumex();
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbOpen(0), 1); }), OpenTrace(0x1111, 0x5678, 0x210));
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbOpen(1), 2); }), OpenTrace(0x3333, 0x5678, 0x200));
    EXPECT_EQ(Captured([&] { EXPECT_EQ(plumex.usbOpen(2), 0); }), kNotConnected);
    EXPECT_EQ(plumex.usbClose(2), 1);
    EXPECT_EQ(plumex.usbClose(1), 1);
}

struct MatchCase {
    const char* name;
    FakeDeviceSpec spec;
    const char* configuredIds;  // PLUMEX_USB_IDS, or null
    bool isRecorder;
};

class PlumexMatching : public PlumexUsb, public testing::WithParamInterface<MatchCase> {};

TEST_P(PlumexMatching, FindsTheRecorderByItsGuidOrConfiguredIds) {
    const MatchCase& c = GetParam();
    if (c.configuredIds != nullptr) {
        setenv("PLUMEX_USB_IDS", c.configuredIds, 1);
    }
    m_bed.AddDevice(c.spec);
    DeviceLinkLibrary& plumex = Plumex();
    const std::string out = Captured([&] { EXPECT_EQ(plumex.usbOpen(0), c.isRecorder ? 1 : 0); });
    if (c.isRecorder) {
        EXPECT_NE(out.find("Device found: VID_1234&PID_5678"), std::string::npos) << out;
        EXPECT_EQ(plumex.usbClose(1), 1);
    } else {
        EXPECT_EQ(out, kNotConnected);
    }
}

constexpr const char* kOtherGuid = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

INSTANTIATE_TEST_SUITE_P(
    Devices, PlumexMatching,
    testing::Values(
        MatchCase{
            "MsOs20ForTheDevice", {.announcement = Announcement::MsOs20Device}, nullptr, true},
        MatchCase{
            "MsOs20ForTheFunction", {.announcement = Announcement::MsOs20Function}, nullptr, true},
        MatchCase{"MsOs10", {.announcement = Announcement::MsOs10}, nullptr, true},
        MatchCase{"LowerCaseGuid",
                  {.announcement = Announcement::MsOs20Device,
                   .guid = "{61a613d9-2167-42aa-9244-e47bfec6d01d}"},
                  nullptr,
                  true},
        MatchCase{"OtherGuid",
                  {.announcement = Announcement::MsOs20Device, .guid = kOtherGuid},
                  nullptr,
                  false},
        MatchCase{"OtherGuidMsOs10",
                  {.announcement = Announcement::MsOs10, .guid = kOtherGuid},
                  nullptr,
                  false},
        MatchCase{"NoAnnouncement", {.announcement = Announcement::None}, nullptr, false},
        MatchCase{"NotVendorSpecific",
                  {.announcement = Announcement::MsOs20Device, .interfaceClass = 0x08},
                  nullptr,
                  false},
        MatchCase{
            "ConfiguredIds", {.announcement = Announcement::None}, "abcd:0001, 1234:5678", true},
        MatchCase{"ConfiguredIdsOfAnotherClass",
                  {.announcement = Announcement::None, .interfaceClass = 0x08},
                  "1234:5678",
                  true},
        MatchCase{"OtherIdsConfigured", {.announcement = Announcement::None}, "1234:5679", false}),
    [](const testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

TEST_F(PlumexUsb, ReportModesOutsideOneToThreeFailUntouched) {
    FakeUsbDevice& device = m_bed.AddDevice();
    DeviceLinkLibrary& plumex = Plumex();
    const std::string out = Captured([&] {
        for (const std::int32_t mode : {0, 4, -1, 0x10000}) {
            EXPECT_EQ(plumex.open(mode), -1) << mode;
        }
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(device.Connections(), 0);
    char line[64];
    std::int32_t status = 5;
    for (const std::int32_t mode : {0, 1, 3, 4}) {
        EXPECT_EQ(plumex.gets(line, sizeof line, mode, &status), 0);
        EXPECT_EQ(status, -1);
        EXPECT_EQ(plumex.rewind(mode), 0);
        EXPECT_EQ(plumex.close(mode), 0);
    }
}

TEST_F(PlumexUsb, TimeReportGivesItsTwoLinesAndRewinds) {
    FakeUsbDevice& device = m_bed.AddDevice();
    device.SetResponder(SimpleRecorder);
    DeviceLinkLibrary& plumex = Plumex();
    const std::string out = Captured([&] { EXPECT_EQ(plumex.open(0x10003), 3); });
    EXPECT_EQ(out, OpenTrace(0x1234, 0x5678, 0x210) + "Wrote to pipe 2: #TIME\r\n[7]\n\n");
    EXPECT_EQ(device.Commands(), std::vector<std::string>{"#TIME\r\n"});

    for (int pass = 0; pass < 2; ++pass) {
        char line[64];
        std::int32_t status = 7;
        EXPECT_EQ(plumex.gets(line, sizeof line, 3, &status), 1);
        EXPECT_STREQ(line, "20240115093000\r\n");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(plumex.gets(line, sizeof line, 3, &status), 0);
        EXPECT_STREQ(line, "V1\r\n");
        EXPECT_EQ(plumex.gets(line, sizeof line, 3, &status), 0);
        EXPECT_STREQ(line, "");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(plumex.rewind(3), 1);
    }
    EXPECT_EQ(plumex.close(3), 1);
    char line[64];
    std::int32_t status = 0;
    EXPECT_EQ(plumex.gets(line, sizeof line, 3, &status), 0);
    EXPECT_EQ(status, -1);
}

TEST_F(PlumexUsb, ReportAnswerStopsAtTheBufferEnd) {
    // 30 transfers of 512 ten-byte lines: 153,600 bytes for a 102,400-byte buffer.
    FakeUsbDevice& device = m_bed.AddDevice();
    device.SetResponder([](const std::string&) {
        std::vector<std::string> transfers;
        int n = 0;
        for (int t = 0; t < 30; ++t) {
            std::string block;
            for (int i = 0; i < 512; ++i) {
                char token[16];
                std::snprintf(token, sizeof token, "L%07d\r\n", n++);
                block += token;
            }
            transfers.push_back(block);
        }
        return transfers;
    });
    DeviceLinkLibrary& plumex = Plumex();
    Captured([&] { ASSERT_EQ(plumex.open(3), 3); });
    EXPECT_EQ(device.QueuedInBytes(), 153600u - 102400u);
    int lines = 0;
    bool inOrder = true;
    char line[64];
    std::int32_t status = 0;
    for (;;) {
        const std::int32_t more = plumex.gets(line, sizeof line, 3, &status);
        if (line[0] != '\0') {
            char expected[16];
            std::snprintf(expected, sizeof expected, "L%07d\r\n", lines++);
            inOrder = inOrder && std::strcmp(line, expected) == 0;
        }
        if (more == 0) {
            break;
        }
    }
    EXPECT_EQ(lines, 10240);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(status, 0);
}

TEST_F(PlumexUsb, ByteStreamOpenLeavesABufferedReportIntact) {
    FakeUsbDevice& device = m_bed.AddDevice();
    device.SetResponder(SimpleRecorder);
    DeviceLinkLibrary& plumex = Plumex();
    Captured([&] { ASSERT_EQ(plumex.open(1), 1); });
    device.QueueIn("left over from somewhere\r\n");
    Captured([&] { ASSERT_EQ(plumex.usbOpen(0), 1); });
    EXPECT_EQ(plumex.usbClose(1), 1);
    char line[64];
    std::int32_t status = 0;
    EXPECT_EQ(plumex.gets(line, sizeof line, 1, &status), 1);
    EXPECT_STREQ(line, "H1\r\n");
}

}  // namespace
}  // namespace plumex_test
