// The records the render device exchanges with its callers: display modes, the viewport,
// lights and materials.
#pragma once

#include <cstdint>

#include "engine/core/Vector3.h"

// A display mode: refresh 0 means any; the format is an engine pixel-format code.
struct CDisplayMode {
    uint32_t nWidth;
    uint32_t nHeight;
    uint32_t nRefreshRate;
    uint32_t nFormat;
};

// A growable list of display modes, one record added at a time.
class CDisplayModeList {
public:
    CDisplayModeList() = default;
    CDisplayModeList(const CDisplayModeList&) = delete;
    CDisplayModeList& operator=(const CDisplayModeList&) = delete;
    ~CDisplayModeList();

    void Add(const CDisplayMode& mode);
    void Clear();

    uint32_t m_nCount = 0;
    uint32_t m_nCapacity = 0;
    uint32_t m_nGrowStep = 8;
    CDisplayMode* m_pItems = nullptr;
};

// The part of the render target drawn to, in pixels, and its depth range.
struct CRenderViewport {
    uint32_t X;
    uint32_t Y;
    uint32_t Width;
    uint32_t Height;
    float MinZ;
    float MaxZ;
};

struct CColorValue {
    float r;
    float g;
    float b;
    float a;
};

struct CLight {
    uint32_t nType;  // ELightType
    CColorValue Diffuse;
    CColorValue Specular;
    CColorValue Ambient;
    CVector3 vPosition;
    CVector3 vDirection;
    float fRange;
    float fFalloff;
    float fAttenuation0;
    float fAttenuation1;
    float fAttenuation2;
    float fTheta;
    float fPhi;
};
static_assert(sizeof(CLight) == 104);

struct CMaterial {
    CColorValue Diffuse;
    CColorValue Ambient;
    CColorValue Specular;
    CColorValue Emissive;
    float fPower;
};
