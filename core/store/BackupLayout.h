// SPDX-License-Identifier: GPL-3.0-or-later
// Where the record store keeps its data below the backup folder (a text ending in '/'):
//   <backup><id>/                    one device folder per recorder (id such as VQ0A1B2C)
//   <backup><id>/LastTime.ini        the recorder's last-import marker
//   <backup><id>/system.log          its event log as received over USB
//   <backup><id>/dtc/<YYYYMM>/       copies of the SD card's .dtc files
//   <backup><id>/usbdtc/<YYYYMM>/    .dtc files received over USB
//   <backup>cda/<YYYYMMDDhhmmss>/    one import folder per import with its record files
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/util/TimeUtil.h"

namespace vantrel {

// The stamp a recorder without a usable marker gets: every file after it is new.
inline constexpr std::string_view kNoLastTime = "20000101000000";

std::string DeviceFolder(std::string_view backup, std::string_view deviceId);
std::string LastTimeFile(std::string_view backup, std::string_view deviceId);
std::string DtcCopyFolder(std::string_view backup, std::string_view deviceId,
                          std::string_view month);
std::string UsbDtcFolder(std::string_view backup, std::string_view deviceId,
                         std::string_view month);
// "<backup>cda", without a trailing separator, as the scan takes it; empty without a backup
// folder.
std::string CdaFolder(std::string_view backup);
// "<backup>cda/<YYYYMMDDhhmmss>/" of an import's start time.
std::string ImportFolder(std::string_view backup, const SystemTime& start);

// The local time of the computer's clock, to the second (the save time of an import).
SystemTime LocalNow();

// True for a stamp YYYYMMDDhhmmss (anything after the fourteen digits is ignored) whose fields
// form a real date and time inside the validity window of the time values.
bool IsValidStamp(std::string_view stamp);

// The recorder's last-import stamp from <backup><id>/LastTime.ini ("LastTime", and its
// "NormalClose" into normalClose, default 1). Without a device folder or marker, and also when
// the marker holds no valid "LastTime" (missing, empty, 00000000000000), the result is
// kNoLastTime and normalClose keeps its value, so the recorder's files count as new.
std::string ReadLastTimeMarker(std::string_view backup, std::string_view deviceId,
                               int& normalClose);

// Sorts paths ascending without regard to letter case (ties by bytes, so the order is total):
// the order in which the recorder's platform lists names, and time order for .dtc files and
// import folders.
void SortPathsNoCase(std::vector<std::string>& paths);

}  // namespace vantrel
