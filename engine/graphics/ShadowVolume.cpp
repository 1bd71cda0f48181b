#include "engine/graphics/ShadowVolume.h"

#include <cstddef>

#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/VertexBuffer.h"

namespace {

// Direct3D 9's read-only lock: the model's buffers are only read.
constexpr uint32_t kLockReadOnly = 0x10;
constexpr uint32_t kUsageWriteOnly = 8;

struct VolumeVertex {
    float x, y, z;
    uint32_t color;
};
static_assert(sizeof(VolumeVertex) == CShadowVolume::kVertexSize);

void WritePosition(VolumeVertex* v, const CVector3& p) {
    v->x = p.x;
    v->y = p.y;
    v->z = p.z;
}

CVector3 Minus(const CVector3& a, const CVector3& b) {
    return CVector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

}  // namespace

CShadowVolume::~CShadowVolume() {
    Free();
}

void CShadowVolume::Free() {
    delete m_pVertexBuffer;
    m_pVertexBuffer = nullptr;
    delete[] m_pEdges;
    m_pEdges = nullptr;
    m_pModel = nullptr;
    m_nVertexCount = 0;
    m_nTriangleCapacity = 0;
}

int CShadowVolume::Create(CRenderDevice* device, CModel* model) {
    Free();
    if (!device || !model || !model->IsValid())
        return 0;
    const uint32_t triangles = model->GetTriangleCount();
    const uint64_t bytes = uint64_t{triangles} * kVerticesPerTriangle * kVertexSize;
    if (triangles == 0 || bytes > UINT32_MAX)
        return 0;
    auto* buffer = new CVertexBuffer;
    if (!buffer->Create(static_cast<uint32_t>(bytes), kVertexFormat, kPoolManaged, kUsageWriteOnly, device)) {
        delete buffer;
        return 0;
    }
    m_pVertexBuffer = buffer;
    m_pEdges = new CEdge[size_t{triangles} * 3];
    m_nTriangleCapacity = triangles;
    m_pModel = model;
    return 1;
}

void CShadowVolume::AddEdge(uint32_t* edgeCount, uint16_t a, uint16_t b) {
    uint32_t count = *edgeCount;
    for (uint32_t i = 0; i < count; ++i) {
        const CEdge& edge = m_pEdges[i];
        if ((edge.a == a && edge.b == b) || (edge.a == b && edge.b == a)) {
            m_pEdges[i] = m_pEdges[count - 1];
            *edgeCount = count - 1;
            return;
        }
    }
    if (!m_pEdges || count >= uint64_t{m_nTriangleCapacity} * 3)
        return;
    m_pEdges[count] = CEdge{a, b};
    *edgeCount = count + 1;
}

int CShadowVolume::Build(const CVector3& light) {
    return BuildFrames(light, 0, 0, 0.0f, false);
}

int CShadowVolume::BuildBlended(const CVector3& light, uint32_t frameA, uint32_t frameB, float t) {
    return BuildFrames(light, frameA, frameB, t, true);
}

int CShadowVolume::BuildFrames(const CVector3& light, uint32_t frameA, uint32_t frameB, float t, bool bBlend) {
    CModel* model = m_pModel;
    if (!model || !m_pVertexBuffer || !m_pEdges || !model->m_pVertexBuffer || !model->m_pIndexBuffer)
        return 0;
    const uint32_t vertices = model->GetVertexCount();
    const uint32_t triangles = model->GetTriangleCount();
    const uint32_t frames = model->GetFrameCount();
    if (frameA >= frames || frameB >= frames || triangles > m_nTriangleCapacity)
        return 0;

    // Build reads frame 0 alone; a blend may read any frame.
    const uint32_t vertexBytes = bBlend ? model->m_pVertexBuffer->GetSize() : vertices * modelfile::kVertexSize;
    void* vertexData = nullptr;
    if (!model->m_pVertexBuffer->Lock(0, vertexBytes, &vertexData, kLockReadOnly))
        return 0;
    void* indexData = nullptr;
    if (!model->m_pIndexBuffer->Lock(0, triangles * 6, &indexData, kLockReadOnly)) {
        model->m_pVertexBuffer->Unlock();
        return 0;
    }
    m_nVertexCount = 0;
    uint32_t edgeCount = 0;

    const auto* frameAVertices = static_cast<const CModelVertex*>(vertexData) + size_t{frameA} * vertices;
    const auto* frameBVertices = static_cast<const CModelVertex*>(vertexData) + size_t{frameB} * vertices;
    const float s = 1.0f - t;
    auto position = [&](uint32_t i) {
        const CModelVertex& a = frameAVertices[i];
        if (!bBlend)
            return CVector3(a.x, a.y, a.z);
        const CModelVertex& b = frameBVertices[i];
        return CVector3(s * a.x + t * b.x, s * a.y + t * b.y, s * a.z + t * b.z);
    };

    const auto* indices = static_cast<const uint16_t*>(indexData);
    for (uint32_t triangle = 0; triangle < triangles; ++triangle) {
        const uint16_t i0 = indices[3 * triangle];
        const uint16_t i1 = indices[3 * triangle + 1];
        const uint16_t i2 = indices[3 * triangle + 2];
        if (i0 >= vertices || i1 >= vertices || i2 >= vertices)
            continue;
        const CVector3 p0 = position(i0);
        const CVector3 p1 = position(i1);
        const CVector3 p2 = position(i2);
        CVector3 normal;
        Minus(p2, p1).Cross(&normal, Minus(p1, p0));
        if (normal.x * light.x + normal.y * light.y + normal.z * light.z >= 0.0f) {
            AddEdge(&edgeCount, i0, i1);
            AddEdge(&edgeCount, i1, i2);
            AddEdge(&edgeCount, i2, i0);
        }
    }

    int result = 0;
    void* volumeData = nullptr;
    if (m_pVertexBuffer->Lock(0, m_pVertexBuffer->GetSize(), &volumeData, 0)) {
        auto* out = static_cast<VolumeVertex*>(volumeData);
        const CVector3 extrusion(10.0f * light.x, 10.0f * light.y, 10.0f * light.z);
        for (uint32_t i = 0; i < edgeCount; ++i) {
            const CVector3 p = position(m_pEdges[i].a);
            const CVector3 q = position(m_pEdges[i].b);
            const CVector3 pFar = Minus(p, extrusion);
            const CVector3 qFar = Minus(q, extrusion);
            WritePosition(&out[0], p);
            WritePosition(&out[1], q);
            WritePosition(&out[2], pFar);
            WritePosition(&out[3], q);
            WritePosition(&out[4], qFar);
            WritePosition(&out[5], pFar);
            out += 6;
        }
        m_nVertexCount = edgeCount * 6;
        m_pVertexBuffer->Unlock();
        result = 1;
    }
    model->m_pIndexBuffer->Unlock();
    model->m_pVertexBuffer->Unlock();
    return result;
}

int CShadowVolume::Draw(CRenderDevice* device) {
    if (m_nVertexCount < 3 || !m_pVertexBuffer)
        return 1;
    if (!device)
        return 0;
    device->SetVertexBuffer(0, m_pVertexBuffer, 0);
    return device->DrawPrimitive(kPrimitiveTriangleList, 0, m_nVertexCount / 3);
}
