// Textures and vertex and index buffers: OpenGL objects with a copy in system memory that
// locks hand out and unlocks upload.
#include <algorithm>
#include <cstring>

#include "winapi/d3d9/D3D9_local.h"

namespace winapi::d3d {

bool TextureFormat(D3DFORMAT format, GlFormat* out) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
        return true;
    case D3DFMT_X8R8G8B8:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        return true;
    case D3DFMT_R5G6B5:
        *out = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        return true;
    case D3DFMT_A1R5G5B5:
        *out = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
        return true;
    case D3DFMT_X1R5G5B5:
        *out = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        return true;
    case D3DFMT_A4R4G4B4:
        *out = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
        return true;
    case D3DFMT_A8:
        *out = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}};
        return true;
    case D3DFMT_L8:
        *out = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_RED, GL_RED, GL_RED, GL_ONE}};
        return true;
    case D3DFMT_A8L8:
        *out = {GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, {GL_RED, GL_RED, GL_RED, GL_GREEN}};
        return true;
    default:
        return false;
    }
}

// --- Textures ---------------------------------------------------------------------------

CGlTexture::CGlTexture(CDevice* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                       D3DPOOL pool, const GlFormat& glFormat)
    : m_pDevice(device), m_format(format), m_pool(pool), m_nUsage(usage), m_glFormat(glFormat) {
    device->ResourceCreated(pool);
    for (UINT level = 0; level < levels; ++level) {
        const UINT w = std::max(width >> level, 1u);
        const UINT h = std::max(height >> level, 1u);
        m_Levels.push_back(Level{w, h, std::vector<uint8_t>(size_t{w} * h * static_cast<size_t>(glFormat.bytesPerPixel)),
                                 false, 0});
    }
    // Storage for the whole chain at once; the texture is never bound to create or fill it,
    // so the device's record of bound textures stays true.
    device->MakeCurrent();
    glCreateTextures(GL_TEXTURE_2D, 1, &m_glTexture);
    glTextureParameteri(m_glTexture, GL_TEXTURE_BASE_LEVEL, 0);
    glTextureParameteri(m_glTexture, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    glTextureParameteriv(m_glTexture, GL_TEXTURE_SWIZZLE_RGBA, glFormat.swizzle);
    glTextureStorage2D(m_glTexture, static_cast<GLsizei>(levels), glFormat.internalFormat,
                       static_cast<GLsizei>(m_Levels[0].width), static_cast<GLsizei>(m_Levels[0].height));
    for (UINT level = 0; level < levels; ++level) {
        const Level& l = m_Levels[level];
        glTextureSubImage2D(m_glTexture, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(l.width),
                            static_cast<GLsizei>(l.height), glFormat.format, glFormat.type, l.bytes.data());
    }
}

CGlTexture::~CGlTexture() {
    m_pDevice->MakeCurrent();
    m_pDevice->ForgetTexture(this);
    glDeleteTextures(1, &m_glTexture);
    m_pDevice->ResourceDestroyed(m_pool);
}

ULONG CGlTexture::Release() {
    const ULONG left = DropReference();
    if (!left)
        delete this;
    return left;
}

// Takes effect when the texture is next drawn with (CDevice::BindTextures).
DWORD CGlTexture::SetLOD(DWORD lod) {
    const DWORD previous = m_nLod;
    if (m_pool != D3DPOOL_MANAGED)
        return 0;
    m_nLod = std::min<DWORD>(lod, static_cast<DWORD>(m_Levels.size()) - 1);
    return previous;
}

void CGlTexture::UseBaseLevel(DWORD level) {
    level = std::min<DWORD>(level, static_cast<DWORD>(m_Levels.size()) - 1);
    if (level == m_nBaseLevel)
        return;
    m_nBaseLevel = level;
    glTextureParameteri(m_glTexture, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(level));
}

HRESULT CGlTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{m_format, D3DRTYPE_SURFACE, m_nUsage, m_pool, D3DMULTISAMPLE_NONE, 0,
                            m_Levels[level].width, m_Levels[level].height};
    return D3D_OK;
}

HRESULT CGlTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (!locked || level >= m_Levels.size() || m_Levels[level].locked)
        return D3DERR_INVALIDCALL;
    Level& l = m_Levels[level];
    const int bpp = m_glFormat.bytesPerPixel;
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top ||
            static_cast<UINT>(rect->right) > l.width || static_cast<UINT>(rect->bottom) > l.height)
            return D3DERR_INVALIDCALL;
        offset = (static_cast<size_t>(rect->top) * l.width + static_cast<size_t>(rect->left)) * static_cast<size_t>(bpp);
    }
    l.locked = true;
    l.lockFlags = flags;
    locked->Pitch = static_cast<int>(l.width) * bpp;
    locked->pBits = l.bytes.data() + offset;
    return D3D_OK;
}

HRESULT CGlTexture::UnlockRect(UINT level) {
    if (level >= m_Levels.size() || !m_Levels[level].locked)
        return D3DERR_INVALIDCALL;
    Level& l = m_Levels[level];
    l.locked = false;
    if (l.lockFlags & D3DLOCK_READONLY)
        return D3D_OK;
    m_pDevice->MakeCurrent();
    glTextureSubImage2D(m_glTexture, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(l.width),
                        static_cast<GLsizei>(l.height), m_glFormat.format, m_glFormat.type, l.bytes.data());
    return D3D_OK;
}

// --- Buffers ----------------------------------------------------------------------------

CGlBuffer::CGlBuffer(CDevice* device, UINT length, DWORD usage, D3DPOOL pool)
    : m_pDevice(device), m_pool(pool), m_Bytes(length, 0) {
    device->ResourceCreated(pool);
    device->MakeCurrent();
    glGenBuffers(1, &m_glBuffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, m_glBuffer);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(length), m_Bytes.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

CGlBuffer::~CGlBuffer() {
    m_pDevice->MakeCurrent();
    glDeleteBuffers(1, &m_glBuffer);
    m_pDevice->ResourceDestroyed(m_pool);
}

HRESULT CGlBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
    if (!data || m_bLocked)
        return D3DERR_INVALIDCALL;
    const UINT length = Length();
    if (size == 0)
        size = offset <= length ? length - offset : 0;
    if (uint64_t{offset} + size > length) {
        *data = nullptr;
        return D3DERR_INVALIDCALL;
    }
    m_bLocked = true;
    m_nLockOffset = offset;
    m_nLockSize = size;
    m_nLockFlags = flags;
    *data = m_Bytes.data() + offset;
    return D3D_OK;
}

HRESULT CGlBuffer::Unlock() {
    if (!m_bLocked)
        return D3DERR_INVALIDCALL;
    m_bLocked = false;
    // A read-only lock wrote nothing.
    if ((m_nLockFlags & D3DLOCK_READONLY) || m_nLockSize == 0)
        return D3D_OK;
    m_pDevice->MakeCurrent();
    glBindBuffer(GL_COPY_WRITE_BUFFER, m_glBuffer);
    glBufferSubData(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(m_nLockOffset), static_cast<GLsizeiptr>(m_nLockSize),
                    m_Bytes.data() + m_nLockOffset);
    return D3D_OK;
}

CGlVertexBuffer::CGlVertexBuffer(CDevice* device, UINT length, DWORD usage, DWORD /*fvf*/, D3DPOOL pool)
    : m_Buffer(device, length, usage, pool), m_pDevice(device) {}

ULONG CGlVertexBuffer::Release() {
    const ULONG left = DropReference();
    if (!left) {
        m_pDevice->ForgetVertexBuffer(this);
        delete this;
    }
    return left;
}

CGlIndexBuffer::CGlIndexBuffer(CDevice* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : m_Buffer(device, length, usage, pool), m_pDevice(device), m_format(format) {}

ULONG CGlIndexBuffer::Release() {
    const ULONG left = DropReference();
    if (!left) {
        m_pDevice->ForgetIndexBuffer(this);
        delete this;
    }
    return left;
}

// --- Device: creating and binding -----------------------------------------------------------

HRESULT CDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                               IDirect3DTexture9** texture, HANDLE* /*shared*/) {
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    GlFormat glFormat;
    if (width == 0 || height == 0 || !TextureFormat(format, &glFormat))
        return D3DERR_INVALIDCALL;
    // A full chain runs down to 1x1 on the larger side.
    UINT fullChain = 1;
    for (UINT side = std::max(width, height); side > 1; side >>= 1)
        ++fullChain;
    if (levels == 0)
        levels = fullChain;
    if (levels > fullChain)
        return D3DERR_INVALIDCALL;
    if (TakeOutOfVideoMemory())
        return D3DERR_OUTOFVIDEOMEMORY;
    *texture = new CGlTexture(this, width, height, levels, usage, format, pool, glFormat);
    return D3D_OK;
}

HRESULT CDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                    IDirect3DVertexBuffer9** buffer, HANDLE* /*shared*/) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0)
        return D3DERR_INVALIDCALL;
    if (FailureSet(EFailure::kCreateVertexBuffer))
        return D3DERR_OUTOFVIDEOMEMORY;
    *buffer = new CGlVertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT CDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                   IDirect3DIndexBuffer9** buffer, HANDLE* /*shared*/) {
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    *buffer = new CGlIndexBuffer(this, length, usage, format, pool);
    return D3D_OK;
}

HRESULT CDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= 8)
        return D3DERR_INVALIDCALL;
    CGlTexture* bound = texture ? dynamic_cast<CGlTexture*>(texture) : nullptr;
    // Whether a stage has a texture shapes the program; which texture it is does not.
    if ((bound == nullptr) != (m_Textures[stage] == nullptr))
        m_bKeyDirty = true;
    m_Textures[stage] = bound;
    return D3D_OK;
}

HRESULT CDevice::SetFVF(DWORD fvf) {
    if (fvf != m_nFvf)
        m_bKeyDirty = true;
    m_nFvf = fvf;
    return D3D_OK;
}

HRESULT CDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    if (stream != 0)
        return D3DERR_INVALIDCALL;
    m_pStream = buffer ? dynamic_cast<CGlVertexBuffer*>(buffer) : nullptr;
    m_nStreamOffset = buffer ? offset : 0;
    m_nStreamStride = buffer ? stride : 0;
    return D3D_OK;
}

HRESULT CDevice::SetIndices(IDirect3DIndexBuffer9* buffer) {
    m_pIndices = buffer ? dynamic_cast<CGlIndexBuffer*>(buffer) : nullptr;
    return D3D_OK;
}

}  // namespace winapi::d3d
