// SPDX-License-Identifier: GPL-3.0-or-later
// The record store's lists: scanning the import folders, the filters, the rows, the selection
// and deleting records. The imports are in MgrTachoDBImport.cpp.
#include "core/store/MgrTachoDB.h"

#include <filesystem>
#include <system_error>

#include "core/app/TextCase.h"
#include "core/store/BackupLayout.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Record summary titles have 23 characters, day file titles 32.
constexpr std::size_t kLongestRecordTitle = 29;
// "_YYYYMMDD.cda" after the record's path without ".dat".
constexpr std::size_t kDaySuffixLength = 13;

std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

bool HasDatExtension(std::string_view name) {
    return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".dat");
}

// The names of the folders (or of the ".dat" files) in a folder, in name order.
std::vector<std::string> SortedNames(const std::string& folder, bool folders) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        const bool isFolder = it->is_directory(typeEc);
        std::string name = it->path().filename().string();
        if (folders ? isFolder : (!isFolder && HasDatExtension(name))) {
            names.push_back(std::move(name));
        }
    }
    SortPathsNoCase(names);
    return names;
}

std::string_view WithoutSuffix(std::string_view text, std::size_t length) {
    return text.size() >= length ? text.substr(0, text.size() - length) : std::string_view{};
}

// A filter's selection: "All" lets every record pass, anything else only equal values.
struct Selection {
    Selection(std::string value, const std::string& all)
        : text(std::move(value)), any(EqualsNoCase(text, all)) {}
    bool Matches(const std::string& value) const { return any || EqualsNoCase(text, value); }

    std::string text;
    bool any;
};

// The first sight of a value adds it to a filter (empty values are remembered, not listed).
void AddOnce(std::vector<std::string>& seen, std::vector<std::string>& entries,
             const std::string& value) {
    for (const std::string& known : seen) {
        if (EqualsNoCase(known, value)) {
            return;
        }
    }
    seen.push_back(value);
    if (!value.empty()) {
        entries.push_back(value);
    }
}

}  // namespace

CMgrTachoDB::CMgrTachoDB(std::string backupFolder) {
    SetBackupFolder(std::move(backupFolder));
    const std::string all = AllText();
    for (FilterState& filter : m_filters) {
        filter.selection = all;
    }
}

void CMgrTachoDB::SetBackupFolder(std::string backupFolder) {
    if (!backupFolder.empty() && backupFolder.back() != '/') {
        backupFolder.push_back('/');
    }
    m_strBackupFolder = std::move(backupFolder);
}

std::string CMgrTachoDB::ReadLastTime(const std::string& deviceId, int& normalClose) const {
    return ReadLastTimeMarker(m_strBackupFolder, deviceId, normalClose);
}

void CMgrTachoDB::ScanRecords(const std::string& cdaPath) {
    m_aRecordFiles.clear();
    m_aDayFiles.clear();
    if (cdaPath.empty()) {
        return;
    }
    const std::string root = cdaPath.back() == '/' ? cdaPath : cdaPath + "/";
    for (const std::string& folderName : SortedNames(root, true)) {
        const std::string folder = root + folderName + "/";
        for (const std::string& name : SortedNames(folder, false)) {
            std::string path = folder + name;
            if (CharCount(std::string_view(name).substr(0, name.size() - 4)) >
                kLongestRecordTitle) {
                path.replace(path.size() - 4, 4, ".cda");
                m_aDayFiles.push_back(std::move(path));
            } else {
                m_aRecordFiles.push_back(std::move(path));
            }
        }
    }
}

CMgrTachoDB::FilterState& CMgrTachoDB::Filter(RecordFilter filter) {
    return m_filters[static_cast<int>(filter)];
}

const CMgrTachoDB::FilterState& CMgrTachoDB::Filter(RecordFilter filter) const {
    return m_filters[static_cast<int>(filter)];
}

void CMgrTachoDB::RebuildFilterLists() {
    ScanRecords(CdaFolder(m_strBackupFolder));
    const std::string all = AllText();
    const std::string empty = EmptyText();
    FilterState& months = Filter(RecordFilter::Month);
    FilterState& vehicles = Filter(RecordFilter::Vehicle);
    FilterState& devices = Filter(RecordFilter::Device);
    months.entries = {all};
    vehicles.entries = {all, empty};
    devices.entries = {all, empty};
    std::vector<std::string> seenMonths;
    std::vector<std::string> seenDevices;
    std::vector<std::string> seenVehicles;
    for (auto it = m_aRecordFiles.rbegin(); it != m_aRecordFiles.rend(); ++it) {
        const RecordSummary summary = ReadRecordSummary(*it);
        AddOnce(seenMonths, months.entries, MonthText(summary.saveDateTime));
        AddOnce(seenDevices, devices.entries, summary.drid);
        AddOnce(seenVehicles, vehicles.entries, summary.vehicleNo);
    }
    for (FilterState& filter : m_filters) {
        filter.selection = filter.entries.front();
    }
}

void CMgrTachoDB::FillRecordList() {
    m_aRows.clear();
    const std::string all = AllText();
    const std::string empty = EmptyText();
    // "Empty" asks for the records without a device or vehicle.
    const auto emptied = [&empty](const std::string& text) {
        return EqualsNoCase(text, empty) ? std::string() : text;
    };
    const Selection month(Filter(RecordFilter::Month).selection, all);
    const Selection device(emptied(Filter(RecordFilter::Device).selection), all);
    const Selection vehicle(emptied(Filter(RecordFilter::Vehicle).selection), all);
    const RowTexts texts = RowTexts::Current();
    m_aRows.reserve(m_aRecordFiles.size());
    for (auto it = m_aRecordFiles.rbegin(); it != m_aRecordFiles.rend(); ++it) {
        const RecordSummary summary = ReadRecordSummary(*it);
        if ((!month.any && !month.Matches(MonthText(summary.saveDateTime))) ||
            !device.Matches(summary.drid) || !vehicle.Matches(summary.vehicleNo)) {
            continue;
        }
        m_aRows.push_back(BuildRecordRow(summary, *it, static_cast<int>(m_aRows.size()), texts));
    }
}

void CMgrTachoDB::RefreshRecordList() {
    ScanRecords(CdaFolder(m_strBackupFolder));
    FillRecordList();
}

const std::vector<std::string>& CMgrTachoDB::GetFilterEntries(RecordFilter filter) const {
    return Filter(filter).entries;
}

const std::string& CMgrTachoDB::GetFilterText(RecordFilter filter) const {
    return Filter(filter).selection;
}

void CMgrTachoDB::SelectFilterEntry(RecordFilter filter, std::size_t index) {
    FilterState& state = Filter(filter);
    if (index < state.entries.size()) {
        state.selection = state.entries[index];
    }
}

void CMgrTachoDB::SetFilterText(RecordFilter filter, std::string text) {
    Filter(filter).selection = std::move(text);
}

void CMgrTachoDB::SelectRecord(const std::string& recordPath) {
    m_strSelRecord = recordPath;
    m_aSelDayFiles.clear();
    const std::string_view base = WithoutSuffix(recordPath, 4);
    for (const std::string& day : m_aDayFiles) {
        if (day.size() == base.size() + kDaySuffixLength &&
            EqualsNoCase(WithoutSuffix(day, kDaySuffixLength), base)) {
            m_aSelDayFiles.push_back(day);
        }
    }
}

void CMgrTachoDB::ClearSelection() {
    m_strSelRecord.clear();
    m_aSelDayFiles.clear();
}

DeleteOutcome CMgrTachoDB::DeleteRecordFiles(const std::string& recordPath) {
    DeleteOutcome outcome = vantrel::DeleteRecordFiles(recordPath, CdaFolder(m_strBackupFolder));
    if (!m_strSelRecord.empty() && EqualsNoCase(m_strSelRecord, recordPath)) {
        ClearSelection();
    }
    return outcome;
}

}  // namespace vantrel
