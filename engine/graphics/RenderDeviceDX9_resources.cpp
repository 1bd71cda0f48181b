// CRenderDeviceDX9: the handle tables of vertex buffers, index buffers and textures, and the
// upload of textures with the device's own mip-map chain.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/RenderDeviceDX9Tables.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"

namespace {

bool IsPowerOfTwo(uint32_t value) {
    return value && !(value & (value - 1));
}

// The pixel layout a texture of an engine format is uploaded in: four bytes B, G, R, A, or
// one alpha byte for format A8.
bool UploadFormat(uint32_t format, D3DFORMAT* d3dFormat, uint32_t* bytesPerPixel) {
    switch (format) {
    case kFormatR8G8B8:
    case kFormatX8R8G8B8:
        *d3dFormat = D3DFMT_X8R8G8B8;
        *bytesPerPixel = 4;
        return true;
    case kFormatA8R8G8B8:
    case kFormatA1R5G5B5:  // expanded to eight bits a channel
        *d3dFormat = D3DFMT_A8R8G8B8;
        *bytesPerPixel = 4;
        return true;
    case kFormatA8:
        *d3dFormat = D3DFMT_A8;
        *bytesPerPixel = 1;
        return true;
    default:
        return false;
    }
}

uint8_t FiveBits(uint16_t value, int shift) {
    return static_cast<uint8_t>((((value >> shift) & 0x1F) * 255 + 15) / 31);
}

// The owner's pixels (rows top first, R, G, B(, A)) in the upload layout.
void ConvertPixels(uint32_t format, const uint8_t* pixels, size_t count, uint8_t* out) {
    for (size_t i = 0; i < count; ++i) {
        switch (format) {
        case kFormatR8G8B8:
            out[4 * i] = pixels[3 * i + 2];
            out[4 * i + 1] = pixels[3 * i + 1];
            out[4 * i + 2] = pixels[3 * i];
            out[4 * i + 3] = 255;
            break;
        case kFormatA8R8G8B8:
        case kFormatX8R8G8B8:
            out[4 * i] = pixels[4 * i + 2];
            out[4 * i + 1] = pixels[4 * i + 1];
            out[4 * i + 2] = pixels[4 * i];
            out[4 * i + 3] = pixels[4 * i + 3];
            break;
        case kFormatA1R5G5B5: {
            const uint16_t word = static_cast<uint16_t>(pixels[2 * i] | (pixels[2 * i + 1] << 8));
            out[4 * i] = FiveBits(word, 0);
            out[4 * i + 1] = FiveBits(word, 5);
            out[4 * i + 2] = FiveBits(word, 10);
            out[4 * i + 3] = (word & 0x8000) ? 255 : 0;
            break;
        }
        default:  // A8
            out[i] = pixels[i];
            break;
        }
    }
}

// The next level: each texel the average of the 2 x 2 block below it, byte channel by byte
// channel (truncating); where a side is already 1, of the texels that exist.
void HalveLevel(const uint8_t* source, uint32_t width, uint32_t height, uint32_t bytesPerPixel, uint8_t* out) {
    const uint32_t halfWidth = std::max(width / 2, 1u);
    const uint32_t halfHeight = std::max(height / 2, 1u);
    for (uint32_t y = 0; y < halfHeight; ++y) {
        for (uint32_t x = 0; x < halfWidth; ++x) {
            const uint32_t xs[2] = {2 * x, std::min(2 * x + 1, width - 1)};
            const uint32_t ys[2] = {2 * y, std::min(2 * y + 1, height - 1)};
            const uint32_t columns = width > 1 ? 2 : 1;
            const uint32_t rows = height > 1 ? 2 : 1;
            for (uint32_t c = 0; c < bytesPerPixel; ++c) {
                uint32_t sum = 0;
                for (uint32_t j = 0; j < rows; ++j) {
                    for (uint32_t i = 0; i < columns; ++i)
                        sum += source[(size_t{ys[j]} * width + xs[i]) * bytesPerPixel + c];
                }
                out[(size_t{y} * halfWidth + x) * bytesPerPixel + c] = static_cast<uint8_t>(sum / (columns * rows));
            }
        }
    }
}

}  // namespace

CRenderDeviceDX9::BufferRecord* CRenderDeviceDX9::VertexRecord(uint32_t handle) {
    if (!m_pVertexBuffers || handle == 0 || handle > m_pVertexBuffers->size())
        return nullptr;
    return &(*m_pVertexBuffers)[handle - 1];
}

CRenderDeviceDX9::BufferRecord* CRenderDeviceDX9::IndexRecord(uint32_t handle) {
    if (!m_pIndexBuffers || handle == 0 || handle > m_pIndexBuffers->size())
        return nullptr;
    return &(*m_pIndexBuffers)[handle - 1];
}

CRenderDeviceDX9::TextureRecord* CRenderDeviceDX9::Texture(uint32_t handle) {
    if (!m_pTextures || handle == 0 || handle > m_pTextures->size())
        return nullptr;
    return &(*m_pTextures)[handle - 1];
}

void CRenderDeviceDX9::ReleaseTables() {
    if (m_pVertexBuffers) {
        for (BufferRecord& record : *m_pVertexBuffers) {
            if (record.buffer)
                static_cast<IDirect3DVertexBuffer9*>(record.buffer)->Release();
        }
    }
    if (m_pIndexBuffers) {
        for (BufferRecord& record : *m_pIndexBuffers) {
            if (record.buffer)
                static_cast<IDirect3DIndexBuffer9*>(record.buffer)->Release();
        }
    }
    if (m_pTextures) {
        for (TextureRecord& record : *m_pTextures) {
            if (record.texture)
                record.texture->Release();
        }
    }
    delete m_pVertexBuffers;
    delete m_pFreeVertexSlots;
    delete m_pIndexBuffers;
    delete m_pFreeIndexSlots;
    delete m_pTextures;
    delete m_pFreeTextureSlots;
    m_pVertexBuffers = m_pIndexBuffers = nullptr;
    m_pTextures = nullptr;
    m_pFreeVertexSlots = m_pFreeIndexSlots = m_pFreeTextureSlots = nullptr;
}

// A new record takes the most recently freed slot, or goes at the end.
template <class Record>
static uint32_t EnterRecord(std::vector<Record>* table, std::vector<uint32_t>* freeSlots, const Record& record) {
    if (!freeSlots->empty()) {
        const uint32_t slot = freeSlots->back();
        freeSlots->pop_back();
        (*table)[slot] = record;
        return slot + 1;
    }
    table->push_back(record);
    return static_cast<uint32_t>(table->size());
}

uint32_t CRenderDeviceDX9::CreateVertexBuffer(uint32_t byteSize, uint32_t usage, uint32_t vertexFormat, uint32_t pool,
                                              CVertexBuffer* owner) {
    if (!owner || !vertexFormat || !byteSize || !m_pVertexBuffers || !m_pDevice || pool > 3)
        return 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    if (FAILED(m_pDevice->CreateVertexBuffer(byteSize, usage, vertexFormat,
                                             dx9tables::kPools[pool], &buffer, nullptr)))
        return 0;
    return EnterRecord(m_pVertexBuffers, m_pFreeVertexSlots, BufferRecord{buffer, owner});
}

int CRenderDeviceDX9::LockVertexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data, uint32_t flags) {
    BufferRecord* record = VertexRecord(handle);
    if (!record || !record->buffer)
        return 0;
    return SUCCEEDED(static_cast<IDirect3DVertexBuffer9*>(record->buffer)->Lock(offset, size, data, flags)) ? 1 : 0;
}

int CRenderDeviceDX9::UnlockVertexBuffer(uint32_t handle) {
    BufferRecord* record = VertexRecord(handle);
    if (!record || !record->buffer)
        return 0;
    return SUCCEEDED(static_cast<IDirect3DVertexBuffer9*>(record->buffer)->Unlock()) ? 1 : 0;
}

// The Direct3D buffer goes; the slot stays taken, so a buffer handle is never given twice.
int CRenderDeviceDX9::ReleaseVertexBuffer(uint32_t handle) {
    BufferRecord* record = VertexRecord(handle);
    if (!record)
        return 0;
    if (record->buffer)
        static_cast<IDirect3DVertexBuffer9*>(record->buffer)->Release();
    if (m_pCurrentVertexBuffer && record->owner == m_pCurrentVertexBuffer)
        m_pCurrentVertexBuffer = nullptr;
    record->buffer = nullptr;
    record->owner = nullptr;
    return 1;
}

uint32_t CRenderDeviceDX9::CreateIndexBuffer(uint32_t byteSize, uint32_t usage, uint32_t indexFormat, uint32_t pool,
                                             CIndexBuffer* owner) {
    if (!owner || !indexFormat || !byteSize || !m_pIndexBuffers || !m_pDevice || pool > 3 ||
        indexFormat >= kFormatCount)
        return 0;
    IDirect3DIndexBuffer9* buffer = nullptr;
    if (FAILED(m_pDevice->CreateIndexBuffer(byteSize, usage, dx9tables::kPixelFormats[indexFormat],
                                            dx9tables::kPools[pool], &buffer, nullptr)))
        return 0;
    return EnterRecord(m_pIndexBuffers, m_pFreeIndexSlots, BufferRecord{buffer, owner});
}

int CRenderDeviceDX9::LockIndexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data, uint32_t flags) {
    BufferRecord* record = IndexRecord(handle);
    if (!record || !record->buffer)
        return 0;
    return SUCCEEDED(static_cast<IDirect3DIndexBuffer9*>(record->buffer)->Lock(offset, size, data, flags)) ? 1 : 0;
}

int CRenderDeviceDX9::UnlockIndexBuffer(uint32_t handle) {
    BufferRecord* record = IndexRecord(handle);
    if (!record || !record->buffer)
        return 0;
    return SUCCEEDED(static_cast<IDirect3DIndexBuffer9*>(record->buffer)->Unlock()) ? 1 : 0;
}

int CRenderDeviceDX9::ReleaseIndexBuffer(uint32_t handle) {
    BufferRecord* record = IndexRecord(handle);
    if (!record)
        return 0;
    if (record->buffer)
        static_cast<IDirect3DIndexBuffer9*>(record->buffer)->Release();
    if (m_pCurrentIndexBuffer && record->owner == m_pCurrentIndexBuffer)
        m_pCurrentIndexBuffer = nullptr;
    record->buffer = nullptr;
    record->owner = nullptr;
    return 1;
}

uint32_t CRenderDeviceDX9::AddTexture(uint32_t width, uint32_t height, uint32_t /*levels*/, uint32_t /*usage*/,
                                      uint32_t format, uint32_t /*userValue*/, CTexture2D* owner) {
    if (!width || !height || !format || !m_pTextures)
        return 0;
    return EnterRecord(m_pTextures, m_pFreeTextureSlots, TextureRecord{nullptr, owner, 0, 0, 0});
}

int CRenderDeviceDX9::ReleaseTexture(uint32_t handle) {
    TextureRecord* record = Texture(handle);
    if (!record)
        return 0;
    if (record->texture)
        record->texture->Release();
    *record = TextureRecord{nullptr, nullptr, 0, 0, 0};
    m_pFreeTextureSlots->push_back(handle - 1);
    return 1;
}

bool CRenderDeviceDX9::EvictTexture(const TextureRecord* keep) {
    TextureRecord* oldest = nullptr;
    for (TextureRecord& record : *m_pTextures) {
        if (&record != keep && record.texture && record.bUploaded && (!oldest || record.nLastUse < oldest->nLastUse))
            oldest = &record;
    }
    if (!oldest)
        return false;
    oldest->texture->Release();
    oldest->texture = nullptr;
    oldest->bUploaded = 0;
    return true;
}

int CRenderDeviceDX9::CreateTexture(uint32_t handle, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                    uint32_t format, uint32_t /*userValue*/, const uint8_t* pixels, int /*flag*/) {
    TextureRecord* record = Texture(handle);
    D3DFORMAT d3dFormat;
    uint32_t bytesPerPixel;
    // Only pixels the device knows how to lay out are uploaded; nothing unfilled goes up.
    if (!record || !m_pDevice || !pixels || !IsPowerOfTwo(width) || !IsPowerOfTwo(height) ||
        !UploadFormat(format, &d3dFormat, &bytesPerPixel))
        return 0;

    // The engine's own count of levels (halving until the smaller side is 1) sizes the chain
    // for the eviction accounting.
    uint32_t count = levels;
    if (count == 0) {
        count = 1;
        for (uint32_t w = width, h = height; std::min(w, h) > 1; w /= 2, h /= 2)
            ++count;
    }
    uint32_t chainSize = 0;
    for (uint32_t level = 0, w = width, h = height; level < count; ++level, w = std::max(w / 2, 1u), h = std::max(h / 2, 1u))
        chainSize += w * h * 4;

    // Until the new texture stands, the record is not uploaded: a failure here leaves it to
    // the next bind to try again.
    if (record->texture) {
        record->texture->Release();
        record->texture = nullptr;
    }
    record->bUploaded = 0;
    IDirect3DTexture9* texture = nullptr;
    HRESULT result;
    while ((result = m_pDevice->CreateTexture(width, height, levels == 1 ? 1 : 0, usage, d3dFormat, D3DPOOL_MANAGED,
                                              &texture, nullptr)) == D3DERR_OUTOFVIDEOMEMORY) {
        if (!EvictTexture(record))
            return 0;
    }
    if (FAILED(result) || !texture)
        return 0;
    record->texture = texture;
    record->nChainSize = chainSize;
    record->nLastUse = m_nFrame;
    record->bUploaded = 1;

    std::vector<uint8_t> level(size_t{width} * height * bytesPerPixel);
    std::vector<uint8_t> next(level.size());
    ConvertPixels(format, pixels, size_t{width} * height, level.data());
    // Every level the Direct3D texture has is filled, down to its last.
    const DWORD levelCount = texture->GetLevelCount();
    for (DWORD i = 0; i < levelCount; ++i) {
        D3DSURFACE_DESC desc;
        D3DLOCKED_RECT locked;
        if (FAILED(texture->GetLevelDesc(i, &desc)) || FAILED(texture->LockRect(i, &locked, nullptr, 0)))
            return 0;
        const size_t rowBytes = size_t{desc.Width} * bytesPerPixel;
        for (UINT y = 0; y < desc.Height; ++y)
            memcpy(static_cast<uint8_t*>(locked.pBits) + y * static_cast<size_t>(locked.Pitch), level.data() + y * rowBytes,
                   rowBytes);
        HalveLevel(level.data(), desc.Width, desc.Height, bytesPerPixel, next.data());
        texture->UnlockRect(i);
        level.swap(next);
    }
    return 1;
}

int CRenderDeviceDX9::SetVertexBuffer(uint32_t stream, CVertexBuffer* buffer, uint32_t offset) {
    m_pCurrentVertexBuffer = buffer;
    if (!m_pDevice)
        return 1;
    BufferRecord* record = buffer ? VertexRecord(buffer->GetHandle()) : nullptr;
    if (!record || !record->buffer) {
        m_pDevice->SetStreamSource(stream, nullptr, 0, 0);
        return 1;
    }
    m_pDevice->SetFVF(buffer->GetFormat());
    m_pDevice->SetStreamSource(stream, static_cast<IDirect3DVertexBuffer9*>(record->buffer), offset,
                               buffer->GetVertexSize());
    return 1;
}

int CRenderDeviceDX9::SetIndexBuffer(CIndexBuffer* buffer) {
    m_pCurrentIndexBuffer = buffer;
    if (!m_pDevice)
        return 1;
    BufferRecord* record = buffer ? IndexRecord(buffer->GetHandle()) : nullptr;
    m_pDevice->SetIndices(record ? static_cast<IDirect3DIndexBuffer9*>(record->buffer) : nullptr);
    return 1;
}

int CRenderDeviceDX9::SetTexture(uint32_t stage, CTexture2D* texture) {
    if (!m_pDevice)
        return 1;
    TextureRecord* record = texture ? Texture(texture->GetHandle()) : nullptr;
    if (!record) {
        m_pDevice->SetTexture(stage, nullptr);
        return 1;
    }
    // A texture whose upload failed is tried again whenever it is bound.
    if (!record->bUploaded)
        texture->Unlock(1);
    record->nLastUse = m_nFrame;
    m_pDevice->SetTexture(stage, record->texture);
    return 1;
}

int CRenderDeviceDX9::SetTextureLOD(uint32_t levelOfDetail) {
    m_nTextureLOD = levelOfDetail;
    if (m_pTextures) {
        for (TextureRecord& record : *m_pTextures) {
            if (record.texture)
                record.texture->SetLOD(levelOfDetail);
        }
    }
    return 1;
}
