#include "tests/game/app/LabFixture.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/core/PointerList.h"
#include "engine/core/ScriptCipher.h"
#include "game/app/WorldContentRecord.h"

namespace {

constexpr size_t kNameSize = CWorldContentRecord::kNameSize;
// Before the records: count, title, best score, header, extra value.
constexpr size_t kLabFieldsBeforeRecords = 5;
constexpr size_t kRecordParts = 4;

std::atomic<bool> g_bTracking{false};
std::atomic<size_t> g_nLargest{0};

void* Allocate(size_t size) noexcept {
    if (g_bTracking.load(std::memory_order_relaxed)) {
        size_t largest = g_nLargest.load(std::memory_order_relaxed);
        while (size > largest && !g_nLargest.compare_exchange_weak(largest, size, std::memory_order_relaxed)) {
        }
    }
    return malloc(size ? size : 1);
}

void* AllocateOrThrow(size_t size) {
    if (void* block = Allocate(size))
        return block;
    throw std::bad_alloc();
}

Bytes Enciphered(const Bytes& plain, const char* key) {
    const int keyLength = static_cast<int>(strlen(key));
    Bytes out(plain.size() + static_cast<size_t>(keyLength));
    CScriptCipher cipher;
    cipher.Transform(CScriptCipher::kEncipher, plain.data(), static_cast<int>(plain.size()), out.data(), key,
                     keyLength);
    return out;
}

void AddRecordFields(FieldFile* file, const LabRecord& record, bool wideName) {
    file->fields.push_back({Bytes{static_cast<uint8_t>(record.type)}});
    file->fields.push_back({U32Bytes(static_cast<uint32_t>(record.data.size()))});
    file->fields.push_back({NameBytes(record.name, wideName)});
    file->fields.push_back({record.data});
}

size_t PartIndex(RecordPart part) {
    return static_cast<size_t>(part);
}

}  // namespace

// Every form of operator new and delete is replaced, so that the sanitizer sees malloc paired
// with free whichever form a caller uses.
void* operator new(size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    free(block);
}
void operator delete[](void* block) noexcept {
    free(block);
}
void operator delete(void* block, size_t) noexcept {
    free(block);
}
void operator delete[](void* block, size_t) noexcept {
    free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    free(block);
}

size_t LargestAllocationDuring(const std::function<void()>& call) {
    g_nLargest = 0;
    g_bTracking = true;
    call();
    g_bTracking = false;
    return g_nLargest;
}

CLabHeader FilledHeader() {
    CLabHeader header;
    memset(header.szCreator, 'C', sizeof header.szCreator);
    memcpy(header.szProgramVersion, "V1.00\0\xAA\xBB\xCC", sizeof header.szProgramVersion);
    memcpy(header.szFormatVersion, "0.03\0\x11\x22\x33\x44", sizeof header.szFormatVersion);
    header.nReserved = 0x89ABCDEFu;
    return header;
}

void FillLab(CWorldContent* lab, const LabContent& content) {
    lab->m_bWide = content.wide ? 1 : 0;
    memset(lab->m_szTitle, 0, sizeof lab->m_szTitle);
    strncpy(lab->m_szTitle, content.title.c_str(), sizeof lab->m_szTitle - 1);
    lab->m_nBestScore = content.bestScore;
    lab->m_nExtraValue = content.extraValue;
    for (const LabRecord& source : content.records) {
        CWorldContentRecord* record = lab->AddRecord(source.name.c_str());
        record->SetType(source.type);
        record->Append(source.data.data(), static_cast<uint32_t>(source.data.size()));
    }
}

std::vector<LabRecord> RecordsOf(const CWorldContent& lab) {
    std::vector<LabRecord> records;
    for (const CPointerList::Node* node = lab.m_Records.m_pHead; node; node = node->m_pNext) {
        const auto* record = static_cast<const CWorldContentRecord*>(node->m_data);
        records.push_back({record->m_nType, record->m_szName,
                           Bytes(record->GetData(), record->GetData() + record->GetSize())});
    }
    return records;
}

std::vector<std::string> NamesOf(const CWorldContent& lab) {
    std::vector<std::string> names;
    for (const LabRecord& record : RecordsOf(lab))
        names.push_back(record.name);
    return names;
}

Bytes U32Bytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

Bytes NameBytes(const std::string& name, bool wide) {
    const size_t unit = wide ? 2 : 1;
    Bytes bytes(kNameSize * unit, 0);
    for (size_t i = 0; i < name.size() && i < kNameSize - 1; ++i)
        bytes[i * unit] = static_cast<uint8_t>(name[i]);
    return bytes;
}

Bytes FieldFile::Joined() const {
    Bytes bytes;
    for (const FileField& field : fields) {
        const Bytes stored = field.raw ? field.plain : Enciphered(field.plain, field.key);
        bytes.insert(bytes.end(), stored.begin(), stored.end());
    }
    return bytes;
}

std::vector<size_t> FieldFile::FieldEnds() const {
    std::vector<size_t> ends;
    size_t end = 0;
    for (const FileField& field : fields) {
        end += field.plain.size() + (field.raw ? 0 : strlen(field.key));
        ends.push_back(end);
    }
    return ends;
}

FieldFile LabFileOf(const LabContent& content) {
    FieldFile file;
    if (content.wide)
        file.fields.push_back({{0xFE, 0xFF}, kScriptKey, true});
    Bytes title(CWorldContent::kTitleSize, 0);
    std::copy_n(content.title.begin(), std::min(content.title.size(), title.size() - 1), title.begin());
    const auto* header = reinterpret_cast<const uint8_t*>(&content.header);
    file.fields.push_back({U32Bytes(static_cast<uint32_t>(content.records.size()))});
    file.fields.push_back({title});
    file.fields.push_back({U32Bytes(content.bestScore)});
    file.fields.push_back({Bytes(header, header + sizeof content.header)});
    file.fields.push_back({U32Bytes(content.extraValue)});
    for (const LabRecord& record : content.records)
        AddRecordFields(&file, record, content.wide);
    return file;
}

size_t LabFieldIndex(const LabContent& content, size_t record, RecordPart part) {
    return (content.wide ? 1 : 0) + kLabFieldsBeforeRecords + record * kRecordParts + PartIndex(part);
}

FieldFile ExportFileOf(const CLabHeader& header, const LabRecord& record, bool wideLab) {
    FieldFile file;
    if (wideLab)
        file.fields.push_back({{0xFE, 0xFF}, kScriptKey, true});
    const auto* headerBytes = reinterpret_cast<const uint8_t*>(&header);
    file.fields.push_back({Bytes(headerBytes, headerBytes + sizeof header)});
    AddRecordFields(&file, record, false);
    return file;
}

size_t ExportFieldIndex(bool wideLab, RecordPart part) {
    return (wideLab ? 1 : 0) + 1 + PartIndex(part);
}
