#include "game/app/WorldContentRecord.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/LittleEndian.h"
#include "engine/core/ScriptCipher.h"

namespace {

// The largest data field read: room is left for the other fields in the int byte count.
constexpr uint64_t kMaxFieldBytes = INT32_MAX - 4096;

}  // namespace

uint64_t BytesLeftInStream(FILE* file) {
    const long here = ftell(file);
    if (here < 0 || fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long end = ftell(file);
    fseek(file, here, SEEK_SET);
    return end > here ? static_cast<uint64_t>(end - here) : 0;
}

CWorldContentRecord::CWorldContentRecord(CScriptCipher* cipher) : m_pCipher(cipher) {}

CWorldContentRecord::~CWorldContentRecord() {
    FreeData();
}

void CWorldContentRecord::FreeData() {
    free(m_pData);
    m_pData = nullptr;
    m_nSize = 0;
    m_nCursor = 0;
}

void CWorldContentRecord::SetName(const char* name) {
    memset(m_szName, 0, sizeof m_szName);
    if (name)
        strncpy(m_szName, name, sizeof m_szName - 1);
}

uint32_t CWorldContentRecord::Append(const void* bytes, uint32_t n) {
    if (!bytes || n == 0 || n > UINT32_MAX - m_nSize)
        return 0;
    auto* grown = static_cast<uint8_t*>(realloc(m_pData, size_t{m_nSize} + n));
    if (!grown)
        return 0;
    memcpy(grown + m_nSize, bytes, n);
    m_pData = grown;
    m_nSize += n;
    m_nCursor = m_nSize;
    return n;
}

int CWorldContentRecord::ReadBytes(void* dst, uint32_t n) {
    if (!dst || n > m_nSize - m_nCursor)
        return 0;
    memcpy(dst, m_pData + m_nCursor, n);
    m_nCursor += n;
    return 1;
}

void CWorldContentRecord::SetPosition(uint32_t position) {
    m_nCursor = position < m_nSize ? position : m_nSize;
}

int CWorldContentRecord::Write(FILE* file, const char* key, int keyLength, int wide) {
    m_bWide = wide ? 1 : 0;
    return WriteFields(file, key, keyLength, wide);
}

int CWorldContentRecord::WriteFields(FILE* file, const char* key, int keyLength, int wideName) const {
    if (!file || !m_pCipher || keyLength < 0 || m_nSize > static_cast<uint32_t>(INT32_MAX - keyLength))
        return 0;
    const uint8_t type = static_cast<uint8_t>(m_nType);
    uint8_t size[4];
    PutLittleEndian32(size, m_nSize);
    // A wide name: each byte zero-extended to a UTF-16 unit, so that 0x80..0xFF stay themselves.
    uint8_t name[kWideNameBytes] = {};
    int nameBytes = kNameSize;
    if (wideName) {
        nameBytes = kWideNameBytes;
        for (int i = 0; i < kNameSize && m_szName[i]; ++i)
            name[2 * i] = static_cast<uint8_t>(m_szName[i]);
    } else {
        memcpy(name, m_szName, kNameSize);
    }
    struct Field {
        const uint8_t* data;
        int length;
    };
    const Field fields[] = {{&type, 1}, {size, 4}, {name, nameBytes}, {m_pData, static_cast<int>(m_nSize)}};
    int total = 0;
    for (const Field& field : fields) {
        // Each field is its bytes and the key's; an empty field without a key is no bytes.
        if (m_pCipher->EncipherAndWrite(field.data, field.length, key, keyLength, file) != field.length + keyLength)
            return 0;
        total += field.length + keyLength;
    }
    return total;
}

int CWorldContentRecord::Read(FILE* file, const char* key, int keyLength, int wide) {
    FreeData();
    m_nType = 0;
    if (!file || !m_pCipher || keyLength < 0)
        return 0;
    uint8_t type = 0;
    uint8_t size[4];
    uint8_t name[kWideNameBytes] = {};
    const int nameBytes = wide ? kWideNameBytes : kNameSize;
    if (m_pCipher->ReadAndDecipher(&type, 1, key, keyLength, file) != 1 ||
        m_pCipher->ReadAndDecipher(size, 4, key, keyLength, file) != 4 ||
        m_pCipher->ReadAndDecipher(name, nameBytes, key, keyLength, file) != nameBytes)
        return 0;
    const uint32_t dataSize = GetLittleEndian32(size);
    // The data field is size + key bytes: more than the file holds is refused before anything
    // is allocated.
    const uint64_t fieldBytes = uint64_t{dataSize} + static_cast<uint64_t>(keyLength);
    if (fieldBytes > kMaxFieldBytes || fieldBytes > BytesLeftInStream(file))
        return 0;
    std::vector<uint8_t> enciphered(fieldBytes);
    if (fread(enciphered.data(), 1, enciphered.size(), file) != enciphered.size())
        return 0;
    std::vector<uint8_t> plain(dataSize);
    // The transform, not the reading helper: it tells an empty field (0) from a wrong key.
    if (m_pCipher->Transform(CScriptCipher::kDecipher, enciphered.data(), static_cast<int>(fieldBytes), plain.data(),
                             key, keyLength) != static_cast<int>(dataSize))
        return 0;
    if (dataSize > 0 && Append(plain.data(), dataSize) != dataSize)
        return 0;
    m_nType = type;
    if (wide) {
        char16_t units[kNameSize];
        for (int i = 0; i < kNameSize; ++i)
            units[i] = static_cast<char16_t>(name[2 * i] | name[2 * i + 1] << 8);
        memset(m_szName, 0, sizeof m_szName);
        for (int i = 0; i < kNameSize - 1 && units[i]; ++i)
            m_szName[i] = static_cast<char>(units[i] & 0xFF);
    } else {
        memcpy(m_szName, name, kNameSize);
        m_szName[kNameSize - 1] = '\0';
    }
    return 1 + 4 + nameBytes + 3 * keyLength + static_cast<int>(fieldBytes);
}
