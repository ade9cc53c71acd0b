// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/PathStringArray.h"

#include <algorithm>
#include <utility>

#include "core/app/TextCase.h"

int CPathStringArray::CompareNoCase(const std::string& a, const std::string& b) {
    const int order = vantrel::FoldCase(a).compare(vantrel::FoldCase(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool CPathStringArray::SwapIfGreater(std::size_t i) {
    if (i + 1 >= size() || CompareNoCase((*this)[i], (*this)[i + 1]) <= 0) {
        return false;
    }
    std::swap((*this)[i], (*this)[i + 1]);
    return true;
}

void CPathStringArray::Sort() {
    if (size() < 2) {
        return;
    }
    // Folding once per item keeps the comparisons cheap.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(size());
    for (std::string& item : *this) {
        keyed.emplace_back(vantrel::FoldCase(item), std::move(item));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        (*this)[i] = std::move(keyed[i].second);
    }
}
