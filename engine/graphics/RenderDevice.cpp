#include "engine/graphics/RenderDevice.h"

#include "engine/core/LogFile.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"

int g_nColorByteOrder = 0;

namespace {

constexpr uint32_t kPoolVertexSize = 32;

CLight DefaultLight() {
    CLight light{};
    light.nType = kLightDirectional;
    light.Diffuse = CColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    light.vPosition = CVector3(0.0f, 0.0f, 0.0f);
    light.vDirection = CVector3(0.0f, 0.0f, 1.0f);
    light.fAttenuation0 = 1.0f;
    return light;
}

}  // namespace

CRenderDevice::CRenderDevice() {
    for (CMatrix& transform : m_Transforms)
        transform.SetIdentity();
    for (CLight& light : m_Lights)
        light = DefaultLight();
}

CRenderDevice::~CRenderDevice() {
    CRenderDevice::Shutdown();
}

int CRenderDevice::Init(CViewport* viewport, uint32_t width, uint32_t height, uint32_t /*bitsPerPixel*/,
                        int /*bFullscreen*/, uint32_t /*multisample*/, int /*bVSync*/, uint32_t pnt1Count,
                        uint32_t pct2Count, uint32_t prc2t1Count, CLogFile* log, int /*bLockableBackBuffer*/) {
    m_pViewportWindow = viewport;
    m_pLog = log;
    delete m_pDisplayModes;
    m_pDisplayModes = new CDisplayModeList;
    delete m_pWorldStack;
    m_pWorldStack = new CMatrixStack;
    m_nPNT1Count = pnt1Count;
    m_nPCT2Count = pct2Count;
    m_nPRC2T1Count = prc2t1Count;
    for (CMatrix& transform : m_Transforms)
        transform.SetIdentity();
    for (CLight& light : m_Lights)
        light = DefaultLight();
    m_Viewport = CRenderViewport{0, 0, width, height, 0.0f, 1.0f};
    return 1;
}

void CRenderDevice::DeletePools() {
    delete m_pPoolPNT1;
    delete m_pPoolPCT2;
    delete m_pPoolPRC2T1;
    m_pPoolPNT1 = m_pPoolPCT2 = m_pPoolPRC2T1 = nullptr;
}

void CRenderDevice::Shutdown() {
    delete m_pDisplayModes;
    m_pDisplayModes = nullptr;
    DeletePools();
    delete m_pWorldStack;
    m_pWorldStack = nullptr;
}

int CRenderDevice::CreateDynamicBuffers() {
    DeletePools();
    struct PoolSpec {
        CVertexBuffer** pool;
        uint32_t count;
        uint32_t format;
    };
    const PoolSpec pools[] = {
        {&m_pPoolPNT1, m_nPNT1Count, kVertexFormatPNT1},
        {&m_pPoolPCT2, m_nPCT2Count, kVertexFormatPCT2},
        {&m_pPoolPRC2T1, m_nPRC2T1Count, kVertexFormatPRC2T1},
    };
    for (const PoolSpec& spec : pools) {
        if (spec.count == 0)
            continue;
        const uint64_t bytes = uint64_t{spec.count} * kPoolVertexSize;
        auto* buffer = new CVertexBuffer;
        if (bytes > UINT32_MAX ||
            !buffer->Create(static_cast<uint32_t>(bytes), spec.format, kPoolDefault, kUsageDynamicWriteOnly, this)) {
            delete buffer;
            Shutdown();
            return 0;
        }
        *spec.pool = buffer;
    }
    return 1;
}

int CRenderDevice::LoadTexture(const char* fileName, CTexture2D** out) {
    if (!fileName || !out)
        return 0;
    *out = new CTexture2D;
    if (m_pLog)
        m_pLog->Printf("loading %s... ", fileName);
    const int result = (*out)->LoadFile(fileName, 0, 0, this);
    if (m_pLog)
        m_pLog->Write(result ? "ok\n" : "failed\n");
    return result;
}

int CRenderDevice::LoadModel(const char* fileName, CModel** out) {
    if (!fileName || !out)
        return 0;
    *out = static_cast<CModel*>(CModel::CreateObject());
    if (m_pLog)
        m_pLog->Printf("loading %s... ", fileName);
    const int result = (*out)->Load(this, fileName);
    if (m_pLog)
        m_pLog->Write(result ? "ok\n" : "failed\n");
    return result;
}

int CRenderDevice::LoadFont(const char* fileName, CFont** out) {
    if (!fileName || !out)
        return 0;
    *out = new CFont;
    if (m_pLog)
        m_pLog->Printf("loading %s... ", fileName);
    const int result = (*out)->LoadFile(fileName, this);
    if (m_pLog)
        m_pLog->Write(result ? "ok\n" : "failed\n");
    return result;
}

// Glyphs are looked up as the text operations look them up, so the width is the drawn one.
float CRenderDevice::GetTextWidth(const char* text, int length, CFont* font, float scale, float spacing) {
    if (!text || !font || length <= 0)
        return 0.0f;
    float width = 0.0f;
    for (int i = 0; i < length; ++i) {
        const CFontGlyph* glyph = font->GetGlyph(static_cast<unsigned char>(text[i]), 1);
        const float advance = glyph ? static_cast<float>(glyph->m_nWidth) : 0.0f;
        width += advance * scale + scale * spacing;
    }
    return width;
}

void CRenderDevice::FreeModel(CObject* model) {
    delete model;
}

void CRenderDevice::FreeTexture(CTexture2D* texture) {
    delete texture;
}

void CRenderDevice::FreeFont(CObject* font) {
    delete font;
}

uint32_t CRenderDevice::GetVertexSize(uint32_t vertexFormat) {
    if (vertexFormat == 0)
        return 0;
    uint32_t size = 0;
    switch (vertexFormat & 0xE) {
    case 0x2:
        size = 12;
        break;
    case 0x4:
    case 0x6:
        size = 16;
        break;
    case 0x8:
        size = 20;
        break;
    case 0xA:
        size = 24;
        break;
    case 0xC:
        size = 28;
        break;
    default:
        break;
    }
    if (vertexFormat & 0x10)
        size += 12;
    if (vertexFormat & 0x20)
        size += 4;
    if (vertexFormat & 0x40)
        size += 4;
    if (vertexFormat & 0x80)
        size += 4;
    const uint32_t sets = (vertexFormat >> 8) & 0xF;
    static const uint32_t kSetSizes[4] = {8, 12, 16, 4};
    for (uint32_t set = 0; set < sets; ++set)
        size += kSetSizes[(vertexFormat >> (16 + 2 * set)) & 0x3];
    return size;
}

uint32_t CRenderDevice::GetBytesPerPixel(uint32_t format) {
    switch (format) {
    case kFormatR8G8B8:
        return 3;
    case kFormatA8R8G8B8:
    case kFormatX8R8G8B8:
    case kFormatA2B10G10R10:
    case kFormatG16R16:
    case kFormatX8L8V8U8:
    case kFormatQ8W8V8U8:
    case kFormatV16U16:
    case kFormatA2W10V10U10:
    case kFormatD32:
    case kFormatD24S8:
    case kFormatD24X8:
    case kFormatD24X4S4:
    case kFormatIndex32:
        return 4;
    case kFormatR5G6B5:
    case kFormatX1R5G5B5:
    case kFormatA1R5G5B5:
    case kFormatA4R4G4B4:
    case kFormatA8R3G3B2:
    case kFormatX4R4G4B4:
    case kFormatA8P8:
    case kFormatA8L8:
    case kFormatV8U8:
    case kFormatL6V5U5:
    case kFormatD16Lockable:
    case kFormatD15S1:
    case kFormatD16:
    case kFormatIndex16:
        return 2;
    case kFormatR3G3B2:
    case kFormatA8:
    case kFormatP8:
    case kFormatL8:
    case kFormatA4L4:
        return 1;
    default:
        return 0;
    }
}
