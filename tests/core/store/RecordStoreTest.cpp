// SPDX-License-Identifier: GPL-3.0-or-later
// The record store's lists over a fixture backup folder: the scan (order, the title-length
// rule), the rows and their 18 columns, the three filters, the selection of a record's days,
// deleting exactly a record's own files, and the last-import marker.
#include "core/store/MgrTachoDB.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/store/BackupLayout.h"
#include "tests/core/store/StoreFixtures.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::RecordFixture;
using test::TempFolder;
using test::WriteRecord;

class RecordStore : public ::testing::Test {
protected:
    std::string Backup() const { return m_tmp.Folder("backup"); }
    std::string Add(const std::string& folder, RecordFixture r) {
        return WriteRecord(Backup(), folder, r);
    }
    static std::vector<std::string> PathColumn(const CMgrTachoDB& store) {
        std::vector<std::string> paths;
        for (const RecordRow& row : store.GetRows()) {
            paths.push_back(row.RecordPath());
        }
        return paths;
    }

    TempFolder m_tmp;
};

TEST_F(RecordStore, ScansImportFoldersInNameOrderAndSplitsByTitleLength) {
    RecordFixture later;
    later.stamp = "20160320070000";
    later.days = {"20160320", "20160321"};
    const std::string newer = Add("20160322080000", later);
    const std::string older = Add("20160316090000", {});
    // A 30-character title counts as a day file, 29 characters as a record file.
    TempFolder::Write(Backup() + "cda/20160316090000/ABCDEFGHIJKLMNOPQRSTUVWXYZ123.dat", "");
    TempFolder::Write(Backup() + "cda/20160316090000/ABCDEFGHIJKLMNOPQRSTUVWXYZ1234.DAT", "");
    TempFolder::Write(Backup() + "cda/20160316090000/notes.txt", "");
    CMgrTachoDB store(Backup());
    store.ScanRecords(CdaFolder(Backup()));
    const std::string f = Backup() + "cda/20160316090000/";
    EXPECT_EQ(store.m_aRecordFiles,
              (std::vector<std::string>{older, f + "ABCDEFGHIJKLMNOPQRSTUVWXYZ123.dat", newer}));
    const std::string g = Backup() + "cda/20160322080000/20160320070000_VQ0A1B2C_";
    EXPECT_EQ(store.m_aDayFiles,
              (std::vector<std::string>{f + "20160315081200_VQ0A1B2C_20160315.cda",
                                        f + "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234.cda",
                                        g + "20160320.cda", g + "20160321.cda"}));
    store.ScanRecords(m_tmp.Folder("nothing-here"));
    EXPECT_TRUE(store.m_aRecordFiles.empty());
    EXPECT_TRUE(store.m_aDayFiles.empty());
}

TEST_F(RecordStore, RowsShowEveryColumnNewestImportFirst) {
    RecordFixture r;
    r.saveUser = "kim";
    const std::string older = Add("20160316090000", r);
    const std::string newer = Add("20160401120000", r);
    CMgrTachoDB store(Backup());
    store.RebuildFilterLists();
    store.RefreshRecordList();
    ASSERT_EQ(PathColumn(store), (std::vector<std::string>{newer, older}));
    const RecordRow& row = store.GetRows()[1];
    EXPECT_EQ(row.itemData, 1);
    const std::array<std::string, kRecordColumnCount> expected{"",
                                                               "kim",
                                                               "2016.03.15 10:11:12",
                                                               "VQ0A1B2C",
                                                               "Driver",
                                                               "12A3456",
                                                               "2016.03.15 08:12:00",
                                                               "2016.03.15 17:20:00",
                                                               "123.4 km",
                                                               "1:00:00.5",
                                                               "0:30:00.0",
                                                               "64.8 km/h",
                                                               "2016.03.15 10:15:30.5",
                                                               "",
                                                               "X",
                                                               "SD",
                                                               "",
                                                               older};
    EXPECT_EQ(row.columns, expected);
}

TEST_F(RecordStore, ADamagedSummaryGivesEmptyCellsAndZeroDurations) {
    TempFolder::Write(Backup() + "cda/20160316090000/20160315081200_VQ0A1B2C.dat", "garbage\n");
    CMgrTachoDB store(Backup());
    store.RebuildFilterLists();
    store.RefreshRecordList();
    ASSERT_EQ(store.GetRows().size(), 1u);
    const auto& c = store.GetRows()[0].columns;
    EXPECT_EQ(c[kColSaveTime], "");
    EXPECT_EQ(c[kColDrivingDistance], " km");
    EXPECT_EQ(c[kColDrivingTime], "0:00:00.0");
    EXPECT_EQ(c[kColMaxContDrivingTime], "0:00:00.0");
}

struct ReadTypeCase {
    const char* stored;
    const char* shown;
};

class RecordStoreReadType : public RecordStore,
                            public ::testing::WithParamInterface<ReadTypeCase> {};

TEST_P(RecordStoreReadType, ShowsLocalisedUsbAndSdAndOtherValuesAsStored) {
    RecordFixture r;
    r.readType = GetParam().stored;
    Add("20160316090000", r);
    CMgrTachoDB store(Backup());
    store.RefreshRecordList();
    ASSERT_EQ(store.GetRows().size(), 1u);
    EXPECT_EQ(store.GetRows()[0].columns[kColReadType], GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Values, RecordStoreReadType,
                         ::testing::Values(ReadTypeCase{"USB", "USB"}, ReadTypeCase{"usb", "USB"},
                                           ReadTypeCase{"Sd", "SD"}, ReadTypeCase{"CARD", "CARD"},
                                           ReadTypeCase{"", ""}));

class RecordStoreFilters : public RecordStore {
protected:
    void SetUp() override {
        RecordFixture a;  // saved March 2016, vehicle 12A3456, device VQ0A1B2C
        m_a = Add("20160316090000", a);
        RecordFixture b;
        b.saveDateTime = "20160402080000";
        b.vehicle = "";
        b.drid = "VQ112233";
        m_b = Add("20160402080000", b);
        RecordFixture c;
        c.saveDateTime = "20160403080000";
        c.vehicle = "12a3456";  // the same vehicle in another letter case
        c.drid = "VQ112233";
        m_c = Add("20160403080000", c);
        m_store.SetBackupFolder(Backup());
        m_store.RebuildFilterLists();
        m_store.RefreshRecordList();
    }
    std::vector<std::string> Rows() { return PathColumn(m_store); }

    CMgrTachoDB m_store;
    std::string m_a, m_b, m_c;
};

TEST_F(RecordStoreFilters, ListEachValueOnceNewestFirstAfterAllAndEmpty) {
    using V = std::vector<std::string>;
    EXPECT_EQ(m_store.GetFilterEntries(RecordFilter::Month), (V{"All", "2016 / 04", "2016 / 03"}));
    EXPECT_EQ(m_store.GetFilterEntries(RecordFilter::Vehicle), (V{"All", "Empty", "12a3456"}));
    EXPECT_EQ(m_store.GetFilterEntries(RecordFilter::Device),
              (V{"All", "Empty", "VQ112233", "VQ0A1B2C"}));
    EXPECT_EQ(Rows(), (V{m_c, m_b, m_a}));
}

TEST_F(RecordStoreFilters, MatchBySaveMonthVehicleAndDeviceIgnoringCase) {
    using V = std::vector<std::string>;
    m_store.SelectFilterEntry(RecordFilter::Month, 2);  // 2016 / 03
    m_store.FillRecordList();
    EXPECT_EQ(Rows(), (V{m_a}));
    m_store.SelectFilterEntry(RecordFilter::Month, 0);
    m_store.SetFilterText(RecordFilter::Vehicle, "12A3456");
    m_store.FillRecordList();
    EXPECT_EQ(Rows(), (V{m_c, m_a}));
    m_store.SelectFilterEntry(RecordFilter::Vehicle, 1);  // Empty
    m_store.FillRecordList();
    EXPECT_EQ(Rows(), (V{m_b}));
    m_store.SelectFilterEntry(RecordFilter::Vehicle, 0);
    m_store.SetFilterText(RecordFilter::Device, "vq0a1b2c");
    m_store.FillRecordList();
    EXPECT_EQ(Rows(), (V{m_a}));
}

TEST_F(RecordStoreFilters, RefreshKeepsTheSelectionsAndRebuildResetsThem) {
    m_store.SelectFilterEntry(RecordFilter::Device, 2);
    m_store.RefreshRecordList();
    EXPECT_EQ(m_store.GetFilterText(RecordFilter::Device), "VQ112233");
    EXPECT_EQ(Rows().size(), 2u);
    m_store.RebuildFilterLists();
    EXPECT_EQ(m_store.GetFilterText(RecordFilter::Device), "All");
}

TEST_F(RecordStore, SelectingARecordTakesOnlyItsOwnDays) {
    RecordFixture r;
    r.days = {"20160315", "20160316"};
    const std::string record = Add("20160316090000", r);
    RecordFixture prefix = r;  // a title that begins with the first record's title
    prefix.drid = "VQ0A1B2CX";
    Add("20160316090000", prefix);
    CMgrTachoDB store(Backup());
    store.RefreshRecordList();
    store.SelectRecord(record);
    const std::string base = record.substr(0, record.size() - 4);
    EXPECT_EQ(store.m_aSelDayFiles,
              (std::vector<std::string>{base + "_20160315.cda", base + "_20160316.cda"}));
    EXPECT_EQ(store.GetSelectedRecord(), record);
}

TEST_F(RecordStore, DeletesExactlyTheRecordsFilesThenItsEmptiedFolder) {
    RecordFixture r;
    r.days = {"20160315", "20160316"};
    const std::string record = Add("20160316090000", r);
    RecordFixture prefix = r;
    prefix.drid = "VQ0A1B2CX";
    const std::string other = Add("20160316090000", prefix);
    const std::string stray = Backup() + "cda/20160316090000/20160315081200_VQ0A1B2C_notes.txt";
    TempFolder::Write(stray, "mine");
    CMgrTachoDB store(Backup());
    store.RefreshRecordList();
    store.SelectRecord(record);
    const DeleteOutcome first = store.DeleteRecordFiles(record);
    EXPECT_EQ(first.deleted.size(), 5u);  // summary, two days of .cda and .dat
    EXPECT_FALSE(first.folderRemoved);
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(stray));
    EXPECT_TRUE(store.GetSelectedRecord().empty());
    EXPECT_TRUE(store.m_aSelDayFiles.empty());

    fs::remove(stray);
    const DeleteOutcome second = store.DeleteRecordFiles(other);
    EXPECT_EQ(second.deleted.size(), 5u);
    EXPECT_TRUE(second.folderRemoved);
    EXPECT_FALSE(fs::exists(Backup() + "cda/20160316090000"));
    EXPECT_TRUE(fs::is_directory(Backup() + "cda"));
    store.RefreshRecordList();
    EXPECT_TRUE(store.GetRows().empty());
}

TEST_F(RecordStore, DeletingOutsideTheImportFoldersLeavesTheFolder) {
    const std::string folder = m_tmp.Folder("elsewhere");
    TempFolder::Write(folder + "20160315081200_VQ0A1B2C.dat", "[RECORDINFO]\n");
    CMgrTachoDB store(Backup());
    const DeleteOutcome outcome = store.DeleteRecordFiles(folder + "20160315081200_VQ0A1B2C.dat");
    EXPECT_EQ(outcome.deleted.size(), 1u);
    EXPECT_FALSE(outcome.folderRemoved);
    EXPECT_TRUE(fs::is_directory(folder));
}

struct MarkerCase {
    const char* name;
    const char* folder;   // the device folder as spelled on disk; empty: none
    const char* content;  // LastTime.ini; nullptr: no file
    const char* stamp;
    int normalClose;  // the caller passes 7
};

class LastTimeMarker : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(LastTimeMarker, ReadsTheStampOrFallsBackToTheDefault) {
    TempFolder tmp;
    const MarkerCase& c = GetParam();
    if (*c.folder != '\0') {
        fs::create_directories(tmp.Folder(c.folder));
        if (c.content != nullptr) {
            TempFolder::Write(tmp.Folder(c.folder) + "LastTime.ini", c.content);
        }
    }
    int flag = 7;
    EXPECT_EQ(ReadLastTimeMarker(tmp.Folder(), "VQ0A1B2C", flag), c.stamp);
    EXPECT_EQ(flag, c.normalClose);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LastTimeMarker,
    ::testing::Values(
        MarkerCase{"NoFolder", "", nullptr, "20000101000000", 7},
        MarkerCase{"NoFile", "VQ0A1B2C", nullptr, "20000101000000", 7},
        MarkerCase{"Valid", "VQ0A1B2C", "[BACKUPINFO]\nLastTime=20150312080102\nNormalClose=0\n",
                   "20150312080102", 0},
        MarkerCase{"NoFlag", "VQ0A1B2C", "[BACKUPINFO]\nLastTime=20150312080102\n",
                   "20150312080102", 1},
        MarkerCase{"NoStamp", "VQ0A1B2C", "[BACKUPINFO]\nNormalClose=0\n", "20000101000000", 7},
        MarkerCase{"ZeroStamp", "VQ0A1B2C", "[BACKUPINFO]\nLastTime=00000000000000\n",
                   "20000101000000", 7},
        MarkerCase{"NoDate", "VQ0A1B2C", "[BACKUPINFO]\nLastTime=20151332250000\n",
                   "20000101000000", 7},
        MarkerCase{"OtherCase", "vq0a1b2c", "[BACKUPINFO]\nLastTime=20150312080102\n",
                   "20150312080102", 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantrel
