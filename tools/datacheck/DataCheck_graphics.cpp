// The graphics scripts: every block loads on the recording device, every texture has sides
// of a power of two and 24 or 32 bits, and the names the game finds are there with their
// kind and, where the drawing relies on it, their size.
#include <cstring>
#include <string>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "tools/datacheck/DataCheck_local.h"
#include "tools/datacheck/ValueScriptBlocks.h"

namespace {

struct CGfxType {
    const char* word;
    uint32_t kind;
    const char* name;
};

const CGfxType kGfxTypes[] = {
    {CGfx::kTypeModel, kGfxModel, "model"},
    {CGfx::kTypeTexture, kGfxTexture, "texture"},
    {CGfx::kTypeFont, kGfxFont, "font"},
};

const char* KindName(uint32_t kind) {
    for (const CGfxType& type : kGfxTypes) {
        if (type.kind == kind)
            return type.name;
    }
    return "resource of no kind";
}

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The depth of the TGA file a texture was read from, by the format the reader gave it.
int TgaBits(uint32_t format) {
    switch (format) {
    case kFormatR8G8B8:
        return 24;
    case kFormatA8R8G8B8:
        return 32;
    case kFormatA1R5G5B5:
        return 16;
    default:
        return 8;
    }
}

std::string SizeText(uint32_t width, uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

CTexture2D* PixelsOf(CGfx* gfx) {
    CTexture* texture = gfx->GetTexture();
    return texture ? texture->m_pTexture : nullptr;
}

}  // namespace

void CRootCheck::CheckGraphicsScripts() {
    for (const CGraphicsScriptLookup& script : m_lookups.graphicsScripts) {
        CValueScriptBlocks blocks;
        if (!LoadBlocks(script.file, &blocks))
            continue;
        for (const auto& block : blocks.All())
            CheckGraphicsBlock(script, block.get());
    }
}

void CRootCheck::CheckGraphicsBlock(const CGraphicsScriptLookup& script, CValueScript* block) {
    const CDataPlace place{script.file.path, 0, block->m_sName.GetText()};
    const char* type = FindValueText(*block, "Type");
    const char* file = FindValueText(*block, "File");
    if (!type || !file) {
        m_problems.Add(place, type ? "no File" : "no Type");
        return;
    }
    const CGfxType* known = nullptr;
    for (const CGfxType& candidate : kGfxTypes) {
        if (strcmp(candidate.word, type) == 0)
            known = &candidate;
    }
    if (!known) {
        m_problems.Add(place, std::string("Type \"") + type + "\" is no kind of graphics: the game loads nothing");
        return;
    }
    if (!Present(place, file, true, EOpen::kExactName))
        return;
    auto* gfx = static_cast<CGfx*>(CGfx::CreateObject());
    if (!gfx->LoadFromScript(block, &m_device)) {
        m_problems.Add(place, std::string(file) + " does not load as a " + known->name);
        delete gfx;
        return;
    }
    Graphics(script.set).m_pResources->Append(gfx);
    if (known->kind == kGfxTexture)
        CheckTexture(place, file, gfx);
}

void CRootCheck::CheckTexture(const CDataPlace& place, const std::string& file, CGfx* gfx) {
    if (!m_checkedTextures.insert(file).second)
        return;
    CTexture2D* pixels = PixelsOf(gfx);
    if (!pixels)
        return;
    const uint32_t width = pixels->GetWidth();
    const uint32_t height = pixels->GetHeight();
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height))
        m_problems.Add(place, file + " is " + SizeText(width, height) + ": a texture's sides must be powers of two");
    const int bits = TgaBits(pixels->GetFormat());
    if (bits != 24 && bits != 32)
        m_problems.Add(place, file + " has " + std::to_string(bits) + " bits a pixel: a texture needs 24 or 32");
}

void CRootCheck::CheckGraphicsNames() {
    for (const CGraphicsNameLookup& lookup : m_lookups.graphicsNames) {
        const CDataPlace place{ScriptOf(lookup.set), 0, lookup.name};
        CGfx* gfx = Graphics(lookup.set).Find(lookup.name);
        if (!gfx) {
            m_problems.Add(place, "missing: the game looks this name up");
            continue;
        }
        if (gfx->m_nKind != lookup.kind) {
            m_problems.Add(place, std::string("a ") + KindName(gfx->m_nKind) + ", where the game needs a " +
                                      KindName(lookup.kind));
            continue;
        }
        CTexture2D* pixels = lookup.width || lookup.height ? PixelsOf(gfx) : nullptr;
        if (pixels && (pixels->GetWidth() != lookup.width || pixels->GetHeight() != lookup.height))
            m_problems.Add(place, std::string(gfx->m_sFile.GetText()) + " is " +
                                      SizeText(pixels->GetWidth(), pixels->GetHeight()) + ", where the game needs " +
                                      SizeText(lookup.width, lookup.height));
    }
}
