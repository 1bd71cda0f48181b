// Experiment record bodies laid out field by field from their parts, as the level's store
// writes them, for the tests of the body walk and of the lab operations. Integers are written
// little-endian here byte by byte, apart from the walk that reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/app/ExperimentBody.h"

struct ExperimentBodyParts {
    std::string script;  // object-model text; stored compressed with its terminating zero
    std::vector<CExperimentLink> links;
    std::u16string description;  // without its zero; a narrow body keeps each unit's low byte
    bool wide = false;
    uint32_t time = 0;
    uint32_t gravity = CExperimentBody::kGravityEarth;  // stored as given, above 2 included
};

// The fields in body order, to find where each starts.
enum class ExperimentBodyField { kScriptSize, kScript, kLinkSize, kLinks, kDescLength, kDescription, kTime, kGravity };
constexpr int kExperimentBodyFieldCount = 8;

struct ExperimentBodyBytes {
    std::vector<uint8_t> bytes;
    size_t fieldOffsets[kExperimentBodyFieldCount] = {};

    size_t Offset(ExperimentBodyField field) const { return fieldOffsets[static_cast<int>(field)]; }
};

// The script field's bytes: the text and its zero byte compressed with CLZWCodec.
std::vector<uint8_t> CompressObjectModelScript(const std::string& text);

// The body of the parts: sizes, compressed script, 20-byte link entries, description with its
// zero (UTF-16LE when wide), time and gravity.
ExperimentBodyBytes BuildExperimentBody(const ExperimentBodyParts& parts);
