// SPDX-License-Identifier: GPL-3.0-or-later
// CMgrTachoDB, the record store: the backup folder's layout, the recorders' last-import
// markers, the lists of all records and day files below the backup folder, the record list's
// rows and filter entries, the selected record, deleting records, and the two imports (an SD
// card, the recorder over USB). It owns the .dtc file list and the converter, which also holds
// the day the views show.
//
// The store shows nothing: it returns rows, filter entries and messages, and the window (or
// the command-line tool) shows them. It is used from one thread at a time; an import may run
// on a worker thread while the window leaves the store alone.
//
// Paths are kept as the file system spells them (it tells letter case apart); where paths or
// filter texts are compared, letter case is ignored.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/data/DtcFileList.h"
#include "core/data/InfoDtcFile.h"
#include "core/data/RecordLists.h"
#include "core/store/ImportResult.h"
#include "core/store/RecordDeletion.h"
#include "core/store/RecordList.h"

namespace vantrel {

// The shared lists (m_aRecordFiles, m_aDayFiles, m_strSelRecord, m_aSelDayFiles) come from
// RecordLists, so the views can be handed them alone.
class CMgrTachoDB : public RecordLists {
public:
    // backupFolder ends in '/' (one is added otherwise).
    explicit CMgrTachoDB(std::string backupFolder = {});
    CMgrTachoDB(const CMgrTachoDB&) = delete;
    CMgrTachoDB& operator=(const CMgrTachoDB&) = delete;

    // The settings' backup folder; a change takes effect at the next scan or import.
    void SetBackupFolder(std::string backupFolder);
    const std::string& GetBackupFolder() const { return m_strBackupFolder; }
    // The logged-in user's name, saved with every record an import writes (empty: a guest).
    void SetUserName(std::string userName) { m_strUserName = std::move(userName); }
    const std::string& GetUserName() const { return m_strUserName; }

    // --- The record lists -------------------------------------------------------------------
    // The recorder's last-import stamp and closed-normally flag (see ReadLastTimeMarker).
    std::string ReadLastTime(const std::string& deviceId, int& normalClose) const;
    // Refills m_aRecordFiles and m_aDayFiles from the import folders below cdaPath, oldest
    // import first (folders and files in name order). A file whose title is longer than 29
    // characters is a day summary; its day sample file (".cda") goes to m_aDayFiles.
    void ScanRecords(const std::string& cdaPath);
    // Rescans and refills the three filters: "All" in each, "Empty" in the vehicle and device
    // filters, then the months, devices and vehicles of the records, newest import first; the
    // selection of each becomes "All".
    void RebuildFilterLists();
    // Refills the rows from m_aRecordFiles, newest first, keeping the records that match the
    // three selections.
    void FillRecordList();
    // ScanRecords of the backup folder's "cda" folder, then FillRecordList; the selections stay.
    void RefreshRecordList();

    const std::vector<RecordRow>& GetRows() const { return m_aRows; }
    const std::vector<std::string>& GetFilterEntries(RecordFilter filter) const;
    // The selection as the list's text; SelectFilterEntry takes an index into the entries
    // (ignored outside them), SetFilterText any text (as typed on the command line).
    const std::string& GetFilterText(RecordFilter filter) const;
    void SelectFilterEntry(RecordFilter filter, std::size_t index);
    void SetFilterText(RecordFilter filter, std::string text);

    // --- Selection ------------------------------------------------------------------------
    const std::string& GetDayFilePath(std::size_t index) const { return m_aDayFiles.at(index); }
    const std::string& GetSelectedRecord() const { return m_strSelRecord; }
    const std::string& GetSelectedDayFile(std::size_t index) const {
        return m_aSelDayFiles.at(index);
    }
    // Makes the record selected and collects its day sample files from m_aDayFiles, in that
    // list's order (may be none).
    void SelectRecord(const std::string& recordPath);
    void ClearSelection();

    // --- Deleting -------------------------------------------------------------------------
    // The record's own files, then its import folder once empty; a deleted record that was
    // selected is no longer selected. The lists are not refreshed (RefreshRecordList).
    DeleteOutcome DeleteRecordFiles(const std::string& recordPath);

    // --- Imports --------------------------------------------------------------------------
    // Imports the card whose root (the folder holding dtacho/) is given.
    ImportResult ImportFromSdCard(const std::string& root, const ImportProgress& progress = {});
    // The card's .dtc files newer than their recorder's marker, in name order.
    void FindNewDtcFiles(const std::string& dtachoPath, std::vector<std::string>& output) const;
    // Downloads through the given function (the USB transfer), then converts what it saved.
    // The operator's confirmation is asked by the caller before.
    ImportResult ImportFromDevice(const DeviceDownload& download,
                                  const ImportProgress& progress = {});

    std::string m_strSourceRoot;              // root given to the last SD card import
    std::vector<std::string> m_aDeviceFiles;  // .dtc files the last USB transfer saved
    CDtcFileList m_fileList;                  // the current import's files
    CInfoDtcFile m_converter;                 // the converter and the displayed day

private:
    struct FilterState {
        std::vector<std::string> entries;
        std::string selection;
    };
    FilterState& Filter(RecordFilter filter);
    const FilterState& Filter(RecordFilter filter) const;

    // Import steps shared by both imports.
    std::vector<std::string> LeaveOutUnreadable(const std::vector<std::string>& files,
                                                ImportResult& result);
    bool ConvertFiles(std::vector<std::string> files, int readType, const ImportProgress& progress,
                      ImportResult& result);
    std::string CreateImportFolder(SystemTime& saveTime) const;
    void AddLeftOutMessages(ImportResult& result) const;

    std::string m_strBackupFolder;
    std::string m_strUserName;
    FilterState m_filters[3];
    std::vector<RecordRow> m_aRows;
};

}  // namespace vantrel
