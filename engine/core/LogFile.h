// The application's text log. Every write is flushed at once, so the log is complete up to
// a crash; a log that could not be opened takes writes silently.
#pragma once

#include <cstdio>

class CLogFile {
public:
    // Opens (and empties) the file for text writing.
    explicit CLogFile(const char* path);
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;
    ~CLogFile();

    bool IsOpen() const { return m_pStream != nullptr; }
    // Writes the text as it is; no line end is added.
    void Write(const char* text);
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    FILE* m_pStream;
};
