// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the .dtc reader through its real entry point: the input becomes one to three files
// (the first byte chooses how many and whether only headers are read), ReadFiles decodes them
// with one numbering, and the totals and last-sample scans run over the first decoded file.
// Besides the sanitizers it checks what the decoder promises about the files it accepts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzTempFolder.h"
#include "core/data/DtcFileList.h"
#include "core/data/FileTotals.h"
#include "core/data/RecordModel.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int files = 1 + data[0] % 3;
    const bool headersOnly = (data[0] & 0x80) != 0;
    ++data;
    --size;
    CDtcFileList list;
    const std::size_t part = size / static_cast<std::size_t>(files);
    for (int i = 0; i < files; ++i) {
        const std::size_t offset = part * static_cast<std::size_t>(i);
        const std::size_t length = i == files - 1 ? size - offset : part;
        const std::string path = fuzz::TempFolder() + "f" + std::to_string(i) + ".dtc";
        fuzz::WriteFile(path, data + offset, length);
        list.AddFileName(path);
    }
    const bool ok = list.ReadFiles(headersOnly);
    if (ok != (list.InfoCount() == list.FileCount()) || list.InfoCount() > list.FileCount()) {
        std::abort();
    }
    for (const stFileInfo& info : list.m_aFileInfos) {
        if ((info.ClosedNormally() && info.EndTime() < info.StartTime()) ||
            (info.EndTime() != 0 && info.EndTime() < kMinValidSeconds)) {
            std::abort();
        }
        (void)info.DriverName();
        (void)info.VehicleNo();
    }
    // The scans read every sample of a record; once per input keeps the fuzzer fast.
    if (!list.m_aFileInfos.empty()) {
        const stFileInfo& info = list.m_aFileInfos.front();
        const FileTotals totals = ScanFileTotals(info, SecondsToSystemTime(info.StartTime()));
        const LastSample last = FindLastSample(info);
        if (totals.count > kSamplesPerDay || totals.longestRun > totals.count ||
            last.found != (totals.count > 0)) {
            std::abort();
        }
    }
    return 0;
}
