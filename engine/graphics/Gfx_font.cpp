// The font side of the named resources, kept apart because it needs the font class itself.
#include "engine/graphics/Font.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/RenderDevice.h"

int CGfx::LoadFont(const char* fileName) {
    m_nKind = kGfxFont;
    ReleaseResource();
    if (!m_pDevice)
        return 0;
    CFont* font = nullptr;
    const int result = m_pDevice->LoadFont(fileName, &font);
    return Settle(font, result, fileName);
}

CFont* CGfx::GetFont() const {
    return m_bLoaded && m_nKind == kGfxFont ? static_cast<CFont*>(m_pResource) : nullptr;
}
