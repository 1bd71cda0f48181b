#include "engine/graphics/Gfx.h"

#include "engine/core/StrHelpers.h"
#include "engine/core/ValueScript.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/Texture.h"

CGfx::~CGfx() {
    ReleaseResource();
}

void CGfx::ReleaseResource() {
    delete m_pResource;
    m_pResource = nullptr;
    m_bLoaded = 0;
}

int CGfx::Settle(CObject* resource, int result, const char* fileName) {
    if (!result) {
        delete resource;
        return 0;
    }
    m_pResource = resource;
    m_bLoaded = 1;
    m_sFile = fileName;
    return 1;
}

int CGfx::LoadFromScript(CValueScript* block, CRenderDevice* device) {
    if (!block)
        return 0;
    m_pDevice = device;
    m_sName = block->m_sName;
    const CDynString type = block->GetString("Type", kNoType);
    const CDynString file = block->GetString("File", kNoFile);
    if (StrCompare(file.GetText(), kNoFile) == 0)
        return 0;
    if (StrCompare(type.GetText(), kTypeModel) == 0)
        return LoadModel(file.GetText());
    if (StrCompare(type.GetText(), kTypeTexture) == 0)
        return LoadTexture(file.GetText());
    if (StrCompare(type.GetText(), kTypeFont) == 0)
        return LoadFont(file.GetText());
    return StrCompare(type.GetText(), kNoType) == 0 ? 0 : 1;
}

int CGfx::LoadAs(const char* fileName, uint32_t kind, CRenderDevice* device) {
    m_pDevice = device;
    m_sName = fileName;
    switch (kind) {
    case kGfxModel:
        return LoadModel(fileName);
    case kGfxTexture:
        return LoadTexture(fileName);
    case kGfxFont:
        return LoadFont(fileName);
    default:
        return 1;
    }
}

int CGfx::LoadModel(const char* fileName) {
    m_nKind = kGfxModel;
    ReleaseResource();
    if (!m_pDevice)
        return 0;
    CModel* model = nullptr;
    const int result = m_pDevice->LoadModel(fileName, &model);
    return Settle(model, result, fileName);
}

int CGfx::LoadTexture(const char* fileName) {
    m_nKind = kGfxTexture;
    ReleaseResource();
    auto* texture = static_cast<CTexture*>(CTexture::CreateObject());
    const int result = texture->Load(m_pDevice, fileName);
    return Settle(texture, result, fileName);
}

CModel* CGfx::GetModel() const {
    return m_bLoaded && m_nKind == kGfxModel ? static_cast<CModel*>(m_pResource) : nullptr;
}

CTexture* CGfx::GetTexture() const {
    return m_bLoaded && m_nKind == kGfxTexture ? static_cast<CTexture*>(m_pResource) : nullptr;
}

CTexture2D* DeviceTextureOf(const CGfx* gfx) {
    const CTexture* texture = gfx ? gfx->GetTexture() : nullptr;
    return texture ? texture->m_pTexture : nullptr;
}
