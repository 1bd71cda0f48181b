#include "engine/graphics/Polyline.h"

#include <cfloat>
#include <cmath>

#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/VertexBuffer.h"

namespace {

struct RibbonVertex {
    float x, y, z;
    uint32_t color;
    float u0, v0, u1, v1;
};
static_assert(sizeof(RibbonVertex) == 32);

CVector3 Minus(const CVector3& a, const CVector3& b) {
    return CVector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

CVector3 Unit(CVector3 v) {
    v.Normalize(&v);
    return v;
}

bool IsZero(const CVector3& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

}  // namespace

CPolyline::~CPolyline() {
    m_Points.SetCapacity(0);
}

int CPolyline::Draw(CRenderDevice* device, const CVector3* eye, float width, uint32_t color) {
    const int count = m_Points.m_nCount;
    if (count < 2 || !device || !eye)
        return 0;
    CVertexBuffer* pool = device->m_pPoolPCT2;
    const uint64_t vertexCount = 2 * static_cast<uint64_t>(count) + (m_bClosed ? 2 : 0);
    if (!pool || vertexCount > device->m_nPCT2Count)
        return 0;
    void* data = nullptr;
    if (!pool->Lock(0, static_cast<uint32_t>(vertexCount * sizeof(RibbonVertex)), &data, kLockDiscard) || !data)
        return 0;
    auto* v = static_cast<RibbonVertex*>(data);
    const CVector3* p = m_Points.m_pPoints;
    const int last = count - 1;

    // The unit direction of the segment from point i to the next (the first after the last
    // on a closed path); zero for a repeated point.
    auto segment = [&](int i) { return Unit(Minus(p[i == last ? 0 : i + 1], p[i])); };

    const float half = width * 0.5f;
    float u = 0.0f;
    int firstSided = -1;
    CVector3 previousSide(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < count; ++i) {
        CVector3 tangent;
        if (i == 0) {
            tangent = segment(0);
            if (m_bClosed)
                tangent.AddAssign(&tangent, segment(last));
        } else if (i == last) {
            tangent = segment(last - 1);
            if (m_bClosed)
                tangent.AddAssign(&tangent, segment(last));
        } else {
            tangent = segment(i - 1);
            tangent.AddAssign(&tangent, segment(i));
        }
        // Where the directions cancel (the path turns back, or its points repeat), the
        // nearest segment of some length before the point, else after it, gives the way.
        for (int j = i - 1; IsZero(tangent) && j >= 0; --j)
            tangent = segment(j);
        for (int j = i; IsZero(tangent) && j < last; ++j)
            tangent = segment(j);

        CVector3 side;
        tangent.Cross(&side, Minus(*eye, p[i]));
        side = Unit(side);
        side.ScaleAssign(&side, half);
        // Seen end-on there is no side: keep the ribbon's last one.
        if (IsZero(side))
            side = previousSide;
        else if (firstSided < 0)
            firstSided = i;
        previousSide = side;

        if (i > 0)
            u += Minus(p[i], p[i - 1]).Length();
        v[2 * i] = RibbonVertex{p[i].x - side.x, p[i].y - side.y, p[i].z - side.z, color, u, 1.0f, 0.0f, 0.0f};
        v[2 * i + 1] = RibbonVertex{p[i].x + side.x, p[i].y + side.y, p[i].z + side.z, color, u, 0.0f, 0.0f, 0.0f};
    }
    // Points before the first with a side take that one.
    if (firstSided > 0) {
        const CVector3 side(v[2 * firstSided + 1].x - p[firstSided].x, v[2 * firstSided + 1].y - p[firstSided].y,
                            v[2 * firstSided + 1].z - p[firstSided].z);
        for (int i = 0; i < firstSided; ++i) {
            v[2 * i].x = p[i].x - side.x;
            v[2 * i].y = p[i].y - side.y;
            v[2 * i].z = p[i].z - side.z;
            v[2 * i + 1].x = p[i].x + side.x;
            v[2 * i + 1].y = p[i].y + side.y;
            v[2 * i + 1].z = p[i].z + side.z;
        }
    }
    if (m_bClosed) {
        v[2 * count] = v[0];
        v[2 * count + 1] = v[1];
    }
    pool->Unlock();
    device->SetVertexBuffer(0, pool, 0);
    return device->DrawPrimitive(kPrimitiveTriangleStrip, 0, static_cast<uint32_t>(vertexCount - 2));
}

void CPolyline::ComputeBounds() {
    if (m_Points.m_nCount <= 0)
        return;
    m_vMin = m_vMax = m_Points.m_pPoints[0];
    for (int i = 1; i < m_Points.m_nCount; ++i) {
        const CVector3& point = m_Points.m_pPoints[i];
        m_vMin.x = std::fmin(m_vMin.x, point.x);
        m_vMin.y = std::fmin(m_vMin.y, point.y);
        m_vMax.x = std::fmax(m_vMax.x, point.x);
        m_vMax.y = std::fmax(m_vMax.y, point.y);
    }
}

int CPolyline::OverlapsBox(const CVector3* a, const CVector3* b) const {
    if (!a || !b)
        return 0;
    const float loX = std::fmin(a->x, b->x);
    const float hiX = std::fmax(a->x, b->x);
    if (hiX < m_vMin.x || loX > m_vMax.x)
        return 0;
    const float loY = std::fmin(a->y, b->y);
    const float hiY = std::fmax(a->y, b->y);
    if (hiY < m_vMin.y || loY > m_vMax.y)
        return 0;
    return 1;
}

float CPolyline::DistanceToPoint(float x, float y) const {
    float best = FLT_MAX;
    const int count = m_Points.m_nCount;
    const int segments = m_bClosed ? count : count - 1;
    for (int i = 0; i < segments; ++i) {
        const CVector3& from = m_Points.m_pPoints[i];
        const CVector3& to = m_Points.m_pPoints[i + 1 < count ? i + 1 : 0];
        const float dx = to.x - from.x;
        const float dy = to.y - from.y;
        float wx = x - from.x;
        float wy = y - from.y;
        const float t = wx * dx + wy * dy;
        if (t > 0.0f) {
            const float lengthSquared = dx * dx + dy * dy;
            if (t >= lengthSquared) {
                wx -= dx;
                wy -= dy;
            } else {
                wx -= dx * (t / lengthSquared);
                wy -= dy * (t / lengthSquared);
            }
        }
        const float distance = wx * wx + wy * wy;
        if (distance < best)
            best = distance;
    }
    return best;
}
