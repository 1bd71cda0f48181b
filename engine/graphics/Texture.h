// A holder that loads a 2D texture by file name through the render device, for the named
// graphics resources.
#pragma once

#include "engine/core/Class.h"

class CRenderDevice;
class CTexture2D;

class CTexture : public CObject {
    DECLARE_RUNTIME_CLASS(CTexture)

public:
    CTexture() = default;
    ~CTexture() override;

    // The device's LoadTexture into this holder, and its result.
    int Load(CRenderDevice* device, const char* fileName);

    CTexture2D* m_pTexture = nullptr;
};
