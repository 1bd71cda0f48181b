// A small fixture for the fixed-function tests of the Direct3D 9 layer: a 64 x 64 device
// whose back buffer keeps alpha, resources made through the layer itself, state setters,
// screen and world-space drawing, pixel reads, and colours compared within a few 1/255
// steps of llvmpipe's rounding.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/support/PixelAssertions.h"
#include "tests/support/PixelFrame.h"
#include "tests/winapi/d3d9/D3D9TestFixture.h"
#include "winapi/d3d9/D3D9.h"

namespace fixedfunction {

using namespace d3d9fixture;

// A colour as four floats in [0, 1] (or beyond, before saturation).
struct Rgba {
    float r, g, b, a;
};

inline Rgba RgbaOf(D3DCOLOR color) {
    return Rgba{static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f};
}

inline D3DCOLOR ColorOf(const Rgba& c) {
    return static_cast<DWORD>(Byte(c.a)) << 24 | static_cast<DWORD>(Byte(c.r)) << 16 |
           static_cast<DWORD>(Byte(c.g)) << 8 | static_cast<DWORD>(Byte(c.b));
}

// --- Matrices, rows first, points as row vectors (p x M) ------------------------------------

// Rotation about z turning +x towards +y for a positive angle.
inline D3DMATRIX RotationZ(float angle) {
    D3DMATRIX m = Identity();
    m.m[0][0] = std::cos(angle);
    m.m[0][1] = std::sin(angle);
    m.m[1][0] = -std::sin(angle);
    m.m[1][1] = std::cos(angle);
    return m;
}

inline D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX product{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < 4; ++k)
                product.m[r][c] += a.m[r][k] * b.m[k][c];
        }
    }
    return product;
}

// (x, y, z, w) x M.
inline void Transform(const D3DMATRIX& m, const float in[4], float out[4]) {
    for (int c = 0; c < 4; ++c)
        out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
}

// Where the centre of pixel (x, y) lies in clip space: the platform puts pixel centres on
// whole screen coordinates.
inline float ClipX(float x) {
    return x / (kSize / 2.0f) - 1.0f;
}
inline float ClipY(float y) {
    return 1.0f - y / (kSize / 2.0f);
}

// --- Vertex formats ---------------------------------------------------------------------------

struct ScreenVertex {  // XYZRHW | DIFFUSE | SPECULAR | TEX4
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float u[4][2];
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | (4 << D3DFVF_TEXCOUNT_SHIFT);

struct ColorTexVertex {  // XYZ | DIFFUSE | TEX1
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kColorTexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct NormalVertex {  // XYZ | NORMAL
    float x, y, z, nx, ny, nz;
};
constexpr DWORD kNormalFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

class CFixedFunctionTest : public d3d9fixture::CD3D9TestFixture {
protected:
    // The back buffer keeps alpha, so blending and the alpha channel can be read back.
    CFixedFunctionTest() : CD3D9TestFixture("fixed function", D3DFMT_A8R8G8B8) {}

    // A texture of width x height texels in the given colours, rows first.
    IDirect3DTexture9* TexelTexture(UINT width, UINT height, const std::vector<D3DCOLOR>& texels) {
        IDirect3DTexture9* texture = CreateTexture(width, height, 1);
        FillLevel(texture, 0, texels);
        return texture;
    }

    // --- States ---

    void SetRenderFloat(D3DRENDERSTATETYPE state, float value) {
        DWORD bits;
        memcpy(&bits, &value, sizeof bits);
        SetRender(state, bits);
    }

    void SetStageFloat(DWORD stage, D3DTEXTURESTAGESTATETYPE type, float value) {
        DWORD bits;
        memcpy(&bits, &value, sizeof bits);
        SetStage(stage, type, bits);
    }

    void SetColorStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT, DWORD arg0 = D3DTA_CURRENT) {
        SetStage(stage, D3DTSS_COLOROP, op);
        SetStage(stage, D3DTSS_COLORARG1, arg1);
        SetStage(stage, D3DTSS_COLORARG2, arg2);
        SetStage(stage, D3DTSS_COLORARG0, arg0);
    }

    void SetAlphaStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT, DWORD arg0 = D3DTA_CURRENT) {
        SetStage(stage, D3DTSS_ALPHAOP, op);
        SetStage(stage, D3DTSS_ALPHAARG1, arg1);
        SetStage(stage, D3DTSS_ALPHAARG2, arg2);
        SetStage(stage, D3DTSS_ALPHAARG0, arg0);
    }

    void SetSamplerFloat(DWORD sampler, D3DSAMPLERSTATETYPE type, float value) {
        DWORD bits;
        memcpy(&bits, &value, sizeof bits);
        SetSampler(sampler, type, bits);
    }

    // --- Drawing ---

    // The screen rectangle [left, right) x [top, bottom) as a clockwise strip, with the same
    // diffuse and specular colours at every corner and the four coordinate sets running
    // from (u0, v0) to (u1, v1).
    void DrawScreenQuad(float left, float top, float right, float bottom, D3DCOLOR diffuse, D3DCOLOR specular = 0,
                        float u0 = 0.0f, float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
        const float corners[4][4] = {{left, top, u0, v0}, {right, top, u1, v0}, {left, bottom, u0, v1},
                                     {right, bottom, u1, v1}};
        std::vector<ScreenVertex> vertices;
        for (const auto& c : corners) {
            ScreenVertex v{c[0], c[1], 0.5f, 1.0f, diffuse, specular, {}};
            for (auto& set : v.u) {
                set[0] = c[2];
                set[1] = c[3];
            }
            vertices.push_back(v);
        }
        Draw(D3DPT_TRIANGLESTRIP, 2, kScreenFvf, vertices);
    }

    void DrawFullScreen(D3DCOLOR diffuse, D3DCOLOR specular = 0) {
        DrawScreenQuad(0.0f, 0.0f, kSize, kSize, diffuse, specular);
    }
};

}  // namespace fixedfunction
