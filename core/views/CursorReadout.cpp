// SPDX-License-Identifier: GPL-3.0-or-later
// The cursor readout's scan and texts.
#include "core/views/CursorReadout.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "core/data/RecordModel.h"
#include "core/lang/MgrLanguage.h"
#include "core/views/GraphView.h"

namespace vantrel {

namespace {

constexpr int kDaySamples = static_cast<int>(kSamplesPerDay);

std::string Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char fixed[512];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(fixed, sizeof fixed, format, copy);
    va_end(copy);
    std::string text;
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof fixed) {
        text.assign(fixed, static_cast<std::size_t>(length));
    } else if (length >= 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    return text;
}

float SpeedKmh(std::uint16_t sample) {
    return SampleSpeedKmhSingle(sample);
}

double Km(std::int64_t centimetres) {
    return static_cast<double>(static_cast<float>(centimetres)) / 100000.0;
}

// The first sample at or after the cursor time (the cursor lies on a half-second).
int FirstIndex(const SystemTime& cursor) {
    return SampleIndexOf(cursor);
}

std::string Label(const char* key, const char* text) {
    return GetLangText("GUI", key, text);
}

std::vector<ReadoutText> SpanTexts(const ReadoutInput& input) {
    const SystemTime& c = input.cursor;
    const ReadoutSpan span = ScanReadoutSpan(input.day, c, input.scale);
    const int half = ReadoutSpanSamples(input.scale) / 2;
    const SystemTime e =
        MillisecondsToSystemTime(MillisecondValue(c) + std::int64_t{half} * 1000 - 1000);
    const std::string times = Printf("%d.%02d.%02d %02d:%02d:%02d ~ %d.%02d.%02d %02d:%02d:%02d.5",
                                     c.wYear, c.wMonth, c.wDay, c.wHour, c.wMinute, c.wSecond,
                                     e.wYear, e.wMonth, e.wDay, e.wHour, e.wMinute, e.wSecond);
    const std::string maxLabel = Label("MAXSPEED", "Max Speed");
    const std::string minLabel = Label("MinSPEED", "Min Speed");
    const std::string distLabel = Label("DISTANCE", "Distance");
    const std::string cumLabel = Label("CUMULATIVEDISTANCE", "Cumulative Distance");
    std::string rest;
    if (span.IsEmpty()) {
        const std::int64_t ms = MillisecondValue(c);
        if (input.day.firstSampleMs <= ms && ms < input.day.lastSampleMs) {
            const double km = Km(span.cumulative);
            rest = Printf(
                "       %s : -- km/h       %s : -- km/h       %s : -- km       %s : %0.1f km ~ "
                "%0.1f km",
                maxLabel.c_str(), minLabel.c_str(), distLabel.c_str(), cumLabel.c_str(), km, km);
        } else {
            rest = Printf(
                "       %s : -- km/h       %s : -- km/h       %s : -- km       %s : -- km ~ -- km",
                maxLabel.c_str(), minLabel.c_str(), distLabel.c_str(), cumLabel.c_str());
        }
    } else if (input.scale == 2) {
        rest = Printf("       %s : %0.1f km/h       %s : %0.1f km/h       %s : %0.1f km",
                      maxLabel.c_str(), static_cast<double>(span.highest), minLabel.c_str(),
                      static_cast<double>(span.lowest), cumLabel.c_str(), Km(span.cumulative));
    } else {
        rest = Printf(
            "       %s : %0.1f km/h       %s : %0.1f km/h       %s : %0.1f km       %s : %0.1f km "
            "~ %0.1f km",
            maxLabel.c_str(), static_cast<double>(span.highest), minLabel.c_str(),
            static_cast<double>(span.lowest), distLabel.c_str(), Km(span.sum), cumLabel.c_str(),
            Km(std::int64_t{span.cumulative} - span.sum), Km(span.cumulative));
    }
    return {ReadoutText{10, TextAlign::Left, times + rest}};
}

constexpr int kReadoutFieldBlanks = 7;

std::vector<ReadoutText> SampleTexts(const ReadoutInput& input) {
    const SystemTime& c = input.cursor;
    std::vector<ReadoutText> texts;
    texts.push_back({10, TextAlign::Left,
                     Printf("%d.%02d.%02d %02d:%02d:%02d%s", c.wYear, c.wMonth, c.wDay, c.wHour,
                            c.wMinute, c.wSecond, c.wMilliseconds != 0 ? ".5" : "")});
    const int index = FirstIndex(c);
    float speed = 0.0f;
    std::uint32_t cumulative = 0;
    if (index < kDaySamples) {
        const std::uint16_t r = input.day.samples[static_cast<std::size_t>(index)];
        speed = r == kNoSample ? 0.0f : SpeedKmh(r);
        cumulative = input.day.distance[static_cast<std::size_t>(index)];
    } else {
        cumulative = input.day.distance.back();
    }
    const std::int64_t ms = MillisecondValue(c);
    const bool valid = input.day.firstSampleMs <= ms && ms < input.day.lastSampleMs + 1000;
    const std::string speedLabel = Label("SPEED", "Speed");
    const std::string cumLabel = Label("CUMULATIVEDISTANCE", "Cumulative Distance");
    // The right edges are fixed, but a wide font or a long label would overprint the text
    // before: those texts keep the seven blanks the other scales put between their fields.
    if (valid) {
        texts.push_back({230, TextAlign::Right,
                         Printf("%s : %0.1f km/h", speedLabel.c_str(), static_cast<double>(speed)),
                         kReadoutFieldBlanks});
        texts.push_back({360, TextAlign::Right,
                         Printf("%s : %0.1f km", cumLabel.c_str(), Km(cumulative)),
                         kReadoutFieldBlanks});
    } else {
        texts.push_back({200, TextAlign::Right, Printf("%s : -- km/h", speedLabel.c_str()),
                         kReadoutFieldBlanks});
        texts.push_back(
            {280, TextAlign::Right, Printf("%s : -- km", cumLabel.c_str()), kReadoutFieldBlanks});
    }
    return texts;
}

}  // namespace

int ReadoutSpanSamples(int scale) {
    return scale == 1 ? 80 : (scale == 2 ? 2 : 240);
}

ReadoutSpan ScanReadoutSpan(const LoadedDay& day, const SystemTime& cursor, int scale) {
    ReadoutSpan span;
    const int n = ReadoutSpanSamples(scale);
    for (int index = FirstIndex(cursor); index < kDaySamples; ++index) {
        const auto at = static_cast<std::size_t>(index);
        span.cumulative = day.distance[at];
        if (span.count == n) {
            break;
        }
        ++span.count;
        const std::uint16_t r = day.samples[at];
        if (r != kNoSample) {
            span.sum += r;
            const float speed = SpeedKmh(r);
            span.highest = std::max(span.highest, speed);
            span.lowest = std::min(span.lowest, speed);
        }
    }
    return span;
}

std::vector<ReadoutText> ReadoutTexts(const ReadoutInput& input) {
    const SystemTime& c = input.cursor;
    if ((c.wYear == 0 && c.wMonth == 0 && c.wDay == 0) || !input.day.IsComplete()) {
        return {};
    }
    return input.scale >= 3 ? SampleTexts(input) : SpanTexts(input);
}

DrawList BuildReadout(const ReadoutInput& input, int width, int height) {
    DrawList list;
    list.width = width;
    list.height = height;
    list.Fill(kReadoutBackground);
    for (ReadoutText& text : ReadoutTexts(input)) {
        list.Text(text.x, kReadoutTop, text.align, FontId::Small, kWhite, std::move(text.text),
                  text.clearBlanks);
    }
    return list;
}

}  // namespace vantrel
