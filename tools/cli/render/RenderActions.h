// SPDX-License-Identifier: GPL-3.0-or-later
// The arguments of vantrel-cli render and print: the record, the day, the output folder and the
// actions, kept in the order given since each acts on the state the previous ones left.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/views/GraphView.h"

namespace vantrel::cli {

enum class RenderActionKind { Scale, Cursor, Click, Scroll, Step, Rows, NoCursor };

struct RenderAction {
    RenderActionKind kind = RenderActionKind::Scale;
    int value = 0;        // scale, column, rows, step delta (-1, +1) or thumb position
    int halfSeconds = 0;  // Cursor: the time of day in half-seconds
    ScrollRequest request = ScrollRequest::LineLeft;
};

struct RenderArgs {
    std::string record;
    int day = 0;
    std::string outDir;
    bool json = false;
    std::string pdf;  // print: the PDF file to write, empty for none
    std::string png;  // print: the PNG file of the canvas, empty for none
    std::vector<RenderAction> actions;
    std::string error;  // set on a usage error
};

RenderArgs ParseRenderArgs(const std::vector<std::string>& args);
// vantrel-cli print: the same record, day and actions, with --pdf FILE and/or --png FILE.
RenderArgs ParsePrintArgs(const std::vector<std::string>& args);

// "HH:MM:SS" or "HH:MM:SS.5" as half-seconds since midnight; nullopt otherwise.
std::optional<int> ParseCursorTime(const std::string& text);

}  // namespace vantrel::cli
