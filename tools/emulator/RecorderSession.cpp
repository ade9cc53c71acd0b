// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/emulator/RecorderSession.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <fstream>

#include "tools/emulator/Base64.h"

namespace vantrel::emulator {
namespace {

constexpr const char* kEnd = "#END\r\n";
constexpr const char* kFuture = "_20991231_235959.dtc";  // newer than any backup

bool IsDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string CurrentTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return text;
}

}  // namespace

RecorderSession::RecorderSession(EmulatorConfig config, std::string identity)
    : m_config(std::move(config)), m_storage(m_config.storage), m_identity(std::move(identity)) {}

void RecorderSession::Receive(std::string_view bytes) {
    m_pending.append(bytes.data(), bytes.size());
    std::size_t end;
    while ((end = m_pending.find("\r\n")) != std::string::npos) {
        const std::string command = m_pending.substr(0, end);
        m_pending.erase(0, end + 2);
        Handle(command);
    }
}

std::size_t RecorderSession::Send(char* buffer, std::size_t length) {
    if (m_out.empty() || length == 0) {
        return 0;
    }
    const std::string& front = m_out.front();
    const std::size_t count = std::min(length, front.size() - m_sentOfFront);
    // A transfer of raw bytes, not a C string.
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
    std::memcpy(buffer, front.data() + m_sentOfFront, count);
    m_sentOfFront += count;
    if (m_sentOfFront == front.size()) {
        m_out.pop_front();
        m_sentOfFront = 0;
    }
    return count;
}

std::string RecorderSession::Run(std::string_view command) {
    Receive(command);
    std::string answer;
    for (const std::string& line : m_out) {
        answer += line;
    }
    m_out.clear();
    m_sentOfFront = 0;
    return answer;
}

void RecorderSession::Answer(std::string line) {
    if (m_silent) {
        return;
    }
    if (m_config.silentAfterLines >= 0 && m_lines >= m_config.silentAfterLines) {
        m_silent = true;
        return;
    }
    ++m_lines;
    m_out.push_back(std::move(line));
}

void RecorderSession::Handle(const std::string& command) {
    LogCommand(command);
    if (m_silent) {
        return;
    }
    if (command == "#LIST dtacho") {
        ListMonths();
    } else if (command.rfind("#LIST dtacho/", 0) == 0) {
        ListFiles(command.substr(13));
    } else if (command.rfind("#FILE ", 0) == 0) {
        StartFile(command.substr(6));
    } else if (command == "#NEXT") {
        SendChunk();
    } else if (command == "#FORMAT") {
        Format();
    } else if (command == "#24H" || command == "#52W" || command == "#TIME") {
        Report(command);
    } else {
        Answer("#ERROR,UNKNOWN," + command + ",\r\n");
        Answer(kEnd);
    }
}

void RecorderSession::ListMonths() {
    const std::vector<std::string> months = m_storage.Months();
    Answer("#LIST,dtacho,\r\n");
    if (m_config.hostile.count("short-month-listing") != 0) {
        Answer(kEnd);  // ends before the line with the identity
        return;
    }
    Answer("#DEVICE,SN-" + m_identity + ",KORVU,\r\n");
    Answer("#COUNT," + std::to_string(months.size()) + ",\r\n");
    if (m_config.hostile.count("bad-month") != 0) {
        Answer("/dtacho/20AB01,D,\r\n");
        Answer("/dtacho/../..,D,\r\n");
    }
    for (const std::string& month : months) {
        Answer("/dtacho/" + month + ",D,\r\n");
    }
    Answer(kEnd);
}

void RecorderSession::ListFiles(const std::string& month) {
    // The program names the month in decimal; the folder is its six-digit form.
    const std::vector<RecorderStorage::Entry> entries =
        IsDigits(month) ? m_storage.MonthEntries(month) : std::vector<RecorderStorage::Entry>{};
    Answer("#LIST,dtacho/" + month + ",\r\n");
    Answer("#DEVICE,SN-" + m_identity + ",\r\n");
    Answer("#COUNT," + std::to_string(entries.size()) + ",\r\n");
    AddHostileFileEntries(month);
    for (const RecorderStorage::Entry& entry : entries) {
        Answer("/dtacho/" + month + "/" + entry.name + (entry.isFile ? ",F," : ",D,") +
               std::to_string(entry.size) + ",\r\n");
    }
    Answer(kEnd);
}

void RecorderSession::AddHostileFileEntries(const std::string& month) {
    const auto& h = m_config.hostile;
    if (h.count("month-dotdot") != 0) {
        Answer(std::string("/dtacho/../..//VQDOTDOT00") + kFuture + ",F,100,\r\n");
    }
    if (h.count("name-slash") != 0) {
        Answer("/dtacho/" + month + "/../../evil" + kFuture + ",F,100,\r\n");
    }
    if (h.count("long-line") != 0) {
        Answer("/dtacho/" + month + "/" + std::string(5000, 'L') + kFuture + ",F,100,\r\n");
    }
    if (h.count("not-file") != 0) {
        // Names of ten characters each: "VQNOTFILE" and a letter for the field that follows.
        const std::pair<const char*, const char*> kinds[] = {
            {"D", "D"}, {"X", "X"}, {"E", ""}, {"W", "FF"}, {"S", " F"}};
        for (const auto& [letter, field] : kinds) {
            Answer("/dtacho/" + month + "/VQNOTFILE" + letter + kFuture + "," + field +
                   ",100,\r\n");
        }
    }
}

void RecorderSession::StartFile(const std::string& path) {
    Transfer transfer;
    transfer.path = path;
    // A file the recorder does not have comes as an empty file.
    transfer.data = m_storage.ReadFile(path).value_or(std::string());
    if (MatchesFile(m_config.cutFile, path)) {
        // The cut falls on a line boundary before the last data line, so the line without
        // the comma never comes.
        const std::size_t size = transfer.data.size();
        const std::size_t line = m_config.lineBytes;
        const std::size_t at =
            m_config.cutBytes >= 0 ? static_cast<std::size_t>(m_config.cutBytes) : size / 2;
        const std::size_t lastLineStart = size == 0 ? 0 : (size - 1) / line * line;
        transfer.cutAt = std::min(at / line * line, lastLineStart);
    }
    m_transfer = std::move(transfer);
    SendChunk();
}

void RecorderSession::SendChunk() {
    if (!m_transfer || m_transfer->done) {
        Answer("#ERROR,NOFILE,\r\n");
        Answer(kEnd);
        return;
    }
    Transfer& t = *m_transfer;
    if (MatchesFile(m_config.endFirstFile, t.path)) {
        int& sent = m_endFirstSent[t.path];
        if (m_config.endFirstRepeats == 0 || sent < m_config.endFirstRepeats) {
            ++sent;
            Answer(kEnd);
            return;
        }
    }
    ++t.chunk;
    Answer((t.chunk == 1 ? "#FILE," : "#NEXT,") + t.path + ",\r\n");
    Answer("#SIZE," + std::to_string(t.data.size()) + ",\r\n");
    Answer("#CHUNK," + std::to_string(t.chunk) + ",\r\n");
    for (int i = 0; i < m_config.chunkLines; ++i) {
        if (t.cutAt != std::string::npos && t.offset >= t.cutAt) {
            m_silent = true;  // stops mid-file, as when the cable is pulled
            return;
        }
        const std::size_t take = std::min(m_config.lineBytes, t.data.size() - t.offset);
        const std::string encoded = EncodeBase64(std::string_view(t.data).substr(t.offset, take));
        t.offset += take;
        t.done = t.offset >= t.data.size();
        Answer("#" + encoded + (t.done ? "\r\n" : ",\r\n"));
        if (t.done) {
            break;
        }
    }
    Answer(kEnd);
}

void RecorderSession::Format() {
    if (m_config.formatSilent) {
        m_storage.Format();
        m_silent = true;
        return;
    }
    const bool ok = m_storage.Format();
    Answer(ok ? "#FORMAT,OK,\r\n" : "#FORMAT,FAIL,\r\n");
    Answer(kEnd);
}

// The report commands answer "#BEGIN,", their lines and "#END". "#TIME" gives the recorder's
// clock; "#24H" and "#52W" give the lines of report/24H.txt and report/52W.txt when present.
void RecorderSession::Report(const std::string& command) {
    Answer("#BEGIN,\r\n");
    if (command == "#TIME") {
        Answer((m_config.time.empty() ? CurrentTimeStamp() : m_config.time) + "\r\n");
    } else {
        const std::string text =
            m_storage.ReadFile("report/" + command.substr(1) + ".txt").value_or(std::string());
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            end = end == std::string::npos ? text.size() : end;
            std::string line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty()) {
                Answer(line + "\r\n");
            }
            pos = end + 1;
        }
    }
    Answer(kEnd);
}

void RecorderSession::LogCommand(const std::string& command) const {
    if (m_config.commandLog.empty()) {
        return;
    }
    std::ofstream log(m_config.commandLog, std::ios::app | std::ios::binary);
    log << command << '\n';
}

}  // namespace vantrel::emulator
