// SPDX-License-Identifier: GPL-3.0-or-later
// The download and the format exchange of CDeviceLink.
#include "device/DeviceLink.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/app/TextCase.h"
#include "core/ini/IniFile.h"
#include "core/store/BackupLayout.h"
#include "core/util/FolderUtil.h"
#include "core/util/TimeUtil.h"
#include "device/DeviceProtocol.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCommandBufferSize = 1024;
constexpr std::string_view kEndLine = "#END\r\n";
constexpr std::string_view kLogEntry = "log/system.log";
// "dtacho/" before the month of a fetch entry, and the month's length.
constexpr std::size_t kEntryMonthStart = 7;
constexpr std::size_t kMonthLength = 6;
constexpr std::size_t kDtcNameLength = 30;

void Report(const ImportProgress& progress, int percent) {
    if (progress) {
        progress(percent);
    }
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string LastChars(const std::string& text, std::size_t count) {
    return text.size() <= count ? text : text.substr(text.size() - count);
}

// The folders of the backup folder, in name order, so the match does not depend on the order
// in which the file system lists them.
std::vector<std::string> BackupSubfolders(const std::string& backup) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(backup, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteWholeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    return !out.fail();
}

}  // namespace

CDeviceLink::CDeviceLink(UsbFunctions functions, std::string backupFolder)
    : m_usb(functions), m_strBackupFolder(std::move(backupFolder)) {
    if (!m_strBackupFolder.empty() && m_strBackupFolder.back() != '/') {
        m_strBackupFolder.push_back('/');
    }
}

bool CDeviceLink::Open() {
    m_strPending.clear();
    m_bLineTooLong = false;
    if (!m_usb.IsBound()) {
        return false;
    }
    m_nDevice = m_usb.m_pfnUsbOpen(0);
    return m_nDevice != 0;
}

void CDeviceLink::Close() {
    if (m_nDevice != 0) {
        m_usb.m_pfnUsbClose(m_nDevice);
        m_nDevice = 0;
    }
    m_strPending.clear();
}

bool CDeviceLink::Send(const std::string& command) {
    if (command.size() >= kCommandBufferSize) {
        return false;
    }
    char buffer[kCommandBufferSize] = {};
    std::memcpy(buffer, command.data(), command.size());
    const auto length = static_cast<std::uint32_t>(command.size());
    // A command that goes out only in part is not sent.
    return m_usb.m_pfnUsbWrite(buffer, length, m_nDevice) == static_cast<std::int32_t>(length);
}

bool CDeviceLink::ReadDeviceLine(char* line) {
    m_bLineTooLong = false;
    std::size_t lineEnd = m_strPending.find("\r\n");
    while (lineEnd == std::string::npos) {
        if (m_strPending.size() >= kDeviceLineSize) {
            break;
        }
        char buffer[kDeviceLineSize] = {};
        const std::int32_t got = m_usb.m_pfnUsbRead(buffer, kDeviceLineSize, m_nDevice);
        if (got <= 0) {
            return false;
        }
        const auto received = std::min(static_cast<std::size_t>(got), kDeviceLineSize);
        m_strPending.append(buffer, strnlen(buffer, received));
        lineEnd = m_strPending.find("\r\n");
    }
    const std::size_t length = lineEnd == std::string::npos ? m_strPending.size() : lineEnd + 2;
    if (length >= kDeviceLineSize) {
        // The rest of the stream cannot be told apart from the long line any more.
        m_bLineTooLong = true;
        m_strPending.clear();
        return false;
    }
    std::memcpy(line, m_strPending.data(), length);
    line[length] = '\0';
    m_strPending.erase(0, length);
    return true;
}

CDeviceLink::AnswerEnd CDeviceLink::ReadAnswer(const LineHandler& onLine, int& lineCount) {
    lineCount = 0;
    char buffer[kDeviceLineSize];
    for (;;) {
        if (!ReadDeviceLine(buffer)) {
            return m_bLineTooLong ? AnswerEnd::TooLong : AnswerEnd::Silent;
        }
        const std::string line(buffer);
        if (line.find(kEndLine) != std::string::npos) {
            return AnswerEnd::End;
        }
        onLine(++lineCount, line);
    }
}

std::string CDeviceLink::FindDeviceBackup(const std::string& identity, std::string& folderName,
                                          int& normalClose) const {
    std::string result(kNoLastTime);
    folderName.clear();
    std::string matched;
    if (!m_strBackupFolder.empty()) {
        const std::vector<std::string> names = BackupSubfolders(m_strBackupFolder);
        const auto exact = std::find(names.begin(), names.end(), identity);
        if (exact != names.end()) {
            matched = *exact;
        }
        for (std::size_t i = 0; matched.empty() && i < names.size(); ++i) {
            if (EqualsNoCase(LastChars(names[i], 8), identity)) {
                matched = names[i];
            }
        }
    }
    if (matched.empty()) {
        folderName = identity;
        return result;
    }
    folderName = Upper(matched);
    const ini::IniFile marker = ini::IniFile::Load(m_strBackupFolder + matched + "/LastTime.ini");
    if (marker.exists()) {
        // A marker without a valid stamp counts as none: every file of the recorder is new.
        const std::string stamp = marker.GetString("BACKUPINFO", "LastTime", "");
        if (IsValidStamp(stamp)) {
            result = stamp;
            normalClose = marker.GetInt("BACKUPINFO", "NormalClose", 1);
        }
    }
    return result;
}

bool CDeviceLink::ReadDeviceFiles(std::vector<std::string>& files, const ImportProgress& progress) {
    files.clear();
    if (m_strBackupFolder.empty() || !Open()) {
        return false;
    }
    const bool complete = RunDownload(files, progress);
    Close();
    if (complete) {
        Report(progress, 30);
    }
    return complete;
}

bool CDeviceLink::RunDownload(std::vector<std::string>& files, const ImportProgress& progress) {
    if (!Send("#LIST dtacho\r\n")) {
        return false;
    }
    Report(progress, 0);
    Backup backup;
    std::vector<std::int64_t> months;
    if (!ReadMonthListing(backup, months)) {
        return false;
    }
    Report(progress, 10);
    std::vector<std::string> fetch{std::string(kLogEntry)};
    for (const std::int64_t month : months) {
        if (!Send("#LIST dtacho/" + std::to_string(month) + "\r\n") ||
            !ReadFileListing(backup, fetch)) {
            return false;
        }
    }
    Report(progress, 20);
    for (std::size_t i = 0; i < fetch.size(); ++i) {
        if (!FetchEntry(fetch[i], i == 0, backup, files)) {
            return false;
        }
    }
    return true;
}

bool CDeviceLink::ReadMonthListing(Backup& backup, std::vector<std::int64_t>& months) {
    bool identified = false;
    bool identityValid = true;
    std::vector<std::int64_t> listed;
    const auto onLine = [&](int number, const std::string& line) {
        const std::vector<std::string> fields = SplitDeviceFields(line);
        if (number == 2) {
            const std::string identity = fields.size() > 1 ? LastChars(fields[1], 8) : "";
            identified = true;
            identityValid = IsValidDeviceIdentity(identity);
            if (!identityValid) {
                return;
            }
            const std::string stamp =
                FindDeviceBackup(identity, backup.folderName, backup.normalClose);
            backup.lastTime = SystemTimeToSeconds(ParseTimeStamp(stamp, 0));
            backup.firstMonth = std::stoll(stamp.substr(0, kMonthLength));
        } else if (number >= 4 && fields[0].size() >= kMonthLength) {
            const std::string month = LastChars(fields[0], kMonthLength);
            // A month field that is not six digits names no folder the program asks for.
            if (IsDigits(month, kMonthLength)) {
                listed.push_back(std::stoll(month));
            }
        }
    };
    int lines = 0;
    // A listing cut short may hide months whose files a later import would then never fetch.
    if (ReadAnswer(onLine, lines) != AnswerEnd::End || !identified || !identityValid) {
        return false;
    }
    for (const std::int64_t month : listed) {
        if (month >= backup.firstMonth &&
            std::find(months.begin(), months.end(), month) == months.end()) {
            months.push_back(month);
        }
    }
    return true;
}

bool CDeviceLink::ReadFileListing(const Backup& backup, std::vector<std::string>& fetch) {
    const auto onLine = [&](int number, const std::string& line) {
        if (number < 4) {
            return;
        }
        const std::vector<std::string> fields = SplitDeviceFields(line);
        if (fields.size() < 2 || !EqualsNoCase(fields[1], "F") || !IsValidRecorderPath(fields[0])) {
            return;
        }
        const std::int64_t recordTime = SystemTimeToSeconds(ParseTimeStamp(fields[0], 1));
        // A last import that was cut short may have taken its newest file only in part.
        const bool isNew = recordTime > backup.lastTime ||
                           (recordTime == backup.lastTime && backup.normalClose == 0);
        const std::string entry = fields[0].substr(1);
        if (isNew && std::find(fetch.begin(), fetch.end(), entry) == fetch.end()) {
            fetch.push_back(entry);
        }
    };
    int lines = 0;
    return ReadAnswer(onLine, lines) == AnswerEnd::End;
}

bool CDeviceLink::FetchEntry(const std::string& entry, bool isLog, const Backup& backup,
                             std::vector<std::string>& files) {
    const std::string folder = isLog ? DeviceFolder(m_strBackupFolder, backup.folderName)
                                     : UsbDtcFolder(m_strBackupFolder, backup.folderName,
                                                    entry.substr(kEntryMonthStart, kMonthLength));
    const std::string path =
        folder + (isLog ? std::string("system.log") : LastChars(entry, kDtcNameLength));
    std::error_code ec;
    const bool existed = fs::exists(path, ec);
    bool created = CreateFolderPath(folder);
    if (created) {
        // Opened without truncating: a copy from an earlier download stays whole until the
        // new transfer is complete.
        std::ofstream probe(path, std::ios::binary | std::ios::app);
        created = probe.is_open();
    }
    if (!created) {
        // Without its log the recorder's data still imports; without a data file it does not.
        return isLog;
    }
    std::string data;
    // An incomplete file must not be converted and marked as imported: its rest would never
    // be fetched again.
    if (!Transfer(entry, data)) {
        if (!existed) {
            fs::remove(path, ec);
        }
        return false;
    }
    if (!WriteWholeFile(path, data)) {
        fs::remove(path, ec);
        return false;
    }
    if (!isLog) {
        files.push_back(path);
    }
    return true;
}

bool CDeviceLink::Transfer(const std::string& entry, std::string& data) {
    std::string command = "#FILE " + entry + "\r\n";
    bool lastLine = false;
    int answersWithoutData = 0;
    for (;;) {
        if (!Send(command)) {
            return false;
        }
        bool gotData = false;
        const auto onLine = [&](int number, const std::string& line) {
            command = "#NEXT\r\n";
            if (number < 4 || line.empty() || line[0] != '#' || lastLine) {
                return;
            }
            const bool more = EndsWithCommaLineEnd(line);
            lastLine = !more;
            AppendBase64Decoded(std::string_view(line).substr(1, line.size() - (more ? 4 : 3)),
                                data);
            gotData = true;
        };
        int lines = 0;
        const AnswerEnd end = ReadAnswer(onLine, lines);
        if (lastLine && end != AnswerEnd::TooLong) {
            return true;
        }
        if (end != AnswerEnd::End) {
            return false;
        }
        // A recorder that keeps answering without data (a lone "#END", an error line) would
        // be asked for ever.
        answersWithoutData = gotData ? 0 : answersWithoutData + 1;
        if (answersWithoutData >= kMaxAnswersWithoutData) {
            return false;
        }
    }
}

bool CDeviceLink::FormatDevice() {
    if (!Open()) {
        return false;
    }
    if (!Send("#FORMAT\r\n")) {
        Close();
        return false;
    }
    // The answer's content does not matter; a silent recorder ends it with the read time-out.
    int lines = 0;
    ReadAnswer([](int, const std::string&) {}, lines);
    Close();
    return true;
}

DeviceDownload CDeviceLink::Download() {
    return [this](std::vector<std::string>& files, const ImportProgress& progress) {
        return ReadDeviceFiles(files, progress);
    };
}

}  // namespace vantrel
