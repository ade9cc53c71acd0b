// SPDX-License-Identifier: GPL-3.0-or-later
// Letter-case-blind comparison of user input (login identifiers and passwords). Account
// identifiers and passwords may hold any letter the keyboard gives, so the fold covers the
// scripts with letter case that operators type: Latin (ASCII, Latin-1, Latin Extended-A,
// Vietnamese), Greek, Cyrillic and fullwidth Latin. Letters of other scripts have no case and
// compare as they are; bytes that are not valid UTF-8 compare byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The text with every upper-case letter of the covered scripts replaced by its lower-case
// form (one character for one, as the platform's simple lower-case mapping does).
std::string FoldCase(std::string_view utf8);
// True when both texts are equal after FoldCase.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace vantrel
