// The render device over Direct3D 9: display modes, device creation and reset, the tables
// from engine codes to Direct3D values, the handle tables of the renderer resources, texture
// upload with its own mip-map chain, and the immediate drawing operations.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/RendererResource.h"
#include "winapi/d3d9/D3D9.h"

class CRenderDeviceDX9 : public CRenderDevice {
    DECLARE_RUNTIME_CLASS(CRenderDeviceDX9)

public:
    CRenderDeviceDX9() = default;
    ~CRenderDeviceDX9() override;

    int Init(CViewport* viewport, uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen,
             uint32_t multisample, int bVSync, uint32_t pnt1Count, uint32_t pct2Count, uint32_t prc2t1Count,
             CLogFile* log, int bLockableBackBuffer) override;
    void Shutdown() override;
    int Reset(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen, uint32_t multisample,
              int bVSync) override;
    int CheckDevice() override;
    int BeginScene() override;
    int EndScene() override;
    int Present() override;
    int Clear(uint32_t flags, uint32_t color, float depth, uint32_t stencil) override;
    int SetTransform(uint32_t kind, const CMatrix* matrix) override;
    int GetTransform(uint32_t kind, CMatrix* matrix) override;
    uint32_t CreateVertexBuffer(uint32_t byteSize, uint32_t usage, uint32_t vertexFormat, uint32_t pool,
                                CVertexBuffer* owner) override;
    int LockVertexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    int UnlockVertexBuffer(uint32_t handle) override;
    int ReleaseVertexBuffer(uint32_t handle) override;
    uint32_t CreateIndexBuffer(uint32_t byteSize, uint32_t usage, uint32_t indexFormat, uint32_t pool,
                               CIndexBuffer* owner) override;
    int LockIndexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    int UnlockIndexBuffer(uint32_t handle) override;
    int ReleaseIndexBuffer(uint32_t handle) override;
    uint32_t AddTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                        uint32_t userValue, CTexture2D* owner) override;
    int ReleaseTexture(uint32_t handle) override;
    int CreateTexture(uint32_t handle, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                      uint32_t format, uint32_t userValue, const uint8_t* pixels, int flag) override;
    int SetVertexBuffer(uint32_t stream, CVertexBuffer* buffer, uint32_t offset) override;
    int SetIndexBuffer(CIndexBuffer* buffer) override;
    int SetTexture(uint32_t stage, CTexture2D* texture) override;
    int SetTextureLOD(uint32_t levelOfDetail) override;
    int SetRenderState(uint32_t state, uint32_t value) override;
    int SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) override;
    int SetMaterial(const CMaterial* material) override;
    int GetMaterial(CMaterial* material) override;
    int Reserved() override;
    int SetViewport(const CRenderViewport* viewport) override;
    int GetViewport(CRenderViewport* viewport) override;
    int SetLight(uint32_t index, const CLight* light) override;
    int GetLight(uint32_t index, CLight* light) override;
    int LightEnable(uint32_t index, int bEnable) override;
    int GetLightEnable(uint32_t index, int* bEnabled) override;
    int DrawIndexedPrimitive(uint32_t type, int baseVertex, uint32_t minIndex, uint32_t vertexCount,
                             uint32_t startIndex, uint32_t primitiveCount) override;
    int DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) override;
    int DrawBillboard(const CVector3* position, float halfWidth, float halfHeight, uint32_t color,
                      CCamera* camera) override;
    int DrawText(const CVector3* position, CCamera* camera, const char* text, int length, CFont* font,
                 int textureWidth, int textureHeight, uint32_t color, float scaleX, float scaleY,
                 float spacing) override;
    int DrawQuad2D(float x, float y, float z, float width, float height, uint32_t color, float leftU, float topV,
                   float rightU, float bottomV) override;
    int DrawRotatedQuad2D(const CVector3* centre, float width, float height, uint32_t color, float angle) override;
    int DrawText2D(const CVector3* position, const char* text, int length, CFont* font, int textureWidth,
                   int textureHeight, uint32_t color, float scaleX, float scaleY, float spacing) override;
    int DrawTextTransformed(const CVector3* position, const CMatrix* matrix, const char* text, int length,
                            CFont* font, int textureWidth, int textureHeight, uint32_t color, float scaleX,
                            float scaleY, float spacing) override;
    int DrawBox(const CVector3* centre, const CVector3* halfExtents, const CVector3* axes, uint32_t color) override;
    int DrawSphere(const CVector3* centre, float radius, uint32_t color, int segments) override;
    int DrawGridMesh(const void* points, uint32_t stride, uint32_t columns, uint32_t rows, int bSmooth,
                     int bBackSide) override;
    int DrawAxes(float length) override;

    // Fills the present parameters and the requested-mode fields; 0 when no mode fits.
    int BuildPresentParameters(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen,
                               uint32_t multisample, int bVSync, int bLockableBackBuffer);
    // The first record of the display-mode list of that size and format (refresh 0: any).
    const CDisplayMode* FindDisplayMode(uint32_t width, uint32_t height, uint32_t format, uint32_t refreshRate) const;
    static uint32_t ToEngineFormat(D3DFORMAT format);

    struct BufferRecord {
        void* buffer;  // IDirect3DVertexBuffer9 or IDirect3DIndexBuffer9; none once released
        CRendererResource* owner;
    };
    struct TextureRecord {
        IDirect3DTexture9* texture;  // none until uploaded
        CTexture2D* owner;
        uint32_t bUploaded;
        uint32_t nLastUse;    // frame counter when last bound or uploaded
        uint32_t nChainSize;  // bytes of the mip chain at 4 bytes per pixel, for eviction
    };

    std::vector<BufferRecord>* m_pVertexBuffers = nullptr;
    std::vector<uint32_t>* m_pFreeVertexSlots = nullptr;
    CVertexBuffer* m_pCurrentVertexBuffer = nullptr;
    std::vector<BufferRecord>* m_pIndexBuffers = nullptr;
    std::vector<uint32_t>* m_pFreeIndexSlots = nullptr;
    CIndexBuffer* m_pCurrentIndexBuffer = nullptr;
    std::vector<TextureRecord>* m_pTextures = nullptr;
    std::vector<uint32_t>* m_pFreeTextureSlots = nullptr;
    uint32_t m_nTextureLOD = 0;
    uint32_t m_nFrame = 0;
    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    D3DPRESENT_PARAMETERS m_PresentParameters{};

private:
    void SetStageDefaults();
    void ReadViewport();
    BufferRecord* VertexRecord(uint32_t handle);
    BufferRecord* IndexRecord(uint32_t handle);
    TextureRecord* Texture(uint32_t handle);
    // Releases the least recently used texture other than `keep`; false when none is left.
    bool EvictTexture(const TextureRecord* keep);
    void ReleaseTables();
    // Locks a pool for `count` vertices with discard; none when it is missing or too small.
    uint8_t* LockPool(CVertexBuffer* pool, uint32_t poolCount, uint32_t count);
    int DrawPool(CVertexBuffer* pool, uint32_t type, uint32_t primitiveCount);
    // Draws the text quads filled into the locked pool: at once from a cell font's texture, or
    // glyph by glyph from an outline font's pages, walking a fresh layout for the pages.
    template <class MakeLayout>
    int DrawTextPool(CVertexBuffer* pool, uint32_t quads, const CFont* font, const MakeLayout& layout);
};
