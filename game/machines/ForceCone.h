// The cone-shaped field of a blowing or burning element (a candle's updraft, a blower's air
// stream): for a point it tells whether the point lies inside and with which strength and
// direction the field pushes. The cone opens along a direction angle in the board plane from
// an apex that lies behind the element point it follows.
#pragma once

#include "engine/core/Vector3.h"

class CRenderDevice;

class CForceCone {
public:
    CForceCone() = default;
    virtual ~CForceCone() = default;

    // 1 when the point lies inside, with a strength from 0 to 1 that falls off with the angle
    // from the axis and the distance from the apex, and the unit direction from the apex;
    // otherwise 0 with strength 0 and the axis as direction. Either output may be null.
    int Influence(const CVector3* point, float* strength, CVector3* dir) const;
    // The same test in the board plane: z is ignored and the direction has z 0.
    int InfluenceBody(const CVector3* point, float* strength, CVector3* dir) const;

    // Places the apex behind the anchor from the angle, the half-angle and the length, and
    // keeps the reach's extent beyond the new inner distance.
    void UpdateTransform();
    // Reach = r + the inner distance.
    void SetReach(float r);
    // The outline (apex, and the inner and outer points of both edges) as a line strip
    // through the device's position-colour pool.
    void Draw(CRenderDevice* device) const;

    // The direction angle about z, in radians; the axis follows it.
    void SetAngle(float angle);
    // The direction angle of a vector in the board plane.
    void SetDirection(const CVector3* direction);
    // The half-angle of the opening, in degrees.
    void SetOpeningAngle(float degrees);
    // Moves the anchor, and the apex with it.
    void SetPosition(const CVector3* anchor);

    CVector3 m_vApex{0.0f, 0.0f, 0.0f};
    CVector3 m_vAnchor{0.0f, 0.0f, 0.0f};
    CVector3 m_vAxis{1.0f, 0.0f, 0.0f};
    float m_fAngle = 0.0f;
    float m_fLength = 0.5f;  // half-width of the cone at the anchor, which places the apex
    float m_fMinDist = 0.0f;  // from the apex to where the field begins
    float m_fReach = 1.0f;    // from the apex to where it ends
    float m_fMinDistSq = 0.0f;
    float m_fMaxDistSq = 1.0f;
    float m_fInvRange = 1.0f;  // 1 / (max² - min²)
    float m_fHalfAngle = 0.0f;
    float m_fAngleScale = 1.0f;  // 1 / half-angle: the angular falloff
    float m_fStrength = 1.0f;    // multiplied in by the users

private:
    int Evaluate(float dx, float dy, float dz, float ax, float ay, float az, float* strength, CVector3* dir) const;
};
