// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV writer: file names, the day's text, and the walk over records and days.
#include "core/export/CsvExport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "core/data/RecordModel.h"
#include "core/ini/IniFile.h"
#include "core/lang/MgrLanguage.h"
#include "core/util/TimeUtil.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";

// Characters [pos, pos + len) of a text that may be shorter: a missing part is empty.
std::string_view Slice(std::string_view text, std::size_t pos, std::size_t len) {
    return pos < text.size() ? text.substr(pos, len) : std::string_view{};
}

// The field'th comma-separated item; nullopt when the list has fewer fields ("a,b," has the
// three fields a, b and the empty one, an empty list one empty field).
std::optional<std::string_view> ListItem(std::string_view list, std::uint32_t field) {
    for (std::uint32_t i = 0; i < field; ++i) {
        const std::size_t comma = list.find(',');
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        list.remove_prefix(comma + 1);
    }
    return list.substr(0, list.find(','));
}

void AppendTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

void AppendUnsigned(std::string& out, unsigned value) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) {
        out.push_back(digits[--n]);
    }
}

void AppendDate(std::string& out, std::string_view yyyymmdd) {
    out.append(Slice(yyyymmdd, 0, 4));
    out.push_back('.');
    out.append(Slice(yyyymmdd, 4, 2));
    out.push_back('.');
    out.append(Slice(yyyymmdd, 6, 2));
}

void AppendHeader(std::string& out, const CsvDaySummary& summary) {
    out.append("Driving Date : ");
    AppendDate(out, summary.drivingDate);
    out.append(kLineEnd);
    out.append("Driving Distance : ").append(summary.drivingCm).append(" km").append(kLineEnd);
    out.append("Driving Time : ").append(FormatHalfSeconds(summary.drivingTime)).append(kLineEnd);
    out.append("Max Speed : ").append(summary.maxSpeed).append(" km/h (");
    out.append(FormatTimeStamp(summary.maxSpeedDateTime, true)).append(")");
    out.append(kLineEnd).append(kLineEnd);
}

// Reads at most one day image; the rest of the buffer stays 0xFF. False on a read error
// (a folder in place of the file, an I/O error), with the reason in error.
bool ReadDayImage(const std::string& path, std::vector<std::uint8_t>& image, std::string& error) {
    image.assign(kDayImageBytes, 0xFF);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    const std::size_t got = std::fread(image.data(), 1, image.size(), file.get());
    if (got < image.size() && std::ferror(file.get())) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

// Writes the text and closes the file; any failure (creation, a short write, a full disk at
// the flush) removes what was written.
bool WriteWholeFile(const std::string& path, std::string_view text, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int savedErrno = ok ? 0 : errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        error = std::strerror(savedErrno != 0 ? savedErrno : EIO);
        std::error_code ec;
        fs::remove(path, ec);
    }
    return ok;
}

CsvDaySummary ReadDaySummary(const std::string& path) {
    const ini::IniFile file = ini::IniFile::Load(path);
    CsvDaySummary summary;
    summary.drivingDate = file.GetString("CDA", "DrivingDate", "");
    summary.drivingCm = file.GetString("CDA", "DrivingCM", "");
    summary.drivingTime = static_cast<std::uint32_t>(file.GetInt("CDA", "DrivingTime", 0));
    summary.maxSpeed = file.GetString("CDA", "MaxSpeed", "");
    summary.maxSpeedDateTime = file.GetString("CDA", "MaxSpeedDateTime", "");
    return summary;
}

std::string FileTitle(std::string_view recordPath) {
    std::error_code ec;
    if (!fs::exists(fs::path(recordPath), ec)) {
        return {};
    }
    return fs::path(recordPath).stem().string();
}

enum class DayOutcome { Written, Skipped, Failed };

class Exporter {
public:
    Exporter(std::string_view outputFolder, const std::atomic<int>& cancelFlag,
             const CsvExportCallbacks& callbacks)
        : m_strFolder(outputFolder), m_cancel(cancelFlag), m_callbacks(callbacks) {}

    CsvExportResult Run(const std::vector<std::string>& recordPaths) {
        const int count = static_cast<int>(recordPaths.size());
        for (int i = 0; i < count && !m_bStop; ++i) {
            if (Canceled()) {
                break;
            }
            ExportRecord(recordPaths[static_cast<std::size_t>(i)], i + 1, count);
        }
        if (!m_bFailed && m_cancel.load() != 0) {
            m_result.code = kExportCanceled;
        }
        return std::move(m_result);
    }

private:
    bool Canceled() {
        if (m_cancel.load() != 0) {
            m_bStop = true;
        }
        return m_bStop;
    }

    void ExportRecord(const std::string& recordPath, int number, int count) {
        const ini::IniFile record = ini::IniFile::Load(recordPath);
        // The date list is read whole: a record of more than 28 days does not fit 255
        // characters.
        const std::string dates =
            record.GetString("RECORDINFO", "DrivingDate", "", ini::kUnlimited);
        const auto dayCount =
            static_cast<std::uint32_t>(record.GetInt("RECORDINFO", "DrivingDateCount", 0));
        if (m_callbacks.onRecord) {
            m_callbacks.onRecord(number, count, dayCount);
        }
        for (std::uint32_t j = 0; j < dayCount; ++j) {
            if (Canceled()) {
                return;
            }
            const std::optional<std::string_view> date = ListItem(dates, j);
            if (!date) {
                return;
            }
            if (date->empty()) {
                continue;
            }
            if (m_callbacks.onDay) {
                m_callbacks.onDay(j + 1, number, count);
            }
            if (ExportDay(recordPath, *date) == DayOutcome::Failed) {
                m_bFailed = true;
                m_bStop = true;
                m_result.code = kExportFailed;
                return;
            }
        }
    }

    DayOutcome ExportDay(const std::string& recordPath, std::string_view date) {
        const std::string samplePath = RecordDayFilePath(recordPath, date, ".cda");
        std::error_code ec;
        if (!fs::exists(samplePath, ec)) {
            return DayOutcome::Skipped;
        }
        std::string error;
        if (!ReadDayImage(samplePath, m_image, error)) {
            return Fail(samplePath, error);
        }
        const CsvDaySummary summary = ReadDaySummary(RecordDayFilePath(recordPath, date, ".dat"));
        const std::string text = FormatCsvDay(summary, date, m_image.data(), m_image.size());
        std::string outPath = CsvFilePath(m_strFolder, recordPath, date);
        if (!WriteWholeFile(outPath, text, error)) {
            return Fail(outPath, error);
        }
        m_result.writtenFiles.push_back(std::move(outPath));
        return DayOutcome::Written;
    }

    DayOutcome Fail(const std::string& path, const std::string& error) {
        m_result.failedFile = path;
        m_result.failure = error;
        return DayOutcome::Failed;
    }

    std::string m_strFolder;
    const std::atomic<int>& m_cancel;
    const CsvExportCallbacks& m_callbacks;
    CsvExportResult m_result;
    std::vector<std::uint8_t> m_image;
    bool m_bFailed = false;
    bool m_bStop = false;
};

}  // namespace

std::string FormatCsvDay(const CsvDaySummary& summary, std::string_view date,
                         const std::uint8_t* dayImage, std::size_t dayImageBytes) {
    std::string out;
    AppendHeader(out, summary);
    std::string prefix = ", ";
    AppendDate(prefix, date);
    prefix.append(", ");
    const std::size_t samples = std::min(dayImageBytes / 2, kSamplesPerDay);
    // About a third of a day holds samples on a busy day; reserve for that much.
    out.reserve(out.size() + samples / 3 * (prefix.size() + 22));
    for (std::size_t i = 0; i < samples; ++i) {
        const unsigned sample = dayImage[2 * i] | (unsigned{dayImage[2 * i + 1]} << 8);
        if (sample == kNoSample) {
            continue;
        }
        const int halfSecond = static_cast<int>(i % kSamplesPerMinute);
        const int minuteOfDay = static_cast<int>(i / kSamplesPerMinute);
        out.append(prefix);
        AppendTwoDigits(out, minuteOfDay / kMinutesPerHour);
        out.push_back(':');
        AppendTwoDigits(out, minuteOfDay % kMinutesPerHour);
        out.push_back(':');
        AppendTwoDigits(out, halfSecond / 2);
        out.append(halfSecond % 2 == 0 ? ".000, " : ".500, ");
        AppendUnsigned(out, sample);
        out.append(kLineEnd);
    }
    return out;
}

std::string RecordDayFilePath(std::string_view recordPath, std::string_view date,
                              std::string_view extension) {
    const fs::path record{std::string(recordPath)};
    std::string name = record.stem().string();
    name.append("_").append(date).append(extension);
    return (record.parent_path() / name).string();
}

std::string CsvFilePath(std::string_view outputFolder, std::string_view recordPath,
                        std::string_view date) {
    std::string path(outputFolder);
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    path.append(FileTitle(recordPath)).append("_").append(date).append(".csv");
    return path;
}

CsvExportResult ExportRecordsToCsv(const std::vector<std::string>& recordPaths,
                                   std::string_view outputFolder,
                                   const std::atomic<int>& cancelFlag,
                                   const CsvExportCallbacks& callbacks) {
    Exporter exporter(outputFolder, cancelFlag, callbacks);
    return exporter.Run(recordPaths);
}

std::string_view ExportResultKey(int code) {
    switch (code) {
        case kExportFailed:
            return "EXPORTFAIL";
        case kExportCanceled:
            return "EXPORTCANCEL";
        default:
            return "EXPORTOK";
    }
}

std::string ExportResultText(int code) {
    switch (code) {
        case kExportFailed:
            return GetLangText("MESSAGE", "EXPORTFAIL", "The export failed");
        case kExportCanceled:
            return GetLangText("MESSAGE", "EXPORTCANCEL", "The export was canceled");
        default:
            return GetLangText("MESSAGE", "EXPORTOK", "The export was completed");
    }
}

}  // namespace vantrel
