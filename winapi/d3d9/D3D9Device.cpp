// The Direct3D 9 device over an OpenGL context: its framebuffer, its states with the
// platform's defaults, transforms, lights, material, viewport, clearing and presenting.
#include <algorithm>
#include <cstring>

#include "winapi/base/FailureReason.h"
#include "winapi/d3d9/D3D9_local.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"

namespace winapi::d3d {
namespace {

CDevice* g_pCurrentDevice = nullptr;

// Render states that change the generated program's code rather than a value it reads.
bool ShapesProgram(D3DRENDERSTATETYPE state) {
    switch (state) {
    case D3DRS_SHADEMODE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_FOGENABLE:
    case D3DRS_SPECULARENABLE:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_LIGHTING:
    case D3DRS_COLORVERTEX:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_POINTSPRITEENABLE:
    case D3DRS_POINTSCALEENABLE:
        return true;
    default:
        return state >= D3DRS_WRAP0 && state <= D3DRS_WRAP7;
    }
}

// Render states whose values the programs read as uniforms (besides the texture factor and
// the ambient colour, which belong to other groups).
bool ProgramReads(D3DRENDERSTATETYPE state) {
    switch (state) {
    case D3DRS_ALPHAREF:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSIZE_MAX:
    case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B:
    case D3DRS_POINTSCALE_C:
        return true;
    default:
        return false;
    }
}

DWORD FloatBits(float value) {
    DWORD bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

D3DMATRIX IdentityMatrix() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

D3DLIGHT9 DefaultLight() {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
    return light;
}

bool HasStencil(D3DFORMAT format) {
    return format == D3DFMT_D24S8 || format == D3DFMT_D15S1 || format == D3DFMT_D24X4S4;
}

bool ColorBufferFormat(D3DFORMAT format, GLenum* internalFormat) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
        *internalFormat = GL_RGBA8;
        return true;
    case D3DFMT_X8R8G8B8:
        *internalFormat = GL_RGB8;  // no alpha: destination alpha reads as 1
        return true;
    case D3DFMT_R5G6B5:
        *internalFormat = GL_RGB565;
        return true;
    default:
        return false;
    }
}

bool DepthBufferFormat(D3DFORMAT format, GLenum* internalFormat, GLenum* attachment) {
    *attachment = GL_DEPTH_ATTACHMENT;
    switch (format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
        *internalFormat = GL_DEPTH_COMPONENT16;
        return true;
    case D3DFMT_D24X8:
        *internalFormat = GL_DEPTH_COMPONENT24;
        return true;
    case D3DFMT_D32:
        *internalFormat = GL_DEPTH_COMPONENT32;
        return true;
    case D3DFMT_D24S8:
    case D3DFMT_D15S1:
    case D3DFMT_D24X4S4:
        *internalFormat = GL_DEPTH24_STENCIL8;
        *attachment = GL_DEPTH_STENCIL_ATTACHMENT;
        return true;
    default:
        return false;
    }
}

}  // namespace

CDevice::CDevice(HWND window, SDL_Window* sdlWindow, DWORD flags)
    : m_hWindow(window), m_pSdlWindow(sdlWindow), m_nFlags(flags) {}

CDevice::~CDevice() {
    if (m_Context) {
        MakeCurrent();
        m_Pipeline.Destroy();
        DestroyFramebuffer();
        glDeleteSamplers(8, m_glSamplers);
        glDeleteBuffers(1, &m_glUserBuffer);
        glDeleteVertexArrays(1, &m_glVertexArray);
        SDL_GL_MakeCurrent(m_pSdlWindow, nullptr);
        SDL_GL_DeleteContext(m_Context);
    }
    if (g_pCurrentDevice == this)
        g_pCurrentDevice = nullptr;
    ReleaseSdlWindow(m_hWindow);
}

ULONG CDevice::Release() {
    const ULONG left = DropReference();
    if (!left)
        delete this;
    return left;
}

void CDevice::MakeCurrent() {
    if (g_pCurrentDevice == this && SDL_GL_GetCurrentContext() == m_Context)
        return;
    SDL_GL_MakeCurrent(m_pSdlWindow, m_Context);
    g_pCurrentDevice = this;
}

bool CDevice::Start(D3DPRESENT_PARAMETERS* parameters) {
    m_Context = SDL_GL_CreateContext(m_pSdlWindow);
    if (!m_Context) {
        winapi::SetFailureReason("OpenGL cannot start: %s", SDL_GetError());
        return false;
    }
    g_pCurrentDevice = nullptr;
    MakeCurrent();
    // The layer needs OpenGL 4.5 (or its clip control) for the platform's depth range.
    GLint major = 0;
    GLint minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major < 4 || (major == 4 && minor < 5)) {
        winapi::SetFailureReason("OpenGL 4.5 is needed; the driver offers %d.%d", major, minor);
        return false;
    }

    glGenVertexArrays(1, &m_glVertexArray);
    glBindVertexArray(m_glVertexArray);
    glGenBuffers(1, &m_glUserBuffer);
    glGenSamplers(8, m_glSamplers);
    for (GLuint stage = 0; stage < 8; ++stage)
        glBindSampler(stage, m_glSamplers[stage]);
    FindAnisotropy();
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glFrontFace(GL_CW);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Point sizes come from the programs; sprites span their texture from the top left.
    glEnable(GL_PROGRAM_POINT_SIZE);
    glEnable(GL_POINT_SPRITE);
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_UPPER_LEFT);
    // The platform's blend factor, which no state here changes.
    glBlendColor(1.0f, 1.0f, 1.0f, 1.0f);

    m_Parameters = *parameters;
    if (!BuildFramebuffer())
        return false;
    *parameters = m_Parameters;
    SetDefaultStates();
    return true;
}

bool CDevice::BuildFramebuffer() {
    D3DPRESENT_PARAMETERS& p = m_Parameters;
    if (p.Windowed) {
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(m_pSdlWindow, &width, &height);
        if (p.BackBufferWidth == 0)
            p.BackBufferWidth = static_cast<UINT>(width);
        if (p.BackBufferHeight == 0)
            p.BackBufferHeight = static_cast<UINT>(height);
    }
    if (p.BackBufferFormat == D3DFMT_UNKNOWN && p.Windowed)
        p.BackBufferFormat = DesktopMode().Format;
    if (p.BackBufferCount == 0)
        p.BackBufferCount = 1;
    GLenum colorFormat;
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 || !ColorBufferFormat(p.BackBufferFormat, &colorFormat)) {
        winapi::SetFailureReason("no back buffer of %u x %u in format %u", p.BackBufferWidth, p.BackBufferHeight,
                                 static_cast<unsigned>(p.BackBufferFormat));
        return false;
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (p.BackBufferWidth > static_cast<UINT>(largest) || p.BackBufferHeight > static_cast<UINT>(largest)) {
        winapi::SetFailureReason("the back buffer cannot be %u x %u: OpenGL allows at most %d on a side",
                                 p.BackBufferWidth, p.BackBufferHeight, largest);
        return false;
    }

    DestroyFramebuffer();
    glGenFramebuffers(1, &m_glFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_glFramebuffer);
    glGenRenderbuffers(1, &m_glColor);
    glBindRenderbuffer(GL_RENDERBUFFER, m_glColor);
    glRenderbufferStorage(GL_RENDERBUFFER, colorFormat, static_cast<GLsizei>(p.BackBufferWidth),
                          static_cast<GLsizei>(p.BackBufferHeight));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_glColor);
    if (p.EnableAutoDepthStencil) {
        GLenum depthFormat;
        GLenum attachment;
        if (!DepthBufferFormat(p.AutoDepthStencilFormat, &depthFormat, &attachment))
            return false;
        glGenRenderbuffers(1, &m_glDepth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_glDepth);
        glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, static_cast<GLsizei>(p.BackBufferWidth),
                              static_cast<GLsizei>(p.BackBufferHeight));
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, m_glDepth);
    }
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        winapi::SetFailureReason("OpenGL refused the back buffer (framebuffer status 0x%x)", status);
        return false;
    }
    return true;
}

void CDevice::DestroyFramebuffer() {
    if (m_glFramebuffer)
        glDeleteFramebuffers(1, &m_glFramebuffer);
    if (m_glColor)
        glDeleteRenderbuffers(1, &m_glColor);
    if (m_glDepth)
        glDeleteRenderbuffers(1, &m_glDepth);
    m_glFramebuffer = m_glColor = m_glDepth = 0;
}

void CDevice::SetDefaultStates() {
    for (DWORD& state : m_RenderStates)
        state = 0;
    DWORD* rs = m_RenderStates;
    rs[D3DRS_ZENABLE] = m_Parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_DEBUGMONITORTOKEN] = 0xBAADCAFEu;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

    for (DWORD stage = 0; stage < 8; ++stage) {
        DWORD* ts = m_StageStates[stage];
        for (DWORD i = 0; i < kD3DStageStateCount; ++i)
            ts[i] = 0;
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = stage;
        ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;

        DWORD* ss = m_SamplerStates[stage];
        for (DWORD i = 0; i < kD3DSamplerStateCount; ++i)
            ss[i] = 0;
        ss[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
        m_Textures[stage] = nullptr;
        m_TextureTransforms[stage] = IdentityMatrix();
    }
    m_World = m_View = m_Projection = IdentityMatrix();
    m_Material = D3DMATERIAL9{};
    m_Lights.clear();
    m_LightEnabled.clear();
    m_Viewport = D3DVIEWPORT9{0, 0, m_Parameters.BackBufferWidth, m_Parameters.BackBufferHeight, 0.0f, 1.0f};
    m_nFvf = 0;
    m_pStream = nullptr;
    m_nStreamOffset = m_nStreamStride = 0;
    m_pIndices = nullptr;
    m_bStatesDirty = m_bSamplersDirty = true;
    m_bKeyDirty = true;
    m_pProgram = nullptr;
    for (int group = 0; group < kGroupCount; ++group)
        Touch(static_cast<EUniformGroup>(group));
    ApplyViewport();
}

void CDevice::ApplyViewport() {
    MakeCurrent();
    // The platform's viewport counts rows from the top; OpenGL's from the bottom.
    const GLint y = static_cast<GLint>(m_Parameters.BackBufferHeight) - static_cast<GLint>(m_Viewport.Y + m_Viewport.Height);
    glViewport(static_cast<GLint>(m_Viewport.X), y, static_cast<GLsizei>(m_Viewport.Width),
               static_cast<GLsizei>(m_Viewport.Height));
    glDepthRange(m_Viewport.MinZ, m_Viewport.MaxZ);
}

HRESULT CDevice::TestCooperativeLevel() {
    if (m_nLostState == 1) {
        m_nLostState = 2;
        return D3DERR_DEVICELOST;
    }
    return m_nLostState == 2 ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT CDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
    if (!parameters || m_bInScene || m_nDefaultPoolResources > 0)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    const D3DPRESENT_PARAMETERS previous = m_Parameters;
    m_Parameters = *parameters;
    if (!BuildFramebuffer()) {
        m_Parameters = previous;
        BuildFramebuffer();
        return D3DERR_INVALIDCALL;
    }
    *parameters = m_Parameters;
    SetDefaultStates();
    m_nLostState = 0;
    return D3D_OK;
}

HRESULT CDevice::Present(const RECT* /*sourceRect*/, const RECT* /*destRect*/, HWND /*destWindow*/,
                         const RGNDATA* /*dirty*/) {
    if (m_nLostState)
        return D3DERR_DEVICELOST;
    // A destroyed window keeps its SDL window for us, but nothing is shown on it any more.
    if (!IsWindow(m_hWindow))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(m_pSdlWindow, &width, &height);
    const GLint bufferWidth = static_cast<GLint>(m_Parameters.BackBufferWidth);
    const GLint bufferHeight = static_cast<GLint>(m_Parameters.BackBufferHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_glFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    const GLenum filter = width == bufferWidth && height == bufferHeight ? GL_NEAREST : GL_LINEAR;
    glBlitFramebuffer(0, 0, bufferWidth, bufferHeight, 0, 0, width, height, GL_COLOR_BUFFER_BIT, filter);
    glBindFramebuffer(GL_FRAMEBUFFER, m_glFramebuffer);
    SDL_GL_SetSwapInterval(m_Parameters.PresentationInterval == D3DPRESENT_INTERVAL_ONE ? 1 : 0);
    SDL_GL_SwapWindow(m_pSdlWindow);
    ++m_nPresents;
    return D3D_OK;
}

HRESULT CDevice::BeginScene() {
    if (m_bInScene)
        return D3DERR_INVALIDCALL;
    m_bInScene = true;
    return D3D_OK;
}

HRESULT CDevice::EndScene() {
    if (!m_bInScene)
        return D3DERR_INVALIDCALL;
    m_bInScene = false;
    return D3D_OK;
}

HRESULT CDevice::Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    if ((flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) || (count && !rects))
        return D3DERR_INVALIDCALL;
    const bool hasDepth = m_Parameters.EnableAutoDepthStencil != 0;
    if (((flags & D3DCLEAR_ZBUFFER) && !hasDepth) ||
        ((flags & D3DCLEAR_STENCIL) && !(hasDepth && HasStencil(m_Parameters.AutoDepthStencilFormat))))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, m_glFramebuffer);
    GLbitfield bits = 0;
    if (flags & D3DCLEAR_TARGET) {
        bits |= GL_COLOR_BUFFER_BIT;
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        bits |= GL_DEPTH_BUFFER_BIT;
        glClearDepth(z);
        glDepthMask(GL_TRUE);
    }
    if (flags & D3DCLEAR_STENCIL) {
        bits |= GL_STENCIL_BUFFER_BIT;
        glClearStencil(static_cast<GLint>(stencil));
        glStencilMask(0xFFFFFFFFu);
    }
    // Only the viewport's rectangle (and within it the given rectangles) is cleared.
    glEnable(GL_SCISSOR_TEST);
    const LONG height = static_cast<LONG>(m_Parameters.BackBufferHeight);
    RECT area{static_cast<LONG>(m_Viewport.X), static_cast<LONG>(m_Viewport.Y),
              static_cast<LONG>(m_Viewport.X + m_Viewport.Width), static_cast<LONG>(m_Viewport.Y + m_Viewport.Height)};
    const RECT* list = static_cast<const RECT*>(rects);
    for (DWORD i = 0; i < (count ? count : 1); ++i) {
        RECT r = area;
        if (count) {
            r.left = std::max(r.left, list[i].left);
            r.top = std::max(r.top, list[i].top);
            r.right = std::min(r.right, list[i].right);
            r.bottom = std::min(r.bottom, list[i].bottom);
            if (r.right <= r.left || r.bottom <= r.top)
                continue;
        }
        glScissor(r.left, height - r.bottom, r.right - r.left, r.bottom - r.top);
        glClear(bits);
    }
    glDisable(GL_SCISSOR_TEST);
    m_bStatesDirty = true;  // the write masks are put back at the next draw
    return D3D_OK;
}

HRESULT CDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (!matrix)
        return D3DERR_INVALIDCALL;
    if (state == D3DTS_WORLD) {
        m_World = *matrix;
        Touch(kGroupTransforms);
    } else if (state == D3DTS_VIEW) {
        // Lights live in camera space.
        m_View = *matrix;
        Touch(kGroupTransforms);
        Touch(kGroupLights);
    } else if (state == D3DTS_PROJECTION) {
        m_Projection = *matrix;
        Touch(kGroupTransforms);
    } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
        m_TextureTransforms[state - D3DTS_TEXTURE0] = *matrix;
        Touch(kGroupStages);
    } else {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT CDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (!matrix)
        return D3DERR_INVALIDCALL;
    if (state == D3DTS_WORLD)
        *matrix = m_World;
    else if (state == D3DTS_VIEW)
        *matrix = m_View;
    else if (state == D3DTS_PROJECTION)
        *matrix = m_Projection;
    else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7)
        *matrix = m_TextureTransforms[state - D3DTS_TEXTURE0];
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT CDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
        uint64_t{viewport->X} + viewport->Width > m_Parameters.BackBufferWidth ||
        uint64_t{viewport->Y} + viewport->Height > m_Parameters.BackBufferHeight)
        return D3DERR_INVALIDCALL;
    m_Viewport = *viewport;
    ApplyViewport();
    Touch(kGroupTransforms);
    return D3D_OK;
}

HRESULT CDevice::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = m_Viewport;
    return D3D_OK;
}

HRESULT CDevice::SetMaterial(const D3DMATERIAL9* material) {
    if (!material)
        return D3DERR_INVALIDCALL;
    m_Material = *material;
    Touch(kGroupMaterial);
    return D3D_OK;
}

HRESULT CDevice::GetMaterial(D3DMATERIAL9* material) {
    if (!material)
        return D3DERR_INVALIDCALL;
    *material = m_Material;
    return D3D_OK;
}

namespace {
constexpr DWORD kMaxLightIndex = 4096;
}

HRESULT CDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (!light || index >= kMaxLightIndex || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    if (index >= m_Lights.size()) {
        m_Lights.resize(index + 1, DefaultLight());
        m_LightEnabled.resize(index + 1, false);
    }
    m_Lights[index] = *light;
    m_bKeyDirty = true;
    Touch(kGroupLights);
    return D3D_OK;
}

HRESULT CDevice::GetLight(DWORD index, D3DLIGHT9* light) {
    if (!light || index >= m_Lights.size())
        return D3DERR_INVALIDCALL;
    *light = m_Lights[index];
    return D3D_OK;
}

HRESULT CDevice::LightEnable(DWORD index, BOOL enable) {
    if (index >= kMaxLightIndex)
        return D3DERR_INVALIDCALL;
    // Enabling a light that was never set makes the default light.
    if (index >= m_Lights.size()) {
        m_Lights.resize(index + 1, DefaultLight());
        m_LightEnabled.resize(index + 1, false);
    }
    m_LightEnabled[index] = enable != FALSE;
    m_bKeyDirty = true;
    Touch(kGroupLights);
    return D3D_OK;
}

HRESULT CDevice::GetLightEnable(DWORD index, BOOL* enabled) {
    if (!enabled || index >= m_Lights.size())
        return D3DERR_INVALIDCALL;
    *enabled = m_LightEnabled[index] ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT CDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= kD3DRenderStateCount)
        return D3DERR_INVALIDCALL;
    if (m_RenderStates[state] == value)
        return D3D_OK;
    m_RenderStates[state] = value;
    m_bStatesDirty = true;
    if (ShapesProgram(state))
        m_bKeyDirty = true;
    if (state == D3DRS_TEXTUREFACTOR)
        Touch(kGroupStages);
    else if (state == D3DRS_AMBIENT)
        Touch(kGroupLights);
    else if (ProgramReads(state))
        Touch(kGroupStates);
    return D3D_OK;
}

HRESULT CDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (state >= kD3DRenderStateCount || !value)
        return D3DERR_INVALIDCALL;
    *value = m_RenderStates[state];
    return D3D_OK;
}

HRESULT CDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= 8 || type >= kD3DStageStateCount)
        return D3DERR_INVALIDCALL;
    if (m_StageStates[stage][type] == value)
        return D3D_OK;
    m_StageStates[stage][type] = value;
    // The constant, the bump luminance and the bump matrix are values; the rest shapes code.
    if (type == D3DTSS_CONSTANT || type == D3DTSS_BUMPENVLSCALE || type == D3DTSS_BUMPENVLOFFSET)
        Touch(kGroupStages);
    else if (type < D3DTSS_BUMPENVMAT00 || type > D3DTSS_BUMPENVMAT11)
        m_bKeyDirty = true;
    return D3D_OK;
}

HRESULT CDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (stage >= 8 || type >= kD3DStageStateCount || !value)
        return D3DERR_INVALIDCALL;
    *value = m_StageStates[stage][type];
    return D3D_OK;
}

HRESULT CDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= 8 || type >= kD3DSamplerStateCount)
        return D3DERR_INVALIDCALL;
    m_SamplerStates[sampler][type] = value;
    m_bSamplersDirty = true;
    return D3D_OK;
}

HRESULT CDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (sampler >= 8 || type >= kD3DSamplerStateCount || !value)
        return D3DERR_INVALIDCALL;
    *value = m_SamplerStates[sampler][type];
    return D3D_OK;
}

bool CDevice::ReadBackBuffer(std::vector<uint32_t>* pixels, int* width, int* height) {
    MakeCurrent();
    *width = static_cast<int>(m_Parameters.BackBufferWidth);
    *height = static_cast<int>(m_Parameters.BackBufferHeight);
    std::vector<uint32_t> rows(static_cast<size_t>(*width) * static_cast<size_t>(*height));
    glBindFramebuffer(GL_FRAMEBUFFER, m_glFramebuffer);
    glReadPixels(0, 0, *width, *height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    // OpenGL hands the bottom row first.
    pixels->resize(rows.size());
    for (int y = 0; y < *height; ++y) {
        memcpy(pixels->data() + static_cast<size_t>(y) * static_cast<size_t>(*width),
               rows.data() + static_cast<size_t>(*height - 1 - y) * static_cast<size_t>(*width),
               static_cast<size_t>(*width) * sizeof(uint32_t));
    }
    return true;
}

void CDevice::ResourceCreated(D3DPOOL pool) {
    AddRef();
    if (pool == D3DPOOL_DEFAULT)
        ++m_nDefaultPoolResources;
}

void CDevice::ResourceDestroyed(D3DPOOL pool) {
    if (pool == D3DPOOL_DEFAULT)
        --m_nDefaultPoolResources;
    Release();
}

void CDevice::ForgetTexture(CGlTexture* texture) {
    for (int stage = 0; stage < 8; ++stage) {
        if (m_Textures[stage] == texture) {
            m_Textures[stage] = nullptr;
            m_bKeyDirty = true;
        }
        // Deleting a texture unbinds it from every unit.
        if (m_glBoundTextures[stage] == texture->GlName())
            m_glBoundTextures[stage] = 0;
    }
}

void CDevice::ForgetVertexBuffer(CGlVertexBuffer* buffer) {
    if (m_pStream == buffer)
        m_pStream = nullptr;
    // Its name may come back for another buffer that the attributes must be pointed at.
    if (m_glAttributeBuffer == buffer->Buffer().GlName())
        m_bAttributesValid = false;
}

void CDevice::ForgetIndexBuffer(CGlIndexBuffer* buffer) {
    if (m_pIndices == buffer)
        m_pIndices = nullptr;
}

}  // namespace winapi::d3d
