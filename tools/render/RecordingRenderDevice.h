// A render device for tools, tests and fuzz targets that needs no graphics driver: it hands
// out handles, keeps buffers and textures in memory, locks into that memory, and records the
// calls and states it receives. Switches make its creation and lock calls fail, or stop the
// call lines.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/RenderDevice.h"

class CRecordingRenderDevice : public CRenderDevice {
public:
    struct BufferRecord {
        std::vector<uint8_t> bytes;
        uint32_t usage = 0;
        uint32_t format = 0;
        uint32_t pool = 0;
        bool locked = false;
        bool released = false;
    };
    struct TextureRecord {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t levels = 0;
        uint32_t usage = 0;
        uint32_t format = 0;
        uint32_t userValue = 0;
        CTexture2D* owner = nullptr;
        bool released = false;
        int uploads = 0;
        int lastFlag = 0;
        std::vector<uint8_t> uploadedPixels;  // what the last upload was given
    };

    CRecordingRenderDevice() = default;
    ~CRecordingRenderDevice() override;

    // Init with the given pool sizes and no window.
    int InitForTest(uint32_t pnt1Count, uint32_t pct2Count, uint32_t prc2t1Count, CLogFile* log = nullptr);

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

    // The record behind a handle; none for 0, an unknown handle or a released one.
    BufferRecord* VertexBuffer(uint32_t handle);
    BufferRecord* IndexBuffer(uint32_t handle);
    TextureRecord* Texture(uint32_t handle);

    std::vector<std::string> m_Calls;  // one line per call, in order
    // The world transform at every draw call, in order; and the centre of every box drawn.
    std::vector<CMatrix> m_DrawWorlds;
    std::vector<CVector3> m_DrawnBoxCentres;
    std::vector<BufferRecord> m_VertexBuffers;
    std::vector<BufferRecord> m_IndexBuffers;
    std::vector<TextureRecord> m_Textures;
    std::map<uint32_t, uint32_t> m_RenderStates;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> m_StageStates;
    CMaterial m_Material{};
    int m_bLightEnabled[8] = {};

    bool m_bFailCreateVertexBuffer = false;
    bool m_bFailCreateIndexBuffer = false;
    bool m_bFailAddTexture = false;
    bool m_bFailCreateTexture = false;
    bool m_bFailLock = false;
    // Off, calls leave nothing in m_Calls, m_DrawWorlds or m_DrawnBoxCentres (states are
    // still kept): a benchmark then times its caller rather than the records.
    bool m_bRecordCalls = true;

private:
    void Record(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void RecordDrawWorld();
    BufferRecord* Find(std::vector<BufferRecord>& table, uint32_t handle);
    int Lock(std::vector<BufferRecord>& table, uint32_t handle, uint32_t offset, uint32_t size, void** data);
};
