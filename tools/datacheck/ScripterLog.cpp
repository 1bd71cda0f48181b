#include "tools/datacheck/ScripterLog.h"

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "engine/core/FileBytes.h"
#include "engine/core/LogFile.h"

namespace {

// Every message of the scripter and its reader reads "<function> - ERROR: <what>"; some end
// without a line feed, so the next message can follow on the same line.
constexpr std::string_view kErrorMark = " - ERROR";

bool IsNameChar(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':';
}

// The start of the function name in front of the mark at `mark`.
size_t MessageStart(const std::string& text, size_t mark) {
    while (mark > 0 && IsNameChar(text[mark - 1]))
        --mark;
    return mark;
}

}  // namespace

CScripterLog::CScripterLog() {
    std::error_code failure;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(failure);
    if (failure)
        return;
    std::string pattern = (folder / "check_data-XXXXXX").string();
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        return;
    close(descriptor);
    m_path = pattern;
    m_pLog = std::make_unique<CLogFile>(m_path.c_str());
    if (!m_pLog->IsOpen())
        m_pLog.reset();
}

CScripterLog::~CScripterLog() {
    m_pLog.reset();
    if (!m_path.empty())
        remove(m_path.c_str());
}

std::vector<std::string> CScripterLog::TakeErrors() {
    std::vector<uint8_t> bytes;
    if (!m_pLog || !ReadFileBytes(m_path.c_str(), &bytes) || bytes.size() <= m_nRead)
        return {};
    const std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(m_nRead), bytes.end());
    m_nRead = bytes.size();
    std::vector<std::string> errors;
    for (size_t mark = text.find(kErrorMark); mark != std::string::npos;) {
        const size_t start = MessageStart(text, mark);
        const size_t next = text.find(kErrorMark, mark + kErrorMark.size());
        size_t end = text.find_first_of("\r\n", mark);
        if (next != std::string::npos && (end == std::string::npos || next < end))
            end = MessageStart(text, next);
        errors.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        mark = next;
    }
    return errors;
}
