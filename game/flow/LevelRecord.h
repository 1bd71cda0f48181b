// The open experiment as the data of one record and back: the body that lab files, exported
// experiments and the level's snapshots carry (its layout is CExperimentBody's). Writing numbers
// the linked scene objects, the power plugs and the targets, and lays out the "level" node's
// script, the link entries, the description, the time and the gravity. Reading checks the
// whole body before it touches the scene, then replaces the level with the one the script
// describes and links its points as the entries say. What needs the controller (clearing the
// old level, tidying the level bar, rebuilding the drawn links, fuze paths, counters) stays
// with the level's own store and restore, which call these around it.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/DynString.h"

class CConnection;
class CWorldContentRecord;
class M3DOMObject;
class M3DOMTree;
class M3DOMWorld;

// The level's three nodes: "level" with its children "level_elements" (the placed elements)
// and "level_bar" (the kinds still to place).
struct CLevelNodes {
    M3DOMObject* m_pLevelMO = nullptr;
    M3DOMObject* m_pElements = nullptr;
    M3DOMObject* m_pLevelBar = nullptr;
};

// What a body carries beside the nodes.
struct CLevelValues {
    CDynString m_strDescription;
    uint32_t m_nTime = 0;     // seconds
    uint32_t m_nGravity = 0;  // CExperimentBody::kGravityEarth, kGravityMoon or kGravityNone
};

// The stored value of a drawn link, which its link entries carry; the connection list knows it.
using LinkValueFunc = float (*)(const CConnection* link);

// The name of the board shown under an element in the level bar, its last object.
inline constexpr const char kLevelBarBoard[] = "to_level_bar_board";
// Where the level bar stands relative to the level once read.
inline constexpr float kLevelBarX = 4.0f;
inline constexpr float kLevelBarY = 2.2f;

// The element's last object when it is the level-bar board: removed.
void RemoveLevelBarBoard(M3DOMObject* element);
// Gives every object of mo and its subtree that has a point with a partner the ID *counter,
// counting up: the node's own objects in order, then each child depth first.
void NumberLinkedObjects(M3DOMObject* mo, int32_t* counter);
// Appends a 20-byte entry for every point with a partner of the numbered objects below
// elements, when the partner's object is numbered too; both ends of a link give one. The
// value is the link's as linkValue gives it, 0 for a point without a link or without
// linkValue. Returns the bytes appended.
uint32_t WriteLinkEntries(const M3DOMObject* elements, LinkValueFunc linkValue, std::vector<uint8_t>* out);
// Links the points that size bytes of entries name, by object ID among the objects of level's
// subtree and point index, each pair on both sides, and stores each entry's value in the
// partner point. Entries naming no object or point, or a point with itself, are skipped, and
// a value that is no finite number within the range of a 32-bit integer is stored as 0; the
// first object of an ID in depth-first order counts. Returns the entries applied.
int ApplyLinkEntries(M3DOMObject* level, const uint8_t* entries, uint32_t size);

// The body of the level into the record's data, in the record's width: scene object IDs and
// targets numbered afresh, the level-bar boards removed, every power plug's VALF its
// connector's index, a gravity above kGravityNone set to earth in values first. The data size,
// or 0 with the record's data left as it was when the script cannot be written or the data
// not replaced.
uint32_t StoreLevelRecord(CWorldContentRecord* record, M3DOMWorld* world, const CLevelNodes& level,
                          CLevelValues* values, LinkValueFunc linkValue);

// Reads a record's body into the scene in two steps, so that the caller can clear the old
// level between them: Check touches nothing, Apply replaces the level.
class CLevelRecordReader {
public:
    CLevelRecordReader() = default;
    CLevelRecordReader(const CLevelRecordReader&) = delete;
    CLevelRecordReader& operator=(const CLevelRecordReader&) = delete;
    ~CLevelRecordReader();

    // 1 when every field fits the record's data in its width (a link size a multiple of 20)
    // and the script expands; else 0. The record must outlive Apply.
    int Check(const CWorldContentRecord* record);
    // After a successful Check: the script read into the instance tree's top level; with it
    // holding a "level" whose direct children include "level_elements" and "level_bar", the
    // old level (level->m_pLevelMO) is deleted, every other scene object's ID becomes -1, the
    // nodes go into level, the bar stands at (kLevelBarX, kLevelBarY) relative to the level
    // with its move target there, the link entries are applied, each element's target is the
    // element its index names (none and -1 for an index outside the list), and the
    // description (cut at its zero or at the data's end), time and gravity (earth for a value
    // above kGravityNone) go into values. Returns the script reader's count of nodes read, or
    // 0 with the scene, level and values as they were (what the script read is deleted again;
    // templates it defined stay).
    int Apply(M3DOMWorld* world, CLevelNodes* level, CLevelValues* values);
    // The entries the last Apply linked: two per connection.
    int GetLinksApplied() const { return m_nLinksApplied; }

private:
    void Release();

    const CWorldContentRecord* m_pRecord = nullptr;
    uint8_t* m_pScript = nullptr;  // the expanded text with a zero behind it, malloc'ed
    int m_nScriptSize = 0;
    int m_nLinksApplied = 0;
};

// Check and Apply in one: the count of nodes read, 0 for a refused body with nothing changed.
int RestoreLevelRecord(const CWorldContentRecord* record, M3DOMWorld* world, CLevelNodes* level,
                       CLevelValues* values, int* linksApplied);
