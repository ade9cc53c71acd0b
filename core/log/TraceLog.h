// SPDX-License-Identifier: GPL-3.0-or-later
// The debug trace: modules send a formatted message with its source location. By default the
// trace goes to standard error, and only when the environment variable VANTREL_TRACE is set to
// something other than "" or "0"; otherwise a trace costs one look at a flag. Tests and tools
// install a sink of their own to see the messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

// Where a trace comes from. Every caller passes level 0 and no extra text.
struct TraceLocation {
    std::int32_t level = 0;
    int line = 0;
    const char* file = "";  // source file name (the folders are left out of the location text)
    std::string extra;
};

// One formatted trace as a sink receives it. The message holds at most 2047 characters, the
// file name in the location at most 511.
struct TraceMessage {
    std::int32_t level = 0;
    std::string application;  // "Vantrel" unless a program names itself
    std::string location;     // "237 line in InfoDtcFile.cpp"
    std::string message;
    std::string extra;
};

using TraceSink = std::function<void(const TraceMessage&)>;

// Installs a sink and returns the one it replaces; an empty sink restores the default one
// (standard error under VANTREL_TRACE). Sinks are called one at a time, from the thread that
// traces, under the trace's lock: a sink must not trace itself.
TraceSink SetTraceSink(TraceSink sink);
void SetTraceApplicationName(std::string name);

// Formats with the printf rules and hands the message to the sink. Never fails.
void TraceLog(const TraceLocation& where, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace vantrel

// The location of the line that uses it.
#define VANTREL_TRACE_HERE (::vantrel::TraceLocation{0, __LINE__, __FILE__, {}})
