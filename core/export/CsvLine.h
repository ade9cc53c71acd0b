// SPDX-License-Identifier: GPL-3.0-or-later
// One line of a CSV table: fields joined by commas, a field quoted (its quotes doubled) when it
// holds a comma, a quote or a line break; the line ends in "\n".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

std::string CsvField(std::string_view text);
std::string CsvLine(const std::vector<std::string>& fields);

}  // namespace vantrel
