// A 2D texture: a device record by handle plus a system-memory copy of its top-level pixels
// (rows top first; 3 or 4 bytes per pixel in R, G, B(, A) order), which the device converts
// and uploads when the texture is unlocked. Reads TGA files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/graphics/RendererResource.h"

class CTexture2D : public CRendererResource {
    DECLARE_RUNTIME_CLASS(CTexture2D)

public:
    // The largest width or height the TGA reader accepts.
    static constexpr uint32_t kMaxTgaSide = 8192;

    CTexture2D() = default;
    ~CTexture2D() override;

    virtual uint32_t GetWidth() { return m_nWidth; }
    virtual uint32_t GetHeight() { return m_nHeight; }
    virtual uint32_t GetLevels() { return m_nLevels; }
    virtual uint32_t GetFormat() { return m_nFormat; }
    virtual uint32_t GetUserValue() { return m_nUserValue; }
    virtual uint32_t GetUsage() { return m_nUsage; }
    virtual uint32_t GetHandle() { return m_nHandle; }
    // The pixel buffer; 0 for no out pointer. Copies nothing.
    virtual int Lock(uint8_t** pixels);
    // Hands the pixels to the device to (re)create and upload the texture.
    virtual int Unlock(int flag);
    // Reads a TGA file; 1 when the texture holds its pixels.
    virtual int LoadFile(const char* fileName, uint32_t userValue, uint32_t usage, CRenderDevice* device);
    // Registers the texture with the device and makes a zero-filled pixel buffer.
    virtual int Create(uint32_t width, uint32_t height, uint32_t levels, uint32_t format, uint32_t userValue,
                       uint32_t usage, CRenderDevice* device);

    // The TGA reader on a file's bytes.
    int LoadTga(const uint8_t* data, size_t size, uint32_t userValue, uint32_t usage, CRenderDevice* device);

    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint32_t m_nLevels = 0;
    uint32_t m_nFormat = 0;
    uint32_t m_nUsage = 0;
    uint32_t m_nUserValue = 0;
    uint32_t m_nHandle = 0;
    uint8_t* m_pPixels = nullptr;

private:
    void ReleaseTexture();
};
