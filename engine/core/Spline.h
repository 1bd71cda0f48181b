// A cubic Hermite path through a list of keys, open or closed, with a per-segment arc-length
// table (rebuilt only when a point by length fraction is asked for after a change).
#pragma once

#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/PointArray.h"
#include "engine/core/Vector3.h"

struct CSplineKey {
    CVector3 m_vPosition;
    CVector3 m_vTangentIn;
    CVector3 m_vTangentOut;
    uint32_t m_nValue;          // the caller's own value
    uint32_t m_nUsed;           // 1 once the key is added
    float m_fSegmentLength;     // of the segment starting here; -1 until measured
};

class CSpline : public CObject {
    DECLARE_RUNTIME_CLASS(CSpline)

public:
    CSpline();
    ~CSpline() override;

    // Returns the new key's index; the key array grows by one key when full.
    uint32_t AddKey(const CVector3& position, const CVector3& tangentIn, const CVector3& tangentOut,
                    uint32_t value);
    // Nothing for an index beyond the keys; the keys behind it move down.
    void RemoveKey(uint32_t index);
    // Both tangents of every key from its neighbours; nothing below two keys.
    void ComputeTangents();
    void ComputeLength();

    static CVector3* HermitePoint(CVector3* out, const CVector3& p0, const CVector3& t0,
                                  const CVector3& p1, const CVector3& t1, float s);
    // Segment i runs from key i to key i + 1; the last one closes back to key 0.
    CVector3* PointOnSegment(CVector3* out, uint32_t segment, float s) const;
    // The point at fraction f (0 to 1) of the total length; the origin without keys.
    CVector3* GetPoint(CVector3* out, float f);
    // Appends n points per segment and the end point.
    void Sample(CPointArray* out, uint32_t n) const;
    // Appends the points between two length fractions, ends included.
    void SampleRange(CPointArray* out, uint32_t n, float from, float to);

    int32_t m_bClosed = 0;
    int32_t m_bDirty = 1;
    uint32_t m_nCapacity;
    uint32_t m_nKeys = 0;
    CSplineKey* m_pKeys;
    float m_fLength = -1.0f;

private:
    uint32_t SegmentCount() const;
    float MeasureSegment(uint32_t segment) const;
    // The segment and the parameter on it at a fraction of the total length.
    void FindSegment(float fraction, uint32_t* segment, float* s);
    void AppendPoint(CPointArray* out, const CVector3& p) const;
};
