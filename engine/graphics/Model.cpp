#include "engine/graphics/Model.h"

#include <cstring>

#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/VertexBuffer.h"

namespace {

// Direct3D 9's read-only lock: the device need not upload the buffer again afterwards.
constexpr uint32_t kLockReadOnly = 0x10;

}  // namespace

CModel::CModel() {
    memset(&m_Header, 0, sizeof m_Header);
}

CModel::~CModel() {
    Free();
}

int CModel::Free() {
    delete m_pIndexBuffer;
    m_pIndexBuffer = nullptr;
    delete m_pVertexBuffer;
    m_pVertexBuffer = nullptr;
    if (m_ppTagMatrices) {
        for (uint32_t frame = 0; frame < m_Header.nFrames; ++frame)
            delete[] m_ppTagMatrices[frame];
        delete[] m_ppTagMatrices;
        m_ppTagMatrices = nullptr;
    }
    delete[] m_pTagNames;
    m_pTagNames = nullptr;
    delete[] m_pSpheres;
    m_pSpheres = nullptr;
    delete[] m_pBoxes;
    m_pBoxes = nullptr;
    m_nSpheres = 0;
    m_nBoxes = 0;
    memset(&m_Header, 0, sizeof m_Header);
    return 0;
}

int CModel::IsValid() const {
    return memcmp(m_Header.szMagic, modelfile::kMagic, sizeof modelfile::kMagic) == 0 && m_Header.nVersion != 0 &&
                   m_pVertexBuffer && m_ppTagMatrices
               ? 1
               : 0;
}

const char* CModel::GetTagName(uint32_t tag) const {
    if (!m_pTagNames || tag >= m_Header.nTags)
        return "";
    return m_pTagNames[tag].szName;
}

const CMatrix* CModel::GetTagMatrix(uint32_t frame, uint32_t tag) const {
    if (!m_ppTagMatrices || frame >= m_Header.nFrames || tag >= m_Header.nTags)
        return nullptr;
    return &m_ppTagMatrices[frame][tag];
}

int CModel::Draw(CRenderDevice* device, uint32_t frame) {
    if (!device || !m_pVertexBuffer || !m_pIndexBuffer || frame >= m_Header.nFrames)
        return 0;
    device->SetVertexBuffer(0, m_pVertexBuffer, 0);
    device->SetIndexBuffer(m_pIndexBuffer);
    // The loader keeps all frames within one 32-bit buffer, so the base vertex fits an int.
    return device->DrawIndexedPrimitive(kPrimitiveTriangleList, static_cast<int>(frame * m_Header.nVertices), 0,
                                        m_Header.nVertices, 0, m_Header.nTriangles);
}

int CModel::BlendFrames(CRenderDevice* device, uint32_t frameA, uint32_t frameB, float t) {
    if (!device || !m_pVertexBuffer || !m_pIndexBuffer || frameA >= m_Header.nFrames || frameB >= m_Header.nFrames)
        return 0;
    const uint32_t count = m_Header.nVertices;
    CVertexBuffer* pool = device->m_pPoolPNT1;
    if (!pool || device->m_nPNT1Count < count)
        return 0;
    void* target = nullptr;
    if (!pool->Lock(0, count * modelfile::kVertexSize, &target, kLockDiscard))
        return 0;
    void* source = nullptr;
    if (!m_pVertexBuffer->Lock(0, m_pVertexBuffer->GetSize(), &source, kLockReadOnly)) {
        pool->Unlock();
        return 0;
    }
    const auto* a = static_cast<const CModelVertex*>(source) + size_t{frameA} * count;
    const auto* b = static_cast<const CModelVertex*>(source) + size_t{frameB} * count;
    auto* out = static_cast<CModelVertex*>(target);
    const float s = 1.0f - t;
    for (uint32_t i = 0; i < count; ++i) {
        CModelVertex v;
        v.x = s * a[i].x + t * b[i].x;
        v.y = s * a[i].y + t * b[i].y;
        v.z = s * a[i].z + t * b[i].z;
        v.u = s * a[i].u + t * b[i].u;
        v.v = s * a[i].v + t * b[i].v;
        CVector3 normal(s * a[i].nx + t * b[i].nx, s * a[i].ny + t * b[i].ny, s * a[i].nz + t * b[i].nz);
        normal.Normalize(&normal);
        v.nx = normal.x;
        v.ny = normal.y;
        v.nz = normal.z;
        out[i] = v;
    }
    m_pVertexBuffer->Unlock();
    pool->Unlock();
    device->SetVertexBuffer(0, pool, 0);
    device->SetIndexBuffer(m_pIndexBuffer);
    return device->DrawIndexedPrimitive(kPrimitiveTriangleList, 0, 0, count, 0, m_Header.nTriangles);
}

void CModel::GetBounds(CVector3* min, CVector3* max, uint32_t frame) {
    if (!min || !max || !IsValid() || frame >= m_Header.nFrames || m_Header.nVertices == 0)
        return;
    const uint32_t frameBytes = m_Header.nVertices * modelfile::kVertexSize;
    void* data = nullptr;
    if (!m_pVertexBuffer->Lock(frame * frameBytes, frameBytes, &data, kLockReadOnly))
        return;
    const auto* vertices = static_cast<const CModelVertex*>(data);
    CVector3 low(vertices[0].x, vertices[0].y, vertices[0].z);
    CVector3 high = low;
    for (uint32_t i = 1; i < m_Header.nVertices; ++i) {
        const CModelVertex& v = vertices[i];
        if (v.x < low.x)
            low.x = v.x;
        if (v.y < low.y)
            low.y = v.y;
        if (v.z < low.z)
            low.z = v.z;
        if (v.x > high.x)
            high.x = v.x;
        if (v.y > high.y)
            high.y = v.y;
        if (v.z > high.z)
            high.z = v.z;
    }
    m_pVertexBuffer->Unlock();
    *min = low;
    *max = high;
}
