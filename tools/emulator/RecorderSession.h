// SPDX-License-Identifier: GPL-3.0-or-later
// One exchange with the emulated recorder, from open to close: takes the commands written to
// it, answers them line by line as the recorder does (one line per transfer), and carries the
// faults the configuration asks for.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "tools/emulator/EmulatorConfig.h"
#include "tools/emulator/RecorderStorage.h"

namespace vantrel::emulator {

class RecorderSession {
public:
    RecorderSession(EmulatorConfig config, std::string identity);

    // Bytes written to the recorder; every complete CR LF command is answered.
    void Receive(std::string_view bytes);
    // Up to length bytes of the next answer line (a line longer than length comes in pieces);
    // 0 when the recorder has nothing to say or has fallen silent.
    std::size_t Send(char* buffer, std::size_t length);
    // Runs one command and returns its whole answer, for the report commands.
    std::string Run(std::string_view command);

    bool Silent() const { return m_silent; }

private:
    struct Transfer {
        std::string path;  // as the command named it
        std::string data;
        std::size_t offset = 0;
        int chunk = 0;
        bool done = false;
        std::size_t cutAt = std::string::npos;  // the recorder stops sending here
    };

    void Handle(const std::string& command);
    void Answer(std::string line);
    void ListMonths();
    void ListFiles(const std::string& month);
    void StartFile(const std::string& path);
    void SendChunk();
    void Format();
    void Report(const std::string& command);
    void AddHostileFileEntries(const std::string& month);
    void LogCommand(const std::string& command) const;

    EmulatorConfig m_config;
    RecorderStorage m_storage;
    std::string m_identity;
    std::string m_pending;  // bytes of a command without its CR LF yet
    std::deque<std::string> m_out;
    std::size_t m_sentOfFront = 0;
    long m_lines = 0;
    bool m_silent = false;
    std::optional<Transfer> m_transfer;
    // "#END"-first answers given per file: a program that asks for the file again after such
    // an answer must not start the count afresh.
    std::map<std::string, int> m_endFirstSent;
};

}  // namespace vantrel::emulator
