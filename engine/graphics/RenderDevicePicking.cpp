// Picking: the ray through a screen point and the volume a screen rectangle selects, from
// the cached viewport and the device's view and projection transforms.
#include <cmath>

#include "engine/core/PlaneList.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/RenderDevice.h"

namespace {

float Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The plane through three points, its normal turned towards `inside`.
CPlane PlaneThrough(const CVector3& a, const CVector3& b, const CVector3& c, const CVector3& inside) {
    CVector3 ab;
    CVector3 ac;
    CVector3 normal;
    b.Subtract(&ab, a);
    c.Subtract(&ac, a);
    ab.Cross(&normal, ac)->Normalize(&normal);
    float d = -Dot(normal, a);
    if (Dot(normal, inside) + d < 0.0f) {
        normal = CVector3(-normal.x, -normal.y, -normal.z);
        d = -d;
    }
    return CPlane{normal.x, normal.y, normal.z, d};
}

}  // namespace

// Device coordinates of a screen point, from the cached viewport.
static void ScreenToDevice(const CRenderViewport& viewport, float x, float y, float* nx, float* ny) {
    *nx = x / (static_cast<float>(viewport.Width - viewport.X) * 0.5f) - 1.0f;
    *ny = (static_cast<float>(viewport.Height) - y) / (static_cast<float>(viewport.Height - viewport.Y) * 0.5f) - 1.0f;
}

// The inverse of identity x view x projection.
static bool InverseViewProjection(CRenderDevice* device, CMatrix* inverse) {
    CMatrix view;
    CMatrix projection;
    if (!device->GetTransform(kTransformView, &view) || !device->GetTransform(kTransformProjection, &projection))
        return false;
    CMatrix combined;
    CMatrix::Multiply(&combined, CMatrix::Identity(), view);
    CMatrix::Multiply(&combined, combined, projection);
    combined.Inverse(inverse);
    return true;
}

int CRenderDevice::GetPickRay(CCamera* camera, float x, float y, CVector3* origin, CVector3* direction) {
    CMatrix inverse;
    if (!camera || !origin || !direction || !InverseViewProjection(this, &inverse))
        return 0;
    float nx;
    float ny;
    ScreenToDevice(m_Viewport, x, y, &nx, &ny);
    const float nz = camera->m_nProjection == 0 ? 0.5f : 0.0f;
    CVector3 point;
    inverse.TransformPoint(&point, CVector3(nx, ny, nz));
    if (camera->m_nProjection != 0) {
        *origin = point;
        return 1;
    }
    *origin = camera->m_vPosition;
    point.Subtract(direction, camera->m_vPosition);
    return 1;
}

int CRenderDevice::GetPickVolume(CCamera* camera, float x1, float y1, float x2, float y2, CPlaneList* planes) {
    CMatrix inverse;
    if (!camera || !planes || !InverseViewProjection(this, &inverse))
        return 0;
    // The rectangle's corners, unprojected at the near (0) and far (1) depth.
    const float corners[4][2] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
    CVector3 nearPoints[4];
    CVector3 farPoints[4];
    CVector3 centre(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 4; ++i) {
        float nx;
        float ny;
        ScreenToDevice(m_Viewport, corners[i][0], corners[i][1], &nx, &ny);
        inverse.TransformPoint(&nearPoints[i], CVector3(nx, ny, 0.0f));
        inverse.TransformPoint(&farPoints[i], CVector3(nx, ny, 1.0f));
        centre.AddAssign(&centre, nearPoints[i]);
        centre.AddAssign(&centre, farPoints[i]);
    }
    centre.ScaleAssign(&centre, 0.125f);
    for (int i = 0; i < 4; ++i)
        planes->Append(PlaneThrough(nearPoints[i], nearPoints[(i + 1) % 4], farPoints[i], centre));
    planes->Append(PlaneThrough(nearPoints[0], nearPoints[1], nearPoints[2], centre));
    planes->Append(PlaneThrough(farPoints[0], farPoints[1], farPoints[2], centre));
    return 1;
}
