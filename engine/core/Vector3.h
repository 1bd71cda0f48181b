// The engine's three-float vector. The default constructor writes nothing, so that arrays
// of records holding vectors cost nothing to create. Operations write their result to an
// out vector and return it.
#pragma once

class CVector3 {
public:
    CVector3() = default;
    CVector3(float fx, float fy, float fz) : x(fx), y(fy), z(fz) {}

    CVector3* Add(CVector3* out, const CVector3& b) const;
    CVector3* Subtract(CVector3* out, const CVector3& b) const;
    // this += b, then out = this.
    CVector3* AddAssign(CVector3* out, const CVector3& b);
    // this *= s, then out = this.
    CVector3* ScaleAssign(CVector3* out, float s);
    CVector3* Cross(CVector3* out, const CVector3& b) const;
    // Scales this to length 1 (unchanged when its length is not positive), then out = this.
    CVector3* Normalize(CVector3* out);
    float Length() const;

    float x;
    float y;
    float z;
};
