// SPDX-License-Identifier: GPL-3.0-or-later
// The imports end to end on generated recorder data: SD cards written by the data generator
// are imported into a fresh backup folder and the copies, record files, rows, markers and the
// card left behind are checked: first and second imports, a last file fetched again, the month
// folders, unreadable files, copies that fail, a name in two card folders, two recorders,
// import folders of one second, and the device import through a download function.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <filesystem>

#include "core/data/RecordFormat.h"
#include "core/export/CsvExport.h"
#include "core/ini/IniFile.h"
#include "core/store/BackupLayout.h"
#include "core/store/MgrTachoDB.h"
#include "tests/core/store/StoreFixtures.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/ExpectedTotals.h"
#include "tools/datagen/Generator.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

datagen::CardData Generate(const std::string& scenario, std::uint64_t seed = 7) {
    std::string error;
    auto card = datagen::GenerateCard(datagen::NamedScenario(scenario).value(), seed, &error);
    EXPECT_TRUE(card) << error;
    return std::move(card).value();
}

// The first count files of a card, as a recorder's card holds them before the later ones.
datagen::CardData FirstFiles(datagen::CardData card, std::size_t count) {
    card.files.resize(count);
    return card;
}

std::vector<std::string> Keys(const ImportResult& result) {
    std::vector<std::string> keys;
    for (const UserMessage& message : result.messages) {
        keys.push_back(message.key);
    }
    return keys;
}

class SdImport : public ::testing::Test {
protected:
    std::string Backup() const { return m_tmp.Folder("backup"); }
    std::string Root(const std::string& name = "card") const {
        std::string root = m_tmp.Folder(name);
        root.pop_back();
        return root;
    }
    std::string WriteCard(const datagen::CardData& card, const std::string& name = "card") {
        const datagen::WriteResult written = datagen::WriteSdCard(card, Root(name));
        EXPECT_TRUE(written.ok) << written.error;
        return Root(name);
    }
    std::string CopyOf(const datagen::CardData& card, std::size_t i) const {
        const datagen::GeneratedFile& f = card.files[i];
        return DtcCopyFolder(Backup(), card.DeviceIdText(), f.monthFolder) + f.name;
    }
    std::string CardFile(const datagen::CardData& card, std::size_t i) const {
        return Root() + "/dtacho/" + card.files[i].monthFolder + "/" + card.files[i].name;
    }
    ImportResult Import(const std::string& root) {
        m_progress.clear();
        return m_store.ImportFromSdCard(root, [this](int p) { m_progress.push_back(p); });
    }
    std::vector<std::string> Distances() const {
        std::vector<std::string> km;
        for (const RecordRow& row : m_store.GetRows()) {
            km.push_back(row.columns[kColDrivingDistance]);
        }
        return km;
    }
    // The distances the records of a card must show, newest first as the list shows them.
    static std::vector<std::string> ExpectedDistances(const datagen::CardData& card) {
        std::vector<std::string> km;
        for (const auto& record : datagen::ComputeExpectedTotals(card).records) {
            km.insert(km.begin(), FormatRecordKm(record.totals.sum) + " km");
        }
        return km;
    }

    TempFolder m_tmp;
    CMgrTachoDB m_store{m_tmp.Folder("backup")};
    std::vector<int> m_progress;
};

TEST_F(SdImport, FirstImportCopiesConvertsListsAndCleansTheMonthFolder) {
    const datagen::CardData card = Generate("small");  // March 2015, folder 201503
    const std::string root = WriteCard(card);
    const ImportResult result = Import(root);
    ASSERT_EQ(result.status, ImportStatus::Completed);
    EXPECT_EQ(Keys(result), std::vector<std::string>{"SDREADINGCOMPLETE"});
    EXPECT_EQ(result.messages[0].text, "SD Card reading has been complete");
    ASSERT_EQ(result.converted.size(), card.files.size());
    for (std::size_t i = 0; i < card.files.size(); ++i) {
        EXPECT_EQ(result.converted[i], CopyOf(card, i));
        const std::vector<std::uint8_t> bytes = card.files[i].Encode();
        EXPECT_EQ(TempFolder::Read(CopyOf(card, i)), std::string(bytes.begin(), bytes.end()));
    }
    EXPECT_EQ(card.files[0].monthFolder, "201503");
    EXPECT_FALSE(fs::exists(root + "/dtacho/201503"));
    EXPECT_TRUE(fs::is_directory(root + "/dtacho"));
    EXPECT_TRUE(fs::exists(root + "/log/system.log"));
    EXPECT_TRUE(result.keptOnCard.empty());
    EXPECT_EQ(Distances(), ExpectedDistances(card));
    EXPECT_EQ(m_store.GetRows()[0].columns[kColReadType], "SD");
    // The marker holds the local start of the last file converted.
    const std::string& last = card.files.back().name;
    EXPECT_EQ(ini::GetProfileString("BACKUPINFO", "LastTime", "",
                                    LastTimeFile(Backup(), card.DeviceIdText())),
              last.substr(11, 8) + last.substr(20, 6));
    // Progress as the steps state it, the decoder's 20-80 in between.
    ASSERT_FALSE(m_progress.empty());
    EXPECT_TRUE(std::is_sorted(m_progress.begin(), m_progress.end()));
    for (const int step : {0, 5, 10, 15, 20, 85, 90, 100}) {
        EXPECT_NE(std::find(m_progress.begin(), m_progress.end(), step), m_progress.end()) << step;
    }
}

TEST_F(SdImport, ASecondImportTakesOnlyTheLaterFiles) {
    const datagen::CardData card = Generate("week");
    ASSERT_GE(card.files.size(), 6u);
    const std::size_t firstCount = card.files.size() / 2;
    ASSERT_EQ(Import(WriteCard(FirstFiles(card, firstCount))).status, ImportStatus::Completed);
    const std::size_t rowsAfterFirst = m_store.GetRows().size();
    // The later card still holds the earlier files (identical to their copies) besides the
    // new ones.
    const ImportResult second = Import(WriteCard(card));
    ASSERT_EQ(second.status, ImportStatus::Completed);
    ASSERT_EQ(second.converted.size(), card.files.size() - firstCount);
    EXPECT_EQ(second.converted.front(), CopyOf(card, firstCount));
    EXPECT_GT(m_store.GetRows().size(), rowsAfterFirst);
    EXPECT_TRUE(second.keptOnCard.empty());
    EXPECT_TRUE(fs::is_empty(Root() + "/dtacho"));
    EXPECT_EQ(Import(WriteCard(card)).status, ImportStatus::NothingNew);
}

TEST_F(SdImport, TheLastFileIsFetchedAgainOnlyWhenItWasNotClosedNormally) {
    const datagen::CardData card = Generate("small");
    ASSERT_EQ(Import(WriteCard(card)).status, ImportStatus::Completed);
    const std::string marker = LastTimeFile(Backup(), card.DeviceIdText());
    ASSERT_TRUE(ini::WriteProfileString("BACKUPINFO", "NormalClose", "1", marker));
    const ImportResult closed = Import(WriteCard(card));
    EXPECT_EQ(closed.status, ImportStatus::NothingNew);
    EXPECT_TRUE(closed.messages.empty());
    ASSERT_TRUE(ini::WriteProfileString("BACKUPINFO", "NormalClose", "0", marker));
    const ImportResult open = Import(WriteCard(card));
    ASSERT_EQ(open.status, ImportStatus::Completed);
    EXPECT_EQ(open.converted, std::vector<std::string>{CopyOf(card, card.files.size() - 1)});
}

TEST_F(SdImport, AMarkerWithoutAValidTimeCountsAsNoMarker) {
    const datagen::CardData card = Generate("small");
    for (const char* content : {"[BACKUPINFO]\nNormalClose=1\n",
                                "[BACKUPINFO]\nLastTime=00000000000000\nNormalClose=1\n"}) {
        TempFolder::Write(LastTimeFile(Backup(), card.DeviceIdText()), content);
        const ImportResult result = Import(WriteCard(card));
        ASSERT_EQ(result.status, ImportStatus::Completed) << content;
        EXPECT_EQ(result.converted.size(), card.files.size()) << content;
    }
}

TEST_F(SdImport, AnUnreadableFileIsLeftOnTheCardAndNamed) {
    const datagen::CardData card = Generate("small");
    const std::string root = WriteCard(card);
    const std::string bad = root + "/dtacho/201503/VQ0A1B2CDT_20150309_230000.dtc";
    const std::string empty = root + "/dtacho/201503/VQ0A1B2CDT_20150309_230500.dtc";
    TempFolder::Write(bad, std::string(300, 'x'));  // no magic
    TempFolder::Write(empty, "");
    const ImportResult result = Import(root);
    ASSERT_EQ(result.status, ImportStatus::Completed);
    EXPECT_EQ(result.converted.size(), card.files.size());
    EXPECT_EQ(result.unreadable, (std::vector<std::string>{bad, empty}));
    EXPECT_EQ(Keys(result),
              (std::vector<std::string>{"SDREADINGCOMPLETE", "DTCFILESSKIPPED", "SDFILESKEPT"}));
    EXPECT_EQ(result.messages[1].files, result.unreadable);
    EXPECT_EQ(result.keptOnCard, (std::vector<std::string>{bad, empty}));
    EXPECT_TRUE(fs::exists(bad));
    EXPECT_EQ(Distances(), ExpectedDistances(card));
    // The good files are old at the next import; the bad one is tried again and named again.
    const ImportResult again = Import(root);
    EXPECT_EQ(again.status, ImportStatus::NothingImported);
    EXPECT_EQ(again.unreadable, (std::vector<std::string>{bad, empty}));
}

TEST_F(SdImport, AFileWhoseCopyFailsStaysOnTheCardAndOutOfTheRun) {
    const datagen::CardData card = Generate("small");
    const std::string root = WriteCard(card);
    // A folder where the copy must go: the copy cannot be put in place, whoever runs the test.
    fs::create_directories(CopyOf(card, 1));
    const ImportResult result = Import(root);
    ASSERT_EQ(result.status, ImportStatus::Completed);
    EXPECT_EQ(result.notCopied, std::vector<std::string>{CardFile(card, 1)});
    EXPECT_EQ(result.converted.size(), card.files.size() - 1);
    EXPECT_EQ(result.keptOnCard, std::vector<std::string>{CardFile(card, 1)});
    EXPECT_TRUE(fs::exists(CardFile(card, 1)));
    EXPECT_FALSE(fs::exists(CardFile(card, 0)));
    EXPECT_EQ(Keys(result),
              (std::vector<std::string>{"SDREADINGCOMPLETE", "DTCCOPYFAIL", "SDFILESKEPT"}));
}

TEST_F(SdImport, AReadOnlyBackupFolderKeepsTheWholeCard) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    const datagen::CardData card = Generate("small");
    const std::string root = WriteCard(card);
    fs::create_directories(Backup());
    fs::permissions(Backup(), fs::perms::owner_read | fs::perms::owner_exec);
    const ImportResult result = Import(root);
    fs::permissions(Backup(), fs::perms::owner_all);
    EXPECT_EQ(result.status, ImportStatus::NothingImported);
    EXPECT_EQ(result.notCopied.size(), card.files.size());
    EXPECT_EQ(result.keptOnCard.size(), card.files.size());
}

TEST_F(SdImport, ANameInTwoCardFoldersEntersTheRunOnce) {
    const datagen::CardData card = Generate("small");
    const std::string root = WriteCard(card);
    const std::string twin = root + "/dtacho/spare/" + card.files[0].name;
    fs::create_directories(root + "/dtacho/spare");
    fs::copy_file(CardFile(card, 0), twin);
    const std::string changed = root + "/dtacho/zz/" + card.files[1].name;
    std::string bytes = TempFolder::Read(CardFile(card, 1));
    bytes.back() = static_cast<char>(bytes.back() ^ 1);
    TempFolder::Write(changed, bytes);
    const ImportResult result = Import(root);
    ASSERT_EQ(result.status, ImportStatus::Completed);
    EXPECT_EQ(result.converted.size(), card.files.size());
    EXPECT_EQ(Distances(), ExpectedDistances(card));  // not doubled
    // The identical twin is safely in the backup folder; the changed one is not.
    EXPECT_FALSE(fs::exists(twin));
    EXPECT_EQ(result.keptOnCard, std::vector<std::string>{changed});
}

TEST_F(SdImport, TwoRecordersAreFilteredApart) {
    const datagen::CardData korean = Generate("small");
    const datagen::CardData western = Generate("west");
    ASSERT_EQ(Import(WriteCard(korean, "card1")).status, ImportStatus::Completed);
    ASSERT_EQ(Import(WriteCard(western, "card2")).status, ImportStatus::Completed);
    const std::vector<std::string>& devices = m_store.GetFilterEntries(RecordFilter::Device);
    EXPECT_NE(std::find(devices.begin(), devices.end(), korean.DeviceIdText()), devices.end());
    EXPECT_NE(std::find(devices.begin(), devices.end(), western.DeviceIdText()), devices.end());
    for (const datagen::CardData* card : {&korean, &western}) {
        m_store.SetFilterText(RecordFilter::Device, card->DeviceIdText());
        m_store.RefreshRecordList();
        EXPECT_EQ(Distances(), ExpectedDistances(*card)) << card->DeviceIdText();
        for (const RecordRow& row : m_store.GetRows()) {
            EXPECT_EQ(row.columns[kColDrId], card->DeviceIdText());
        }
    }
}

TEST_F(SdImport, AnImportNeverWritesIntoAnotherImportsFolder) {
    // Folders of the coming seconds exist already (imports a moment ago).
    std::int64_t now = SystemTimeToSeconds(LocalNow());
    std::vector<std::string> taken;
    for (int i = 0; i < 5; ++i) {
        taken.push_back(ImportFolder(Backup(), SecondsToSystemTime(now + i)));
        TempFolder::Write(taken.back() + "keep.txt", "earlier import");
    }
    const datagen::CardData card = Generate("small");
    const ImportResult result = Import(WriteCard(card));
    ASSERT_EQ(result.status, ImportStatus::Completed);
    EXPECT_EQ(std::find(taken.begin(), taken.end(), result.importFolder), taken.end());
    for (const std::string& folder : taken) {
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 1);
    }
    // The save time of the records names their folder.
    const std::string name = fs::path(result.importFolder).parent_path().filename().string();
    const std::string record = m_store.GetRows()[0].RecordPath();
    EXPECT_EQ(ini::GetProfileString("RECORDINFO", "SaveDateTime", "", record), name);
}

TEST_F(SdImport, WithoutACardFolderOrNewFilesNothingHappens) {
    EXPECT_EQ(Import(Root("empty")).status, ImportStatus::NoCardFolder);
    fs::create_directories(Root("bare") + "/dtacho");
    const ImportResult result = Import(Root("bare"));
    EXPECT_EQ(result.status, ImportStatus::NothingNew);
    EXPECT_TRUE(result.messages.empty());
    EXPECT_FALSE(fs::exists(Backup() + "cda"));
}

TEST_F(SdImport, WithoutABackupFolderNothingIsWrittenAnywhere) {
    const datagen::CardData card = Generate("small");
    const std::string root = WriteCard(card);
    CMgrTachoDB store("");
    const ImportResult result = store.ImportFromSdCard(root);
    EXPECT_EQ(result.status, ImportStatus::ReadFailed);
    EXPECT_EQ(Keys(result), std::vector<std::string>{"NOBACKUPFOLDER"});
    EXPECT_TRUE(fs::exists(CardFile(card, 0)));
    EXPECT_FALSE(fs::exists(card.DeviceIdText()));  // nothing relative to the working folder
    EXPECT_FALSE(fs::exists("cda"));
}

TEST_F(SdImport, ARecordOfFiveWeeksExportsEveryDay) {
    datagen::Scenario scenario = datagen::NamedScenario("small").value();
    scenario.days = 35;
    scenario.minTripsPerDay = scenario.maxTripsPerDay = 1;
    const auto card = datagen::GenerateCard(scenario, 3);
    ASSERT_TRUE(card);
    ASSERT_EQ(Import(WriteCard(*card)).status, ImportStatus::Completed);
    ASSERT_EQ(m_store.GetRows().size(), 1u);
    const std::string out = m_tmp.Folder("out");
    fs::create_directories(out);
    std::atomic<int> cancel{0};
    const CsvExportResult exported =
        ExportRecordsToCsv({m_store.GetRows()[0].RecordPath()}, out, cancel);
    EXPECT_EQ(exported.code, kExportCompleted);
    EXPECT_EQ(exported.writtenFiles.size(), 35u);
}

class DeviceImport : public SdImport {
protected:
    // A download that saves the card's files as the USB transfer does.
    DeviceDownload Download(const datagen::CardData& card, bool ok = true) {
        return [this, card, ok](std::vector<std::string>& files, const ImportProgress& progress) {
            files.clear();
            progress(0);
            for (const datagen::GeneratedFile& f : card.files) {
                const std::string path =
                    UsbDtcFolder(Backup(), card.DeviceIdText(), f.monthFolder) + f.name;
                const std::vector<std::uint8_t> bytes = f.Encode();
                TempFolder::Write(path, std::string(bytes.begin(), bytes.end()));
                files.push_back(path);
            }
            const std::vector<std::uint8_t> log = card.EncodeSystemLog();
            TempFolder::Write(DeviceFolder(Backup(), card.DeviceIdText()) + "system.log",
                              std::string(log.begin(), log.end()));
            progress(30);
            return ok;
        };
    }
};

TEST_F(DeviceImport, ConvertsWhatTheDownloadSaved) {
    const datagen::CardData card = Generate("small");
    const ImportResult result =
        m_store.ImportFromDevice(Download(card), [this](int p) { m_progress.push_back(p); });
    ASSERT_EQ(result.status, ImportStatus::Completed);
    EXPECT_EQ(Keys(result), std::vector<std::string>{"USBREADINGCOMPLETE"});
    EXPECT_EQ(result.converted.size(), card.files.size());
    EXPECT_EQ(m_store.m_aDeviceFiles.size(), card.files.size());
    EXPECT_EQ(Distances(), ExpectedDistances(card));
    EXPECT_EQ(m_store.GetRows()[0].columns[kColReadType], "USB");
    EXPECT_EQ(m_progress.back(), 100);
    for (const int step : {30, 35, 50, 60, 70, 90}) {
        EXPECT_NE(std::find(m_progress.begin(), m_progress.end(), step), m_progress.end()) << step;
    }
}

TEST_F(DeviceImport, AFailedOrEmptyDownloadEndsWithItsMessage) {
    const datagen::CardData card = Generate("small");
    const ImportResult failed = m_store.ImportFromDevice(Download(card, false));
    EXPECT_EQ(failed.status, ImportStatus::DeviceReadFailed);
    EXPECT_EQ(Keys(failed), std::vector<std::string>{"USBREADFAIL"});
    EXPECT_EQ(failed.messages[0].text, "Device read failed");
    const ImportResult empty =
        m_store.ImportFromDevice([](std::vector<std::string>& files, const ImportProgress&) {
            files.clear();
            return true;
        });
    EXPECT_EQ(empty.status, ImportStatus::NothingNew);
    EXPECT_EQ(Keys(empty), std::vector<std::string>{"USBREADINGCOMPLETE"});
    EXPECT_FALSE(fs::exists(Backup() + "cda"));
}

}  // namespace
}  // namespace vantrel
