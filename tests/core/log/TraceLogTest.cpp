// SPDX-License-Identifier: GPL-3.0-or-later
// The debug trace: formatting, the location text, the cuts that keep a message bounded, and
// the sinks (an installed one receives every trace; the default one is silent unless enabled).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/log/TraceLog.h"

namespace vantrel {
namespace {

class TraceLogTest : public ::testing::Test {
protected:
    TraceLogTest() {
        m_previous = SetTraceSink([this](const TraceMessage& m) { m_messages.push_back(m); });
    }
    ~TraceLogTest() override { SetTraceSink(m_previous); }

    std::vector<TraceMessage> m_messages;
    TraceSink m_previous;
};

TEST_F(TraceLogTest, FormatsMessageAndLocation) {
    const int line = __LINE__ + 1;
    TraceLog(VANTREL_TRACE_HERE, "%d files, %s", 3, "정상");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].level, 0);
    EXPECT_EQ(m_messages[0].application, "Vantrel");
    EXPECT_EQ(m_messages[0].location, std::to_string(line) + " line in TraceLogTest.cpp");
    EXPECT_EQ(m_messages[0].message, "3 files, 정상");
    EXPECT_EQ(m_messages[0].extra, "");
}

TEST_F(TraceLogTest, LongTextsAreCutAtWholeCharacters) {
    std::string korean;
    for (int i = 0; i < 3000; ++i) {
        korean += "가";
    }
    const std::string file = std::string(600, 'f') + ".cpp";
    TraceLog(TraceLocation{0, 7, file.c_str(), korean}, "%s", korean.c_str());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].message.size(), 2047u * 3);
    EXPECT_EQ(m_messages[0].extra.size(), 2047u * 3);
    EXPECT_EQ(m_messages[0].location, "7 line in " + file.substr(0, 511));
}

TEST_F(TraceLogTest, ReplacedSinkReturnsThePreviousOne) {
    std::vector<std::string> other;
    TraceSink mine = SetTraceSink([&](const TraceMessage& m) { other.push_back(m.message); });
    TraceLog(VANTREL_TRACE_HERE, "to the other sink");
    EXPECT_EQ(other, std::vector<std::string>{"to the other sink"});
    EXPECT_TRUE(m_messages.empty());
    SetTraceSink(std::move(mine));
    TraceLog(VANTREL_TRACE_HERE, "back");
    EXPECT_EQ(m_messages.size(), 1u);
}

TEST(TraceLog, DefaultSinkIsSilentUnlessEnabled) {
    const char* enabled = std::getenv("VANTREL_TRACE");
    if (enabled != nullptr && *enabled != '\0' && std::string(enabled) != "0") {
        GTEST_SKIP() << "VANTREL_TRACE is set for this run";
    }
    TraceSink previous = SetTraceSink({});
    ::testing::internal::CaptureStderr();
    TraceLog(VANTREL_TRACE_HERE, "nobody sees this");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    SetTraceSink(std::move(previous));
}

// Runs for real in the ctest entry that sets VANTREL_TRACE=1 (see CMakeLists.txt).
TEST(TraceLog, DefaultSinkWritesWhenEnabled) {
    const char* enabled = std::getenv("VANTREL_TRACE");
    if (enabled == nullptr || std::string(enabled) != "1") {
        GTEST_SKIP() << "needs VANTREL_TRACE=1";
    }
    TraceSink previous = SetTraceSink({});
    ::testing::internal::CaptureStderr();
    const int line = __LINE__ + 1;
    TraceLog(VANTREL_TRACE_HERE, "seen %d", 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "[Vantrel] " + std::to_string(line) + " line in TraceLogTest.cpp: seen 1\n");
    SetTraceSink(std::move(previous));
}

}  // namespace
}  // namespace vantrel
