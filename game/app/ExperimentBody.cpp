#include "game/app/ExperimentBody.h"

#include <bit>
#include <climits>

#include "engine/core/LittleEndian.h"
#include "game/app/LZWCodec.h"

namespace {

// Takes fields off the front of the data. Each take is checked against the bytes left, never
// by forming a pointer past the end, so no size read from the data can wrap the arithmetic.
class CBodyCursor {
public:
    CBodyCursor(const uint8_t* data, size_t size) : m_pPos(data), m_nLeft(size) {}

    int TakeU32(uint32_t* value) {
        if (m_nLeft < CExperimentBody::kFieldBytes)
            return 0;
        *value = GetLittleEndian32(m_pPos);
        m_pPos += CExperimentBody::kFieldBytes;
        m_nLeft -= CExperimentBody::kFieldBytes;
        return 1;
    }

    // 64 bits, so that twice a wide description's count cannot wrap either.
    int TakeBytes(const uint8_t** start, uint64_t count) {
        if (count > m_nLeft)
            return 0;
        *start = m_pPos;
        m_pPos += count;
        m_nLeft -= static_cast<size_t>(count);
        return 1;
    }

    const uint8_t* Position() const { return m_pPos; }
    size_t Left() const { return m_nLeft; }

private:
    const uint8_t* m_pPos;
    size_t m_nLeft;
};

}  // namespace

int CExperimentBody::Read(const uint8_t* data, size_t size, bool wide) {
    *this = CExperimentBody();
    if (!data)
        return 0;

    CExperimentBody found;
    found.m_bWide = wide;
    CBodyCursor cursor(data, size);
    if (!cursor.TakeU32(&found.m_nScriptSize) || !cursor.TakeBytes(&found.m_pScript, found.m_nScriptSize))
        return 0;
    if (!cursor.TakeU32(&found.m_nLinkSize) || found.m_nLinkSize % kLinkEntryBytes != 0 ||
        !cursor.TakeBytes(&found.m_pLinks, found.m_nLinkSize))
        return 0;
    found.m_nDescriptionOffset = size - cursor.Left();
    if (!cursor.TakeU32(&found.m_nDescLength) ||
        !cursor.TakeBytes(&found.m_pDescription, static_cast<uint64_t>(found.m_nDescLength) * (wide ? 2 : 1)))
        return 0;
    if (!cursor.TakeU32(&found.m_nTime) || !cursor.TakeU32(&found.m_nGravity))
        return 0;
    found.m_pRest = cursor.Position();
    found.m_nRestSize = cursor.Left();
    *this = found;
    return 1;
}

int CExperimentBody::ExpandScript(uint8_t** out) const {
    *out = nullptr;
    // The codec counts in int.
    if (m_nScriptSize == 0 || m_nScriptSize > static_cast<uint32_t>(INT_MAX))
        return 0;
    CLZWCodec codec;
    return codec.Expand(out, m_pScript, static_cast<int>(m_nScriptSize));
}

int CExperimentBody::GetLink(uint32_t index, CExperimentLink* link) const {
    if (index >= GetLinkCount())
        return 0;
    const uint8_t* entry = m_pLinks + static_cast<size_t>(index) * kLinkEntryBytes;
    link->m_nObjectID = GetLittleEndian32(entry);
    link->m_nPoint = GetLittleEndian32(entry + 4);
    link->m_nPartnerObjectID = GetLittleEndian32(entry + 8);
    link->m_nPartnerPoint = GetLittleEndian32(entry + 12);
    link->m_fValue = std::bit_cast<float>(GetLittleEndian32(entry + 16));
    return 1;
}

uint16_t CExperimentBody::GetDescriptionChar(uint32_t index) const {
    if (index >= m_nDescLength)
        return 0;
    if (!m_bWide)
        return m_pDescription[index];
    const uint8_t* unit = m_pDescription + static_cast<size_t>(index) * 2;
    return static_cast<uint16_t>(unit[0] | unit[1] << 8);
}
