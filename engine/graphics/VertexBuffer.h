// A vertex buffer in device memory, reached by handle through the render device.
#pragma once

#include <cstdint>

#include "engine/graphics/RendererResource.h"

class CVertexBuffer : public CRendererResource {
    DECLARE_RUNTIME_CLASS(CVertexBuffer)

public:
    CVertexBuffer() = default;
    ~CVertexBuffer() override;

    virtual uint32_t GetFormat() { return m_nFormat; }
    virtual uint32_t GetSize() { return m_nSize; }
    virtual uint32_t GetVertexSize() { return m_nVertexSize; }
    virtual uint32_t GetVertexCount() { return m_nVertexSize ? m_nSize / m_nVertexSize : 0; }
    virtual uint32_t GetPool() { return m_nPool; }
    virtual uint32_t GetUsage() { return m_nUsage; }
    virtual uint32_t GetHandle() { return m_nHandle; }
    virtual int Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags);
    virtual int Unlock();
    // vertexFormat is a flexible-vertex-format code; 1 when the device gave a handle.
    virtual int Create(uint32_t byteSize, uint32_t vertexFormat, uint32_t pool, uint32_t usage,
                       CRenderDevice* device);

    uint32_t m_nFormat = 0;
    uint32_t m_nSize = 0;
    uint32_t m_nVertexSize = 0;
    uint32_t m_nUsage = 0;
    uint32_t m_nPool = 0;
    uint32_t m_nHandle = 0;

private:
    void ReleaseHandle();
};
