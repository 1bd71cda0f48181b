#include "engine/graphics/VertexBuffer.h"

#include "engine/graphics/RenderDevice.h"

CVertexBuffer::~CVertexBuffer() {
    ReleaseHandle();
}

// A buffer whose creation failed holds handle 0 and has nothing to give back.
void CVertexBuffer::ReleaseHandle() {
    if (m_pDevice && m_nHandle)
        m_pDevice->ReleaseVertexBuffer(m_nHandle);
    m_nHandle = 0;
}

int CVertexBuffer::Create(uint32_t byteSize, uint32_t vertexFormat, uint32_t pool, uint32_t usage,
                          CRenderDevice* device) {
    ReleaseHandle();
    if (!SetDevice(device))
        return 0;
    m_nSize = byteSize;
    m_nFormat = vertexFormat;
    m_nPool = pool;
    m_nUsage = usage;
    m_nVertexSize = CRenderDevice::GetVertexSize(vertexFormat);
    m_nHandle = device->CreateVertexBuffer(byteSize, usage, vertexFormat, pool, this);
    return m_nHandle ? 1 : 0;
}

int CVertexBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) {
    if (!m_pDevice || !m_nHandle)
        return 0;
    return m_pDevice->LockVertexBuffer(m_nHandle, offset, size, data, flags);
}

int CVertexBuffer::Unlock() {
    if (!m_pDevice || !m_nHandle)
        return 0;
    return m_pDevice->UnlockVertexBuffer(m_nHandle);
}
