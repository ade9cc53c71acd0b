// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-datagen: writes the SD card tree (or the recorder's storage) of a named scenario
// for a seed, for the demo and for trying imports by hand.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/datagen/CardWriter.h"
#include "tools/datagen/ExpectedTotals.h"
#include "tools/datagen/Generator.h"

namespace {

using namespace vantrel::datagen;

struct Options {
    std::string scenario = "week";
    std::uint64_t seed = 1;
    int days = 0;  // 0: as the scenario says
    bool recorder = false;
    bool summary = false;
    std::string folder;
};

void PrintUsage() {
    std::printf(
        "Usage: vantrel-datagen [options] <folder>\n"
        "  --scenario NAME  scenario to generate (default week)\n"
        "  --seed N         seed of the random data (default 1)\n"
        "  --days N         number of days instead of the scenario's\n"
        "  --recorder       write the recorder's storage instead of an SD card\n"
        "  --summary        print the expected totals of every record\n"
        "  --list           list the scenarios\n");
}

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const std::string copy(text);
    value = std::strtoull(copy.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

// 0: parsed; 1: stop with success (help, list); 2: error.
int ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::uint64_t number = 0;
        if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return 1;
        } else if (arg == "--list") {
            for (const std::string& name : ScenarioNames()) {
                std::printf("%s\n", name.c_str());
            }
            return 1;
        } else if (arg == "--scenario" && hasValue) {
            options.scenario = argv[++i];
        } else if (arg == "--seed" && hasValue && ParseNumber(argv[i + 1], number)) {
            options.seed = number;
            ++i;
        } else if (arg == "--days" && hasValue && ParseNumber(argv[i + 1], number) && number > 0 &&
                   number <= 3660) {
            options.days = static_cast<int>(number);
            ++i;
        } else if (arg == "--recorder") {
            options.recorder = true;
        } else if (arg == "--summary") {
            options.summary = true;
        } else if (!arg.empty() && arg[0] != '-' && options.folder.empty()) {
            options.folder = arg;
        } else {
            std::fprintf(stderr, "vantrel-datagen: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (options.folder.empty()) {
        PrintUsage();
        return 2;
    }
    return 0;
}

void PrintSummary(const CardData& card) {
    const ExpectedTotals totals = ComputeExpectedTotals(card);
    for (const RecordTotals& r : totals.records) {
        std::printf("record %d  %s  %s  %s  days %d  %.1f km  %u half-seconds  max %u at %s\n",
                    r.recordIndex, FormatStamp(r.stampTime).c_str(), r.driverName.c_str(),
                    r.drivingDates.c_str(), r.dayCount,
                    static_cast<double>(r.totals.sum) / 100000.0, r.totals.count,
                    r.totals.maxSample, FormatStampMs(r.totals.maxTime).c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int parsed = ParseArguments(argc, argv, options); parsed != 0) {
        return parsed == 1 ? 0 : 2;
    }
    std::optional<Scenario> scenario = NamedScenario(options.scenario);
    if (!scenario) {
        std::fprintf(stderr, "vantrel-datagen: no scenario named '%s' (see --list)\n",
                     options.scenario.c_str());
        return 2;
    }
    if (options.days > 0) {
        scenario->days = options.days;
    }
    std::string error;
    const std::optional<CardData> card = GenerateCard(*scenario, options.seed, &error);
    if (!card) {
        std::fprintf(stderr, "vantrel-datagen: %s\n", error.c_str());
        return 2;
    }
    const WriteResult written = options.recorder ? WriteRecorderStorage(*card, options.folder)
                                                 : WriteSdCard(*card, options.folder);
    if (!written.ok) {
        std::fprintf(stderr, "vantrel-datagen: %s\n", written.error.c_str());
        return 1;
    }
    std::printf("%s: %zu .dtc files (%zu bytes) of recorder %s and system.log in %s\n",
                scenario->name.c_str(), card->files.size(), card->TotalDtcBytes(),
                card->DeviceIdText().c_str(), options.folder.c_str());
    if (options.summary) {
        PrintSummary(*card);
    }
    return 0;
}
