// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the files of a conversion run.
#include "core/data/DtcFileList.h"

#include <cassert>
#include <fstream>

#include "core/data/DtcDecoder.h"

namespace vantrel {
namespace {

// The whole content of a file, in one piece. False when the file cannot be opened, is empty,
// is larger than the limit, or delivers fewer bytes than its size.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& content) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size <= 0 || static_cast<std::uintmax_t>(size) > CDtcFileList::kMaxFileBytes) {
        return false;
    }
    content.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(content.data()), size);
    return file.gcount() == size;
}

}  // namespace

void CDtcFileList::Clear() {
    m_aFileNames.clear();
    m_aFileInfos.clear();
    m_nCurrentIndex = 0;
}

bool CDtcFileList::ReadFiles(bool headersOnly, const Progress& progress) {
    if (m_aFileNames.empty()) {
        return false;
    }
    DtcNumbering numbering;
    std::vector<std::uint8_t> content;  // one file's bytes at a time
    const std::size_t count = m_aFileNames.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!headersOnly && progress) {
            progress(static_cast<int>(20 + (i * 60) / count));
        }
        stFileInfo info;
        if (!ReadWholeFile(m_aFileNames[i], content) ||
            !DecodeDtc(content, headersOnly, numbering, info)) {
            return false;
        }
        m_aFileInfos.push_back(std::move(info));
    }
    return true;
}

const std::string& CDtcFileList::GetFileName(std::size_t index) const {
    assert(index < m_aFileNames.size());
    static const std::string kNone;
    return index < m_aFileNames.size() ? m_aFileNames[index] : kNone;
}

std::string CDtcFileList::GetDeviceId(std::size_t index) const {
    assert(index < m_aFileInfos.size());
    return index < m_aFileInfos.size() ? m_aFileInfos[index].DeviceId() : std::string();
}

const stFileInfo& CDtcFileList::GetFileInfo(std::size_t index) const {
    assert(index < m_aFileInfos.size());
    return m_aFileInfos[index];
}

}  // namespace vantrel
