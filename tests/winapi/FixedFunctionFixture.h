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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/D3D9Windowed.h"
#include "winapi/D3D9.h"
#include "winapi/D3D9Layer.h"
#include "winapi/WinWindow.h"

namespace fixedfunction {

constexpr int kSize = 64;
constexpr D3DCOLOR kBackground = 0xFF203040;

// A colour as four floats in [0, 1] (or beyond, before saturation).
struct Rgba {
    float r, g, b, a;
};

inline Rgba RgbaOf(D3DCOLOR color) {
    return Rgba{static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f};
}

inline int Byte(float value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

inline D3DCOLOR ColorOf(const Rgba& c) {
    return static_cast<DWORD>(Byte(c.a)) << 24 | static_cast<DWORD>(Byte(c.r)) << 16 |
           static_cast<DWORD>(Byte(c.g)) << 8 | static_cast<DWORD>(Byte(c.b));
}

inline D3DCOLOR Rgb(int r, int g, int b) {
    return 0xFF000000u | static_cast<DWORD>(r) << 16 | static_cast<DWORD>(g) << 8 | static_cast<DWORD>(b);
}

inline int Channel(D3DCOLOR color, int shift) {
    return static_cast<int>((color >> shift) & 0xFF);
}

inline std::string Hex(D3DCOLOR color) {
    char text[16];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(color));
    return text;
}

// Each channel within `tolerance`; alpha only when asked for.
inline ::testing::AssertionResult ColorNear(D3DCOLOR actual, D3DCOLOR expected, int tolerance = 2,
                                            bool withAlpha = false) {
    for (const int shift : {16, 8, 0, 24}) {
        if (shift == 24 && !withAlpha)
            continue;
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance)
            return ::testing::AssertionFailure() << "pixel " << Hex(actual) << ", expected " << Hex(expected)
                                                 << " within " << tolerance << (withAlpha ? " with alpha" : "");
    }
    return ::testing::AssertionSuccess();
}

// --- Matrices, rows first, points as row vectors (p x M) ------------------------------------

inline D3DMATRIX Identity() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

inline D3DMATRIX Scaling(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m.m[0][0] = x;
    m.m[1][1] = y;
    m.m[2][2] = z;
    return m;
}

inline D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

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

// Left-handed perspective: x and y scaled by xs and ys, depth 0 at zn and 1 at zf, w = z.
inline D3DMATRIX PerspectiveLH(float xs, float ys, float zn, float zf) {
    D3DMATRIX m{};
    m.m[0][0] = xs;
    m.m[1][1] = ys;
    m.m[2][2] = zf / (zf - zn);
    m.m[2][3] = 1.0f;
    m.m[3][2] = -zn * zf / (zf - zn);
    return m;
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

class CFixedFunctionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.style = CS_OWNDC;
            windowClass.lpfnWndProc = &WindowProc;
            windowClass.lpszClassName = "FixedFunctionTestClass";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
    }

    void SetUp() override {
        m_window = CreateWindowExA(0, "FixedFunctionTestClass", "fixed function", WS_CAPTION | WS_SYSMENU, 0, 0, kSize,
                                   kSize, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_d3d, nullptr);
        D3DPRESENT_PARAMETERS parameters = WindowedPresentParameters(m_window, kSize, kSize, D3DFMT_A8R8G8B8);
        ASSERT_EQ(m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                      &parameters, &m_device),
                  D3D_OK);
        ASSERT_NE(m_device, nullptr);
    }

    void TearDown() override {
        for (IDirect3DTexture9* texture : m_textures)
            texture->Release();
        m_textures.clear();
        if (m_device)
            m_device->Release();
        if (m_d3d)
            m_d3d->Release();
        if (m_window)
            DestroyWindow(m_window);
    }

    // --- Resources ---

    IDirect3DTexture9* CreateTexture(UINT width, UINT height, UINT levels, D3DFORMAT format = D3DFMT_A8R8G8B8) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        if (texture)
            m_textures.push_back(texture);
        return texture;
    }

    // Writes 0xAARRGGBB texels row by row; a single texel fills the whole level.
    static void FillLevel(IDirect3DTexture9* texture, UINT level, const std::vector<D3DCOLOR>& texels) {
        ASSERT_NE(texture, nullptr);
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        ASSERT_TRUE(texels.size() == 1 || texels.size() == size_t{desc.Width} * desc.Height);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y) {
            auto* row = static_cast<uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                const D3DCOLOR texel = texels.size() == 1 ? texels[0] : texels[size_t{y} * desc.Width + x];
                memcpy(row + size_t{x} * 4, &texel, 4);
            }
        }
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }

    IDirect3DTexture9* SolidTexture(D3DCOLOR color) {
        IDirect3DTexture9* texture = CreateTexture(1, 1, 1);
        FillLevel(texture, 0, {color});
        return texture;
    }

    // A texture of width x height texels in the given colours, rows first.
    IDirect3DTexture9* TexelTexture(UINT width, UINT height, const std::vector<D3DCOLOR>& texels) {
        IDirect3DTexture9* texture = CreateTexture(width, height, 1);
        FillLevel(texture, 0, texels);
        return texture;
    }

    // --- States ---

    void SetRender(D3DRENDERSTATETYPE state, DWORD value) { EXPECT_EQ(m_device->SetRenderState(state, value), D3D_OK); }

    void SetRenderFloat(D3DRENDERSTATETYPE state, float value) {
        DWORD bits;
        memcpy(&bits, &value, sizeof bits);
        SetRender(state, bits);
    }

    void SetStage(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
        EXPECT_EQ(m_device->SetTextureStageState(stage, type, value), D3D_OK);
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

    void SetSampler(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
        EXPECT_EQ(m_device->SetSamplerState(sampler, type, value), D3D_OK);
    }

    void SetSamplerFloat(DWORD sampler, D3DSAMPLERSTATETYPE type, float value) {
        DWORD bits;
        memcpy(&bits, &value, sizeof bits);
        SetSampler(sampler, type, bits);
    }

    void SetTransforms(const D3DMATRIX& world, const D3DMATRIX& view, const D3DMATRIX& projection) {
        EXPECT_EQ(m_device->SetTransform(D3DTS_WORLD, &world), D3D_OK);
        EXPECT_EQ(m_device->SetTransform(D3DTS_VIEW, &view), D3D_OK);
        EXPECT_EQ(m_device->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    }

    // --- Frames and drawing ---

    void BeginFrame(D3DCOLOR clear = kBackground) {
        ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, clear, 1.0f, 0),
                  D3D_OK);
        ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    }

    void EndFrame() { ASSERT_EQ(m_device->EndScene(), D3D_OK); }

    template <typename Vertex>
    void Draw(D3DPRIMITIVETYPE type, UINT primitives, DWORD fvf, const std::vector<Vertex>& vertices) {
        EXPECT_EQ(m_device->SetFVF(fvf), D3D_OK);
        EXPECT_EQ(m_device->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(Vertex)), D3D_OK);
    }

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

    std::vector<uint32_t> Pixels() {
        std::vector<uint32_t> pixels;
        int width = 0;
        int height = 0;
        EXPECT_TRUE(winapi::d3d::ReadBackBuffer(m_device, &pixels, &width, &height));
        EXPECT_EQ(width, kSize);
        EXPECT_EQ(height, kSize);
        pixels.resize(static_cast<size_t>(kSize) * kSize, 0);
        return pixels;
    }

    D3DCOLOR Pixel(int x, int y) { return Pixels()[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)]; }

    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::vector<IDirect3DTexture9*> m_textures;

private:
    static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

}  // namespace fixedfunction
