// SPDX-License-Identifier: GPL-3.0-or-later
// The value texts of the record files. Numbers never depend on the C locale (a program that
// adopts the user's locale must still write "64.8", not "64,8").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/util/TimeUtil.h"

namespace vantrel {

// "%04d%02d%02d%02d%02d%02d": 20150312101530.
std::string FormatStamp(const SystemTime& time);
// The same with ".%d" of the milliseconds: 20150312101530.500, 20150312101530.0.
std::string FormatStampMs(const SystemTime& time);
// "%04d%02d%02d": 20150312.
std::string FormatDate(const SystemTime& time);
// "%04d/%02d/%02d %02d:%02d:%02d": 2015/03/12 10:15:30.
std::string FormatSlashed(const SystemTime& time);
// "%0.1f" in the C locale.
std::string FormatOneDecimal(double value);

// Kilometres of a day (through single precision) and of a record (double precision).
std::string FormatDayKm(std::uint32_t centimetres);
std::string FormatRecordKm(std::uint64_t centimetres);

// A text as an INI value that reads back unchanged: control characters become blanks, and a
// text with blanks at either end, or enclosed in a pair of quotes, is quoted once more (the
// reader trims blanks and removes one pair of quotes).
std::string IniTextValue(std::string_view text);

}  // namespace vantrel
