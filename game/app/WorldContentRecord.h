// One named record of a lab container: a type byte (for experiments 1 passed, 0 open), a name
// and a block of data, written and read field by field through the keyed cipher. The data
// has a size and, apart from it, a cursor for reading.
#pragma once

#include <cstdint>
#include <cstdio>

class CScriptCipher;

class CWorldContentRecord {
public:
    static constexpr int kNameSize = 80;
    // A wide record stores its name as this many UTF-16 units.
    static constexpr int kWideNameBytes = 2 * kNameSize;

    explicit CWorldContentRecord(CScriptCipher* cipher);
    CWorldContentRecord(const CWorldContentRecord&) = delete;
    CWorldContentRecord& operator=(const CWorldContentRecord&) = delete;
    virtual ~CWorldContentRecord();

    // Adds n bytes at the end of the data and leaves the cursor there: n, or 0 when nothing
    // could be added.
    uint32_t Append(const void* bytes, uint32_t n);
    // Copies n bytes from the cursor and moves it on: 1, or 0 (nothing copied) past the end.
    int ReadBytes(void* dst, uint32_t n);
    // The cursor, kept within the data.
    void SetPosition(uint32_t position);
    uint32_t GetPosition() const { return m_nCursor; }
    uint32_t GetSize() const { return m_nSize; }
    const uint8_t* GetData() const { return m_pData; }
    void FreeData();
    void SetType(uint32_t type) { m_nType = type; }
    // The name cut to 79 characters.
    void SetName(const char* name);

    // Takes the width for its name and writes type, size, name and data: the bytes written,
    // 0 when a field fails.
    int Write(FILE* file, const char* key, int keyLength, int wide);
    // The same fields with the name in the width given, the record's own flag unchanged.
    int WriteFields(FILE* file, const char* key, int keyLength, int wideName) const;
    // Reads the four fields, the name in the width given: the bytes read, 0 when a field is
    // missing, fails the key or announces more data than the file holds after it. The data
    // is empty after a failure.
    int Read(FILE* file, const char* key, int keyLength, int wide);

    uint32_t m_nType = 0;
    int32_t m_bWide = 0;
    char m_szName[kNameSize] = {};
    CScriptCipher* m_pCipher;  // the container's, not owned

private:
    uint32_t m_nSize = 0;
    uint32_t m_nCursor = 0;
    uint8_t* m_pData = nullptr;  // m_nSize bytes, owned
};

// The bytes a stream holds after its position; 0 when it cannot tell.
uint64_t BytesLeftInStream(FILE* file);
