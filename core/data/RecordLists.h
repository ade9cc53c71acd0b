// SPDX-License-Identifier: GPL-3.0-or-later
// The record store's shared lists, read by the views: which records and day sample files
// exist and which record is selected. Plain data; the store fills it.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

struct RecordLists {
    std::vector<std::string> m_aRecordFiles;  // record summary files, enumeration order
    std::vector<std::string> m_aDayFiles;     // day sample files (".cda"), same order
    std::string m_strSelRecord;               // summary file of the selected record
    std::vector<std::string> m_aSelDayFiles;  // its day sample files, in m_aDayFiles order
};

}  // namespace vantrel
