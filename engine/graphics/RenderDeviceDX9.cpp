// CRenderDeviceDX9: start-up, display modes, present parameters, loss and reset, and the
// states, transforms, lights, material and viewport passed to Direct3D through its tables.
#include "engine/graphics/RenderDeviceDX9.h"

#include <algorithm>
#include <cstring>

#include "engine/graphics/RenderDeviceDX9Tables.h"
#include "engine/graphics/VertexBuffer.h"
#include "engine/platform/Viewport.h"

static_assert(sizeof(CLight) == sizeof(D3DLIGHT9));
static_assert(sizeof(CMaterial) == sizeof(D3DMATERIAL9));
static_assert(sizeof(CRenderViewport) == sizeof(D3DVIEWPORT9));
static_assert(sizeof(CMatrix) == sizeof(D3DMATRIX));

namespace {

constexpr DWORD kCreateHardware = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE;
constexpr DWORD kCreateSoftware = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE;

// Width, then height, then engine format, then refresh rate, ascending.
bool DisplayModeBefore(const CDisplayMode& a, const CDisplayMode& b) {
    if (a.nWidth != b.nWidth)
        return a.nWidth < b.nWidth;
    if (a.nHeight != b.nHeight)
        return a.nHeight < b.nHeight;
    if (a.nFormat != b.nFormat)
        return static_cast<int32_t>(a.nFormat) < static_cast<int32_t>(b.nFormat);
    return a.nRefreshRate < b.nRefreshRate;
}

}  // namespace

CRenderDeviceDX9::~CRenderDeviceDX9() {
    CRenderDeviceDX9::Shutdown();
}

uint32_t CRenderDeviceDX9::ToEngineFormat(D3DFORMAT format) {
    for (uint32_t code = 0; code < kFormatCount; ++code) {
        if (dx9tables::kPixelFormats[code] == format)
            return code;
    }
    return kFormatUnknown;
}

const CDisplayMode* CRenderDeviceDX9::FindDisplayMode(uint32_t width, uint32_t height, uint32_t format,
                                                      uint32_t refreshRate) const {
    if (!m_pDisplayModes)
        return nullptr;
    for (uint32_t i = 0; i < m_pDisplayModes->m_nCount; ++i) {
        const CDisplayMode& mode = m_pDisplayModes->m_pItems[i];
        if (mode.nWidth == width && mode.nHeight == height && mode.nFormat == format &&
            (refreshRate == 0 || mode.nRefreshRate == refreshRate))
            return &mode;
    }
    return nullptr;
}

int CRenderDeviceDX9::Init(CViewport* viewport, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                           int bFullscreen, uint32_t multisample, int bVSync, uint32_t pnt1Count, uint32_t pct2Count,
                           uint32_t prc2t1Count, CLogFile* log, int bLockableBackBuffer) {
    Shutdown();
    if (!CRenderDevice::Init(viewport, width, height, bitsPerPixel, bFullscreen, multisample, bVSync, pnt1Count,
                             pct2Count, prc2t1Count, log, bLockableBackBuffer))
        return 0;
    m_pVertexBuffers = new std::vector<BufferRecord>;
    m_pFreeVertexSlots = new std::vector<uint32_t>;
    m_pIndexBuffers = new std::vector<BufferRecord>;
    m_pFreeIndexSlots = new std::vector<uint32_t>;
    m_pTextures = new std::vector<TextureRecord>;
    m_pFreeTextureSlots = new std::vector<uint32_t>;
    m_Viewport = CRenderViewport{0, 0, width, height, 0.0f, 1.0f};

    m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_pD3D)
        return 0;

    // The adapter's 4:3 modes of at least 640 x 480, once per size and format.
    std::vector<CDisplayMode> modes;
    for (const D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8}) {
        const UINT count = m_pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, format);
        for (UINT i = 0; i < count; ++i) {
            D3DDISPLAYMODE mode;
            if (FAILED(m_pD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, format, i, &mode)))
                continue;
            if (mode.Width < 640 || mode.Height < 480 || mode.Width != mode.Height * 4 / 3)
                continue;
            const CDisplayMode record{mode.Width, mode.Height, 0, ToEngineFormat(mode.Format)};
            const bool known = std::any_of(modes.begin(), modes.end(), [&](const CDisplayMode& kept) {
                return kept.nWidth == record.nWidth && kept.nHeight == record.nHeight && kept.nFormat == record.nFormat;
            });
            if (!known)
                modes.push_back(record);
        }
    }
    std::sort(modes.begin(), modes.end(), DisplayModeBefore);
    for (const CDisplayMode& mode : modes)
        m_pDisplayModes->Add(mode);

    if (!BuildPresentParameters(width, height, bitsPerPixel, bFullscreen, multisample, bVSync, bLockableBackBuffer)) {
        m_pD3D->Release();
        m_pD3D = nullptr;
        return 0;
    }
    // Hardware vertex processing first, software second; a device pointer means success.
    const HWND window = viewport ? viewport->GetWindowHandle() : nullptr;
    D3DPRESENT_PARAMETERS parameters = m_PresentParameters;
    m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, kCreateHardware, &parameters, &m_pDevice);
    if (!m_pDevice) {
        parameters = m_PresentParameters;
        m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, kCreateSoftware, &parameters, &m_pDevice);
    }
    if (!m_pDevice)
        return 0;
    m_PresentParameters = parameters;
    SetStageDefaults();
    ReadViewport();
    g_nColorByteOrder = 0;
    return CreateDynamicBuffers();
}

int CRenderDeviceDX9::BuildPresentParameters(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen,
                                             uint32_t multisample, int bVSync, int bLockableBackBuffer) {
    m_nWidth = width;
    m_nHeight = height;
    m_nBitsPerPixel = bitsPerPixel;
    m_bFullscreen = bFullscreen ? 1 : 0;
    m_nMultiSample = multisample;
    m_bVSync = bVSync ? 1 : 0;
    m_bLockableBackBuffer = bLockableBackBuffer ? 1 : 0;
    if (!m_pD3D)
        return 0;
    D3DPRESENT_PARAMETERS& p = m_PresentParameters;
    p = D3DPRESENT_PARAMETERS{};
    p.Windowed = bFullscreen ? FALSE : TRUE;
    D3DMULTISAMPLE_TYPE multisampleType = dx9tables::MultisampleType(multisample);
    if (p.Windowed) {
        D3DDISPLAYMODE desktop;
        if (FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop)))
            return 0;
        p.BackBufferFormat = desktop.Format;
        p.BackBufferWidth = 0;
        p.BackBufferHeight = 0;
    } else {
        const uint32_t format = bitsPerPixel == 32 ? kFormatX8R8G8B8 : kFormatR5G6B5;
        const CDisplayMode* mode = FindDisplayMode(width, height, format, 0);
        if (!mode) {
            mode = FindDisplayMode(640, 480, format, 0);
            if (!mode)
                return 0;
            m_nWidth = 640;
            m_nHeight = 480;
            m_nBitsPerPixel = 16;
        }
        p.BackBufferWidth = mode->nWidth;
        p.BackBufferHeight = mode->nHeight;
        p.BackBufferFormat = dx9tables::kPixelFormats[mode->nFormat];
    }
    p.BackBufferCount = 1;
    if (FAILED(m_pD3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, p.BackBufferFormat, p.Windowed,
                                                  multisampleType, nullptr))) {
        m_nMultiSample = 0;
        multisampleType = D3DMULTISAMPLE_NONE;
    }
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.MultiSampleType = multisampleType;
    p.EnableAutoDepthStencil = TRUE;
    // The bits asked for decide the depth buffer, also after a fall-back and in a window.
    p.AutoDepthStencilFormat = bitsPerPixel == 16 ? D3DFMT_D16 : D3DFMT_D24S8;
    m_nDepthFormat = bitsPerPixel == 16 ? kFormatD16 : kFormatD24S8;
    if (p.Windowed)
        p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    else
        p.PresentationInterval = bVSync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_DEFAULT;
    p.hDeviceWindow = m_pViewportWindow ? m_pViewportWindow->GetWindowHandle() : nullptr;
    p.Flags = bLockableBackBuffer ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    return 1;
}

void CRenderDeviceDX9::SetStageDefaults() {
    for (uint32_t stage = 0; stage < 8; ++stage) {
        SetTextureStageState(stage, kStageMinFilter, kFilterLinear);
        SetTextureStageState(stage, kStageMagFilter, kFilterLinear);
        SetTextureStageState(stage, kStageMipFilter, kFilterLinear);
        SetTextureStageState(stage, kStageTexCoordIndex, 0);
    }
}

void CRenderDeviceDX9::ReadViewport() {
    D3DVIEWPORT9 viewport;
    if (m_pDevice && SUCCEEDED(m_pDevice->GetViewport(&viewport)))
        memcpy(&m_Viewport, &viewport, sizeof viewport);
}

void CRenderDeviceDX9::Shutdown() {
    CRenderDevice::Shutdown();
    ReleaseTables();
    if (m_pDevice) {
        m_pDevice->Release();
        m_pDevice = nullptr;
    }
    if (m_pD3D) {
        m_pD3D->Release();
        m_pD3D = nullptr;
    }
    m_pCurrentVertexBuffer = nullptr;
    m_pCurrentIndexBuffer = nullptr;
}

int CRenderDeviceDX9::Reset(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen,
                            uint32_t multisample, int bVSync) {
    if (!m_pDevice)
        return 0;
    const int lockable = (m_PresentParameters.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) ? 1 : 0;
    if (!BuildPresentParameters(width, height, bitsPerPixel, bFullscreen, multisample, bVSync, lockable))
        return 0;
    delete m_pPoolPNT1;
    delete m_pPoolPCT2;
    delete m_pPoolPRC2T1;
    m_pPoolPNT1 = m_pPoolPCT2 = m_pPoolPRC2T1 = nullptr;
    D3DPRESENT_PARAMETERS parameters = m_PresentParameters;
    if (FAILED(m_pDevice->Reset(&parameters)))
        return 0;
    m_PresentParameters = parameters;
    // A pool that cannot be made shuts the device down: nothing more to do with it.
    if (!CreateDynamicBuffers())
        return 0;
    ReadViewport();
    SetStageDefaults();
    return 1;
}

int CRenderDeviceDX9::CheckDevice() {
    if (!m_pDevice)
        return 0;
    const HRESULT state = m_pDevice->TestCooperativeLevel();
    if (state == D3D_OK)
        return 1;
    if (state == D3DERR_DEVICELOST)
        return 0;
    if (state != D3DERR_DEVICENOTRESET)
        return -1;
    delete m_pPoolPNT1;
    delete m_pPoolPCT2;
    delete m_pPoolPRC2T1;
    m_pPoolPNT1 = m_pPoolPCT2 = m_pPoolPRC2T1 = nullptr;
    D3DPRESENT_PARAMETERS parameters = m_PresentParameters;
    if (FAILED(m_pDevice->Reset(&parameters)))
        return 0;
    if (!CreateDynamicBuffers())
        return 0;
    return -1;
}

int CRenderDeviceDX9::BeginScene() {
    return m_pDevice && SUCCEEDED(m_pDevice->BeginScene()) ? 1 : 0;
}

int CRenderDeviceDX9::EndScene() {
    return m_pDevice && SUCCEEDED(m_pDevice->EndScene()) ? 1 : 0;
}

int CRenderDeviceDX9::Present() {
    ++m_nFrame;
    return m_pDevice && SUCCEEDED(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr)) ? 1 : 0;
}

int CRenderDeviceDX9::Clear(uint32_t flags, uint32_t color, float depth, uint32_t stencil) {
    return m_pDevice && SUCCEEDED(m_pDevice->Clear(0, nullptr, flags, color, depth, stencil)) ? 1 : 0;
}

int CRenderDeviceDX9::SetTransform(uint32_t kind, const CMatrix* matrix) {
    if (!matrix || kind >= kTransformCount || !m_pDevice)
        return 0;
    D3DMATRIX d3dMatrix;
    memcpy(&d3dMatrix, matrix->m_f, sizeof d3dMatrix);
    if (kind <= kTransformWorld) {
        static const D3DTRANSFORMSTATETYPE kStates[3] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD};
        m_pDevice->SetTransform(kStates[kind], &d3dMatrix);
        return 1;
    }
    // Texture transforms: a translation given for two coordinates moves to the third row,
    // where the device applies it to two-component coordinates.
    m_Transforms[kind] = *matrix;
    d3dMatrix.m[2][0] = matrix->m_f[12];
    d3dMatrix.m[2][1] = matrix->m_f[13];
    d3dMatrix.m[3][0] = 0.0f;
    d3dMatrix.m[3][1] = 0.0f;
    m_pDevice->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + kind - kTransformTexture0), &d3dMatrix);
    return 1;
}

int CRenderDeviceDX9::GetTransform(uint32_t kind, CMatrix* matrix) {
    if (!matrix || kind >= kTransformCount)
        return 0;
    if (kind > kTransformWorld) {
        *matrix = m_Transforms[kind];
        return 1;
    }
    if (!m_pDevice)
        return 0;
    static const D3DTRANSFORMSTATETYPE kStates[3] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD};
    D3DMATRIX d3dMatrix;
    if (FAILED(m_pDevice->GetTransform(kStates[kind], &d3dMatrix)))
        return 0;
    memcpy(matrix->m_f, &d3dMatrix, sizeof d3dMatrix);
    return 1;
}

int CRenderDeviceDX9::SetRenderState(uint32_t state, uint32_t value) {
    if (!m_pDevice || (state > 30 && state != kRenderLighting))
        return 1;
    uint32_t mapped;
    if (!dx9tables::MapRenderStateValue(state, value, &mapped))
        return 1;
    m_pDevice->SetRenderState(dx9tables::kRenderStates[state], mapped);
    return 1;
}

int CRenderDeviceDX9::SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) {
    if (!m_pDevice)
        return 1;
    dx9tables::StageTarget target;
    uint32_t mapped;
    if (!dx9tables::MapStageState(state, value, &target, &mapped))
        return 1;
    if (target.bSampler)
        m_pDevice->SetSamplerState(stage, static_cast<D3DSAMPLERSTATETYPE>(target.nType), mapped);
    else
        m_pDevice->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(target.nType), mapped);
    return 1;
}

int CRenderDeviceDX9::SetMaterial(const CMaterial* material) {
    if (!material)
        return 0;
    if (m_pDevice) {
        D3DMATERIAL9 d3dMaterial;
        memcpy(&d3dMaterial, material, sizeof d3dMaterial);
        m_pDevice->SetMaterial(&d3dMaterial);
    }
    return 1;
}

// Hands back the material the device holds (a getter that filled nothing would leave the
// caller's record undefined).
int CRenderDeviceDX9::GetMaterial(CMaterial* material) {
    if (!material)
        return 0;
    D3DMATERIAL9 d3dMaterial;
    if (m_pDevice && SUCCEEDED(m_pDevice->GetMaterial(&d3dMaterial)))
        memcpy(material, &d3dMaterial, sizeof d3dMaterial);
    return 1;
}

int CRenderDeviceDX9::Reserved() {
    return 0;
}

int CRenderDeviceDX9::SetViewport(const CRenderViewport* viewport) {
    if (!viewport)
        return 0;
    m_Viewport = *viewport;
    if (m_pDevice) {
        D3DVIEWPORT9 d3dViewport;
        memcpy(&d3dViewport, viewport, sizeof d3dViewport);
        m_pDevice->SetViewport(&d3dViewport);
    }
    return 1;
}

int CRenderDeviceDX9::GetViewport(CRenderViewport* viewport) {
    if (!viewport)
        return 0;
    *viewport = m_Viewport;
    return 1;
}

int CRenderDeviceDX9::SetLight(uint32_t index, const CLight* light) {
    if (!light || index > 7 || light->nType > kLightDirectional)
        return 0;
    m_Lights[index] = *light;
    if (m_pDevice) {
        D3DLIGHT9 d3dLight;
        memcpy(&d3dLight, light, sizeof d3dLight);
        d3dLight.Type = dx9tables::kLightTypes[light->nType];
        m_pDevice->SetLight(index, &d3dLight);
    }
    return 1;
}

int CRenderDeviceDX9::GetLight(uint32_t index, CLight* light) {
    if (!light || index > 7)
        return 0;
    *light = m_Lights[index];
    return 1;
}

int CRenderDeviceDX9::LightEnable(uint32_t index, int bEnable) {
    if (index > 7)
        return 0;
    if (m_pDevice)
        m_pDevice->LightEnable(index, bEnable ? TRUE : FALSE);
    return 1;
}

int CRenderDeviceDX9::GetLightEnable(uint32_t index, int* bEnabled) {
    if (index > 7 || !bEnabled)
        return 0;
    BOOL enabled = FALSE;
    if (m_pDevice)
        m_pDevice->GetLightEnable(index, &enabled);
    *bEnabled = enabled;
    return 1;
}
