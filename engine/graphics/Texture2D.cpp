#include "engine/graphics/Texture2D.h"

#include <cstdlib>
#include <vector>

#include "engine/core/FileBytes.h"
#include "engine/core/OutOfMemory.h"
#include "engine/graphics/RenderDevice.h"

CTexture2D::~CTexture2D() {
    ReleaseTexture();
}

void CTexture2D::ReleaseTexture() {
    if (m_pDevice && m_nHandle)
        m_pDevice->ReleaseTexture(m_nHandle);
    m_nHandle = 0;
    free(m_pPixels);
    m_pPixels = nullptr;
}

int CTexture2D::Create(uint32_t width, uint32_t height, uint32_t levels, uint32_t format, uint32_t userValue,
                       uint32_t usage, CRenderDevice* device) {
    ReleaseTexture();
    if (!SetDevice(device))
        return 0;
    m_nWidth = width;
    m_nHeight = height;
    m_nLevels = levels;
    m_nFormat = format;
    m_nUserValue = userValue;
    m_nUsage = usage;
    m_nHandle = device->AddTexture(width, height, levels, usage, format, userValue, this);
    if (!m_nHandle)
        return 0;
    const size_t bytes = size_t{CRenderDevice::GetBytesPerPixel(format)} * height * width;
    if (bytes) {
        m_pPixels = static_cast<uint8_t*>(calloc(bytes, 1));
        if (!m_pPixels)
            OutOfMemory(bytes);
    }
    return 1;
}

int CTexture2D::Lock(uint8_t** pixels) {
    if (!pixels || !m_pPixels)
        return 0;
    *pixels = m_pPixels;
    return 1;
}

int CTexture2D::Unlock(int flag) {
    if (!m_pDevice || !m_nHandle)
        return 0;
    return m_pDevice->CreateTexture(m_nHandle, m_nWidth, m_nHeight, m_nLevels, m_nUsage, m_nFormat, m_nUserValue,
                                    m_pPixels, flag);
}

int CTexture2D::LoadFile(const char* fileName, uint32_t userValue, uint32_t usage, CRenderDevice* device) {
    if (!fileName)
        return 0;
    std::vector<uint8_t> data;
    if (!ReadFileBytes(fileName, &data))
        return 0;
    return LoadTga(data.data(), data.size(), userValue, usage, device);
}
