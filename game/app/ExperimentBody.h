// The fields of an experiment record's body found in place: the LZW-compressed object-model
// script of the level, the link entries of connected connection points, the task description,
// the time allowance and the gravity. Read walks the framing once with every size checked
// against the data, so the lab's text operations and the level's store and restore need no
// checks of their own. The view points into the caller's data, which must outlive it.
//
// Body, all integers u32 little-endian: nScriptSize, the compressed script (the text with its
// terminating zero); nLinkSize (a multiple of 20), the 20-byte link entries; nDescLength
// (characters with the terminating zero), the description in single bytes, or UTF-16LE when
// the record is wide; nTime; nGravity.
#pragma once

#include <cstddef>
#include <cstdint>

// One connected connection point as a link entry stores it; both ends of a connection have
// one. Object IDs are those the body's script carries, valid only within that body.
struct CExperimentLink {
    uint32_t m_nObjectID;
    uint32_t m_nPoint;  // index into the object's connection points
    uint32_t m_nPartnerObjectID;
    uint32_t m_nPartnerPoint;
    float m_fValue;  // the connection's value; 0 when the partner has no connection object
};

class CExperimentBody {
public:
    static constexpr uint32_t kFieldBytes = 4;  // each size, count and value field
    static constexpr uint32_t kLinkEntryBytes = 20;
    // Five fields of 4 bytes, with no script, no links and no description characters.
    static constexpr uint32_t kSmallestBody = 5 * kFieldBytes;
    // nGravity; the writer stores a value above kGravityNone as kGravityEarth.
    static constexpr uint32_t kGravityEarth = 0;
    static constexpr uint32_t kGravityMoon = 1;
    static constexpr uint32_t kGravityNone = 2;

    // Finds every field in size bytes of data; wide is the record's wide flag, which sets the
    // description's width. 1 when the fields fit the data, else 0 with the view empty: a field
    // or size running past the end, or a link size that is not a multiple of 20. Every size is
    // checked against what is left of the data, so sizes up to 0xFFFFFFFF cannot wrap a
    // pointer. Bytes behind nGravity are accepted and reported by GetRest: a record is read to
    // its end and a rewrite carries them over, so that nothing of a record is lost; the store
    // writes none, and a caller that wants none checks GetRestSize. Nothing else of the
    // contents is checked: the script may not expand and the description may lack its zero.
    int Read(const uint8_t* data, size_t size, bool wide);

    // The compressed script: nScriptSize bytes.
    const uint8_t* GetScript() const { return m_pScript; }
    uint32_t GetScriptSize() const { return m_nScriptSize; }
    // The expanded script as CLZWCodec::Expand gives it: its byte count with *out a malloc'ed
    // buffer the caller frees, or 0 with *out null (no script, or one that does not expand).
    int ExpandScript(uint8_t** out) const;

    // The link entries: nLinkSize bytes, GetLinkCount entries of 20 bytes.
    const uint8_t* GetLinkEntries() const { return m_pLinks; }
    uint32_t GetLinkSize() const { return m_nLinkSize; }
    uint32_t GetLinkCount() const { return m_nLinkSize / kLinkEntryBytes; }
    // Entry index into *link; 0 with *link untouched when index is not below GetLinkCount.
    int GetLink(uint32_t index, CExperimentLink* link) const;

    // The description: nDescLength characters (as read, the zero included when the writer
    // put it there) of 1 byte each, or 2 when IsWide.
    const uint8_t* GetDescription() const { return m_pDescription; }
    uint32_t GetDescLength() const { return m_nDescLength; }
    size_t GetDescriptionBytes() const { return static_cast<size_t>(m_nDescLength) * (m_bWide ? 2 : 1); }
    bool IsWide() const { return m_bWide; }
    // Character index in either width (a narrow byte zero-extended); 0 past the end.
    uint16_t GetDescriptionChar(uint32_t index) const;

    // nTime and nGravity as stored, a gravity above kGravityNone included.
    uint32_t GetTime() const { return m_nTime; }
    uint32_t GetGravity() const { return m_nGravity; }

    // Bytes from the body's start to nDescLength: the script and link fields, which a rewrite
    // of the description copies unchanged.
    size_t GetDescriptionOffset() const { return m_nDescriptionOffset; }
    // Whatever follows nGravity.
    const uint8_t* GetRest() const { return m_pRest; }
    size_t GetRestSize() const { return m_nRestSize; }

private:
    const uint8_t* m_pScript = nullptr;
    uint32_t m_nScriptSize = 0;
    const uint8_t* m_pLinks = nullptr;
    uint32_t m_nLinkSize = 0;
    const uint8_t* m_pDescription = nullptr;
    uint32_t m_nDescLength = 0;
    bool m_bWide = false;
    uint32_t m_nTime = 0;
    uint32_t m_nGravity = 0;
    size_t m_nDescriptionOffset = 0;
    const uint8_t* m_pRest = nullptr;
    size_t m_nRestSize = 0;
};
