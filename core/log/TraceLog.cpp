// SPDX-License-Identifier: GPL-3.0-or-later
// Formatting of trace messages and the sink they go to.
#include "core/log/TraceLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

namespace vantrel {
namespace {

constexpr std::size_t kMessageChars = 2047;
constexpr std::size_t kFileNameChars = 511;

struct TraceState {
    std::mutex mutex;
    TraceSink sink;
    std::string application = "Vantrel";
};

TraceState& State() {
    static TraceState state;
    return state;
}

bool DefaultSinkEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("VANTREL_TRACE");
        return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
    }();
    return enabled;
}

void WriteToStandardError(const TraceMessage& trace) {
    std::fprintf(stderr, "[%s] %s: %s\n", trace.application.c_str(), trace.location.c_str(),
                 trace.message.c_str());
}

// Cuts a UTF-8 text to a number of characters without splitting a multi-byte sequence.
std::string CutCharacters(std::string text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {
            if (chars == maxChars) {
                text.resize(i);
                break;
            }
            ++chars;
        }
    }
    return text;
}

std::string_view BaseName(const char* file) {
    std::string_view name = file != nullptr ? file : "";
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

}  // namespace

TraceSink SetTraceSink(TraceSink sink) {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    TraceSink previous = std::move(state.sink);
    state.sink = std::move(sink);
    return previous;
}

void SetTraceApplicationName(std::string name) {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    state.application = std::move(name);
}

void TraceLog(const TraceLocation& where, const char* format, ...) {
    TraceState& state = State();
    {
        std::lock_guard lock(state.mutex);
        if (!state.sink && !DefaultSinkEnabled()) {
            return;
        }
    }
    TraceMessage trace;
    trace.level = where.level;
    trace.location = std::to_string(where.line) + " line in " +
                     CutCharacters(std::string(BaseName(where.file)), kFileNameChars);
    if (format == nullptr) {
        format = "";
    }
    std::va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        va_start(args, format);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        trace.message = CutCharacters(std::string(buffer.data(), static_cast<std::size_t>(needed)),
                                      kMessageChars);
    }
    trace.extra = CutCharacters(where.extra, kMessageChars);

    std::lock_guard lock(state.mutex);
    trace.application = state.application;
    if (state.sink) {
        state.sink(trace);
    } else if (DefaultSinkEnabled()) {
        WriteToStandardError(trace);
    }
}

}  // namespace vantrel
