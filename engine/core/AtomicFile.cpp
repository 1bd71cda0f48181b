#include "engine/core/AtomicFile.h"

CAtomicFile::~CAtomicFile() {
    Abandon();
}

int CAtomicFile::Open(const char* path) {
    Abandon();
    if (!path || !*path)
        return 0;
    m_path = path;
    m_temporaryPath = m_path + ".tmp";
    m_pStream = fopen(m_temporaryPath.c_str(), "wb");
    return m_pStream ? 1 : 0;
}

int CAtomicFile::Write(const void* data, size_t size) {
    if (!m_pStream)
        return 0;
    return size == 0 || fwrite(data, 1, size, m_pStream) == size ? 1 : 0;
}

int CAtomicFile::Commit() {
    if (!m_pStream)
        return 0;
    const bool written = fflush(m_pStream) == 0 && !ferror(m_pStream);
    const bool closed = fclose(m_pStream) == 0;
    m_pStream = nullptr;
    if (!written || !closed || rename(m_temporaryPath.c_str(), m_path.c_str()) != 0) {
        remove(m_temporaryPath.c_str());
        m_temporaryPath.clear();
        return 0;
    }
    m_temporaryPath.clear();
    return 1;
}

void CAtomicFile::Abandon() {
    if (m_pStream) {
        fclose(m_pStream);
        m_pStream = nullptr;
    }
    if (!m_temporaryPath.empty()) {
        remove(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}
