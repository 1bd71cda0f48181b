#include "engine/core/Frustum.h"

namespace {

float Distance(const CPlane& plane, const CVector3& p) {
    return plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d;
}

CVector3 Plus(const CVector3& a, const CVector3& b, float scale) {
    return CVector3(a.x + b.x * scale, a.y + b.y * scale, a.z + b.z * scale);
}

}  // namespace

CFrustum::CFrustum() : m_pPlanes(new CPlaneList(8, 1)) {}

CFrustum::~CFrustum() {
    m_pPlanes->RemoveAll();
    delete m_pPlanes;
}

int CFrustum::IsBoxVisible(const COrientedBox& box) const {
    if (!m_pPlanes->m_pHead)
        return 1;
    // c0 = centre - hx X - hy Y - hz Z; the others add 2hx X, 2hy Y and 2hz Z.
    const float half[3] = {box.vHalfExtents.x, box.vHalfExtents.y, box.vHalfExtents.z};
    CVector3 corners[8];
    CVector3 c0 = box.vCentre;
    for (int k = 0; k < 3; ++k)
        c0 = Plus(c0, box.vAxes[k], -half[k]);
    for (int corner = 0; corner < 8; ++corner) {
        CVector3 p = c0;
        for (int k = 0; k < 3; ++k) {
            if (corner & (1 << k))
                p = Plus(p, box.vAxes[k], 2.0f * half[k]);
        }
        corners[corner] = p;
    }
    for (auto* node = m_pPlanes->m_pHead; node; node = node->m_pNext) {
        int behind = 0;
        // A distance that is not a number is not behind.
        for (const CVector3& corner : corners)
            behind += Distance(node->m_data, corner) < 0.0f ? 1 : 0;
        if (behind == 8)
            return 0;
    }
    return 1;
}

int CFrustum::IsSphereVisible(float x, float y, float z, float radius) const {
    const CVector3 centre(x, y, z);
    for (auto* node = m_pPlanes->m_pHead; node; node = node->m_pNext) {
        if (Distance(node->m_data, centre) < -radius)
            return 0;
    }
    return 1;
}
