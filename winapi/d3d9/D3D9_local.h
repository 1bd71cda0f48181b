// The Direct3D 9 layer's own classes. Only the layer's files include this.
#pragma once

#include <SDL.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "winapi/d3d9/D3D9.h"
#include "winapi/d3d9/D3D9Pipeline_local.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/d3d9/Gl_local.h"

namespace winapi::d3d {

class CDevice;

bool FailureSet(EFailure failure);
D3DDISPLAYMODE DesktopMode();
// Takes one of the pending out-of-video-memory reports; true when there was one.
bool TakeOutOfVideoMemory();

// How a texture or back-buffer format is stored in OpenGL.
struct GlFormat {
    GLenum internalFormat;
    GLenum format;
    GLenum type;
    int bytesPerPixel;
    GLint swizzle[4];  // GL_RED.. or GL_ZERO/GL_ONE
};
// false for a format the layer does not keep.
bool TextureFormat(D3DFORMAT format, GlFormat* out);

// A reference count shared by the layer's objects.
class CRefCounted {
public:
    ULONG AddRef() { return ++m_nReferences; }

protected:
    ULONG DropReference() { return --m_nReferences; }

private:
    ULONG m_nReferences = 1;
};

class CGlTexture final : public IDirect3DTexture9, public CRefCounted {
public:
    CGlTexture(CDevice* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
               const GlFormat& glFormat);

    ULONG Release() override;
    DWORD SetLOD(DWORD lod) override;
    DWORD GetLOD() override { return m_nLod; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(m_Levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    GLuint GlName() const { return m_glTexture; }
    D3DPOOL Pool() const { return m_pool; }
    // Makes `level` (held within the chain) the most detailed level sampling may use: the
    // larger of the texture's own level of detail and the stage's maximum mip level.
    void UseBaseLevel(DWORD level);

private:
    ~CGlTexture() override;

    struct Level {
        UINT width;
        UINT height;
        std::vector<uint8_t> bytes;
        bool locked;
        DWORD lockFlags;
    };

    CDevice* m_pDevice;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
    DWORD m_nUsage;
    GlFormat m_glFormat;
    std::vector<Level> m_Levels;
    DWORD m_nLod = 0;
    DWORD m_nBaseLevel = 0;  // what OpenGL holds
    GLuint m_glTexture = 0;
};

// Vertex and index buffers keep a copy in system memory: locks hand it out, and unlocks
// that may have written upload the locked range.
class CGlBuffer {
public:
    CGlBuffer(CDevice* device, UINT length, DWORD usage, D3DPOOL pool);
    ~CGlBuffer();

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    GLuint GlName() const { return m_glBuffer; }
    D3DPOOL Pool() const { return m_pool; }
    UINT Length() const { return static_cast<UINT>(m_Bytes.size()); }

private:
    CDevice* m_pDevice;
    D3DPOOL m_pool;
    std::vector<uint8_t> m_Bytes;
    GLuint m_glBuffer = 0;
    bool m_bLocked = false;
    UINT m_nLockOffset = 0;
    UINT m_nLockSize = 0;
    DWORD m_nLockFlags = 0;
};

class CGlVertexBuffer final : public IDirect3DVertexBuffer9, public CRefCounted {
public:
    CGlVertexBuffer(CDevice* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override { return m_Buffer.Lock(offset, size, data, flags); }
    HRESULT Unlock() override { return m_Buffer.Unlock(); }
    CGlBuffer& Buffer() { return m_Buffer; }

private:
    ~CGlVertexBuffer() override = default;
    CGlBuffer m_Buffer;
    CDevice* m_pDevice;
};

class CGlIndexBuffer final : public IDirect3DIndexBuffer9, public CRefCounted {
public:
    CGlIndexBuffer(CDevice* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override { return m_Buffer.Lock(offset, size, data, flags); }
    HRESULT Unlock() override { return m_Buffer.Unlock(); }
    CGlBuffer& Buffer() { return m_Buffer; }
    D3DFORMAT Format() const { return m_format; }

private:
    ~CGlIndexBuffer() override = default;
    CGlBuffer m_Buffer;
    CDevice* m_pDevice;
    D3DFORMAT m_format;
};

class CDevice final : public IDirect3DDevice9, public CRefCounted {
public:
    CDevice(HWND window, SDL_Window* sdlWindow, DWORD flags);

    // Makes the context, the framebuffer and the default states; false when the system's
    // OpenGL cannot serve the device.
    bool Start(D3DPRESENT_PARAMETERS* parameters);
    // Makes this device's context current before any OpenGL call.
    void MakeCurrent();

    ULONG Release() override;
    HRESULT TestCooperativeLevel() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const RGNDATA* dirty) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT GetMaterial(D3DMATERIAL9* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enabled) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* shared) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                               HANDLE* shared) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int baseVertex, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;

    // Resource bookkeeping: default-pool resources block Reset.
    void ResourceCreated(D3DPOOL pool);
    void ResourceDestroyed(D3DPOOL pool);
    // A texture going away is unbound from every stage first.
    void ForgetTexture(CGlTexture* texture);
    void ForgetVertexBuffer(CGlVertexBuffer* buffer);
    void ForgetIndexBuffer(CGlIndexBuffer* buffer);

    // For the layer's test queries.
    bool ReadBackBuffer(std::vector<uint32_t>* pixels, int* width, int* height);
    DWORD Flags() const { return m_nFlags; }
    const D3DPRESENT_PARAMETERS& Parameters() const { return m_Parameters; }
    int DefaultPoolResources() const { return m_nDefaultPoolResources; }
    int Presents() const { return m_nPresents; }
    void Lose() { m_nLostState = 1; }
    size_t ProgramCount() const { return m_Pipeline.ProgramCount(); }
    float MaxAnisotropy() const { return m_fMaxAnisotropy; }

private:
    ~CDevice() override;

    bool BuildFramebuffer();
    void DestroyFramebuffer();
    void SetDefaultStates();
    void ApplyViewport();

    // Drawing: the vertex layout of the current format, the GL states, the program for the
    // states and its uniforms. `base` is the byte offset of the vertices in the bound buffer.
    bool PrepareDraw(GLuint buffer, UINT stride, uintptr_t base, EPrimitiveClass primitives);
    bool DrawCheck() const;
    // The last pixel of each line, which OpenGL leaves out, drawn as a one-pixel point.
    void DrawLineEnds(GLenum mode, GLint first, GLsizei count, GLenum indexType, uintptr_t indexOffset,
                      GLint baseVertex);
    // A uniform group's values changed.
    void Touch(EUniformGroup group) { m_Serials[group] = ++m_nSerial; }

    // Render states (D3D9RenderStates.cpp).
    void ApplyRenderStates();
    void BuildStateKey(const VertexLayout& layout, EPrimitiveClass primitives, SPipelineKey* key) const;
    void UploadStateUniforms(const SProgram& program) const;
    // Samplers and bound textures (D3D9Samplers.cpp).
    void FindAnisotropy();
    void ApplySamplers();
    void BindTextures();
    // Texture stages (D3D9TextureStages.cpp).
    void BuildStageKey(const VertexLayout& layout, SPipelineKey* key) const;
    void UploadStageUniforms(const SProgram& program) const;
    // Lights and material (D3D9Lights.cpp).
    void BuildLightKey(const VertexLayout& layout, SPipelineKey* key) const;
    void UploadLightUniforms(const SProgram& program) const;
    void UploadMaterialUniforms(const SProgram& program) const;
    // The whole key, the program for it and its uniforms (D3D9Shader.cpp).
    bool UseProgram(const VertexLayout& layout, EPrimitiveClass primitives);
    void UploadTransformUniforms(const SProgram& program) const;

    HWND m_hWindow;
    SDL_Window* m_pSdlWindow;
    SDL_GLContext m_Context = nullptr;
    DWORD m_nFlags;
    D3DPRESENT_PARAMETERS m_Parameters{};
    int m_nLostState = 0;  // 0 fine, 1 lost, 2 lost and ready to be reset
    bool m_bInScene = false;
    int m_nPresents = 0;
    int m_nDefaultPoolResources = 0;

    GLuint m_glFramebuffer = 0;
    GLuint m_glColor = 0;
    GLuint m_glDepth = 0;
    GLuint m_glVertexArray = 0;
    GLuint m_glUserBuffer = 0;
    GLuint m_glSamplers[8] = {};
    CPipeline m_Pipeline;

    DWORD m_RenderStates[kD3DRenderStateCount];
    DWORD m_StageStates[8][kD3DStageStateCount];
    DWORD m_SamplerStates[8][kD3DSamplerStateCount];
    D3DMATRIX m_World;
    D3DMATRIX m_View;
    D3DMATRIX m_Projection;
    D3DMATRIX m_TextureTransforms[8];
    D3DVIEWPORT9 m_Viewport{};
    D3DMATERIAL9 m_Material{};
    std::vector<D3DLIGHT9> m_Lights;
    std::vector<bool> m_LightEnabled;
    CGlTexture* m_Textures[8] = {};
    DWORD m_nFvf = 0;
    CGlVertexBuffer* m_pStream = nullptr;
    UINT m_nStreamOffset = 0;
    UINT m_nStreamStride = 0;
    CGlIndexBuffer* m_pIndices = nullptr;
    bool m_bStatesDirty = true;
    bool m_bSamplersDirty = true;

    // The program in use and what it was chosen for; the key is built again only after a
    // state that shapes it changed.
    bool m_bKeyDirty = true;
    EPrimitiveClass m_LastPrimitives = EPrimitiveClass::kTriangles;
    SProgram* m_pProgram = nullptr;
    GLuint m_glProgramInUse = 0;
    uint32_t m_Serials[kGroupCount] = {};
    uint32_t m_nSerial = 0;
    // What the vertex array's attributes point at.
    DWORD m_nAttributeFvf = 0;
    GLuint m_glAttributeBuffer = 0;
    UINT m_nAttributeStride = 0;
    uintptr_t m_nAttributeBase = 0;
    bool m_bAttributesValid = false;
    GLuint m_glBoundTextures[8] = {};
    float m_fMaxAnisotropy = 0.0f;  // 0 without anisotropic filtering
    // Reused by DrawLineEnds.
    std::vector<GLint> m_LineEndFirsts;
    std::vector<GLsizei> m_LineEndCounts;
    std::vector<const void*> m_LineEndOffsets;
    std::vector<GLint> m_LineEndBases;
};

CDevice* AsDevice(IDirect3DDevice9* device);

}  // namespace winapi::d3d
