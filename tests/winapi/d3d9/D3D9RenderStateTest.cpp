// Render states the fixed-function programs and OpenGL carry out in the Direct3D 9 layer,
// on pixels: table and vertex fog in every mode with range fog and the specular-alpha fog
// factor, the last pixel of lines, point sizes with distance scaling and limits, point
// sprites, fill modes, the default blend factor, and the stencil-masked darkening pass the
// game draws over its shadows.
#include "FixedFunctionFixture.h"

namespace {

using namespace fixedfunction;

struct ScreenColorVertex {  // XYZRHW | DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR color;
};
constexpr DWORD kScreenColorFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct ColorVertex {  // XYZ | DIFFUSE
    float x, y, z;
    D3DCOLOR color;
};
constexpr DWORD kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

constexpr D3DCOLOR kFogColor = 0xFF2040C0;
constexpr D3DCOLOR kObject = 0xFFE0C020;

// The colour fogged by factor f: f x colour + (1 - f) x fog colour.
D3DCOLOR Fogged(D3DCOLOR color, float f) {
    const Rgba c = RgbaOf(color), fog = RgbaOf(kFogColor);
    f = std::clamp(f, 0.0f, 1.0f);
    return ColorOf(Rgba{f * c.r + (1 - f) * fog.r, f * c.g + (1 - f) * fog.g, f * c.b + (1 - f) * fog.b, 1.0f});
}

class D3D9RenderStateTest : public CFixedFunctionTest {
protected:
    void SetUp() override {
        CFixedFunctionTest::SetUp();
        if (HasFatalFailure())
            return;
        SetRender(D3DRS_LIGHTING, FALSE);
        SetRender(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    // A camera-facing square of half-size h around (x, y) at depth z, as a clockwise strip.
    void DrawSquare(float x, float y, float z, float h, D3DCOLOR color) {
        Draw<ColorVertex>(D3DPT_TRIANGLESTRIP, 2, kColorFvf,
                          {{x - h, y + h, z, color}, {x + h, y + h, z, color}, {x - h, y - h, z, color},
                           {x + h, y - h, z, color}});
    }

    int CountColor(D3DCOLOR color) {
        int count = 0;
        for (const uint32_t pixel : Pixels())
            count += ColourNear(pixel, color) ? 1 : 0;
        return count;
    }
};

TEST_F(D3D9RenderStateTest, TableFogFollowsEyeDepthUnderPerspective) {
    // With a perspective projection the fog reads eye depth: a square at distance d.
    SetTransforms(Identity(), Identity(), PerspectiveLH(1.0f, 1.0f, 1.0f, 100.0f));
    SetRender(D3DRS_FOGENABLE, TRUE);
    SetRender(D3DRS_FOGCOLOR, kFogColor);
    SetRenderFloat(D3DRS_FOGSTART, 2.0f);
    SetRenderFloat(D3DRS_FOGEND, 10.0f);
    SetRenderFloat(D3DRS_FOGDENSITY, 0.2f);
    struct Case {
        DWORD mode;
        float distance;
    };
    const Case cases[] = {
        {D3DFOG_LINEAR, 1.5f}, {D3DFOG_LINEAR, 4.0f}, {D3DFOG_LINEAR, 8.0f}, {D3DFOG_LINEAR, 12.0f},
        {D3DFOG_EXP, 2.0f},    {D3DFOG_EXP, 6.0f},    {D3DFOG_EXP2, 2.0f},   {D3DFOG_EXP2, 6.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " at " << c.distance);
        SetRender(D3DRS_FOGTABLEMODE, c.mode);
        BeginFrame();
        DrawSquare(0.0f, 0.0f, c.distance, c.distance, kObject);
        EndFrame();
        float f = 0.0f;
        if (c.mode == D3DFOG_LINEAR)
            f = (10.0f - c.distance) / (10.0f - 2.0f);
        else if (c.mode == D3DFOG_EXP)
            f = std::exp(-0.2f * c.distance);
        else
            f = std::exp(-(0.2f * c.distance) * (0.2f * c.distance));
        EXPECT_TRUE(ColourNear(Pixel(32, 32), Fogged(kObject, f)));
        EXPECT_TRUE(ColourNear(Pixel(12, 50), Fogged(kObject, f)));
    }
}

TEST_F(D3D9RenderStateTest, TableFogFollowsTheDepthValueWithoutPerspective) {
    // A projection that keeps w at 1: the fog reads the depth value, z / 10 here, with start
    // and end in depth units.
    SetTransforms(Identity(), Identity(), Scaling(1.0f, 1.0f, 0.1f));
    SetRender(D3DRS_FOGENABLE, TRUE);
    SetRender(D3DRS_FOGCOLOR, kFogColor);
    SetRender(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    SetRenderFloat(D3DRS_FOGSTART, 0.2f);
    SetRenderFloat(D3DRS_FOGEND, 0.8f);
    for (const float z : {1.0f, 5.0f, 7.0f}) {
        SCOPED_TRACE(::testing::Message() << "z " << z);
        BeginFrame();
        DrawSquare(0.0f, 0.0f, z, 1.0f, kObject);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), Fogged(kObject, (0.8f - z / 10.0f) / 0.6f)));
    }
}

TEST_F(D3D9RenderStateTest, VertexFogUsesDepthOrRangeAndTableFogWins) {
    // A small square off the axis at depth 4: its corners lie about 5 from the camera. Fog
    // is worked out per vertex and interpolated, so the middle pixel takes the mean of the
    // corners' factors.
    SetTransforms(Identity(), Identity(), PerspectiveLH(1.0f, 1.0f, 1.0f, 100.0f));
    SetRender(D3DRS_FOGENABLE, TRUE);
    SetRender(D3DRS_FOGCOLOR, kFogColor);
    SetRenderFloat(D3DRS_FOGSTART, 1.0f);
    SetRenderFloat(D3DRS_FOGEND, 9.0f);
    const float x = 3.0f, y = 0.0f, z = 4.0f, h = 0.25f;
    float rangeFactor = 0.0f;
    for (const float cx : {x - h, x + h}) {
        for (const float cy : {y - h, y + h})
            rangeFactor += (9.0f - std::sqrt(cx * cx + cy * cy + z * z)) / 8.0f / 4.0f;
    }
    struct Case {
        const char* name;
        DWORD vertexMode, tableMode;
        BOOL range;
        float f;
    };
    const Case cases[] = {
        {"vertex fog by depth", D3DFOG_LINEAR, D3DFOG_NONE, FALSE, (9.0f - z) / 8.0f},
        {"vertex fog by range", D3DFOG_LINEAR, D3DFOG_NONE, TRUE, rangeFactor},
        {"table fog wins, and knows no range", D3DFOG_EXP, D3DFOG_LINEAR, TRUE, (9.0f - z) / 8.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_FOGVERTEXMODE, c.vertexMode);
        SetRender(D3DRS_FOGTABLEMODE, c.tableMode);
        SetRender(D3DRS_RANGEFOGENABLE, c.range);
        BeginFrame();
        DrawSquare(x, y, z, h, kObject);
        EndFrame();
        // The square's middle, x / z of the half-width right of the centre.
        EXPECT_TRUE(ColourNear(Pixel(32 + static_cast<int>(32.0f * x / z), 32), Fogged(kObject, c.f)));
    }
}

TEST_F(D3D9RenderStateTest, WithoutAFogModeTheSpecularAlphaIsTheFogFactor) {
    SetRender(D3DRS_FOGCOLOR, kFogColor);
    struct Case {
        const char* name;
        BOOL fog;
        D3DCOLOR specular;
        float f;
    };
    const Case cases[] = {
        {"fog off", FALSE, 0x40000000, 1.0f},
        {"specular alpha 0x40", TRUE, 0x40000000, 64.0f / 255.0f},
        {"specular alpha 0xFF", TRUE, 0xFF000000, 1.0f},
        {"specular alpha 0", TRUE, 0x00000000, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_FOGENABLE, c.fog);
        BeginFrame();
        DrawFullScreen(kObject, c.specular);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), Fogged(kObject, c.f)));
    }
}

TEST_F(D3D9RenderStateTest, LinesDrawTheirLastPixelWhileLastPixelIsOn) {
    const D3DCOLOR color = 0xFFFFFF00;
    IDirect3DVertexBuffer9* buffer = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    const ScreenColorVertex lines[4] = {
        {10, 10, 0.5f, 1, color}, {50, 10, 0.5f, 1, color}, {20, 20, 0.5f, 1, color}, {20, 50, 0.5f, 1, color}};
    ASSERT_EQ(m_device->CreateVertexBuffer(sizeof lines, 0, kScreenColorFvf, D3DPOOL_MANAGED, &buffer, nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    memcpy(data, lines, sizeof lines);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    const uint16_t order[4] = {0, 1, 2, 3};
    ASSERT_EQ(m_device->CreateIndexBuffer(sizeof order, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    memcpy(data, order, sizeof order);
    ASSERT_EQ(indices->Unlock(), D3D_OK);
    struct Case {
        const char* name;
        int how;  // 0 list from memory, 1 strip from memory, 2 list from buffers, 3 indexed list
    };
    const Case cases[] = {{"list from memory", 0}, {"strip from memory", 1}, {"list from a buffer", 2},
                          {"indexed list", 3}};
    for (const Case& c : cases) {
        for (const BOOL lastPixel : {TRUE, FALSE}) {
            SCOPED_TRACE(::testing::Message() << c.name << (lastPixel ? ", last pixel on" : ", last pixel off"));
            SetRender(D3DRS_LASTPIXEL, lastPixel);
            BeginFrame();
            if (c.how == 0 || c.how == 1) {
                Draw(c.how == 0 ? D3DPT_LINELIST : D3DPT_LINESTRIP, c.how == 0 ? 2 : 3, kScreenColorFvf,
                     std::vector<ScreenColorVertex>(lines, lines + 4));
            } else {
                ASSERT_EQ(m_device->SetFVF(kScreenColorFvf), D3D_OK);
                ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(ScreenColorVertex)), D3D_OK);
                if (c.how == 2) {
                    ASSERT_EQ(m_device->DrawPrimitive(D3DPT_LINELIST, 0, 2), D3D_OK);
                } else {
                    ASSERT_EQ(m_device->SetIndices(indices), D3D_OK);
                    ASSERT_EQ(m_device->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, 4, 0, 2), D3D_OK);
                }
            }
            EndFrame();
            const std::vector<uint32_t> pixels = Pixels();
            auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)]; };
            EXPECT_TRUE(ColourNear(at(30, 10), color));
            EXPECT_TRUE(ColourNear(at(20, 35), color));
            // The last pixel of the last line, and of the first (the strip's joint is drawn by
            // its second line anyway).
            EXPECT_EQ(ColourNear(at(20, 50), color), lastPixel != FALSE);
            if (c.how != 1) {
                EXPECT_EQ(ColourNear(at(50, 10), color), lastPixel != FALSE);
            }
        }
    }
    indices->Release();
    buffer->Release();
}

struct SizedScreenVertex {  // XYZRHW | PSIZE | DIFFUSE
    float x, y, z, rhw, size;
    D3DCOLOR color;
};

TEST_F(D3D9RenderStateTest, PointSizesComeFromTheStateTheVertexAndTheDistance) {
    const D3DCOLOR color = 0xFF40E080;
    struct Case {
        const char* name;
        bool screen;
        float size, vertexSize, minimum, maximum;
        BOOL scale;
        int side;
    };
    // Scaled: 64 pixels of viewport height x size x sqrt(1 / (A + B d + C d^2)) with A = 0,
    // B = 0, C = 1 and the point at distance 4: 16 x size.
    const Case cases[] = {
        {"the state's size", true, 5.0f, 0.0f, 1.0f, 64.0f, FALSE, 5},
        {"the vertex's size", true, 5.0f, 3.0f, 1.0f, 64.0f, FALSE, 3},
        {"held at the maximum", true, 9.0f, 0.0f, 1.0f, 7.0f, FALSE, 7},
        {"raised to the minimum", true, 1.0f, 0.0f, 5.0f, 64.0f, FALSE, 5},
        {"scaled by distance", false, 0.3125f, 0.0f, 1.0f, 64.0f, TRUE, 5},
        {"scaled, then held at the maximum", false, 0.5f, 0.0f, 1.0f, 3.0f, TRUE, 3},
        {"not scaled", false, 7.0f, 0.0f, 1.0f, 64.0f, FALSE, 7},
    };
    SetTransforms(Identity(), Identity(), PerspectiveLH(1.0f, 1.0f, 1.0f, 100.0f));
    SetRenderFloat(D3DRS_POINTSCALE_A, 0.0f);
    SetRenderFloat(D3DRS_POINTSCALE_B, 0.0f);
    SetRenderFloat(D3DRS_POINTSCALE_C, 1.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRenderFloat(D3DRS_POINTSIZE, c.size);
        SetRenderFloat(D3DRS_POINTSIZE_MIN, c.minimum);
        SetRenderFloat(D3DRS_POINTSIZE_MAX, c.maximum);
        SetRender(D3DRS_POINTSCALEENABLE, c.scale);
        BeginFrame();
        if (!c.screen)
            Draw<ColorVertex>(D3DPT_POINTLIST, 1, kColorFvf, {{0.0f, 0.0f, 4.0f, color}});
        else if (c.vertexSize > 0.0f)
            Draw<SizedScreenVertex>(D3DPT_POINTLIST, 1, D3DFVF_XYZRHW | D3DFVF_PSIZE | D3DFVF_DIFFUSE,
                                    {{32, 32, 0.5f, 1, c.vertexSize, color}});
        else
            Draw<ScreenColorVertex>(D3DPT_POINTLIST, 1, kScreenColorFvf, {{32, 32, 0.5f, 1, color}});
        EndFrame();
        EXPECT_EQ(CountColor(color), c.side * c.side);
        EXPECT_TRUE(ColourNear(Pixel(32, 32), color));
    }
}

TEST_F(D3D9RenderStateTest, PointSpritesSpanTheTextureFromTheTopLeft) {
    const std::vector<D3DCOLOR> quadrants = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    ASSERT_EQ(m_device->SetTexture(0, TexelTexture(2, 2, quadrants)), D3D_OK);
    SetRenderFloat(D3DRS_POINTSIZE, 16.0f);
    for (const BOOL sprites : {TRUE, FALSE}) {
        SCOPED_TRACE(sprites ? "sprites" : "plain points");
        SetRender(D3DRS_POINTSPRITEENABLE, sprites);
        BeginFrame();
        // The point's own coordinate picks the lower right texel.
        ScreenVertex point{32, 32, 0.5f, 1, 0xFFFFFFFF, 0, {{0.75f, 0.75f}, {}, {}, {}}};
        Draw<ScreenVertex>(D3DPT_POINTLIST, 1, kScreenFvf, {point});
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(26, 26), quadrants[sprites ? 0 : 3]));
        EXPECT_TRUE(ColourNear(Pixel(37, 26), quadrants[sprites ? 1 : 3]));
        EXPECT_TRUE(ColourNear(Pixel(26, 37), quadrants[sprites ? 2 : 3]));
        EXPECT_TRUE(ColourNear(Pixel(37, 37), quadrants[3]));
    }
}

TEST_F(D3D9RenderStateTest, FillModesDrawTrianglesWholeAsEdgesOrAsCorners) {
    const D3DCOLOR color = 0xFFF08020;
    const std::vector<ScreenColorVertex> triangle = {
        {8, 8, 0.5f, 1, color}, {56, 8, 0.5f, 1, color}, {8, 56, 0.5f, 1, color}};
    struct Case {
        const char* name;
        DWORD mode;
        bool inside, edge, corner;
    };
    const Case cases[] = {
        {"solid", D3DFILL_SOLID, true, true, true},
        {"wireframe", D3DFILL_WIREFRAME, false, true, true},
        {"point", D3DFILL_POINT, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_FILLMODE, c.mode);
        BeginFrame();
        Draw(D3DPT_TRIANGLELIST, 1, kScreenColorFvf, triangle);
        EndFrame();
        EXPECT_EQ(ColourNear(Pixel(20, 20), color), c.inside);
        EXPECT_EQ(ColourNear(Pixel(30, 8), color), c.edge);
        EXPECT_EQ(ColourNear(Pixel(8, 8), color), c.corner);
    }
}

TEST_F(D3D9RenderStateTest, BlendFactorIsWhite) {
    SetRender(D3DRS_ALPHABLENDENABLE, TRUE);
    struct Case {
        DWORD source, destination;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {D3DBLEND_BLENDFACTOR, D3DBLEND_ZERO, kObject},
        {D3DBLEND_INVBLENDFACTOR, D3DBLEND_BLENDFACTOR, kBackground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "blend " << c.source << ", " << c.destination);
        SetRender(D3DRS_SRCBLEND, c.source);
        SetRender(D3DRS_DESTBLEND, c.destination);
        BeginFrame();
        DrawFullScreen(kObject);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), c.expected));
    }
}

TEST_F(D3D9RenderStateTest, ShadowDarkeningHalvesOnlyTheStencilledPixels) {
    // The game's darkening over stencil shadows: depth off, the stencil passing where the
    // reference 1 is at most the stored value, blending by source alpha, and stage 0
    // modulating the texture's alpha by the diffuse alpha with no texture bound, which
    // leaves the diffuse colour and alpha.
    const D3DCOLOR lit = 0xFFC08040;
    BeginFrame();
    DrawFullScreen(lit);
    // Mark the left half in the stencil buffer.
    SetRender(D3DRS_STENCILENABLE, TRUE);
    SetRender(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    SetRender(D3DRS_STENCILREF, 1);
    SetRender(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    SetRender(D3DRS_COLORWRITEENABLE, 0);
    DrawScreenQuad(0, 0, 32, kSize, 0xFFFFFFFF);
    SetRender(D3DRS_COLORWRITEENABLE, 0xF);

    SetRender(D3DRS_ZENABLE, D3DZB_FALSE);
    SetRender(D3DRS_ALPHABLENDENABLE, TRUE);
    SetRender(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    SetRender(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetStage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    SetRender(D3DRS_STENCILREF, 1);
    SetRender(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
    SetRender(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    DrawFullScreen(0x80000000);
    EndFrame();
    const Rgba l = RgbaOf(lit);
    const float keep = 1.0f - 128.0f / 255.0f;
    EXPECT_TRUE(ColourNear(Pixel(16, 32), ColorOf(Rgba{l.r * keep, l.g * keep, l.b * keep, 1.0f})));
    EXPECT_TRUE(ColourNear(Pixel(48, 32), lit));
}

}  // namespace
