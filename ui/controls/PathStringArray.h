// SPDX-License-Identifier: GPL-3.0-or-later
// CPathStringArray: a list of paths or names that sorts itself in ascending order without
// regard to letter case, equal texts keeping their order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CPathStringArray : public std::vector<std::string> {
public:
    using std::vector<std::string>::vector;

    // Ascending, letter case ignored, stable. The result is that of repeated SwapIfGreater
    // passes until one swaps nothing, reached in n log n comparisons rather than n squared
    // (folder listings run to thousands of names).
    void Sort();
    // Swaps items i and i + 1 when item i sorts after item i + 1; true when it swapped. An
    // index without a following item swaps nothing.
    bool SwapIfGreater(std::size_t i);

    // The comparison of both: -1, 0 or 1, letter case ignored.
    static int CompareNoCase(const std::string& a, const std::string& b);
};
