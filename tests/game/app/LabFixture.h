// Labs for the container's tests: their content, the files they make laid out field by field
// with the cipher (so that a test can change one field's value or key and cut the file
// anywhere), an owner whose sound device counts its steps, and the largest allocation a call
// makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/frame/BaseGame.h"
#include "engine/sound/SoundDeviceNull.h"
#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"

using Bytes = std::vector<uint8_t>;

struct LabRecord {
    uint32_t type;
    std::string name;
    Bytes data;
};

struct LabContent {
    bool wide = false;
    std::string title;
    uint32_t bestScore = 0;
    uint32_t extraValue = 0;
    CLabHeader header{};
    std::vector<LabRecord> records;
};

// A header with every byte set and the creator unterminated, so that any byte lost shows.
CLabHeader FilledHeader();
// Appends the content's records to the container and sets its title, scores and width.
void FillLab(CWorldContent* lab, const LabContent& content);
// The container's records as content, for comparing with what was saved.
std::vector<LabRecord> RecordsOf(const CWorldContent& lab);
std::vector<std::string> NamesOf(const CWorldContent& lab);

Bytes U32Bytes(uint32_t value);
// A record name as a file holds it: 80 bytes, or 80 UTF-16 units with each byte zero-extended.
Bytes NameBytes(const std::string& name, bool wide);

// One field of a file: its plain bytes enciphered on their own with the key, or written raw.
struct FileField {
    Bytes plain;
    const char* key = kScriptKey;
    bool raw = false;
};

struct FieldFile {
    std::vector<FileField> fields;

    Bytes Joined() const;
    // The file's size after each field.
    std::vector<size_t> FieldEnds() const;
};

// The parts of a record in the order a file holds them.
enum class RecordPart { kType, kSize, kName, kData };

// A lab file holding the content, with the game's 64-byte header.
FieldFile LabFileOf(const LabContent& content);
// The index in LabFileOf's fields of one part of one record.
size_t LabFieldIndex(const LabContent& content, size_t record, RecordPart part);
// An exported experiment: the mark when the exporting lab is wide, the header, the record with
// its 80-byte name.
FieldFile ExportFileOf(const CLabHeader& header, const LabRecord& record, bool wideLab);
size_t ExportFieldIndex(bool wideLab, RecordPart part);

// A silent sound device that counts how often it is stepped.
class CountingSoundDevice : public CSoundDeviceNull {
public:
    int Update() override {
        ++updates;
        return 1;
    }
    int updates = 0;
};

// The application as the container sees it: only its sound device, which it owns.
class LabOwner : public CBaseGame {
public:
    LabOwner() : sound(new CountingSoundDevice) { m_pSoundDevice = sound; }
    int CreateDevices() override { return 0; }
    int CreateViewport() override { return 0; }

    CountingSoundDevice* sound;
};

// The largest single operator new the call makes.
size_t LargestAllocationDuring(const std::function<void()>& call);
