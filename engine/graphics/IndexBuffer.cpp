#include "engine/graphics/IndexBuffer.h"

#include "engine/graphics/RenderDevice.h"

CIndexBuffer::~CIndexBuffer() {
    ReleaseHandle();
}

void CIndexBuffer::ReleaseHandle() {
    if (m_pDevice && m_nHandle)
        m_pDevice->ReleaseIndexBuffer(m_nHandle);
    m_nHandle = 0;
}

uint32_t CIndexBuffer::GetIndexCount() {
    return m_nFormat == kFormatIndex16 ? m_nSize / 2 : m_nSize / 4;
}

int CIndexBuffer::Create(uint32_t byteSize, uint32_t indexFormat, uint32_t pool, uint32_t usage,
                         CRenderDevice* device) {
    ReleaseHandle();
    if (!SetDevice(device))
        return 0;
    m_nSize = byteSize;
    m_nFormat = indexFormat;
    m_nPool = pool;
    m_nUsage = usage;
    m_nHandle = device->CreateIndexBuffer(byteSize, usage, indexFormat, pool, this);
    return m_nHandle ? 1 : 0;
}

int CIndexBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) {
    if (!m_pDevice || !m_nHandle)
        return 0;
    return m_pDevice->LockIndexBuffer(m_nHandle, offset, size, data, flags);
}

int CIndexBuffer::Unlock() {
    if (!m_pDevice || !m_nHandle)
        return 0;
    return m_pDevice->UnlockIndexBuffer(m_nHandle);
}
