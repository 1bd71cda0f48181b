#include "game/app/WorldContent.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/LittleEndian.h"
#include "engine/core/frame/BaseGame.h"
#include "engine/sound/SoundDevice.h"
#include "game/app/WorldContentRecord.h"
#include "winapi/base/WinPath.h"

namespace {

constexpr int kNodesPerBlock = 20;
// Written raw in front of a wide lab or an export of one.
constexpr uint8_t kWideMark[2] = {0xFE, 0xFF};

int KeyLengthOf(const char* key) {
    return key ? static_cast<int>(strlen(key)) : 0;
}

CWorldContentRecord* RecordOf(const CPointerList::Node* node) {
    return static_cast<CWorldContentRecord*>(node->m_data);
}

// Byte counts summed for the caller's int, which a lab of 2 GB would pass.
int CappedTotal(int64_t total) {
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

// What reading and writing fields share: the stream, the key and the bytes counted so far.
// Any failure sticks.
class CFieldStream {
public:
    CFieldStream(CScriptCipher* cipher, FILE* file, const char* key)
        : m_pCipher(cipher), m_pFile(file), m_pKey(key), m_nKeyLength(KeyLengthOf(key)) {}

    void Count(int bytes) {
        if (bytes <= 0)
            m_bFailed = true;
        else
            m_nTotal += bytes;
    }
    bool Failed() const { return m_bFailed; }
    int64_t Total() const { return m_nTotal; }
    int KeyLength() const { return m_nKeyLength; }
    FILE* Stream() const { return m_pFile; }

protected:
    CScriptCipher* m_pCipher;
    FILE* m_pFile;
    const char* m_pKey;
    int m_nKeyLength;
    int64_t m_nTotal = 0;
    bool m_bFailed = false;
};

// Enciphered fields written one after another.
class CFieldWriter : public CFieldStream {
public:
    using CFieldStream::CFieldStream;

    void Field(const void* data, int length) {
        if (m_bFailed)
            return;
        const int written =
            m_pCipher->EncipherAndWrite(static_cast<const uint8_t*>(data), length, m_pKey, m_nKeyLength, m_pFile);
        // An empty field without a key is no bytes at all.
        if (written != length + m_nKeyLength)
            m_bFailed = true;
        else
            m_nTotal += written;
    }
    void U32(uint32_t value) {
        uint8_t bytes[4];
        PutLittleEndian32(bytes, value);
        Field(bytes, 4);
    }
    void Raw(const void* data, size_t length) {
        if (!m_bFailed && fwrite(data, 1, length, m_pFile) != length)
            m_bFailed = true;
    }
};

// Enciphered fields of a known size read one after another.
class CFieldReader : public CFieldStream {
public:
    using CFieldStream::CFieldStream;

    bool Field(void* out, int length) {
        if (!m_bFailed &&
            m_pCipher->ReadAndDecipher(static_cast<uint8_t*>(out), length, m_pKey, m_nKeyLength, m_pFile) == length)
            m_nTotal += length + m_nKeyLength;
        else
            m_bFailed = true;
        return !m_bFailed;
    }
    bool U32(uint32_t* value) {
        uint8_t bytes[4];
        if (!Field(bytes, 4))
            return false;
        *value = GetLittleEndian32(bytes);
        return true;
    }
};

// Reads the wide mark, or goes back to where it began: whether the mark was there.
bool ReadWideMark(FILE* file) {
    const long start = ftell(file);
    uint8_t mark[2];
    if (fread(mark, 1, 2, file) == 2 && mark[0] == kWideMark[0] && mark[1] == kWideMark[1])
        return true;
    fseek(file, start < 0 ? 0 : start, SEEK_SET);
    return false;
}

// Writes a whole file in one piece: the wide mark when asked, then the fields `write` adds. The
// bytes of the enciphered fields, or 0 with the old file untouched when anything failed.
int WriteWholeFile(const char* path, CScriptCipher* cipher, const char* key, bool bWide,
                   const std::function<void(CFieldWriter*)>& write) {
    CAtomicFile file;
    if (!file.Open(path))
        return 0;
    CFieldWriter out(cipher, file.GetStream(), key);
    if (bWide)
        out.Raw(kWideMark, sizeof kWideMark);
    write(&out);
    if (out.Failed() || !file.Commit())
        return 0;
    return CappedTotal(out.Total());
}

}  // namespace

CWorldContent::CWorldContent(CBaseGame* owner) : m_Records(0, kNodesPerBlock), m_pOwner(owner) {}

CWorldContent::~CWorldContent() {
    Clear();
}

void CWorldContent::StepSound() const {
    if (m_pOwner && m_pOwner->m_pSoundDevice)
        m_pOwner->m_pSoundDevice->Update();
}

void CWorldContent::SetDirectory(const char* directory) {
    memset(m_szDirectory, 0, sizeof m_szDirectory);
    if (directory)
        strncpy(m_szDirectory, directory, sizeof m_szDirectory - 1);
}

void CWorldContent::SetSuffix(const char* suffix) {
    memset(m_szSuffix, 0, sizeof m_szSuffix);
    if (suffix)
        strncpy(m_szSuffix, suffix, sizeof m_szSuffix - 1);
}

bool CWorldContent::BuildPath(const char* name, char* path) const {
    if (!name)
        return false;
    const int length = snprintf(path, 2 * kPathSize, "%s%s%s", m_szDirectory, name, m_szSuffix);
    return length > 0 && length < 2 * kPathSize;
}

// --- the lab file ------------------------------------------------------------------------------

int CWorldContent::Save(const char* name, const void* header, int headerLength, const char* key) {
    char path[2 * kPathSize];
    if (!BuildPath(name, path) || headerLength < 0 || (headerLength > 0 && !header))
        return 0;
    return WriteWholeFile(path, &m_Cipher, key, m_bWide, [&](CFieldWriter* out) {
        out->U32(static_cast<uint32_t>(GetCount()));
        out->Field(m_szTitle, kTitleSize);
        out->U32(m_nBestScore);
        if (headerLength > 0)
            out->Field(header, headerLength);
        out->U32(m_nExtraValue);
        for (CPointerList::Node* node = m_Records.m_pHead; node && !out->Failed(); node = node->m_pNext) {
            StepSound();
            out->Count(RecordOf(node)->Write(out->Stream(), key, out->KeyLength(), m_bWide));
        }
    });
}

int CWorldContent::Load(const char* name, void* header, int headerLength, const char* key) {
    if (header && headerLength > 0)
        memset(header, 0, static_cast<size_t>(headerLength));
    char path[2 * kPathSize];
    if (!BuildPath(name, path))
        return 0;
    FILE* file = winapi::FileOpen(path, "rb");
    if (!file)
        return 0;
    const int total = LoadFrom(file, header, headerLength, key);
    fclose(file);
    return total;
}

int CWorldContent::LoadFrom(FILE* file, void* header, int headerLength, const char* key) {
    if (header && headerLength > 0)
        memset(header, 0, static_cast<size_t>(headerLength));
    if (!file || headerLength < 0 || (headerLength > 0 && !header))
        return 0;
    Clear();
    m_bWide = ReadWideMark(file) ? 1 : 0;
    CFieldReader in(&m_Cipher, file, key);
    uint32_t count = 0;
    in.U32(&count);
    in.Field(m_szTitle, kTitleSize);
    m_szTitle[kTitleSize - 1] = '\0';
    in.U32(&m_nBestScore);
    if (headerLength > 0)
        in.Field(header, headerLength);
    in.U32(&m_nExtraValue);
    if (in.Failed())
        return 0;
    for (uint32_t i = 0; i < count; ++i) {
        CWorldContentRecord* record = AddRecord("");
        StepSound();
        const int read = record->Read(file, key, in.KeyLength(), m_bWide);
        if (read <= 0) {
            // The failing record holds nothing: those before it stay.
            Forget(record);
            return 0;
        }
        in.Count(read);
    }
    m_pCurrent = nullptr;
    return CappedTotal(in.Total());
}

// --- exported experiments ----------------------------------------------------------------------

int CWorldContent::ExportRecord(const char* path, const CWorldContentRecord* record, const void* header,
                                int headerLength, const char* key) {
    if (!record || !path || headerLength < 0 || (headerLength > 0 && !header))
        return 0;
    return WriteWholeFile(path, &m_Cipher, key, m_bWide, [&](CFieldWriter* out) {
        if (headerLength > 0)
            out->Field(header, headerLength);
        StepSound();
        // Always the 80-byte name; the record keeps its own width.
        if (!out->Failed())
            out->Count(record->WriteFields(out->Stream(), key, out->KeyLength(), 0));
    });
}

int CWorldContent::ImportRecord(const char* path, CWorldContentRecord** out, void* header, int headerLength,
                                const char* key, int replace) {
    if (out)
        *out = nullptr;
    if (header && headerLength > 0)
        memset(header, 0, static_cast<size_t>(headerLength));
    FILE* file = path ? winapi::FileOpen(path, "rb") : nullptr;
    if (!file)
        return 0;
    const int total = ImportFrom(file, out, header, headerLength, key, replace);
    fclose(file);
    return total;
}

int CWorldContent::ImportFrom(FILE* file, CWorldContentRecord** out, void* header, int headerLength, const char* key,
                              int replace) {
    if (out)
        *out = nullptr;
    if (header && headerLength > 0)
        memset(header, 0, static_cast<size_t>(headerLength));
    if (!file || headerLength < 0 || (headerLength > 0 && !header))
        return 0;
    const bool bMarked = ReadWideMark(file);
    CWorldContentRecord* record = AddRecord("");
    CFieldReader in(&m_Cipher, file, key);
    if (headerLength > 0)
        in.Field(header, headerLength);
    StepSound();
    if (!in.Failed())
        in.Count(record->Read(file, key, in.KeyLength(), 0));
    if (in.Failed()) {
        Forget(record);
        return 0;
    }
    // The body was written in the exporting lab's width; the lab operations convert it.
    record->m_bWide = bMarked ? 1 : 0;
    if (replace) {
        if (CWorldContentRecord* same = FindRecord(record->m_szName, record)) {
            m_Records.RemoveAt(CPointerList::Position{&m_Records, NodeOf(record)});
            m_Records.Insert(nullptr, record, CPointerList::Position{&m_Records, NodeOf(same)}, 1);
            StepSound();
            Forget(same);
            m_pCurrent = record;
        }
    }
    if (out)
        *out = record;
    return CappedTotal(in.Total());
}

// --- the record list ---------------------------------------------------------------------------

CWorldContentRecord* CWorldContent::AddRecord(const char* name) {
    auto* record = new CWorldContentRecord(&m_Cipher);
    record->m_bWide = m_bWide;
    record->SetName(name);
    m_Records.Append(record);
    m_pCurrent = record;
    return record;
}

CWorldContentRecord* CWorldContent::GetRecord(int index) const {
    if (index < 0)
        return nullptr;
    int i = 0;
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext, ++i) {
        if (i == index)
            return RecordOf(node);
    }
    return nullptr;
}

CWorldContentRecord* CWorldContent::FindRecord(const char* name, const CWorldContentRecord* skip) const {
    if (!name)
        return nullptr;
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext) {
        CWorldContentRecord* record = RecordOf(node);
        if (record != skip && strcmp(record->m_szName, name) == 0)
            return record;
    }
    return nullptr;
}

int CWorldContent::IndexOf(const CWorldContentRecord* record) const {
    int i = 0;
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext, ++i) {
        if (RecordOf(node) == record)
            return i;
    }
    return -1;
}

CPointerList::Node* CWorldContent::NodeOf(const CWorldContentRecord* record) const {
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext) {
        if (RecordOf(node) == record)
            return node;
    }
    return nullptr;
}

void CWorldContent::Forget(CWorldContentRecord* record) {
    for (CPointerList::Node* node = m_Records.m_pHead; node;) {
        CPointerList::Node* next = node->m_pNext;
        if (RecordOf(node) == record)
            m_Records.RemoveAt(CPointerList::Position{&m_Records, node});
        node = next;
    }
    if (m_pCurrent == record)
        m_pCurrent = nullptr;
    delete record;
}

void CWorldContent::DeleteRecord(CWorldContentRecord* record) {
    if (!record || !NodeOf(record))
        return;
    StepSound();
    Forget(record);
}

int CWorldContent::ReplaceRecord(CWorldContentRecord* old, CWorldContentRecord* replacement) {
    CPointerList::Node* place = NodeOf(old);
    if (!place)
        return 0;
    if (old == replacement || !replacement)
        return replacement ? 1 : 0;
    for (CPointerList::Node* node = m_Records.m_pHead; node;) {
        CPointerList::Node* next = node->m_pNext;
        if (RecordOf(node) == replacement)
            m_Records.RemoveAt(CPointerList::Position{&m_Records, node});
        node = next;
    }
    place->m_data = replacement;
    StepSound();
    Forget(old);
    return 1;
}

int CWorldContent::MoveRecord(CWorldContentRecord* record, int down) {
    CPointerList::Node* node = NodeOf(record);
    if (!node)
        return 0;
    CPointerList::Node* other = down ? node->m_pNext : node->m_pPrev;
    if (!other)
        return down ? 1 : 0;
    std::swap(node->m_data, other->m_data);
    return 1;
}

CWorldContentRecord* CWorldContent::GetRecordBeforeFirstOpen() const {
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext) {
        if (RecordOf(node)->m_nType == 0)
            return node->m_pPrev ? RecordOf(node->m_pPrev) : nullptr;
    }
    return nullptr;
}

void CWorldContent::SetTypeAll(uint32_t type) {
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext)
        RecordOf(node)->m_nType = type;
}

void CWorldContent::Clear() {
    // A record held by two nodes is deleted once.
    std::vector<CWorldContentRecord*> records;
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext)
        records.push_back(RecordOf(node));
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    m_Records.Empty();
    m_pCurrent = nullptr;
    for (CWorldContentRecord* record : records) {
        StepSound();
        delete record;
    }
}

void CWorldContent::Reset() {
    Clear();
    memset(m_szTitle, 0, sizeof m_szTitle);
    m_nBestScore = 0;
}

int CWorldContent::DumpContents(const char* path) {
    FILE* file = path ? winapi::FileOpen(path, "wt") : nullptr;
    if (!file)
        return 0;
    fputs("*** World Content File\n\n", file);
    int number = 1;
    for (CPointerList::Node* node = m_Records.m_pHead; node; node = node->m_pNext, ++number) {
        StepSound();
        fprintf(file, "\n%03d: %s", number, RecordOf(node)->m_szName);
    }
    return fclose(file) == 0 ? 1 : 0;
}
