#include "engine/graphics/Texture.h"

#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/Texture2D.h"

CTexture::~CTexture() {
    delete m_pTexture;
}

int CTexture::Load(CRenderDevice* device, const char* fileName) {
    if (!device)
        return 0;
    // A second load replaces the first texture instead of losing it.
    delete m_pTexture;
    m_pTexture = nullptr;
    return device->LoadTexture(fileName, &m_pTexture);
}
