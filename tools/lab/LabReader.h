// A lab container read back into the lab text's form: each record's body read into the world
// by the game's body reader (CLevelRecordReader), its level text as the body stores it, its
// links from the points the reader linked.
#pragma once

#include <string>

#include "game/app/WorldContent.h"
#include "tools/lab/LabText.h"

class CLabWorld;

// false with a message naming the experiment when a body does not read, or holds what the
// text cannot say (a link to a point outside the level's elements, a level text whose lines
// do not end in CR LF).
bool ReadLabRecords(CLabWorld* world, const CWorldContent& lab, const CLabHeader& header, CLabSource* source,
                    std::string* error);
