// A file written beside its destination under a temporary name and renamed into place only
// when every write, the flush to the disk and the close succeeded, so that a failure or a
// crash never leaves half a file where the old one was. The project's one writer of files
// that must survive whole: settings, labs, the tools' output.
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

    // Opens a temporary file "<name>.tmp-XXXXXX" in the destination's folder for binary
    // writing. The destination is found as the platform layer finds names (without regard to
    // case), so an existing case variant is the one replaced. 0 when the destination exists
    // but may not be written, or the temporary file cannot be made.
    int Open(const char* path);
    FILE* GetStream() const { return m_pStream; }
    // Writes all of data; 0 on a short write.
    int Write(const void* data, size_t size);
    // Flushes to the disk, closes and renames over the destination, which keeps its mode (a
    // new one gets a plain fopen's): 1, or 0 with the temporary file gone and the destination
    // unchanged. A success also removes temporary files of the same destination that a killed
    // process left behind.
    int Commit();
    void Abandon();

private:
    void RemoveLeftovers() const;

    FILE* m_pStream = nullptr;
    std::string m_path;
    std::string m_temporaryPath;
};

// The bytes written as a whole file through a CAtomicFile: 1, or 0 with the destination as it was.
int WriteWholeFileAtomically(const char* path, const void* bytes, size_t size);
