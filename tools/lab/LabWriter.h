// A lab text's experiments made into records of a lab container: each level text read into the
// world in place of the last level, checked against the templates, its links set on both
// points, and the record's body written by the game's own writer (StoreLevelRecord).
#pragma once

#include <string>

#include "game/app/WorldContent.h"
#include "tools/lab/LabText.h"

class CLabWorld;

// The header of the lab: the creator and the game's versions, zero-padded.
CLabHeader LabHeaderOf(const CLabSource& source);

// Adds a record for every experiment and sets the title: false with the offending line of the
// text and a message (an element that is no template, a link to a missing element or point, a
// target outside the level), the lab holding the records made before.
bool WriteLabRecords(CLabWorld* world, const CLabSource& source, CWorldContent* lab, int* line, std::string* error);
