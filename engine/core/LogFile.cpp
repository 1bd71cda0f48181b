#include "engine/core/LogFile.h"

#include <cstdarg>

CLogFile::CLogFile(const char* path) : m_pStream(path ? fopen(path, "w") : nullptr) {}

CLogFile::~CLogFile() {
    if (m_pStream)
        fclose(m_pStream);
}

void CLogFile::Write(const char* text) {
    if (!m_pStream || !text)
        return;
    fputs(text, m_pStream);
    fflush(m_pStream);
}

void CLogFile::Printf(const char* format, ...) {
    if (!m_pStream || !format)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(m_pStream, format, arguments);
    va_end(arguments);
    fflush(m_pStream);
}
