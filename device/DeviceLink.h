// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceLink: the program's side of the recorder's USB line protocol over the bound
// device-link functions. A download lists the recorder's month folders and files, fetches the
// .dtc files that are new since the last import of that recorder and its system.log, and
// writes them below the backup folder; the format command orders the recorder to erase its
// eMMC storage.
//
// The recorder's answers are checked before they touch the disk: its identity names a device
// folder only as eight letters or digits, and a file entry is fetched only when its path is
// "/dtacho/YYYYMM/" and a 30-character .dtc name. A download fails (and nothing of it is
// imported) when a listing or a file transfer stops short, a line is 4096 bytes or longer, or
// the recorder keeps answering a file request without data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/store/ImportResult.h"
#include "device/PlumexBinding.h"

namespace vantrel {

// Size of a protocol line buffer, the NUL included: a line with its CR LF is at most 4095 bytes.
inline constexpr std::size_t kDeviceLineSize = 4096;
// Answers to one file request in a row that bring no data line before the download gives up.
inline constexpr int kMaxAnswersWithoutData = 16;

class CDeviceLink {
public:
    // backupFolder ends in '/' (one is added otherwise).
    CDeviceLink(UsbFunctions functions, std::string backupFolder);

    // Reads one line with its CR LF into line (kDeviceLineSize bytes), NUL-terminated. Bytes
    // that came after the CR LF wait for the next call. False when the recorder sends nothing
    // more, or when the line would not fit (LastLineTooLong tells which).
    bool ReadDeviceLine(char* line);
    bool LastLineTooLong() const { return m_bLineTooLong; }

    // The last-backup stamp of the recorder with this identity, from the LastTime.ini of its
    // device folder: "20000101000000" when there is no folder, no marker or no valid
    // "LastTime" (normalClose is then left as it is), else the stamp and "NormalClose"
    // (1 when missing). folderName gets the device folder's name in capitals, or the identity
    // when there is no folder yet. A folder named exactly as the identity wins over others
    // whose last eight characters match it in another letter case.
    std::string FindDeviceBackup(const std::string& identity, std::string& folderName,
                                 int& normalClose) const;

    // One complete download. files is emptied, then gets the full path of every .dtc file
    // written, in transfer order (not the system log). Progress: 0 once the recorder takes the
    // listing command, 10 after the month listing, 20 after the file listings, 30 at the end.
    // True when the exchange ran to its end with every file complete.
    bool ReadDeviceFiles(std::vector<std::string>& files, const ImportProgress& progress = {});

    // Sends "#FORMAT" and reads the answer up to its "#END" line or the recorder's silence.
    // True when the command was sent.
    bool FormatDevice();

    // ReadDeviceFiles as the download function of CMgrTachoDB::ImportFromDevice; the link
    // must outlive it.
    DeviceDownload Download();

private:
    enum class AnswerEnd { End, Silent, TooLong };
    using LineHandler = std::function<void(int lineNumber, const std::string& line)>;
    struct Backup {
        std::string folderName;
        std::int64_t lastTime = 0;
        std::int64_t firstMonth = 0;
        int normalClose = 1;
    };

    bool Open();
    void Close();
    bool Send(const std::string& command);
    // Reads one answer up to its "#END" line, numbering its other lines from 1.
    AnswerEnd ReadAnswer(const LineHandler& onLine, int& lineCount);
    bool RunDownload(std::vector<std::string>& files, const ImportProgress& progress);
    bool ReadMonthListing(Backup& backup, std::vector<std::int64_t>& months);
    bool ReadFileListing(const Backup& backup, std::vector<std::string>& fetch);
    bool FetchEntry(const std::string& entry, bool isLog, const Backup& backup,
                    std::vector<std::string>& files);
    bool Transfer(const std::string& entry, std::string& data);

    UsbFunctions m_usb;
    std::string m_strBackupFolder;
    std::int32_t m_nDevice = 0;
    std::string m_strPending;  // received bytes after the last line handed out
    bool m_bLineTooLong = false;
};

}  // namespace vantrel
