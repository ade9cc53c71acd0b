// SPDX-License-Identifier: GPL-3.0-or-later
// The imports of the record store: an SD card through a card reader, and the recorder over
// USB through a download function. Both end in one conversion into a new import folder.
#include "core/store/MgrTachoDB.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/app/TextCase.h"
#include "core/lang/MgrLanguage.h"
#include "core/store/BackupLayout.h"
#include "core/store/CardFiles.h"
#include "core/util/FolderUtil.h"
#include "core/util/TimeUtil.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr int kReadTypeUsb = 0;
constexpr int kReadTypeSd = 1;
// A clock set back onto existing import folders finds a free second within this many tries.
constexpr int kImportFolderAttempts = 3600;

void Report(const ImportProgress& progress, int percent) {
    if (progress) {
        progress(percent);
    }
}

UserMessage Message(std::string_view key, std::string_view defaultText,
                    std::vector<std::string> files = {}) {
    return {"MESSAGE", std::string(key), GetLangText("MESSAGE", key, defaultText),
            std::move(files)};
}

// The low 32 bits of a time value, as the recorder's 32-bit times compare.
std::uint32_t Low32(std::int64_t seconds) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds) & 0xFFFFFFFFu);
}

std::string WithoutTrailingSeparators(std::string root) {
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    return root;
}

// The subfolders of the card's dtacho folder and the .dtc files in each, in name order.
std::vector<std::string> CardDtcFiles(const std::string& dtachoPath) {
    std::vector<std::string> folders;
    std::error_code ec;
    for (fs::directory_iterator it(dtachoPath, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            folders.push_back(it->path().string());
        }
    }
    SortPathsNoCase(folders);
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        std::vector<std::string> inFolder;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeEc;
            if (!it->is_directory(typeEc) &&
                EqualsNoCase(it->path().extension().string(), ".dtc")) {
                inFolder.push_back(it->path().string());
            }
        }
        SortPathsNoCase(inFolder);
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

// Imports need a backup folder: without one every path would be relative to the working folder.
ImportResult NoBackupFolder() {
    ImportResult result;
    result.status = ImportStatus::ReadFailed;
    result.messages.push_back(
        Message("NOBACKUPFOLDER", "There is no backup folder to import into"));
    return result;
}

}  // namespace

void CMgrTachoDB::FindNewDtcFiles(const std::string& dtachoPath,
                                  std::vector<std::string>& output) const {
    // Each file is judged by its own recorder's marker (a card that went from one recorder to
    // another holds files of both); a file whose header cannot be read is judged against the
    // default marker and left out later as unreadable.
    struct Marker {
        std::string deviceId;
        std::uint32_t time = 0;
        int normalClose = 1;
    };
    std::vector<Marker> markers;
    const auto markerOf = [&](const std::string& deviceId) -> Marker {
        for (const Marker& marker : markers) {
            if (marker.deviceId == deviceId) {
                return marker;
            }
        }
        Marker marker{deviceId, 0, 1};
        const std::string stamp = ReadLastTime(deviceId, marker.normalClose);
        marker.time = Low32(SystemTimeToSeconds(ParseTimeStamp(stamp, 0)));
        markers.push_back(marker);
        return markers.back();
    };
    for (const std::string& file : CardDtcFiles(dtachoPath)) {
        const Marker marker = markerOf(ReadDtcDeviceId(file).value_or(std::string()));
        const std::string name = fs::path(file).filename().string();
        const std::uint32_t fileTime = Low32(SystemTimeToSeconds(ParseTimeStamp(name, 2)));
        // A file that was still open at the last import (not closed normally) is fetched again.
        if (marker.time < fileTime || (marker.normalClose == 0 && marker.time == fileTime)) {
            output.push_back(file);
        }
    }
}

std::vector<std::string> CMgrTachoDB::LeaveOutUnreadable(const std::vector<std::string>& files,
                                                         ImportResult& result) {
    std::vector<std::string> readable;
    for (const std::string& file : files) {
        CDtcFileList single;
        single.AddFileName(file);
        if (single.ReadFiles(true)) {
            readable.push_back(file);
        } else {
            result.unreadable.push_back(file);
        }
    }
    return readable;
}

std::string CMgrTachoDB::CreateImportFolder(SystemTime& saveTime) const {
    if (!CreateFolderPath(CdaFolder(m_strBackupFolder) + "/")) {
        return {};
    }
    // Import folders are named by the second. A folder of that name belongs to another import
    // (two imports within one second), whose records must not be overwritten by this one's:
    // the save time moves on to the next free second.
    std::int64_t seconds = SystemTimeToSeconds(saveTime);
    for (int attempt = 0; attempt < kImportFolderAttempts; ++attempt) {
        const std::string folder = ImportFolder(m_strBackupFolder, saveTime);
        std::error_code ec;
        if (fs::create_directory(folder, ec)) {
            return folder;
        }
        if (ec) {
            return {};
        }
        saveTime = SecondsToSystemTime(++seconds);
        if (saveTime.IsZero()) {
            return {};
        }
    }
    return {};
}

bool CMgrTachoDB::ConvertFiles(std::vector<std::string> files, int readType,
                               const ImportProgress& progress, ImportResult& result) {
    // The device import shows 50 before and 60 after the full read; the card import 20 before.
    const bool usb = readType == kReadTypeUsb;
    SystemTime saveTime = LocalNow();
    SortPathsNoCase(files);
    const std::string folder = CreateImportFolder(saveTime);
    if (folder.empty()) {
        result.status = ImportStatus::ReadFailed;
        result.messages.push_back(Message("IMPORTFOLDERFAIL",
                                          "The import folder could not be created",
                                          {ImportFolder(m_strBackupFolder, saveTime)}));
        return false;
    }
    m_converter.m_strOutputFolder = folder;
    m_converter.m_strBackupFolder = m_strBackupFolder;
    m_converter.m_strSourceRoot = m_strSourceRoot;
    m_converter.m_stSaveTime = saveTime;
    m_converter.m_strSaveUser = m_strUserName;
    m_fileList.Clear();
    for (const std::string& file : files) {
        m_fileList.AddFileName(file);
    }
    Report(progress, usb ? 50 : 20);
    if (!m_fileList.ReadFiles(false, progress)) {
        m_fileList.Clear();
        std::error_code ec;
        fs::remove(folder, ec);  // still empty
        result.status = ImportStatus::ReadFailed;
        result.messages.push_back(
            Message("DTCREADFAIL", "The recorder files could not be read", std::move(files)));
        return false;
    }
    if (usb) {
        Report(progress, 60);
    }
    m_converter.m_pFileList = &m_fileList;
    m_converter.Convert(readType);
    m_converter.m_pFileList = nullptr;
    m_fileList.Clear();
    result.importFolder = folder;
    result.converted = std::move(files);
    result.writeFailures = m_converter.m_nWriteFailures;
    return true;
}

void CMgrTachoDB::AddLeftOutMessages(ImportResult& result) const {
    if (!result.unreadable.empty()) {
        result.messages.push_back(
            Message("DTCFILESSKIPPED",
                    "These files could not be read and were not imported:", result.unreadable));
    }
    if (!result.notCopied.empty()) {
        result.messages.push_back(
            Message("DTCCOPYFAIL",
                    "These files could not be copied into the backup folder and were not imported:",
                    result.notCopied));
    }
    if (!result.keptOnCard.empty()) {
        result.messages.push_back(Message("SDFILESKEPT",
                                          "These files were kept on the SD card because the backup "
                                          "folder holds no identical copy of them:",
                                          result.keptOnCard));
    }
    if (result.writeFailures > 0) {
        result.messages.push_back(
            Message("RECORDWRITEFAIL", "Some record files could not be written"));
    }
}

ImportResult CMgrTachoDB::ImportFromSdCard(const std::string& root,
                                           const ImportProgress& progress) {
    m_fileList.Clear();
    m_strSourceRoot = WithoutTrailingSeparators(root);
    if (m_strBackupFolder.empty()) {
        return NoBackupFolder();
    }
    ImportResult result;
    const std::string dtacho = m_strSourceRoot == "/" ? "/dtacho" : m_strSourceRoot + "/dtacho";
    std::error_code ec;
    if (root.empty() || !fs::is_directory(dtacho, ec)) {
        result.status = ImportStatus::NoCardFolder;
        return result;
    }
    Report(progress, 0);
    std::vector<std::string> newFiles;
    FindNewDtcFiles(dtacho, newFiles);
    if (newFiles.empty()) {
        result.status = ImportStatus::NothingNew;
        return result;
    }
    Report(progress, 5);
    const std::vector<std::string> readable = LeaveOutUnreadable(newFiles, result);
    Report(progress, 10);
    std::vector<std::string> copies;
    for (const std::string& file : readable) {
        const std::string target = BackupCopyPath(m_strBackupFolder, file);
        bool already = false;
        for (const std::string& copy : copies) {
            already = already || EqualsNoCase(copy, target);
        }
        // The same name in two folders of the card is one file of the recorder: it enters the
        // run once, and the cleanup keeps the one whose bytes the backup does not hold.
        if (already) {
            continue;
        }
        if (!target.empty() && CreateFolderPath(fs::path(target).parent_path().string() + "/") &&
            CopyFileVerified(file, target)) {
            copies.push_back(target);
        } else {
            result.notCopied.push_back(file);
        }
    }
    Report(progress, 15);
    if (copies.empty()) {
        result.status = ImportStatus::NothingImported;
    } else if (ConvertFiles(copies, kReadTypeSd, progress, result)) {
        Report(progress, 85);
        RebuildFilterLists();
        RefreshRecordList();
        result.status = ImportStatus::Completed;
    }
    Report(progress, 90);
    // After a failed read nothing was converted: the card keeps every file for the next try.
    if (result.status != ImportStatus::ReadFailed) {
        result.keptOnCard = CleanCardFolder(dtacho, m_strBackupFolder);
    }
    Report(progress, 100);
    if (result.status == ImportStatus::Completed) {
        result.messages.insert(result.messages.begin(),
                               Message("SDREADINGCOMPLETE", "SD Card reading has been complete"));
    }
    AddLeftOutMessages(result);
    return result;
}

ImportResult CMgrTachoDB::ImportFromDevice(const DeviceDownload& download,
                                           const ImportProgress& progress) {
    m_fileList.Clear();
    m_aDeviceFiles.clear();
    if (m_strBackupFolder.empty()) {
        return NoBackupFolder();
    }
    ImportResult result;
    // The download may report progress whether or not the caller watches it.
    const ImportProgress report = [&progress](int percent) { Report(progress, percent); };
    if (!download || !download(m_aDeviceFiles, report)) {
        result.status = ImportStatus::DeviceReadFailed;
        result.messages.push_back(Message("USBREADFAIL", "Device read failed"));
        return result;
    }
    const UserMessage complete = Message("USBREADINGCOMPLETE", "Device reading has been complete");
    if (m_aDeviceFiles.empty()) {
        result.status = ImportStatus::NothingNew;
        result.messages.push_back(complete);
        return result;
    }
    const std::vector<std::string> readable = LeaveOutUnreadable(m_aDeviceFiles, result);
    Report(progress, 35);
    if (readable.empty()) {
        result.status = ImportStatus::NothingImported;
    } else if (ConvertFiles(readable, kReadTypeUsb, progress, result)) {
        Report(progress, 70);
        Report(progress, 90);
        RebuildFilterLists();
        RefreshRecordList();
        Report(progress, 100);
        result.status = ImportStatus::Completed;
        result.messages.push_back(complete);
    }
    AddLeftOutMessages(result);
    return result;
}

}  // namespace vantrel
