// SPDX-License-Identifier: GPL-3.0-or-later
// Paths of the backup folder, the import's save time and the last-import marker.
#include "core/store/BackupLayout.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/app/TextCase.h"
#include "core/data/RecordFormat.h"
#include "core/ini/IniFile.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::string Join(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    path.append(name);
    return path;
}

// The device folder as the file system spells it: <backup><id> when it is there, else a
// folder whose name is the id in another letter case (data brought from a system whose file
// names ignore case); empty when there is none.
std::string FindDeviceFolder(std::string_view backup, std::string_view deviceId) {
    std::error_code ec;
    const std::string exact = Join(backup, deviceId);
    if (fs::is_directory(exact, ec)) {
        return exact;
    }
    for (fs::directory_iterator it(std::string(backup), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc) && EqualsNoCase(it->path().filename().string(), deviceId)) {
            return it->path().string();
        }
    }
    return {};
}

}  // namespace

std::string DeviceFolder(std::string_view backup, std::string_view deviceId) {
    return Join(backup, deviceId) + "/";
}

std::string LastTimeFile(std::string_view backup, std::string_view deviceId) {
    return DeviceFolder(backup, deviceId) + "LastTime.ini";
}

std::string DtcCopyFolder(std::string_view backup, std::string_view deviceId,
                          std::string_view month) {
    return DeviceFolder(backup, deviceId) + "dtc/" + std::string(month) + "/";
}

std::string UsbDtcFolder(std::string_view backup, std::string_view deviceId,
                         std::string_view month) {
    return DeviceFolder(backup, deviceId) + "usbdtc/" + std::string(month) + "/";
}

std::string CdaFolder(std::string_view backup) {
    // Without a backup folder there is no cda folder (never one relative to the working
    // folder).
    return backup.empty() ? std::string() : Join(backup, "cda");
}

std::string ImportFolder(std::string_view backup, const SystemTime& start) {
    return CdaFolder(backup) + "/" + FormatStamp(start) + "/";
}

SystemTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SystemTime time;
    time.wYear = static_cast<std::uint16_t>(local.tm_year + 1900);
    time.wMonth = static_cast<std::uint16_t>(local.tm_mon + 1);
    time.wDayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    time.wDay = static_cast<std::uint16_t>(local.tm_mday);
    time.wHour = static_cast<std::uint16_t>(local.tm_hour);
    time.wMinute = static_cast<std::uint16_t>(local.tm_min);
    // A leap second reads as the last second of its minute.
    time.wSecond = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    return time;
}

bool IsValidStamp(std::string_view stamp) {
    if (stamp.size() < 14) {
        return false;
    }
    for (std::size_t i = 0; i < 14; ++i) {
        if (std::isdigit(static_cast<unsigned char>(stamp[i])) == 0) {
            return false;
        }
    }
    SystemTime fields = ParseTimeStamp(stamp, 0);
    const std::int64_t seconds = SystemTimeToSeconds(fields);
    if (seconds < kMinValidSeconds || seconds > kMaxValidSeconds) {
        return false;
    }
    // Fields that only roll over into a date (month 13, minute 60) are not a stamp.
    SystemTime back = SecondsToSystemTime(seconds);
    back.wDayOfWeek = fields.wDayOfWeek = 0;
    back.wMilliseconds = fields.wMilliseconds = 0;
    return back == fields;
}

std::string ReadLastTimeMarker(std::string_view backup, std::string_view deviceId,
                               int& normalClose) {
    const std::string folder = FindDeviceFolder(backup, deviceId);
    if (folder.empty()) {
        return std::string(kNoLastTime);
    }
    const ini::IniFile marker = ini::IniFile::Load(Join(folder, "LastTime.ini"));
    if (!marker.exists()) {
        return std::string(kNoLastTime);
    }
    std::string stamp = marker.GetString("BACKUPINFO", "LastTime", "");
    if (!IsValidStamp(stamp)) {
        return std::string(kNoLastTime);
    }
    normalClose = marker.GetInt("BACKUPINFO", "NormalClose", 1);
    return stamp;
}

void SortPathsNoCase(std::vector<std::string>& paths) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(paths.size());
    for (std::string& path : paths) {
        keyed.emplace_back(FoldCase(path), std::move(path));
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        paths[i] = std::move(keyed[i].second);
    }
}

}  // namespace vantrel
