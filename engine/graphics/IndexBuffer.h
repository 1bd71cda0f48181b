// An index buffer of 16-bit (format kFormatIndex16) or 32-bit indices in device memory.
#pragma once

#include <cstdint>

#include "engine/graphics/RendererResource.h"

class CIndexBuffer : public CRendererResource {
    DECLARE_RUNTIME_CLASS(CIndexBuffer)

public:
    CIndexBuffer() = default;
    ~CIndexBuffer() override;

    virtual uint32_t GetFormat() { return m_nFormat; }
    virtual uint32_t GetSize() { return m_nSize; }
    virtual uint32_t GetIndexCount();
    virtual uint32_t GetPool() { return m_nPool; }
    virtual uint32_t GetUsage() { return m_nUsage; }
    virtual uint32_t GetHandle() { return m_nHandle; }
    virtual int Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags);
    virtual int Unlock();
    virtual int Create(uint32_t byteSize, uint32_t indexFormat, uint32_t pool, uint32_t usage, CRenderDevice* device);

    uint32_t m_nFormat = 0;
    uint32_t m_nSize = 0;
    uint32_t m_nUsage = 0;
    uint32_t m_nPool = 0;
    uint32_t m_nHandle = 0;

private:
    void ReleaseHandle();
};
