// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing the arguments of vantrel-cli render.
#include "tools/cli/render/RenderActions.h"

#include <cctype>
#include <charconv>

#include "core/views/SpeedGraph.h"

namespace vantrel::cli {
namespace {

// A whole decimal number, digits only (no sign, no blanks), that fits an int.
std::optional<int> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return std::nullopt;
        }
    }
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::optional<int> ParseInRange(const std::string& text, int low, int high) {
    const std::optional<int> value = ParseNumber(text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<RenderAction> ParseScroll(const std::string& text) {
    RenderAction action{RenderActionKind::Scroll};
    if (text == "lineleft") {
        action.request = ScrollRequest::LineLeft;
    } else if (text == "lineright") {
        action.request = ScrollRequest::LineRight;
    } else if (text == "pageleft") {
        action.request = ScrollRequest::PageLeft;
    } else if (text == "pageright") {
        action.request = ScrollRequest::PageRight;
    } else if (text.rfind("thumb:", 0) == 0) {
        const std::optional<int> pos = ParseInRange(text.substr(6), 0, kScrollMax);
        if (!pos) {
            return std::nullopt;
        }
        action.request = ScrollRequest::Thumb;
        action.value = *pos;
    } else {
        return std::nullopt;
    }
    return action;
}

// One action with its value; the error text when the value does not fit.
std::optional<RenderAction> ParseAction(const std::string& name, const std::string& value,
                                        std::string& error) {
    RenderAction action;
    std::optional<int> number;
    if (name == "--scale") {
        action.kind = RenderActionKind::Scale;
        number = ParseInRange(value, 0, kScaleCount - 1);
        error = "--scale takes 0 to 4, not '" + value + "'";
    } else if (name == "--cursor") {
        action.kind = RenderActionKind::Cursor;
        number = ParseCursorTime(value);
        error = "--cursor takes HH:MM:SS or HH:MM:SS.5, not '" + value + "'";
    } else if (name == "--click") {
        action.kind = RenderActionKind::Click;
        number = ParseInRange(value, 0, kSpeedGraphWidth - 1);
        error = "--click takes a column 0 to 823, not '" + value + "'";
    } else if (name == "--scroll") {
        error =
            "--scroll takes lineleft, lineright, pageleft, pageright or thumb:POS (0 to "
            "172799), not '" +
            value + "'";
        return ParseScroll(value);
    } else if (name == "--step") {
        action.kind = RenderActionKind::Step;
        number = value == "left"    ? std::optional<int>(-1)
                 : value == "right" ? std::optional<int>(1)
                                    : std::nullopt;
        error = "--step takes left or right, not '" + value + "'";
    } else {
        action.kind = RenderActionKind::Rows;
        number = ParseInRange(value, 6, 20);
        if (number && *number % 2 != 0) {
            number.reset();
        }
        error = "--rows takes an even number of rows 6 to 20, not '" + value + "'";
    }
    if (!number) {
        return std::nullopt;
    }
    if (action.kind == RenderActionKind::Cursor) {
        action.halfSeconds = *number;
    } else {
        action.value = *number;
    }
    return action;
}

bool IsValueAction(const std::string& name) {
    return name == "--scale" || name == "--cursor" || name == "--click" || name == "--scroll" ||
           name == "--step" || name == "--rows";
}

}  // namespace

std::optional<int> ParseCursorTime(const std::string& text) {
    if (text.size() != 8 && !(text.size() == 10 && text.substr(8) == ".5")) {
        return std::nullopt;
    }
    if (text[2] != ':' || text[5] != ':') {
        return std::nullopt;
    }
    const std::optional<int> hour = ParseInRange(text.substr(0, 2), 0, 23);
    const std::optional<int> minute = ParseInRange(text.substr(3, 2), 0, 59);
    const std::optional<int> second = ParseInRange(text.substr(6, 2), 0, 59);
    if (!hour || !minute || !second) {
        return std::nullopt;
    }
    return ((*hour * 60 + *minute) * 60 + *second) * 2 + (text.size() == 10 ? 1 : 0);
}

namespace {

// The two commands share the record, the day and the actions; render writes a folder of
// window images (--out, --json), print one page (--pdf, --png).
RenderArgs ParseGraphArgs(const std::vector<std::string>& args, bool print) {
    const std::string command = print ? "print" : "render";
    RenderArgs parsed;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    bool hasOut = false;
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const bool isOutput = print ? name == "--pdf" || name == "--png" : name == "--out";
        const bool takesValue = IsValueAction(name) || name == "--day" || isOutput;
        const bool isJson = !print && name == "--json";
        if (!takesValue) {
            if (equals != std::string::npos && (isJson || name == "--no-cursor")) {
                parsed.error = "option '" + name + "' takes no value";
            } else if (isJson) {
                parsed.json = true;
            } else if (name == "--no-cursor") {
                parsed.actions.push_back(RenderAction{RenderActionKind::NoCursor});
            } else {
                parsed.error = "unknown option '" + name + "'";
            }
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parsed.error = "option '" + name + "' needs a value";
            continue;
        }
        if (name == "--out") {
            if (value.empty()) {
                parsed.error = "--out needs a folder";
            }
            parsed.outDir = value;
            hasOut = true;
        } else if (name == "--pdf" || name == "--png") {
            if (value.empty()) {
                parsed.error = name + " needs a file name";
            }
            (name == "--pdf" ? parsed.pdf : parsed.png) = value;
            hasOut = true;
        } else if (name == "--day") {
            const std::optional<int> day = ParseNumber(value);
            if (!day) {
                parsed.error = "--day takes a day number from 0, not '" + value + "'";
            } else {
                parsed.day = *day;
            }
        } else {
            std::string error;
            const std::optional<RenderAction> action = ParseAction(name, value, error);
            if (action) {
                parsed.actions.push_back(*action);
            } else {
                parsed.error = error;
            }
        }
    }
    if (!parsed.error.empty()) {
        return parsed;
    }
    if (positional.size() != 1) {
        parsed.error = command + " needs one record file";
    } else if (!hasOut) {
        parsed.error = print ? "print needs --pdf FILE or --png FILE" : "render needs --out DIR";
    } else {
        parsed.record = positional.front();
    }
    return parsed;
}

}  // namespace

RenderArgs ParseRenderArgs(const std::vector<std::string>& args) {
    return ParseGraphArgs(args, false);
}

RenderArgs ParsePrintArgs(const std::vector<std::string>& args) {
    return ParseGraphArgs(args, true);
}

}  // namespace vantrel::cli
