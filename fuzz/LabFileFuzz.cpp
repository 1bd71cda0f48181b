// Labs and exported experiments from memory. The first byte chooses the reader and how the
// rest becomes a file: taken as it is, or as plain fields that the harness enciphers one by
// one with the game's key, since random bytes never pass the key check. Each field is led by
// a byte that keeps it as the format expects, gives it a length of its own, another key, or
// writes it unenciphered. Whatever is read must hold together and write back as it was read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/PointerList.h"
#include "engine/core/ScriptCipher.h"
#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "game/app/WorldContentRecord.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kMaxInput = 1u << 20;
// Of the same length as the game's key, so that only the key check tells them apart.
constexpr char kOtherKey[] = "Q5k2$&r/8XVTRZ=?w!t%";
static_assert(sizeof kOtherKey == sizeof kScriptKey);

// The first byte.
enum : uint8_t {
    kExportReader = 1 << 0,
    kRawBytes = 1 << 1,
    kWideMark = 1 << 2,
    kNoHeader = 1 << 3,
    kReplace = 1 << 4,
};

// The byte leading a field, modulo 4.
enum : uint8_t { kAsExpected, kOwnLength, kWrongKey, kUnenciphered };

constexpr size_t kCountBytes = 4;
constexpr size_t kTypeBytes = 1;
constexpr size_t kSizeBytes = 4;

void Check(bool holds) {
    if (!holds)
        abort();
}

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_pData(data), m_nLeft(size) {}

    bool Empty() const { return m_nLeft == 0; }
    size_t Left() const { return m_nLeft; }
    // 0 once the input is used up.
    uint8_t Byte() {
        if (Empty())
            return 0;
        --m_nLeft;
        return *m_pData++;
    }
    Bytes Take(size_t n) {
        const size_t taken = n < m_nLeft ? n : m_nLeft;
        Bytes bytes(m_pData, m_pData + taken);
        m_pData += taken;
        m_nLeft -= taken;
        return bytes;
    }

private:
    const uint8_t* m_pData;
    size_t m_nLeft;
};

class FileBuilder {
public:
    explicit FileBuilder(Input* input) : m_pInput(input) {}

    // One field whose expected plain length is `expected`: the plain bytes taken.
    Bytes Field(size_t expected) {
        const uint8_t lead = m_pInput->Byte();
        size_t length = expected;
        if (lead % 4 == kOwnLength || lead % 4 == kUnenciphered)
            length = m_pInput->Byte() | static_cast<size_t>(m_pInput->Byte()) << 8;
        const Bytes plain = m_pInput->Take(length);
        if (lead % 4 == kUnenciphered) {
            Raw(plain);
            return plain;
        }
        const char* key = lead % 4 == kWrongKey ? kOtherKey : kScriptKey;
        Bytes enciphered(plain.size() + kScriptKeyLength);
        Check(m_Cipher.Transform(CScriptCipher::kEncipher, plain.data(), static_cast<int>(plain.size()),
                                 enciphered.data(), key, kScriptKeyLength) == static_cast<int>(enciphered.size()));
        Raw(enciphered);
        return plain;
    }
    void Raw(const Bytes& bytes) { m_File.insert(m_File.end(), bytes.begin(), bytes.end()); }
    // Records until the input runs out; the data's expected length is what the size field said.
    void Records(size_t nameBytes) {
        while (!m_pInput->Empty() && m_File.size() < kMaxInput) {
            Field(kTypeBytes);
            const Bytes size = Field(kSizeBytes);
            Field(nameBytes);
            size_t dataBytes = 0;
            if (size.size() == kSizeBytes)
                dataBytes = size[0] | size[1] << 8 | size[2] << 16 | static_cast<size_t>(size[3]) << 24;
            Field(dataBytes < m_pInput->Left() ? dataBytes : m_pInput->Left());
        }
    }
    const Bytes& File() const { return m_File; }

private:
    Input* m_pInput;
    CScriptCipher m_Cipher;
    Bytes m_File;
};

Bytes BuildFile(uint8_t mode, Input* input) {
    FileBuilder builder(input);
    if (mode & kRawBytes) {
        builder.Raw(input->Take(input->Left()));
        return builder.File();
    }
    if (mode & kWideMark)
        builder.Raw({0xFE, 0xFF});
    const bool header = !(mode & kNoHeader);
    if (mode & kExportReader) {
        if (header)
            builder.Field(sizeof(CLabHeader));
        builder.Records(CWorldContentRecord::kNameSize);
        return builder.File();
    }
    builder.Field(kCountBytes);
    builder.Field(CWorldContent::kTitleSize);
    builder.Field(kCountBytes);
    if (header)
        builder.Field(sizeof(CLabHeader));
    builder.Field(kCountBytes);
    builder.Records((mode & kWideMark) ? CWorldContentRecord::kWideNameBytes : CWorldContentRecord::kNameSize);
    return builder.File();
}

FILE* OpenInMemory(Bytes* file) {
    // An empty buffer cannot be opened in memory everywhere; the empty device reads the same.
    return file->empty() ? fopen("/dev/null", "rb") : fmemopen(file->data(), file->size(), "rb");
}

// Written and read again in memory, the record comes back as it is.
void CheckWritesBack(CWorldContentRecord* record, int wide) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    Check(out != nullptr);
    const int written = record->WriteFields(out, kScriptKey, kScriptKeyLength, wide);
    Check(fclose(out) == 0);
    Check(written > 0 && static_cast<size_t>(written) == size);

    FILE* in = fmemopen(buffer, size, "rb");
    Check(in != nullptr);
    CWorldContentRecord again(record->m_pCipher);
    Check(again.Read(in, kScriptKey, kScriptKeyLength, wide) == written);
    fclose(in);
    free(buffer);
    Check(again.m_nType == record->m_nType && strcmp(again.m_szName, record->m_szName) == 0);
    Check(again.GetSize() == record->GetSize() &&
          (record->GetSize() == 0 || memcmp(again.GetData(), record->GetData(), record->GetSize()) == 0));
}

void CheckRecord(CWorldContentRecord* record, size_t fileSize, int wide) {
    Check(memchr(record->m_szName, 0, sizeof record->m_szName) != nullptr);
    Check(record->GetSize() <= fileSize && record->GetPosition() <= record->GetSize());
    CheckWritesBack(record, wide);
}

void ReadLab(Bytes file, int headerLength) {
    FILE* stream = OpenInMemory(&file);
    Check(stream != nullptr);
    CWorldContent lab;
    lab.AddRecord("before");
    CLabHeader header;
    const int result = lab.LoadFrom(stream, &header, headerLength, kScriptKey);
    fclose(stream);
    Check(result >= 0 && static_cast<size_t>(result) <= file.size());
    Check(lab.m_pCurrent == nullptr);
    Check(memchr(lab.m_szTitle, 0, sizeof lab.m_szTitle) != nullptr);
    for (CPointerList::Node* node = lab.m_Records.m_pHead; node; node = node->m_pNext) {
        auto* record = static_cast<CWorldContentRecord*>(node->m_data);
        Check(record->m_bWide == lab.m_bWide);
        CheckRecord(record, file.size(), lab.m_bWide);
    }
}

void ReadExport(Bytes file, int headerLength, int replace) {
    const bool marked = file.size() >= 2 && file[0] == 0xFE && file[1] == 0xFF;
    FILE* stream = OpenInMemory(&file);
    Check(stream != nullptr);
    CWorldContent lab;
    lab.AddRecord("A")->Append("a", 1);
    lab.AddRecord("B");
    CWorldContentRecord* imported = nullptr;
    CLabHeader header;
    const int result = lab.ImportFrom(stream, &imported, &header, headerLength, kScriptKey, replace);
    fclose(stream);
    Check(result >= 0 && static_cast<size_t>(result) <= file.size());
    if (result == 0) {
        Check(imported == nullptr && lab.GetCount() == 2 && lab.m_pCurrent == nullptr);
        return;
    }
    Check(imported != nullptr && lab.IndexOf(imported) >= 0 && lab.m_pCurrent == imported);
    Check(imported->m_bWide == (marked ? 1 : 0));
    const bool replaced = replace && (strcmp(imported->m_szName, "A") == 0 || strcmp(imported->m_szName, "B") == 0);
    Check(lab.GetCount() == (replaced ? 2 : 3));
    CheckRecord(imported, file.size(), 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > kMaxInput)
        return 0;
    const uint8_t mode = data[0];
    Input input(data + 1, size - 1);
    const Bytes file = BuildFile(mode, &input);
    const int headerLength = (mode & kNoHeader) ? 0 : static_cast<int>(sizeof(CLabHeader));
    if (mode & kExportReader)
        ReadExport(file, headerLength, (mode & kReplace) ? 1 : 0);
    else
        ReadLab(file, headerLength);
    return 0;
}
