// A named graphics resource: a model, texture or font loaded from a graphics-script block
// (the block's name, its "Type" and "File") or from a file on demand.
#pragma once

#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/DynString.h"

class CFont;
class CModel;
class CRenderDevice;
class CTexture;
class CTexture2D;
class CValueScript;

enum EGfxKind : uint32_t {
    kGfxNone = 0,
    kGfxModel = 1,
    kGfxTexture = 2,
    kGfxFont = 3,
};

class CGfx : public CObject {
    DECLARE_RUNTIME_CLASS(CGfx)

public:
    static constexpr const char* kTypeModel = "TOLP3D_GFX_MODEL";
    static constexpr const char* kTypeTexture = "TOLP3D_GFX_TEXTURE";
    static constexpr const char* kTypeFont = "TOLP3D_GFX_FONT";
    static constexpr const char* kNoType = "Err::NoType";
    static constexpr const char* kNoFile = "Err::NoFile";

    CGfx() = default;
    ~CGfx() override;

    // The resource a block declares. 0 for a block without "File" or "Type" or whose file
    // does not load; 1 with nothing loaded for a type word of no known kind.
    int LoadFromScript(CValueScript* block, CRenderDevice* device);
    // Named after the file; a kind of none known loads nothing and succeeds.
    int LoadAs(const char* fileName, uint32_t kind, CRenderDevice* device);
    // Each loads through the stored device. A failed load keeps no resource.
    int LoadModel(const char* fileName);
    int LoadTexture(const char* fileName);
    int LoadFont(const char* fileName);

    // The resource when it is loaded and of that kind, else none.
    CModel* GetModel() const;
    CTexture* GetTexture() const;
    CFont* GetFont() const;

    uint32_t m_bLoaded = 0;
    CObject* m_pResource = nullptr;
    CDynString m_sName;
    CDynString m_sFile;  // set once loaded
    CRenderDevice* m_pDevice = nullptr;
    uint32_t m_nKind = kGfxNone;

private:
    void ReleaseResource();
    // Keeps a loaded resource, or deletes what a failed load left.
    int Settle(CObject* resource, int result, const char* fileName);
};

// The device texture a graphics resource holds; none for no resource, another kind, or a
// texture the device could not make.
CTexture2D* DeviceTextureOf(const CGfx* gfx);
