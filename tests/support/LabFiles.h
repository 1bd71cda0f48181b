// Lab files written by the game's own container for the tests that read labs: the tests of
// the controller's lab operations, of the lab tool and of the data check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/app/WorldContent.h"

// The folder the game keeps its labs in, under the game root.
inline constexpr char kGameLabFolder[] = "data/labs";

// One record of a lab file: the experiment's name and its body's bytes as given, so that a
// test can store a body the game would never write, or none at all.
struct LabFileRecord {
    std::string name;
    std::vector<uint8_t> body;
};

// The container's place: the folder (the game's, relative to the game root, unless given) and
// ".zql".
void SetLabPlace(CWorldContent* lab, const std::string& folder = kGameLabFolder);
// The 64-byte header with the creator and the format version, each cut to its field (and
// then unterminated when it fills it), and "V1.00".
CLabHeader LabHeader(const std::string& creator, const std::string& version);
// Appends one record per entry, in the container's width; false when a body does not go in
// whole.
bool AddLabRecords(CWorldContent* lab, const std::vector<LabFileRecord>& records);
// Writes "<folder>/<name>.zql" under the key with the records, in the width given, making the
// folder first when it is missing; false when a record or the file cannot be written.
bool WriteLabFile(const std::string& folder, const std::string& name, const CLabHeader& header,
                  const std::vector<LabFileRecord>& records, const char* key, bool wide = false);
