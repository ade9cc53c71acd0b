// SPDX-License-Identifier: GPL-3.0-or-later
// What an import tells its caller: how it ended and the messages the operator is to see, each
// with its language key and its text in the active language, for the window's message boxes
// and the command-line tool's output.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// A message of the system: section and key of the language files, the text looked up, and the
// files it is about (shown after the text, one a line), if any.
struct UserMessage {
    std::string section;
    std::string key;
    std::string text;
    std::vector<std::string> files;
};

enum class ImportStatus {
    NoCardFolder,     // the chosen root holds no dtacho folder (nothing shown)
    NothingNew,       // no file newer than the recorder's marker (nothing shown)
    NothingImported,  // every new file was left out (unreadable, or its copy failed)
    ReadFailed,       // the copies in the backup folder could not be decoded
    DeviceReadFailed,
    Completed,
};

struct ImportResult {
    ImportStatus status = ImportStatus::NothingNew;
    std::vector<UserMessage> messages;    // in the order to show them
    std::string importFolder;             // the folder the records went to; empty when none
    std::vector<std::string> converted;   // the .dtc files converted, in conversion order
    std::vector<std::string> unreadable;  // new files left out (they stay where they were)
    std::vector<std::string> notCopied;   // card files whose copy into the backup folder failed
    std::vector<std::string> keptOnCard;  // card files not deleted by the cleanup
    int writeFailures = 0;                // record files that could not be written

    bool Succeeded() const {
        return status == ImportStatus::Completed || status == ImportStatus::NothingNew;
    }
};

// Progress of an import, 0 to 100; called on the importing thread.
using ImportProgress = std::function<void(int percent)>;

// The download of the device import (the USB transfer): empties deviceFiles, fetches the files
// that are new for the connected recorder into <backup><id>/usbdtc/<YYYYMM>/, appends every
// saved path, saves the recorder's log as <backup><id>/system.log, and reports progress
// (leaving it at 30). True when the exchange ran to its end.
using DeviceDownload =
    std::function<bool(std::vector<std::string>& deviceFiles, const ImportProgress& progress)>;

}  // namespace vantrel
