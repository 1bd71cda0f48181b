// A file written beside its destination under a temporary name and renamed into place only
// when every write and the close succeeded, so that a failure or a crash never leaves half
// a file where the old one was.
#pragma once

#include <cstdio>
#include <string>

class CAtomicFile {
public:
    CAtomicFile() = default;
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;
    // Abandons the temporary file unless Commit succeeded.
    ~CAtomicFile();

    // Opens the temporary file for binary writing; 0 when it cannot be created.
    int Open(const char* path);
    FILE* GetStream() const { return m_pStream; }
    // Writes all of data; 0 on a short write.
    int Write(const void* data, size_t size);
    // Flushes, closes and renames over the destination: 1, or 0 with the temporary file gone
    // and the destination unchanged.
    int Commit();
    void Abandon();

private:
    FILE* m_pStream = nullptr;
    std::string m_path;
    std::string m_temporaryPath;
};
