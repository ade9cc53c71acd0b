// SPDX-License-Identifier: GPL-3.0-or-later
// The report line reader on answers as the recorder frames them and on answers that are
// empty, cut off, oddly spaced or larger than the caller's line buffer.
#include "plumex/src/ResponseReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plumex {
namespace {

struct Call {
    std::string line;
    std::int32_t result;
};

// Reads until the reader says "no more", with a generous line buffer.
std::vector<Call> ReadAll(std::string_view answer) {
    std::vector<Call> calls;
    std::size_t position = 0;
    for (int guard = 0; guard < 100; ++guard) {
        char line[256];
        std::int32_t status = 9;
        const std::int32_t result = ReadResponseLine(answer, position, line, sizeof line, status);
        EXPECT_EQ(status, 0);
        calls.push_back({line, result});
        if (result == 0) {
            break;
        }
    }
    return calls;
}

TEST(ResponseReader, FourLineAnswerGivesTwoLinesTheSecondLast) {
    const std::string answer = "#BEGIN,\r\nA1\r\nB2\r\n#END\r\n";
    std::size_t position = 0;
    char line[64];
    std::int32_t status = 1;
    EXPECT_EQ(ReadResponseLine(answer, position, line, sizeof line, status), 1);
    EXPECT_STREQ(line, "A1\r\n");
    EXPECT_EQ(ReadResponseLine(answer, position, line, sizeof line, status), 0);
    EXPECT_STREQ(line, "B2\r\n");
    EXPECT_EQ(ReadResponseLine(answer, position, line, sizeof line, status), 0);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(status, 0);
}

struct ReaderCase {
    const char* name;
    std::string answer;
    std::vector<std::string> lines;  // lines handed out, the last with result 0
};

class ResponseReaderCases : public testing::TestWithParam<ReaderCase> {};

TEST_P(ResponseReaderCases, HandsOutTheLinesBetweenBeginAndEnd) {
    const ReaderCase& c = GetParam();
    std::vector<std::string> lines;
    for (const Call& call : ReadAll(c.answer)) {
        if (!call.line.empty()) {
            lines.push_back(call.line);
        }
    }
    EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ResponseReaderCases,
    testing::Values(ReaderCase{"Empty", "", {}},
                    ReaderCase{"BeginThenEnd", "#BEGIN,\r\n#END\r\n", {}},
                    ReaderCase{"OnlyBegin", "#BEGIN,\r\n", {}},
                    ReaderCase{"NoFrame", "X\r\nY\r\n", {"X\r\n", "Y\r\n"}},
                    ReaderCase{"CutBeforeEnd", "#BEGIN,\r\nX\r\nY", {"X\r\n", "Y\r\n"}},
                    ReaderCase{"BlankLinesBetween",
                               "#BEGIN,\r\n\r\n\r\n\r\nLONGTOKEN\r\n\r\n\r\nZ\r\n#END\r\n",
                               {"LONGTOKEN\r\n", "Z\r\n"}},
                    ReaderCase{
                        "StopsAtNul", std::string("#BEGIN,\r\nA\r\n\0B\r\n", 15), {"A\r\n"}}),
    [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

TEST(ResponseReader, LineThatDoesNotFitIsRefusedAndKept) {
    const std::string answer = "#BEGIN,\r\n20240115093000\r\n#END\r\n";
    std::size_t position = 0;
    char line[17];  // token (14) + CR LF + NUL needs 17
    std::int32_t status = 0;
    EXPECT_EQ(ReadResponseLine(answer, position, line, 16, status), 0);
    EXPECT_EQ(status, -1);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(ReadResponseLine(answer, position, line, sizeof line, status), 0);
    EXPECT_EQ(status, 0);
    EXPECT_STREQ(line, "20240115093000\r\n");
}

TEST(ResponseReader, UnusableArgumentsAreRefused) {
    std::size_t position = 0;
    std::int32_t status = 0;
    EXPECT_EQ(ReadResponseLine("A\r\n", position, nullptr, 10, status), 0);
    EXPECT_EQ(status, -1);
    char line[4] = {'q', 'q', 'q', 'q'};
    EXPECT_EQ(ReadResponseLine("A\r\n", position, line, 0, status), 0);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(line[0], 'q');  // size 0: not even the NUL is written
}

}  // namespace
}  // namespace plumex
