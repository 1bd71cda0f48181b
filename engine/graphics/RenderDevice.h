// The engine's abstract render device: the one object through which everything draws. It
// caches transforms, lights and the viewport, owns three dynamic vertex pools for immediate
// drawing, loads textures, models and fonts by file name, and hands out the handles through
// which renderer resources reach the device's memory (1-based; 0 means none).
#pragma once

#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/Matrix.h"
#include "engine/core/MatrixStack.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderTypes.h"

class CCamera;
class CFont;
class CIndexBuffer;
class CLogFile;
class CModel;
class CPlaneList;
class CTexture2D;
class CVertexBuffer;
class CViewport;

// The byte order the device wants 32-bit colours in, for code that packs colours into vertex
// data itself (particles): 0 A, R, G, B; 1 A, B, G, R. The device sets it when it starts.
extern int g_nColorByteOrder;

class CRenderDevice : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CRenderDevice)

public:
    CRenderDevice();
    ~CRenderDevice() override;

    // The base part stores the window, the log and the pool sizes, resets the transforms and
    // lights and makes the empty display-mode list and world matrix stack. The pools are made
    // by CreateDynamicBuffers once the implementation has a device.
    virtual int Init(CViewport* viewport, uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen,
                     uint32_t multisample, int bVSync, uint32_t pnt1Count, uint32_t pct2Count,
                     uint32_t prc2t1Count, CLogFile* log, int bLockableBackBuffer);
    // Frees the display modes, the pools and the world matrix stack; harmless twice.
    virtual void Shutdown();
    virtual int Reset(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen, uint32_t multisample,
                      int bVSync) = 0;
    // 1 usable, 0 lost (or reset failed), -1 just reset or another error.
    virtual int CheckDevice() = 0;
    virtual int BeginScene() = 0;
    virtual int EndScene() = 0;
    virtual int Present() = 0;
    virtual int Clear(uint32_t flags, uint32_t color, float depth, uint32_t stencil) = 0;
    virtual int SetTransform(uint32_t kind, const CMatrix* matrix) = 0;
    virtual int GetTransform(uint32_t kind, CMatrix* matrix) = 0;

    virtual uint32_t CreateVertexBuffer(uint32_t byteSize, uint32_t usage, uint32_t vertexFormat, uint32_t pool,
                                        CVertexBuffer* owner) = 0;
    virtual int LockVertexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual int UnlockVertexBuffer(uint32_t handle) = 0;
    virtual int ReleaseVertexBuffer(uint32_t handle) = 0;
    virtual uint32_t CreateIndexBuffer(uint32_t byteSize, uint32_t usage, uint32_t indexFormat, uint32_t pool,
                                       CIndexBuffer* owner) = 0;
    virtual int LockIndexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual int UnlockIndexBuffer(uint32_t handle) = 0;
    virtual int ReleaseIndexBuffer(uint32_t handle) = 0;
    virtual uint32_t AddTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                                uint32_t userValue, CTexture2D* owner) = 0;
    virtual int ReleaseTexture(uint32_t handle) = 0;
    // Creates the device texture of a record and uploads the pixels.
    virtual int CreateTexture(uint32_t handle, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                              uint32_t format, uint32_t userValue, const uint8_t* pixels, int flag) = 0;

    virtual int SetVertexBuffer(uint32_t stream, CVertexBuffer* buffer, uint32_t offset) = 0;
    virtual int SetIndexBuffer(CIndexBuffer* buffer) = 0;
    virtual int SetTexture(uint32_t stage, CTexture2D* texture) = 0;
    virtual int SetTextureLOD(uint32_t levelOfDetail) = 0;
    virtual int SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual int SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) = 0;
    virtual int SetMaterial(const CMaterial* material) = 0;
    virtual int GetMaterial(CMaterial* material) = 0;
    virtual int Reserved() = 0;
    virtual int SetViewport(const CRenderViewport* viewport) = 0;
    virtual int GetViewport(CRenderViewport* viewport) = 0;
    virtual int SetLight(uint32_t index, const CLight* light) = 0;
    virtual int GetLight(uint32_t index, CLight* light) = 0;
    virtual int LightEnable(uint32_t index, int bEnable) = 0;
    virtual int GetLightEnable(uint32_t index, int* bEnabled) = 0;

    // Loaders: the object is created into *out at once, its reader runs with "loading %s... "
    // then "ok\n" or "failed\n" in the log, and the reader's result is returned. A failed load
    // leaves the object for the caller to free.
    virtual int LoadModel(const char* fileName, CModel** out);
    virtual int LoadTexture(const char* fileName, CTexture2D** out);
    virtual int LoadFont(const char* fileName, CFont** out);
    // Destroy a present object through its virtual destructor.
    virtual void FreeModel(CObject* model);
    virtual void FreeTexture(CTexture2D* texture);
    virtual void FreeFont(CObject* font);

    virtual int DrawIndexedPrimitive(uint32_t type, int baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                     uint32_t startIndex, uint32_t primitiveCount) = 0;
    virtual int DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    virtual int DrawBillboard(const CVector3* position, float halfWidth, float halfHeight, uint32_t color,
                              CCamera* camera) = 0;
    virtual int DrawText(const CVector3* position, CCamera* camera, const char* text, int length, CFont* font,
                         int textureWidth, int textureHeight, uint32_t color, float scaleX, float scaleY,
                         float spacing) = 0;
    virtual int DrawQuad2D(float x, float y, float z, float width, float height, uint32_t color, float leftU,
                           float topV, float rightU, float bottomV) = 0;
    virtual int DrawRotatedQuad2D(const CVector3* centre, float width, float height, uint32_t color, float angle) = 0;
    virtual int DrawText2D(const CVector3* position, const char* text, int length, CFont* font, int textureWidth,
                           int textureHeight, uint32_t color, float scaleX, float scaleY, float spacing) = 0;
    virtual int DrawTextTransformed(const CVector3* position, const CMatrix* matrix, const char* text, int length,
                                    CFont* font, int textureWidth, int textureHeight, uint32_t color, float scaleX,
                                    float scaleY, float spacing) = 0;
    virtual int DrawBox(const CVector3* centre, const CVector3* halfExtents, const CVector3* axes,
                        uint32_t color) = 0;
    virtual int DrawSphere(const CVector3* centre, float radius, uint32_t color, int segments) = 0;
    virtual int DrawGridMesh(const void* points, uint32_t stride, uint32_t columns, uint32_t rows, int bSmooth,
                             int bBackSide) = 0;
    virtual int DrawAxes(float length) = 0;

    // The ray through a screen point, from the cached viewport and the view and projection
    // transforms: for a perspective camera from its eye (the direction not normalised), for an
    // orthographic one the unprojected point (the direction left as it was). 0 without a camera.
    int GetPickRay(CCamera* camera, float x, float y, CVector3* origin, CVector3* direction);
    // Appends the six planes (four sides, then the near and far ends, normals pointing inwards)
    // of the volume that a screen rectangle selects. 0 without a camera.
    int GetPickVolume(CCamera* camera, float x1, float y1, float x2, float y2, CPlaneList* planes);

    // The width of a text in the font's advances, each character followed by the spacing.
    float GetTextWidth(const char* text, int length, CFont* font, float scale, float spacing);
    static uint32_t GetVertexSize(uint32_t vertexFormat);
    static uint32_t GetBytesPerPixel(uint32_t format);
    // Deletes the three pools and creates one for every non-zero count; a failed creation
    // shuts the device down and returns 0.
    int CreateDynamicBuffers();

    CLogFile* m_pLog = nullptr;
    CDisplayModeList* m_pDisplayModes = nullptr;
    CViewport* m_pViewportWindow = nullptr;
    CMatrix m_Transforms[kTransformCount];
    CMatrixStack* m_pWorldStack = nullptr;
    CRenderViewport m_Viewport{};
    CLight m_Lights[8];
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint32_t m_nBitsPerPixel = 0;
    uint32_t m_bFullscreen = 0;
    uint32_t m_nMultiSample = 0;
    uint32_t m_bVSync = 0;
    uint32_t m_bLockableBackBuffer = 0;
    uint32_t m_nDepthFormat = kFormatUnknown;  // kFormatD24S8 or kFormatD16: whether there is a stencil
    CVertexBuffer* m_pPoolPNT1 = nullptr;
    uint32_t m_nPNT1Count = 0;
    CVertexBuffer* m_pPoolPCT2 = nullptr;
    uint32_t m_nPCT2Count = 0;
    CVertexBuffer* m_pPoolPRC2T1 = nullptr;
    uint32_t m_nPRC2T1Count = 0;
    // The camera billboards face; not owned, set by the application (none until then).
    CCamera* m_pCamera = nullptr;

private:
    void DeletePools();
};
