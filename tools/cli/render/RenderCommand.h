// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-cli render: opens a record as the record list does, applies the user's actions to
// the graph area and writes what its windows paint; vantrel-cli print: the same, then the
// printed page as a PDF or PNG file. The command creates the Qt application
// (offscreen) only while it runs, so the other commands never start Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/CliContext.h"

namespace vantrel::cli {

inline constexpr std::string_view kRenderHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] render RECORD.dat [--day N] [ACTION ...] --out DIR [--json]

Opens a record as the record list does (its days listed, day N selected, 0-based, default
0; scale 0; the cursor at the day's midnight), applies the actions in the order given, as
the window's controls would, and writes the graph area as the program paints it:
DIR/speed.png (824 x 338), DIR/distance.png (824 x 125), DIR/info.png (the graph
information window), DIR/status.png (the status strip) and DIR/readout.txt (the cursor
readout's texts, one per line, left to right).

Actions:
  --scale S              the scale selector set to S (0 24 hours, 1 8 hours, 2 12 minutes,
                         3 6 minutes, 4 4 minutes)
  --cursor HH:MM:SS[.5]  the cursor set to that time of the day, the window centred on it
  --click X              a left-button release at pixel column X of the speed graph
  --scroll A             the scroll bar: lineleft, lineright, pageleft, pageright or
                         thumb:POS (POS 0..172799); nothing happens while it is disabled
  --step left|right      the graph step keys
  --rows N               the range buttons pressed until the speed axis has N rows
                         (6, 8, ..., 20)
  --no-cursor            the cursor line hidden, as while printing

Options:
  --out DIR    the folder for the files (created when missing)
  --json       print one JSON object with the day, scale, rows, window start, cursor,
               scroll positions, speed markers and the graph information texts
  -h, --help   show this help

Exit status: 0 success, 1 a missing record or day or a file that cannot be written,
2 wrong usage.
)";

inline constexpr std::string_view kPrintHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] print RECORD.dat [--day N] [ACTION ...] (--pdf FILE | --png FILE)

Makes the printed page of a record, as Print of the program does: the record opened as by
render (day N, 0-based, default 0; scale 0; the cursor at the day's midnight), the actions
applied in the order given, then the page drawn with the graphs' cursor line hidden: the
title by time scale, the record's driving information, the speed and distance graphs as
their windows paint them and the shown day's summary.

The actions are those of render (see 'vantrel-cli render --help'): --scale S, --cursor
HH:MM:SS[.5], --click X, --scroll A, --step left|right, --rows N, --no-cursor.

Output (one of them or both):
  --pdf FILE   one A4 landscape page; texts and lines stay text and vectors, the two
               graphs are images
  --png FILE   the page canvas itself, 1270 x 900 pixels
  -h, --help   show this help

The texts are in the language of --lang (or App.ini).

Exit status: 0 success, 1 a missing record or day or a file that cannot be written,
2 wrong usage.
)";

#ifdef VANTREL_CLI_RENDER
int RunRender(CliContext& context, const std::vector<std::string>& args);
int RunPrint(CliContext& context, const std::vector<std::string>& args);
#else
inline int RunRender(CliContext& context, const std::vector<std::string>& /*args*/) {
    return context.Fail("render is not available: this vantrel-cli was built without the UI");
}
inline int RunPrint(CliContext& context, const std::vector<std::string>& /*args*/) {
    return context.Fail("print is not available: this vantrel-cli was built without the UI");
}
#endif

}  // namespace vantrel::cli
