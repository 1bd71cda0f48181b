#include "engine/core/Spline.h"

#include <cstdlib>
#include <cstring>

#include "engine/core/OutOfMemory.h"

namespace {

constexpr uint32_t kInitialKeys = 4;
constexpr int kLengthSteps = 256;

CSplineKey* AllocateKeys(CSplineKey* keys, uint32_t count) {
    const size_t bytes = sizeof(CSplineKey) * count;
    auto* grown = static_cast<CSplineKey*>(realloc(keys, bytes));
    if (!grown)
        OutOfMemory(bytes);
    return grown;
}

float Distance(const CVector3& a, const CVector3& b) {
    CVector3 d;
    return a.Subtract(&d, b)->Length();
}

}  // namespace

CSpline::CSpline() : m_nCapacity(kInitialKeys), m_pKeys(AllocateKeys(nullptr, kInitialKeys)) {}

CSpline::~CSpline() {
    free(m_pKeys);
}

uint32_t CSpline::AddKey(const CVector3& position, const CVector3& tangentIn,
                         const CVector3& tangentOut, uint32_t value) {
    if (m_nKeys == m_nCapacity) {
        m_pKeys = AllocateKeys(m_pKeys, m_nCapacity + 1);
        ++m_nCapacity;
    }
    m_pKeys[m_nKeys] = CSplineKey{position, tangentIn, tangentOut, value, 1, -1.0f};
    m_bDirty = 1;
    return m_nKeys++;
}

void CSpline::RemoveKey(uint32_t index) {
    if (index >= m_nKeys)
        return;
    memmove(&m_pKeys[index], &m_pKeys[index + 1], sizeof(CSplineKey) * (m_nKeys - index - 1));
    --m_nKeys;
    m_bDirty = 1;
}

void CSpline::ComputeTangents() {
    if (m_nKeys < 2)
        return;
    for (uint32_t i = 0; i < m_nKeys; ++i) {
        const CVector3& before = m_pKeys[i > 0 ? i - 1 : 0].m_vPosition;
        const CVector3& after = m_pKeys[i + 1 < m_nKeys ? i + 1 : i].m_vPosition;
        CVector3 tangent;
        after.Subtract(&tangent, before)->ScaleAssign(&tangent, 0.5f);
        m_pKeys[i].m_vTangentIn = tangent;
        m_pKeys[i].m_vTangentOut = tangent;
    }
    m_bDirty = 1;
}

CVector3* CSpline::HermitePoint(CVector3* out, const CVector3& p0, const CVector3& t0,
                                const CVector3& p1, const CVector3& t1, float s) {
    const float s2 = s * s;
    const float s3 = s2 * s;
    const float h00 = 2.0f * s3 - 3.0f * s2 + 1.0f;
    const float h10 = s3 - 2.0f * s2 + s;
    const float h01 = 3.0f * s2 - 2.0f * s3;
    const float h11 = s3 - s2;
    *out = CVector3(h00 * p0.x + h10 * t0.x + h01 * p1.x + h11 * t1.x,
                    h00 * p0.y + h10 * t0.y + h01 * p1.y + h11 * t1.y,
                    h00 * p0.z + h10 * t0.z + h01 * p1.z + h11 * t1.z);
    return out;
}

CVector3* CSpline::PointOnSegment(CVector3* out, uint32_t segment, float s) const {
    if (m_nKeys == 0) {
        *out = CVector3(0.0f, 0.0f, 0.0f);
        return out;
    }
    if (segment >= m_nKeys)
        segment = m_nKeys - 1;
    const CSplineKey& from = m_pKeys[segment];
    const CSplineKey& to = m_pKeys[segment + 1 < m_nKeys ? segment + 1 : 0];
    return HermitePoint(out, from.m_vPosition, from.m_vTangentOut, to.m_vPosition, to.m_vTangentIn, s);
}

uint32_t CSpline::SegmentCount() const {
    if (m_nKeys == 0)
        return 0;
    return m_bClosed ? m_nKeys : m_nKeys - 1;
}

float CSpline::MeasureSegment(uint32_t segment) const {
    float length = 0.0f;
    CVector3 previous = m_pKeys[segment].m_vPosition;
    for (int step = 1; step <= kLengthSteps; ++step) {
        CVector3 point;
        PointOnSegment(&point, segment, static_cast<float>(step) / kLengthSteps);
        length += Distance(point, previous);
        previous = point;
    }
    return length;
}

void CSpline::ComputeLength() {
    float total = 0.0f;
    for (uint32_t i = 0; i + 1 < m_nKeys; ++i) {
        m_pKeys[i].m_fSegmentLength = MeasureSegment(i);
        total += m_pKeys[i].m_fSegmentLength;
    }
    if (m_nKeys > 0) {
        CSplineKey& last = m_pKeys[m_nKeys - 1];
        last.m_fSegmentLength = 0.0f;
        if (m_bClosed) {
            last.m_fSegmentLength = MeasureSegment(m_nKeys - 1);
            total += last.m_fSegmentLength;
        }
    }
    m_fLength = total;
    m_bDirty = 0;
}

void CSpline::FindSegment(float fraction, uint32_t* segment, float* s) {
    if (m_bDirty)
        ComputeLength();
    *segment = 0;
    *s = 0.0f;
    const uint32_t segments = SegmentCount();
    if (segments == 0)
        return;
    if (!(fraction >= 0.0f))
        fraction = 0.0f;  // also when not a number
    if (fraction > 1.0f)
        fraction = 1.0f;
    const float d = fraction * m_fLength;
    if (!(d > 0.0f))
        return;
    float previous = 0.0f;
    uint32_t i = 0;
    for (; i < segments; ++i) {
        if (previous + m_pKeys[i].m_fSegmentLength >= d)
            break;
        previous += m_pKeys[i].m_fSegmentLength;
    }
    if (i == segments) {
        // Rounding kept the running sum below d: the end of the path.
        *segment = segments - 1;
        *s = 1.0f;
        return;
    }
    *segment = i;
    const float length = m_pKeys[i].m_fSegmentLength;
    // A segment of no length is passed at its start.
    *s = length > 0.0f ? (d - previous) / length : 0.0f;
    if (*s > 1.0f)
        *s = 1.0f;
}

CVector3* CSpline::GetPoint(CVector3* out, float f) {
    uint32_t segment;
    float s;
    FindSegment(f, &segment, &s);
    return PointOnSegment(out, segment, s);
}

void CSpline::AppendPoint(CPointArray* out, const CVector3& p) const {
    // Grow first: AddPoints may move the array.
    const int index = out->AddPoints(1);
    out->m_pPoints[index] = p;
}

void CSpline::Sample(CPointArray* out, uint32_t n) const {
    if (m_nKeys == 0)
        return;
    const float step = n > 0 ? 1.0f / static_cast<float>(n) : 0.0f;
    const uint32_t segments = SegmentCount();
    for (uint32_t segment = 0; segment < segments; ++segment) {
        for (uint32_t j = 0; j < n; ++j) {
            CVector3 point;
            AppendPoint(out, *PointOnSegment(&point, segment, static_cast<float>(j) * step));
        }
    }
    AppendPoint(out, m_pKeys[m_bClosed ? 0 : m_nKeys - 1].m_vPosition);
}

void CSpline::SampleRange(CPointArray* out, uint32_t n, float from, float to) {
    if (m_nKeys == 0)
        return;
    uint32_t startSegment;
    uint32_t endSegment;
    float start;
    float end;
    FindSegment(from, &startSegment, &start);
    FindSegment(to, &endSegment, &end);
    const float step = n > 0 ? 1.0f / static_cast<float>(n) : 0.0f;
    // Only the open segments: the closing segment of a closed path is not sampled here.
    for (uint32_t segment = startSegment; segment <= endSegment && segment + 1 < m_nKeys; ++segment) {
        CVector3 point;
        if (segment == startSegment)
            AppendPoint(out, *PointOnSegment(&point, segment, start));
        for (uint32_t j = 0; j < n; ++j) {
            const float s = static_cast<float>(j) * step;
            if (segment == startSegment && s < start)
                continue;
            if (segment == endSegment && s >= end)
                break;
            AppendPoint(out, *PointOnSegment(&point, segment, s));
        }
        if (segment == endSegment)
            AppendPoint(out, *PointOnSegment(&point, segment, end));
    }
}
