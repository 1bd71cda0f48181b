// Picking, visibility and overlap of a model's bounding spheres and boxes placed by a matrix.
#include <cfloat>

#include "engine/core/Frustum.h"
#include "engine/graphics/BoundingVolumes.h"
#include "engine/graphics/Model.h"

namespace {

// A sphere placed by the matrix: the centre moved, the radius scaled by the length of the
// image of the unit x vector.
CModelSphere PlaceSphere(const CModelSphere& sphere, const CMatrix& matrix) {
    CModelSphere placed;
    matrix.TransformPoint(&placed.vCentre, sphere.vCentre);
    CVector3 unitX;
    matrix.TransformVector(&unitX, CVector3(1.0f, 0.0f, 0.0f));
    placed.fRadius = sphere.fRadius * unitX.Length();
    return placed;
}

// Spheres overlap by their distance in the board plane; z plays no part.
int SpheresOverlapXY(const CModelSphere& a, const CModelSphere& b) {
    const float dx = a.vCentre.x - b.vCentre.x;
    const float dy = a.vCentre.y - b.vCentre.y;
    const float reach = a.fRadius + b.fRadius;
    return dx * dx + dy * dy < reach * reach ? 1 : 0;
}

}  // namespace

int CModel::RayPick(const CVector3& origin, const CVector3& direction, const CMatrix& matrix, float* distance) const {
    float nearest = FLT_MAX;
    int hit = 0;
    for (uint32_t i = 0; i < m_nSpheres; ++i) {
        float t;
        if (RayPickSphere(m_pSpheres[i].fRadius, m_pSpheres[i].vCentre, matrix, origin, direction, &t)) {
            hit = 1;
            if (t < nearest)
                nearest = t;
        }
    }
    for (uint32_t i = 0; i < m_nBoxes; ++i) {
        // The box test leaves t alone for a ray that starts inside a box reaching to infinity.
        float t = FLT_MAX;
        if (RayPickBox(m_pBoxes[i], matrix, origin, direction, &t)) {
            hit = 1;
            if (t < nearest)
                nearest = t;
        }
    }
    if (distance)
        *distance = nearest;
    return hit;
}

int CModel::CollideVolume(const CMatrix& matrix, const CFrustum& frustum) const {
    for (uint32_t i = 0; i < m_nSpheres; ++i) {
        const CModelSphere placed = PlaceSphere(m_pSpheres[i], matrix);
        if (frustum.IsSphereVisible(placed.vCentre.x, placed.vCentre.y, placed.vCentre.z, placed.fRadius))
            return 1;
    }
    for (uint32_t i = 0; i < m_nBoxes; ++i) {
        COrientedBox placed;
        TransformBox(&placed, m_pBoxes[i], matrix);
        if (frustum.IsBoxVisible(placed))
            return 1;
    }
    return 0;
}

int CModel::CollideModel(const CMatrix& matrix, const CModel* other, const CMatrix& otherMatrix) const {
    if (!other)
        return 0;
    for (uint32_t i = 0; i < m_nSpheres; ++i) {
        const CModelSphere sphere = PlaceSphere(m_pSpheres[i], matrix);
        for (uint32_t j = 0; j < other->m_nSpheres; ++j) {
            if (SpheresOverlapXY(sphere, PlaceSphere(other->m_pSpheres[j], otherMatrix)))
                return 1;
        }
        for (uint32_t j = 0; j < other->m_nBoxes; ++j) {
            COrientedBox box;
            TransformBox(&box, other->m_pBoxes[j], otherMatrix);
            if (CircleOverlapsBoxXY(box, sphere.fRadius, sphere.vCentre))
                return 1;
        }
    }
    for (uint32_t i = 0; i < m_nBoxes; ++i) {
        COrientedBox box;
        TransformBox(&box, m_pBoxes[i], matrix);
        for (uint32_t j = 0; j < other->m_nSpheres; ++j) {
            const CModelSphere sphere = PlaceSphere(other->m_pSpheres[j], otherMatrix);
            if (CircleOverlapsBoxXY(box, sphere.fRadius, sphere.vCentre))
                return 1;
        }
        for (uint32_t j = 0; j < other->m_nBoxes; ++j) {
            COrientedBox otherBox;
            TransformBox(&otherBox, other->m_pBoxes[j], otherMatrix);
            if (BoxesOverlapXY(box, otherBox))
                return 1;
        }
    }
    return 0;
}
