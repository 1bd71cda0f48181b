// The fixed-function pipeline of the Direct3D 9 layer, checked on the back buffer's pixels
// against values worked out from the platform's own formulas: transforms with row vectors,
// per-vertex lighting, the texture-stage cascade, mip selection, samplers, shading, the alpha
// test and the primitive types.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "tests/support/PixelAssertions.h"
#include "tests/support/PixelFrame.h"
#include "tests/winapi/d3d9/D3D9TestFixture.h"
#include "winapi/d3d9/D3D9.h"

namespace {

using namespace d3d9fixture;

D3DCOLOR RgbOf(float r, float g, float b) {
    return Rgb(Byte(r), Byte(g), Byte(b));
}

// --- Matrices, rows first, points as row vectors (p x M) ------------------------------------

// Rotation about y, turning +z towards +x for a positive angle.
D3DMATRIX RotationY(float angle) {
    D3DMATRIX m = Identity();
    m.m[0][0] = std::cos(angle);
    m.m[0][2] = -std::sin(angle);
    m.m[2][0] = std::sin(angle);
    m.m[2][2] = std::cos(angle);
    return m;
}

// --- Vertex formats ---------------------------------------------------------------------------

struct ScreenVertex {  // XYZRHW | DIFFUSE | TEX1
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct ScreenVertex2 {  // XYZRHW | DIFFUSE | TEX2
    float x, y, z, rhw;
    D3DCOLOR color;
    float u0, v0, u1, v1;
};
constexpr DWORD kScreen2Fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

struct ScreenColorVertex {  // XYZRHW | DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR color;
};
constexpr DWORD kScreenColorFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct PlainVertex {  // XYZ
    float x, y, z;
};

struct ColorVertex {  // XYZ | DIFFUSE
    float x, y, z;
    D3DCOLOR color;
};

struct ColorTexVertex {  // XYZ | DIFFUSE | TEX1
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kColorTexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct NormalVertex {  // XYZ | NORMAL
    float x, y, z, nx, ny, nz;
};

struct NormalColorVertex {  // XYZ | NORMAL | DIFFUSE
    float x, y, z, nx, ny, nz;
    D3DCOLOR color;
};

struct NormalTexVertex {  // XYZ | NORMAL | TEX1
    float x, y, z, nx, ny, nz, u, v;
};

struct Vec3 {
    float x, y, z;
};

// The triangle the lighting tests draw with identity transforms: clockwise on screen, with its
// centroid at the middle of the view, so pixel (32, 32) takes the mean of its three vertices.
const Vec3 kLitTriangle[3] = {{-1.0f, -0.5f, 0.5f}, {0.0f, 1.0f, 0.5f}, {1.0f, -0.5f, 0.5f}};

D3DCOLORVALUE Value(float r, float g, float b, float a = 1.0f) {
    return D3DCOLORVALUE{r, g, b, a};
}

D3DLIGHT9 DirectionalLight(D3DCOLORVALUE diffuse, D3DCOLORVALUE ambient, D3DVECTOR direction) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = diffuse;
    light.Ambient = ambient;
    light.Direction = direction;
    return light;
}

struct Coverage {
    int count = 0;
    int left = kSize, top = kSize, right = -1, bottom = -1;  // inclusive bounds
};

class D3D9PipelineTest : public d3d9fixture::CD3D9TestFixture {
protected:
    D3D9PipelineTest() : CD3D9TestFixture("pipeline", D3DFMT_X8R8G8B8) {}

    // --- States ---

    void SetColorStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT) {
        SetStage(stage, D3DTSS_COLOROP, op);
        SetStage(stage, D3DTSS_COLORARG1, arg1);
        SetStage(stage, D3DTSS_COLORARG2, arg2);
    }

    void SetAlphaStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT) {
        SetStage(stage, D3DTSS_ALPHAOP, op);
        SetStage(stage, D3DTSS_ALPHAARG1, arg1);
        SetStage(stage, D3DTSS_ALPHAARG2, arg2);
    }

    // --- Drawing ---

    // A screen rectangle [left, right) x [top, bottom) as a clockwise strip.
    void DrawScreenQuad(float left, float top, float right, float bottom, D3DCOLOR color, float u0 = 0.0f,
                        float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
        Draw<ScreenVertex>(D3DPT_TRIANGLESTRIP, 2, kScreenFvf,
                           {{left, top, 0.5f, 1.0f, color, u0, v0},
                            {right, top, 0.5f, 1.0f, color, u1, v0},
                            {left, bottom, 0.5f, 1.0f, color, u0, v1},
                            {right, bottom, 0.5f, 1.0f, color, u1, v1}});
    }

    // The whole back buffer covered by one screen quad in `color`, through stage 0 and on.
    void DrawFullScreen(D3DCOLOR color) { DrawScreenQuad(0.0f, 0.0f, kSize, kSize, color); }

    void DrawLitTriangle(const Vec3& normal) {
        std::vector<NormalVertex> vertices;
        for (const Vec3& p : kLitTriangle)
            vertices.push_back({p.x, p.y, p.z, normal.x, normal.y, normal.z});
        Draw(D3DPT_TRIANGLELIST, 1, D3DFVF_XYZ | D3DFVF_NORMAL, vertices);
    }

    // The back buffer has no alpha: read as opaque.
    D3DCOLOR Pixel(int x, int y) { return CD3D9TestFixture::Pixel(x, y) | 0xFF000000u; }

    // The pixels within 2 of `color`, and the rectangle around them.
    Coverage CoverageOf(D3DCOLOR color) {
        const std::vector<uint32_t> pixels = Pixels();
        Coverage coverage;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (!ColourNear(pixels[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)], color))
                    continue;
                ++coverage.count;
                coverage.left = std::min(coverage.left, x);
                coverage.top = std::min(coverage.top, y);
                coverage.right = std::max(coverage.right, x);
                coverage.bottom = std::max(coverage.bottom, y);
            }
        }
        return coverage;
    }

    // Exactly the pixels of [left, right) x [top, bottom) are `color`.
    void ExpectCoversExactly(D3DCOLOR color, int left, int top, int right, int bottom) {
        const Coverage coverage = CoverageOf(color);
        EXPECT_EQ(coverage.count, (right - left) * (bottom - top));
        EXPECT_EQ(coverage.left, left);
        EXPECT_EQ(coverage.top, top);
        EXPECT_EQ(coverage.right, right - 1);
        EXPECT_EQ(coverage.bottom, bottom - 1);
    }
};

// === Transforms ==================================================================================

TEST_F(D3D9PipelineTest, TransformedQuadLandsWhereRowVectorProductsPutIt) {
    // The unit square (0..1, 0..1, 0) through world x view x projection; each case's rectangle
    // is the product worked by hand, mapped by x_screen = (x + 1) * 32, y_screen = (1 - y) * 32.
    D3DMATRIX scaledAndMoved = Scaling(0.25f, 0.125f, 1.0f);
    scaledAndMoved.m[3][0] = -0.5f;
    scaledAndMoved.m[3][1] = 0.25f;
    scaledAndMoved.m[3][2] = 0.5f;
    // x' = 0.25 - 0.125 y, y' = 0.25 x - 0.5: a quarter turn with unequal scales, then a move.
    D3DMATRIX turned{};
    turned.m[0][1] = 0.25f;
    turned.m[1][0] = -0.125f;
    turned.m[2][2] = 1.0f;
    turned.m[3][0] = 0.25f;
    turned.m[3][1] = -0.5f;
    turned.m[3][2] = 0.5f;
    turned.m[3][3] = 1.0f;
    struct Case {
        const char* name;
        D3DMATRIX world, view, projection;
        int left, top, right, bottom;
    };
    const Case cases[] = {
        // x in [-0.5, -0.25], y in [0.25, 0.375].
        {"scale and translation in one world matrix", scaledAndMoved, Identity(), Identity(), 16, 20, 24, 24},
        // Scaled first, then moved, then stretched: x in [-0.75, -0.375], y in [0.5, 0.75].
        {"world, view and projection in that order", Scaling(0.25f, 0.125f, 1.0f), Translation(-0.5f, 0.25f, 0.5f),
         Scaling(1.5f, 2.0f, 1.0f), 8, 8, 20, 16},
        // x in [0.125, 0.25], y in [-0.5, -0.25].
        {"quarter turn with translation", turned, Identity(), Identity(), 36, 40, 40, 48},
        // Moved a quarter pixel right and down (1/128 in clip space): column 16 and row 20 fall
        // outside the left and top edges, column 24 and row 24 come inside the other two.
        {"moved a quarter pixel", scaledAndMoved, Translation(1.0f / 128.0f, -1.0f / 128.0f, 0.0f), Identity(), 17,
         21, 25, 25},
    };
    const D3DCOLOR color = 0xFF10E0A0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_LIGHTING, FALSE);
        SetTransforms(c.world, c.view, c.projection);
        BeginFrame();
        Draw<ColorVertex>(D3DPT_TRIANGLESTRIP, 2, D3DFVF_XYZ | D3DFVF_DIFFUSE,
                          {{0, 1, 0, color}, {1, 1, 0, color}, {0, 0, 0, color}, {1, 0, 0, color}});
        EndFrame();
        ExpectCoversExactly(color, c.left, c.top, c.right, c.bottom);
    }
}

TEST_F(D3D9PipelineTest, GetTransformReturnsTheMatrixSetBitForBit) {
    D3DMATRIX odd{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            odd.m[r][c] = static_cast<float>(r * 4 + c) * 0.1f - 0.7f;
    }
    odd.m[0][3] = -0.0f;
    odd.m[2][1] = 1e-30f;
    odd.m[3][0] = 3.0e7f;
    const D3DTRANSFORMSTATETYPE states[] = {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE0,
                                            D3DTS_TEXTURE7};
    for (const D3DTRANSFORMSTATETYPE state : states) {
        SCOPED_TRACE(state);
        D3DMATRIX set = odd;
        set.m[1][1] = static_cast<float>(state);
        ASSERT_EQ(m_device->SetTransform(state, &set), D3D_OK);
        // Drawing uploads the matrices; what comes back must still be the caller's bytes.
        BeginFrame();
        DrawFullScreen(0xFFFFFFFF);
        EndFrame();
        D3DMATRIX got{};
        ASSERT_EQ(m_device->GetTransform(state, &got), D3D_OK);
        EXPECT_EQ(memcmp(&got, &set, sizeof set), 0);
    }
}

TEST_F(D3D9PipelineTest, LeftHandedPerspectiveProjectsQuadsInFrontWithDepthFromZeroToOne) {
    // x_ndc = 2 x / z, y_ndc = 2 y / z; depth = 9/8 - 9 / (8 z) with the near plane at 1 and
    // the far one at 9. The quad spans x in [0.5, 1], y in [-1, -0.5].
    const D3DMATRIX projection = PerspectiveLH(2.0f, 2.0f, 1.0f, 9.0f);
    struct Case {
        const char* name;
        float z;
        float clearZ;
        bool drawn;
        int left, top, right, bottom;
    };
    const Case cases[] = {
        // Depth 27/32 = 0.84375.
        {"at 4, nearer than the cleared depth", 4.0f, 0.85f, true, 40, 40, 48, 48},
        {"at 4, behind the cleared depth", 4.0f, 0.84f, false, 0, 0, 0, 0},
        // Depth 63/64; half the size, half as far from the centre.
        {"at 8", 8.0f, 0.99f, true, 36, 36, 40, 40},
        {"at 8, behind the cleared depth", 8.0f, 0.98f, false, 0, 0, 0, 0},
        {"behind the camera", -4.0f, 1.0f, false, 0, 0, 0, 0},
    };
    const D3DCOLOR color = 0xFFF0C020;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_LIGHTING, FALSE);
        SetRender(D3DRS_CULLMODE, D3DCULL_NONE);
        SetTransforms(Identity(), Identity(), projection);
        BeginFrame(kBackground, c.clearZ);
        Draw<ColorVertex>(D3DPT_TRIANGLESTRIP, 2, D3DFVF_XYZ | D3DFVF_DIFFUSE,
                          {{0.5f, -0.5f, c.z, color},
                           {1.0f, -0.5f, c.z, color},
                           {0.5f, -1.0f, c.z, color},
                           {1.0f, -1.0f, c.z, color}});
        EndFrame();
        if (c.drawn)
            ExpectCoversExactly(color, c.left, c.top, c.right, c.bottom);
        else
            EXPECT_EQ(CoverageOf(color).count, 0);
    }
}

TEST_F(D3D9PipelineTest, ViewportPlacesClipSpaceInItsRectangleAndDepthRange) {
    // A quad over the whole clip space at z 0.5 fills the viewport's rectangle and lands at
    // depth MinZ + 0.5 (MaxZ - MinZ), which the depth test compares with the cleared value.
    struct Case {
        float minZ, maxZ, clearZ;
        bool drawn;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 0.55f, true},   // 0.5
        {0.0f, 1.0f, 0.45f, false},  // 0.5
        {0.5f, 1.0f, 0.7f, false},   // 0.75
        {0.5f, 1.0f, 0.8f, true},    // 0.75
        {0.0f, 0.25f, 0.2f, true},   // 0.125
        {0.0f, 0.25f, 0.1f, false},  // 0.125
    };
    const D3DCOLOR color = 0xFF40A0F0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "MinZ " << c.minZ << " MaxZ " << c.maxZ << " cleared " << c.clearZ);
        SetRender(D3DRS_LIGHTING, FALSE);
        const D3DVIEWPORT9 whole{0, 0, kSize, kSize, 0.0f, 1.0f};
        ASSERT_EQ(m_device->SetViewport(&whole), D3D_OK);
        BeginFrame(kBackground, c.clearZ);
        const D3DVIEWPORT9 part{8, 16, 32, 16, c.minZ, c.maxZ};
        ASSERT_EQ(m_device->SetViewport(&part), D3D_OK);
        Draw<ColorVertex>(D3DPT_TRIANGLESTRIP, 2, D3DFVF_XYZ | D3DFVF_DIFFUSE,
                          {{-1, 1, 0.5f, color}, {1, 1, 0.5f, color}, {-1, -1, 0.5f, color}, {1, -1, 0.5f, color}});
        EndFrame();
        if (c.drawn)
            ExpectCoversExactly(color, 8, 16, 40, 32);
        else
            EXPECT_EQ(CoverageOf(color).count, 0);
    }
}

// === Lighting ====================================================================================

struct LitColor {
    D3DCOLORVALUE emissive, ambient, diffuse;
};

// emissive + ambient x (global ambient + light ambient) + diffuse x light diffuse x max(N.L, 0).
D3DCOLOR DirectionalLighting(const LitColor& material, D3DCOLOR globalAmbient, const D3DLIGHT9& light, float nDotL) {
    const float global[3] = {static_cast<float>(Channel(globalAmbient, 16)) / 255.0f,
                             static_cast<float>(Channel(globalAmbient, 8)) / 255.0f,
                             static_cast<float>(Channel(globalAmbient, 0)) / 255.0f};
    const float facing = std::max(nDotL, 0.0f);
    const float r = material.emissive.r + material.ambient.r * (global[0] + light.Ambient.r) +
                    material.diffuse.r * light.Diffuse.r * facing;
    const float g = material.emissive.g + material.ambient.g * (global[1] + light.Ambient.g) +
                    material.diffuse.g * light.Diffuse.g * facing;
    const float b = material.emissive.b + material.ambient.b * (global[2] + light.Ambient.b) +
                    material.diffuse.b * light.Diffuse.b * facing;
    return RgbOf(r, g, b);
}

TEST_F(D3D9PipelineTest, DirectionalLightGivesEmissiveAmbientAndDiffuseTerms) {
    const LitColor colors{Value(0.1f, 0.0f, 0.05f), Value(0.2f, 0.4f, 0.6f), Value(0.5f, 0.75f, 1.0f)};
    const D3DCOLOR globalAmbient = 0x00204060;
    // In camera space the light shines along (0.6, 0, 0.8): N.L = 0.8 for a normal facing the
    // camera, (0, 0, -1).
    const D3DVECTOR cameraDirection{0.6f, 0.0f, 0.8f};
    // The view turns the world a quarter about y: x_camera = z_world, z_camera = -x_world.
    // The same light given in world space, and a world matrix that turns the triangle back.
    const float quarter = std::numbers::pi_v<float> / 2.0f;
    const D3DVECTOR worldDirection{-0.8f, 0.0f, 0.6f};
    // A shear x' = x + z keeps planes of constant z, so their normal must stay (0, 0, -1); a
    // normal pushed through the matrix itself would become (-1, 0, -1). The centroid moves
    // to x = 0.5, pixel 48.
    D3DMATRIX shear = Identity();
    shear.m[2][0] = 1.0f;
    struct Case {
        const char* name;
        D3DMATRIX world, view;
        D3DVECTOR direction;
        Vec3 normal;
        float nDotL;
        int x;
    };
    const Case cases[] = {
        {"facing the light at an angle", Identity(), Identity(), cameraDirection, {0, 0, -1}, 0.8f, 32},
        {"facing away from the light", Identity(), Identity(), cameraDirection, {0, 0, 1}, -0.8f, 32},
        {"direction given at another length", Identity(), Identity(), D3DVECTOR{1.5f, 0.0f, 2.0f}, {0, 0, -1}, 0.8f,
         32},
        {"light and geometry given in a turned world", RotationY(-quarter), RotationY(quarter), worldDirection,
         {0, 0, -1}, 0.8f, 32},
        {"normal under a sheared world", shear, Identity(), cameraDirection, {0, 0, -1}, 0.8f, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const D3DLIGHT9 light = DirectionalLight(Value(1.0f, 0.5f, 0.8f), Value(0.1f, 0.1f, 0.2f), c.direction);
        D3DMATERIAL9 material{};
        material.Diffuse = colors.diffuse;
        material.Ambient = colors.ambient;
        material.Emissive = colors.emissive;
        ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
        ASSERT_EQ(m_device->SetLight(0, &light), D3D_OK);
        ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);
        SetRender(D3DRS_AMBIENT, globalAmbient);
        SetTransforms(c.world, c.view, Identity());
        BeginFrame();
        DrawLitTriangle(c.normal);
        EndFrame();
        // The blue term exceeds 1 when lit and must saturate.
        EXPECT_TRUE(ColourNear(Pixel(c.x, 32), DirectionalLighting(colors, globalAmbient, light, c.nDotL)));
    }
}

TEST_F(D3D9PipelineTest, WithoutLightingVerticesShowTheirColourOrWhite) {
    const PlainVertex plain[3] = {{-1.0f, -0.5f, 0.5f}, {0.0f, 1.0f, 0.5f}, {1.0f, -0.5f, 0.5f}};
    struct Case {
        const char* name;
        bool lighting;
        bool colored;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {"unlit, no colour", false, false, 0xFFFFFFFF},
        {"unlit, vertex colour", false, true, 0xFF806040},
        // No light and an all-zero material: nothing but black.
        {"lit, no colour", true, false, 0xFF000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_LIGHTING, c.lighting ? TRUE : FALSE);
        BeginFrame();
        if (c.colored) {
            std::vector<ColorVertex> vertices;
            for (const PlainVertex& p : plain)
                vertices.push_back({p.x, p.y, p.z, 0xFF806040});
            Draw(D3DPT_TRIANGLELIST, 1, D3DFVF_XYZ | D3DFVF_DIFFUSE, vertices);
        } else {
            Draw(D3DPT_TRIANGLELIST, 1, D3DFVF_XYZ, std::vector<PlainVertex>(plain, plain + 3));
        }
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), c.expected));
    }
}

TEST_F(D3D9PipelineTest, LitColoursComeFromTheVertexOrTheMaterialAsTheSourcesSay) {
    const D3DCOLOR vertexColor = 0xFF40C080;
    const D3DCOLOR materialDiffuse = Rgb(255, 64, 128);
    // The default light faces the camera-facing normal head on (N.L = 1) with white diffuse:
    // lit, a colour shows as the diffuse it came from.
    struct Case {
        const char* name;
        bool vertexHasColor;
        DWORD colorVertex, diffuseSource, ambientSource, emissiveSource;
        D3DCOLOR globalAmbient;
        bool light;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {"diffuse from the vertex colour by default", true, TRUE, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, 0,
         true, vertexColor},
        {"diffuse from the material without a vertex colour", false, TRUE, D3DMCS_COLOR1, D3DMCS_MATERIAL,
         D3DMCS_MATERIAL, 0, true, materialDiffuse},
        {"vertex colour ignored with COLORVERTEX off", true, FALSE, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, 0,
         true, materialDiffuse},
        {"diffuse source set to the material", true, TRUE, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, 0, true,
         materialDiffuse},
        // Ambient (0.251, 0.753, 0.502) x global ambient 0.502.
        {"ambient from the vertex colour", true, TRUE, D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_MATERIAL, 0x00808080,
         false, Rgb(32, 96, 64)},
        {"emissive from the vertex colour", true, TRUE, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR1, 0, false,
         vertexColor},
        {"emissive from the material with COLORVERTEX off", true, FALSE, D3DMCS_MATERIAL, D3DMCS_MATERIAL,
         D3DMCS_COLOR1, 0, false, Rgb(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DMATERIAL9 material{};
        material.Diffuse = Value(1.0f, 0.25f, 0.5f);
        ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
        ASSERT_EQ(m_device->LightEnable(0, c.light ? TRUE : FALSE), D3D_OK);
        SetRender(D3DRS_COLORVERTEX, c.colorVertex);
        SetRender(D3DRS_DIFFUSEMATERIALSOURCE, c.diffuseSource);
        SetRender(D3DRS_AMBIENTMATERIALSOURCE, c.ambientSource);
        SetRender(D3DRS_EMISSIVEMATERIALSOURCE, c.emissiveSource);
        SetRender(D3DRS_AMBIENT, c.globalAmbient);
        BeginFrame();
        if (c.vertexHasColor) {
            std::vector<NormalColorVertex> vertices;
            for (const Vec3& p : kLitTriangle)
                vertices.push_back({p.x, p.y, p.z, 0, 0, -1, vertexColor});
            Draw(D3DPT_TRIANGLELIST, 1, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, vertices);
        } else {
            DrawLitTriangle({0, 0, -1});
        }
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), c.expected));
    }
}

TEST_F(D3D9PipelineTest, LitAlphaIsTheAlphaOfTheDiffuseSource) {
    // Stage 0 shows the diffuse alpha as grey.
    SetColorStage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE);
    SetAlphaStage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
    D3DMATERIAL9 material{};
    material.Diffuse = Value(1.0f, 1.0f, 1.0f, 0.25f);
    ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
    ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);
    struct Case {
        const char* name;
        bool vertexHasColor;
        DWORD colorVertex;
        int alpha;
    };
    const Case cases[] = {
        {"vertex colour", true, TRUE, 0xC0},
        {"material without a vertex colour", false, TRUE, 0x40},
        {"material with COLORVERTEX off", true, FALSE, 0x40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_COLORVERTEX, c.colorVertex);
        BeginFrame();
        if (c.vertexHasColor) {
            std::vector<NormalColorVertex> vertices;
            for (const Vec3& p : kLitTriangle)
                vertices.push_back({p.x, p.y, p.z, 0, 0, -1, 0xC0FFFFFF});
            Draw(D3DPT_TRIANGLELIST, 1, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, vertices);
        } else {
            DrawLitTriangle({0, 0, -1});
        }
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(c.alpha, c.alpha, c.alpha)));
    }
}

TEST_F(D3D9PipelineTest, EnablingALightNeverSetMakesTheDefaultLight) {
    ASSERT_EQ(m_device->LightEnable(2, TRUE), D3D_OK);
    D3DLIGHT9 light{};
    ASSERT_EQ(m_device->GetLight(2, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Diffuse.r, 1.0f);
    EXPECT_EQ(light.Diffuse.g, 1.0f);
    EXPECT_EQ(light.Diffuse.b, 1.0f);
    EXPECT_EQ(light.Direction.z, 1.0f);
    BOOL enabled = FALSE;
    ASSERT_EQ(m_device->GetLightEnable(2, &enabled), D3D_OK);
    EXPECT_TRUE(enabled);

    // White diffuse along +z lights a camera-facing triangle with its material diffuse.
    D3DMATERIAL9 material{};
    material.Diffuse = Value(0.5f, 0.25f, 1.0f);
    ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
    BeginFrame();
    DrawLitTriangle({0, 0, -1});
    EndFrame();
    EXPECT_TRUE(ColourNear(Pixel(32, 32), RgbOf(0.5f, 0.25f, 1.0f)));
}

TEST_F(D3D9PipelineTest, NormalsScaleByTheInverseOfTheWorldUnlessNormalized) {
    // Normals go through the inverse transpose of world x view: a uniform scale s shortens
    // them by 1/s, and N.L with them, unless NORMALIZENORMALS restores unit length.
    struct Case {
        const char* name;
        float scale;
        float normalLength;
        BOOL normalize;
        float factor;
    };
    const Case cases[] = {
        {"world scaled by 2", 2.0f, 1.0f, FALSE, 0.5f},
        {"world scaled by 2, normalized", 2.0f, 1.0f, TRUE, 1.0f},
        {"world scaled by 0.5", 0.5f, 0.5f, FALSE, 1.0f},
        {"half-length normal", 1.0f, 0.5f, FALSE, 0.5f},
        {"half-length normal, normalized", 1.0f, 0.5f, TRUE, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DMATERIAL9 material{};
        material.Diffuse = Value(1.0f, 0.5f, 0.25f);
        ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
        const D3DLIGHT9 light = DirectionalLight(Value(1, 1, 1), Value(0, 0, 0), D3DVECTOR{0.6f, 0.0f, 0.8f});
        ASSERT_EQ(m_device->SetLight(0, &light), D3D_OK);
        ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);
        SetRender(D3DRS_NORMALIZENORMALS, c.normalize);
        // The triangle sits at z = 0.4 after the scale, its centroid still in the middle.
        SetTransforms(Scaling(c.scale, c.scale, c.scale), Identity(), Identity());
        std::vector<NormalVertex> vertices;
        for (const Vec3& p : kLitTriangle)
            vertices.push_back({p.x, p.y, 0.4f / c.scale, 0.0f, 0.0f, -c.normalLength});
        BeginFrame();
        Draw(D3DPT_TRIANGLELIST, 1, D3DFVF_XYZ | D3DFVF_NORMAL, vertices);
        EndFrame();
        const float nDotL = 0.8f * c.factor;
        EXPECT_TRUE(ColourNear(Pixel(32, 32), RgbOf(1.0f * nDotL, 0.5f * nDotL, 0.25f * nDotL)));
    }
}

TEST_F(D3D9PipelineTest, SpecularHighlightIsAddedAfterTexturing) {
    // A grey texel (0.502) modulates the lit diffuse 0.5 x 0.8; the specular term, light
    // specular x (N.H)^power with H halfway between the directions to the camera and to the
    // light (the camera at the origin), is added afterwards. Lighting is per vertex, so the
    // centroid pixel takes the mean of the three vertices' highlights.
    IDirect3DTexture9* grey = SolidTexture(0xFF808080);
    ASSERT_EQ(m_device->SetTexture(0, grey), D3D_OK);
    D3DMATERIAL9 material{};
    material.Diffuse = Value(1, 1, 1);
    material.Specular = Value(1, 1, 1);
    material.Power = 4.0f;
    ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
    D3DLIGHT9 light = DirectionalLight(Value(0.5f, 0.5f, 0.5f), Value(0, 0, 0), D3DVECTOR{0.6f, 0.0f, 0.8f});
    light.Specular = Value(1.0f, 0.5f, 0.25f);
    ASSERT_EQ(m_device->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);

    const Vec3 toLight{-0.6f, 0.0f, -0.8f};
    float highlight = 0.0f;
    for (const Vec3& p : kLitTriangle) {
        const float toCamera = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        const Vec3 sum{-p.x / toCamera + toLight.x, -p.y / toCamera + toLight.y, -p.z / toCamera + toLight.z};
        const float nDotH = sum.z * -1.0f / std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
        highlight += std::pow(std::max(nDotH, 0.0f), material.Power) / 3.0f;
    }
    ASSERT_GT(highlight, 0.3f);  // a highlight worth seeing
    const float textured = 0.5f * 0.8f * 128.0f / 255.0f;

    std::vector<NormalTexVertex> vertices;
    for (const Vec3& p : kLitTriangle)
        vertices.push_back({p.x, p.y, p.z, 0, 0, -1, 0.5f, 0.5f});
    D3DCOLOR pixels[2] = {};
    for (const BOOL specular : {FALSE, TRUE}) {
        SetRender(D3DRS_SPECULARENABLE, specular);
        BeginFrame();
        Draw(D3DPT_TRIANGLELIST, 1, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, vertices);
        EndFrame();
        pixels[specular ? 1 : 0] = Pixel(32, 32);
    }
    EXPECT_TRUE(ColourNear(pixels[0], RgbOf(textured, textured, textured)));
    EXPECT_TRUE(ColourNear(pixels[1], RgbOf(textured + highlight * 1.0f, textured + highlight * 0.5f,
                                           textured + highlight * 0.25f)));
    for (const int shift : {16, 8, 0})
        EXPECT_GT(Channel(pixels[1], shift), Channel(pixels[0], shift) + 10);
}

// === Textures and stages ==========================================================================

TEST_F(D3D9PipelineTest, StageZeroModulatesTexelsByTheVertexColourAndTakesTexelAlpha) {
    IDirect3DTexture9* texture = CreateTexture(2, 2, 1, D3DFMT_A8R8G8B8);
    FillLevel(texture, 0, {0xC0FF0000, 0xC000FF00, 0xC00000FF, 0xC0FFFFFF}, 4);
    ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
    const D3DCOLOR vertexColor = 0x4080FF40;
    BeginFrame();
    DrawFullScreen(vertexColor);
    EndFrame();
    EXPECT_TRUE(ColourNear(Pixel(16, 16), Rgb(128, 0, 0)));
    EXPECT_TRUE(ColourNear(Pixel(48, 16), Rgb(0, 255, 0)));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), Rgb(0, 0, 64)));
    EXPECT_TRUE(ColourNear(Pixel(48, 48), Rgb(128, 255, 64)));

    // Alpha is the texel's 0xC0, not modulated by the vertex's 0x40: a second stage shows it.
    SetColorStage(1, D3DTOP_SELECTARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
    SetAlphaStage(1, D3DTOP_SELECTARG1, D3DTA_CURRENT);
    BeginFrame();
    DrawFullScreen(vertexColor);
    EndFrame();
    EXPECT_TRUE(ColourNear(Pixel(16, 16), Rgb(0xC0, 0xC0, 0xC0)));
}

TEST_F(D3D9PipelineTest, TextureFormatsReadTheirChannels) {
    struct Case {
        const char* name;
        D3DFORMAT format;
        int bytes;
        uint32_t texel;
        D3DCOLOR color;
        int alpha;
    };
    const Case cases[] = {
        {"A8R8G8B8", D3DFMT_A8R8G8B8, 4, 0x40FF8020, Rgb(255, 128, 32), 0x40},
        {"X8R8G8B8 reads alpha as one", D3DFMT_X8R8G8B8, 4, 0x40FF8020, Rgb(255, 128, 32), 0xFF},
        // 5 and 6 bits widened: 16/31 and 32/63 of full.
        {"R5G6B5", D3DFMT_R5G6B5, 2, 0x841F, Rgb(132, 130, 255), 0xFF},
        {"A1R5G5B5 with alpha clear", D3DFMT_A1R5G5B5, 2, 0x7C1F, Rgb(255, 0, 255), 0x00},
        {"X1R5G5B5 reads alpha as one", D3DFMT_X1R5G5B5, 2, 0x03E0, Rgb(0, 255, 0), 0xFF},
        {"A4R4G4B4", D3DFMT_A4R4G4B4, 2, 0x4F80, Rgb(255, 0x88, 0), 0x44},
        {"A8 has black colour", D3DFMT_A8, 1, 0x60, Rgb(0, 0, 0), 0x60},
        {"L8 is grey and opaque", D3DFMT_L8, 1, 0x60, Rgb(0x60, 0x60, 0x60), 0xFF},
        {"A8L8", D3DFMT_A8L8, 2, 0x40C0, Rgb(0xC0, 0xC0, 0xC0), 0x40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9* texture = CreateTexture(2, 2, 1, c.format);
        FillLevel(texture, 0, {c.texel}, c.bytes);
        ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
        BeginFrame();
        // Left: the texel's colour (times white); right: its alpha, copied into the colour.
        SetStage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        DrawScreenQuad(0, 0, 32, kSize, 0xFFFFFFFF);
        SetColorStage(1, D3DTOP_SELECTARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
        SetAlphaStage(1, D3DTOP_SELECTARG1, D3DTA_CURRENT);
        DrawScreenQuad(32, 0, kSize, kSize, 0xFFFFFFFF);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(16, 32), c.color));
        EXPECT_TRUE(ColourNear(Pixel(48, 32), Rgb(c.alpha, c.alpha, c.alpha)));
    }
}

TEST_F(D3D9PipelineTest, StageReadingAnUnboundTextureActsAsDisabled) {
    const D3DCOLOR diffuse = 0xFF80C040;
    // Stage 0's default modulate with nothing bound leaves the diffuse colour, not black.
    BeginFrame();
    DrawFullScreen(diffuse);
    EndFrame();
    EXPECT_TRUE(ColourNear(Pixel(32, 32), diffuse));

    // A later stage adding its missing texture leaves the result of the stage before.
    ASSERT_EQ(m_device->SetTexture(0, SolidTexture(0xFF808080)), D3D_OK);
    SetColorStage(1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    SetAlphaStage(1, D3DTOP_SELECTARG1, D3DTA_CURRENT);
    BeginFrame();
    DrawFullScreen(diffuse);
    EndFrame();
    EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(64, 96, 32)));
}

TEST_F(D3D9PipelineTest, UnboundTextureArgumentThatTheOperationIgnoresLeavesTheStageWorking) {
    // SELECTARG2 reads its second argument only: a texture named as the first one is never
    // sampled, so the stage gives the factor whether or not a texture is bound.
    const D3DCOLOR factor = 0xFF0000FF;
    SetRender(D3DRS_TEXTUREFACTOR, factor);
    struct Case {
        const char* name;
        DWORD stage;
    };
    const Case cases[] = {{"stage 0", 0}, {"stage 1 after a textured stage 0", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stage == 1) {
            // Stage 0 gives grey x red.
            ASSERT_EQ(m_device->SetTexture(0, SolidTexture(0xFF808080)), D3D_OK);
            SetColorStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
            SetAlphaStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
        }
        SetColorStage(c.stage, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR);
        SetAlphaStage(c.stage, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR);
        BeginFrame();
        DrawFullScreen(0xFFFF0000);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), factor));
    }
}

// Stage 0 selects texture A; stage 1 combines its texture B with that. Colours as
// (red, green, blue, alpha) in [0, 1].
constexpr D3DCOLOR kTexelA = 0x80FF8000;   // (1, 0.502, 0, 0.502)
constexpr D3DCOLOR kTexelB = 0x4080FF40;   // (0.502, 1, 0.251, 0.251)
constexpr D3DCOLOR kDiffuse = 0xC0FF0080;  // (1, 0, 0.502, 0.753)
constexpr D3DCOLOR kFactor = 0x200080FF;   // (0, 0.502, 1, 0.125)

class D3D9PipelineStageTest : public D3D9PipelineTest {
protected:
    void BindTwoTextures() {
        ASSERT_EQ(m_device->SetTexture(0, SolidTexture(kTexelA)), D3D_OK);
        ASSERT_EQ(m_device->SetTexture(1, SolidTexture(kTexelB)), D3D_OK);
        SetColorStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
        SetAlphaStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
        SetRender(D3DRS_TEXTUREFACTOR, kFactor);
    }

    // Draws the diffuse quad over the whole buffer and reads its middle.
    D3DCOLOR DrawAndRead() {
        BeginFrame();
        DrawFullScreen(kDiffuse);
        EndFrame();
        return Pixel(32, 32);
    }
};

TEST_F(D3D9PipelineStageTest, ColourOperationsCombineTheirArguments) {
    BindTwoTextures();
    struct Case {
        const char* name;
        DWORD op, arg1, arg2, arg0;
        D3DCOLOR expected;
    };
    constexpr DWORD T = D3DTA_TEXTURE, C = D3DTA_CURRENT, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR;
    const Case cases[] = {
        {"select arg 1", D3DTOP_SELECTARG1, T, C, C, Rgb(128, 255, 64)},
        {"select arg 2", D3DTOP_SELECTARG2, T, C, C, Rgb(255, 128, 0)},
        {"select diffuse", D3DTOP_SELECTARG1, D, C, C, Rgb(255, 0, 128)},
        {"select texture factor", D3DTOP_SELECTARG1, F, C, C, Rgb(0, 128, 255)},
        {"modulate", D3DTOP_MODULATE, T, C, C, Rgb(128, 128, 0)},
        {"modulate texture factor", D3DTOP_MODULATE, F, C, C, Rgb(0, 64, 0)},
        {"modulate 2x", D3DTOP_MODULATE2X, T, F, C, Rgb(0, 255, 128)},
        {"modulate 4x", D3DTOP_MODULATE4X, T, D, C, Rgb(255, 0, 128)},
        {"add", D3DTOP_ADD, T, C, C, Rgb(255, 255, 64)},
        {"add signed", D3DTOP_ADDSIGNED, T, D, C, Rgb(255, 128, 64)},
        {"add signed 2x", D3DTOP_ADDSIGNED2X, T, D, C, Rgb(255, 255, 129)},
        {"subtract", D3DTOP_SUBTRACT, T, C, C, Rgb(0, 127, 64)},
        {"add smooth", D3DTOP_ADDSMOOTH, T, D, C, Rgb(255, 255, 160)},
        {"blend by diffuse alpha", D3DTOP_BLENDDIFFUSEALPHA, T, C, C, Rgb(159, 224, 48)},
        {"blend by texture alpha", D3DTOP_BLENDTEXTUREALPHA, T, C, C, Rgb(223, 160, 16)},
        {"blend by factor alpha", D3DTOP_BLENDFACTORALPHA, T, C, C, Rgb(239, 144, 8)},
        {"blend by current alpha", D3DTOP_BLENDCURRENTALPHA, T, C, C, Rgb(191, 192, 32)},
        {"blend by premultiplied texture alpha", D3DTOP_BLENDTEXTUREALPHAPM, F, C, C, Rgb(191, 224, 255)},
        {"modulate alpha, add colour", D3DTOP_MODULATEALPHA_ADDCOLOR, T, C, C, Rgb(192, 255, 64)},
        {"modulate colour, add alpha", D3DTOP_MODULATECOLOR_ADDALPHA, T, C, C, Rgb(192, 192, 64)},
        {"modulate inverse alpha, add colour", D3DTOP_MODULATEINVALPHA_ADDCOLOR, F, C, C, Rgb(223, 240, 255)},
        {"modulate inverse colour, add alpha", D3DTOP_MODULATEINVCOLOR_ADDALPHA, T, C, C, Rgb(191, 64, 64)},
        {"dot product", D3DTOP_DOTPRODUCT3, T, C, C, Rgb(129, 129, 129)},
        {"multiply-add", D3DTOP_MULTIPLYADD, T, C, D, Rgb(255, 128, 128)},
        {"lerp", D3DTOP_LERP, T, C, D, Rgb(128, 128, 32)},
        {"complement", D3DTOP_SELECTARG1, T | D3DTA_COMPLEMENT, C, C, Rgb(127, 0, 191)},
        {"alpha replicate", D3DTOP_SELECTARG1, T | D3DTA_ALPHAREPLICATE, C, C, Rgb(64, 64, 64)},
        {"complement of replicated alpha", D3DTOP_SELECTARG1, T | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE, C, C,
         Rgb(191, 191, 191)},
        {"current alpha replicated", D3DTOP_SELECTARG1, C | D3DTA_ALPHAREPLICATE, T, C, Rgb(128, 128, 128)},
        {"modulate a complement", D3DTOP_MODULATE, T | D3DTA_COMPLEMENT, C, C, Rgb(127, 0, 0)},
    };
    SetAlphaStage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetColorStage(1, c.op, c.arg1, c.arg2);
        SetStage(1, D3DTSS_COLORARG0, c.arg0);
        EXPECT_TRUE(ColourNear(DrawAndRead(), c.expected));
    }
}

TEST_F(D3D9PipelineStageTest, AlphaOperationsCombineTheirArguments) {
    BindTwoTextures();
    // Alphas: current (texel A) 0x80, texture B 0x40, factor 0x20, diffuse 0xC0. Stage 2
    // copies the alpha into the colour to show it.
    struct Case {
        const char* name;
        DWORD op, arg1, arg2;
        int expected;
    };
    constexpr DWORD T = D3DTA_TEXTURE, C = D3DTA_CURRENT;
    const Case cases[] = {
        {"select texture", D3DTOP_SELECTARG1, T, C, 0x40},
        {"select current", D3DTOP_SELECTARG2, T, C, 0x80},
        {"select factor", D3DTOP_SELECTARG1, D3DTA_TFACTOR, C, 0x20},
        {"select diffuse", D3DTOP_SELECTARG1, D3DTA_DIFFUSE, C, 0xC0},
        {"modulate", D3DTOP_MODULATE, T, C, 32},
        {"modulate 2x", D3DTOP_MODULATE2X, T, C, 64},
        {"add", D3DTOP_ADD, T, C, 0xC0},
        {"add saturates", D3DTOP_ADD, D3DTA_DIFFUSE, C, 0xFF},
        {"subtract below zero saturates", D3DTOP_SUBTRACT, T, C, 0},
        {"subtract", D3DTOP_SUBTRACT, C, T, 0x40},
        {"complement", D3DTOP_SELECTARG1, T | D3DTA_COMPLEMENT, C, 0xBF},
    };
    SetColorStage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT);
    SetColorStage(2, D3DTOP_SELECTARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
    SetAlphaStage(2, D3DTOP_SELECTARG1, D3DTA_CURRENT);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetAlphaStage(1, c.op, c.arg1, c.arg2);
        EXPECT_TRUE(ColourNear(DrawAndRead(), Rgb(c.expected, c.expected, c.expected)));
    }
}

TEST_F(D3D9PipelineStageTest, EachStageSaturatesBeforeTheNext) {
    IDirect3DTexture9* threeQuarters = SolidTexture(0xFFC0C0C0);
    ASSERT_EQ(m_device->SetTexture(0, threeQuarters), D3D_OK);
    ASSERT_EQ(m_device->SetTexture(1, threeQuarters), D3D_OK);
    SetColorStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    SetAlphaStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    SetAlphaStage(1, D3DTOP_SELECTARG1, D3DTA_CURRENT);
    SetAlphaStage(2, D3DTOP_SELECTARG1, D3DTA_CURRENT);
    SetRender(D3DRS_TEXTUREFACTOR, 0xFF404040);
    struct Case {
        const char* name;
        DWORD op1, arg1a, arg1b;
        DWORD op2, arg2a, arg2b;
        D3DCOLOR diffuse;
        int expected;
    };
    const Case cases[] = {
        // 0.753 + 0.753 gives 1.
        {"sum of two three-quarters", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_DISABLE, 0, 0, 0xFF808080, 255},
        // 1 - 0.502, not 1.506 - 0.502.
        {"sum above one, then a subtraction", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SUBTRACT, D3DTA_CURRENT,
         D3DTA_DIFFUSE, 0xFF808080, 127},
        // 0 + 0.251, not -0.251 + 0.251.
        {"difference below zero, then an addition", D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_ADD,
         D3DTA_CURRENT, D3DTA_TFACTOR, 0xFF808080, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetColorStage(1, c.op1, c.arg1a, c.arg1b);
        if (c.op2 == D3DTOP_DISABLE)
            SetStage(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
        else
            SetColorStage(2, c.op2, c.arg2a, c.arg2b);
        BeginFrame();
        DrawFullScreen(c.diffuse);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(c.expected, c.expected, c.expected)));
    }
}

TEST_F(D3D9PipelineStageTest, TempResultLeavesCurrentForLaterStages) {
    BindTwoTextures();
    // Stage 1 puts the factor in the temporary register; stage 2 multiplies it by current,
    // which still holds texel A: (0, 0.502 x 0.502, 1 x 0) = (0, 64, 0).
    SetColorStage(1, D3DTOP_SELECTARG1, D3DTA_TFACTOR);
    SetAlphaStage(1, D3DTOP_SELECTARG1, D3DTA_TFACTOR);
    SetStage(1, D3DTSS_RESULTARG, D3DTA_TEMP);
    SetColorStage(2, D3DTOP_MODULATE, D3DTA_TEMP, D3DTA_CURRENT);
    SetAlphaStage(2, D3DTOP_SELECTARG1, D3DTA_CURRENT);
    EXPECT_TRUE(ColourNear(DrawAndRead(), Rgb(0, 64, 0)));

    // Written to current instead, the same stages give factor x factor.
    SetStage(1, D3DTSS_RESULTARG, D3DTA_CURRENT);
    SetColorStage(2, D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTA_CURRENT);
    EXPECT_TRUE(ColourNear(DrawAndRead(), Rgb(0, 64, 255)));
}

TEST_F(D3D9PipelineStageTest, DisabledColourOperationEndsTheCascade) {
    BindTwoTextures();
    SetStage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    SetColorStage(2, D3DTOP_SELECTARG1, D3DTA_TFACTOR);
    SetAlphaStage(2, D3DTOP_SELECTARG1, D3DTA_TFACTOR);
    EXPECT_TRUE(ColourNear(DrawAndRead(), Rgb(255, 128, 0)));

    // With stage 1 on, stage 2 is reached.
    SetColorStage(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    SetAlphaStage(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    EXPECT_TRUE(ColourNear(DrawAndRead(), Rgb(0, 128, 255)));
}

TEST_F(D3D9PipelineTest, StageSamplesTheCoordinateSetOfItsIndex) {
    // Red on the left texel, green on the right; set 0 points at the left, set 1 the right.
    IDirect3DTexture9* texture = CreateTexture(2, 1, 1, D3DFMT_A8R8G8B8);
    FillLevel(texture, 0, {0xFFFF0000, 0xFF00FF00}, 4);
    ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
    ASSERT_EQ(m_device->SetTexture(1, texture), D3D_OK);
    struct Case {
        const char* name;
        bool secondStage;
        DWORD index;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {"stage 0 alone uses set 0", false, 1, Rgb(255, 0, 0)},
        {"stage 1 uses set 1 by default", true, 1, Rgb(0, 255, 0)},
        {"stage 1 pointed at set 0", true, 0, Rgb(255, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.secondStage) {
            SetColorStage(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
            SetAlphaStage(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
        } else {
            SetStage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        }
        SetStage(1, D3DTSS_TEXCOORDINDEX, c.index);
        BeginFrame();
        const float l = 0.0f, t = 0.0f, r = kSize, b = kSize;
        Draw<ScreenVertex2>(D3DPT_TRIANGLESTRIP, 2, kScreen2Fvf,
                            {{l, t, 0.5f, 1.0f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f},
                             {r, t, 0.5f, 1.0f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f},
                             {l, b, 0.5f, 1.0f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f},
                             {r, b, 0.5f, 1.0f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f}});
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), c.expected));
    }
}

TEST_F(D3D9PipelineTest, ScreenVerticesInterpolatePerspectiveCorrectlyByTheirRhw) {
    // Four texels (red, green, blue, white) across a quad whose right edge has rhw 0.25: at
    // the fraction t of the way across, u = 0.25 t / ((1 - t) + 0.25 t).
    IDirect3DTexture9* texture = CreateTexture(4, 1, 1, D3DFMT_X8R8G8B8);
    FillLevel(texture, 0, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 4);
    ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
    BeginFrame();
    Draw<ScreenVertex>(D3DPT_TRIANGLESTRIP, 2, kScreenFvf,
                       {{0, 0, 0.5f, 1.0f, 0xFFFFFFFF, 0, 0},
                        {kSize, 0, 0.5f, 0.25f, 0xFFFFFFFF, 1, 0},
                        {0, kSize, 0.5f, 1.0f, 0xFFFFFFFF, 0, 1},
                        {kSize, kSize, 0.5f, 0.25f, 0xFFFFFFFF, 1, 1}});
    EndFrame();
    EXPECT_TRUE(ColourNear(Pixel(16, 32), Rgb(255, 0, 0)));  // u = 0.077
    EXPECT_TRUE(ColourNear(Pixel(40, 32), Rgb(0, 255, 0)));  // u = 0.294, not 0.625
    EXPECT_TRUE(ColourNear(Pixel(56, 32), Rgb(0, 0, 255)));  // u = 0.636, not 0.875
}

// === Mip levels and samplers =======================================================================

// One solid colour per level of a 32x32 texture's full chain.
const D3DCOLOR kLevelColors[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFFFF00FF, 0xFF00FFFF};

class D3D9PipelineMipTest : public D3D9PipelineTest {
protected:
    IDirect3DTexture9* LevelColoredTexture(D3DPOOL pool) {
        IDirect3DTexture9* texture = CreateTexture(32, 32, 0, D3DFMT_X8R8G8B8, pool);
        EXPECT_EQ(texture->GetLevelCount(), 6u);
        for (UINT level = 0; level < 6; ++level)
            FillLevel(texture, level, {kLevelColors[level]}, 4);
        return texture;
    }
};

TEST_F(D3D9PipelineMipTest, LevelFollowsTheQuadsSizeOnScreen) {
    // A 32-texel texture over a quad s pixels wide: level log2(32 / s) with point mip
    // filtering; SetLOD and MAXMIPLEVEL raise the most detailed level allowed.
    struct Case {
        const char* name;
        D3DPOOL pool;
        DWORD mipFilter;
        DWORD lod;
        DWORD maxMipLevel;
        int size;
        int level;
    };
    const Case cases[] = {
        {"32 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 0, 32, 0},
        {"16 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 0, 16, 1},
        {"8 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 0, 8, 2},
        {"4 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 0, 4, 3},
        {"2 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 0, 2, 4},
        // Between levels the nearer one is taken whole: log2(32 / 13) = 1.30, log2(32 / 6) = 2.42.
        {"13 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 0, 13, 1},
        {"6 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 0, 6, 2},
        {"no mip filter, 4 pixels", D3DPOOL_MANAGED, D3DTEXF_NONE, 0, 0, 4, 0},
        {"LOD 2, 32 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 2, 0, 32, 2},
        {"LOD 2, 4 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 2, 0, 4, 3},
        {"LOD 2, no mip filter", D3DPOOL_MANAGED, D3DTEXF_NONE, 2, 0, 4, 2},
        {"LOD ignored in the default pool", D3DPOOL_DEFAULT, D3DTEXF_POINT, 2, 0, 32, 0},
        {"MAXMIPLEVEL 1, 32 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 1, 32, 1},
        {"MAXMIPLEVEL 1, 4 pixels", D3DPOOL_MANAGED, D3DTEXF_POINT, 0, 1, 4, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9* texture = LevelColoredTexture(c.pool);
        texture->SetLOD(c.lod);
        ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
        SetSampler(0, D3DSAMP_MIPFILTER, c.mipFilter);
        SetSampler(0, D3DSAMP_MAXMIPLEVEL, c.maxMipLevel);
        BeginFrame();
        DrawScreenQuad(8, 8, static_cast<float>(8 + c.size), static_cast<float>(8 + c.size), 0xFFFFFFFF);
        EndFrame();
        const int middle = 8 + c.size / 2;
        EXPECT_TRUE(ColourNear(Pixel(middle, middle), kLevelColors[c.level]));
    }
}

TEST_F(D3D9PipelineMipTest, LevelFollowsDistanceUnderPerspective) {
    // A 2x2 quad at distance d under a 90-degree perspective spans 64 / d pixels.
    IDirect3DTexture9* texture = LevelColoredTexture(D3DPOOL_MANAGED);
    ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
    SetSampler(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    SetRender(D3DRS_LIGHTING, FALSE);
    SetTransforms(Identity(), Identity(), PerspectiveLH(1.0f, 1.0f, 1.0f, 100.0f));
    const struct {
        float distance;
        int level;
    } cases[] = {{2.0f, 0}, {4.0f, 1}, {8.0f, 2}, {16.0f, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "distance " << c.distance);
        const float z = c.distance;
        BeginFrame();
        Draw<ColorTexVertex>(D3DPT_TRIANGLESTRIP, 2, kColorTexFvf,
                             {{-1, 1, z, 0xFFFFFFFF, 0, 0},
                              {1, 1, z, 0xFFFFFFFF, 1, 0},
                              {-1, -1, z, 0xFFFFFFFF, 0, 1},
                              {1, -1, z, 0xFFFFFFFF, 1, 1}});
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), kLevelColors[c.level]));
    }
}

TEST_F(D3D9PipelineMipTest, SetLodReturnsThePreviousLevelOnlyForManagedTextures) {
    IDirect3DTexture9* managed = LevelColoredTexture(D3DPOOL_MANAGED);
    EXPECT_EQ(managed->SetLOD(3), 0u);
    EXPECT_EQ(managed->SetLOD(1), 3u);
    EXPECT_EQ(managed->GetLOD(), 1u);
    IDirect3DTexture9* unmanaged = LevelColoredTexture(D3DPOOL_DEFAULT);
    EXPECT_EQ(unmanaged->SetLOD(3), 0u);
    EXPECT_EQ(unmanaged->GetLOD(), 0u);
}

TEST_F(D3D9PipelineTest, MagnificationFilterPicksTheNearestTexelOrBlends) {
    // Black and white texels stretched over 64 pixels: pixel x samples u = x / 64, the
    // texel position 2u - 0.5 between the two texel centres.
    IDirect3DTexture9* texture = CreateTexture(2, 1, 1, D3DFMT_X8R8G8B8);
    FillLevel(texture, 0, {0xFF000000, 0xFFFFFFFF}, 4);
    ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
    SetSampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    struct Case {
        DWORD filter;
        int x;
        int grey;
    };
    const Case cases[] = {
        {D3DTEXF_POINT, 8, 0},      {D3DTEXF_POINT, 30, 0},     {D3DTEXF_POINT, 34, 255},
        {D3DTEXF_POINT, 56, 255},   {D3DTEXF_LINEAR, 8, 0},     {D3DTEXF_LINEAR, 16, 0},
        {D3DTEXF_LINEAR, 24, 64},   {D3DTEXF_LINEAR, 32, 128},  {D3DTEXF_LINEAR, 40, 191},
        {D3DTEXF_LINEAR, 48, 255},  {D3DTEXF_LINEAR, 56, 255},
    };
    for (const DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        SetSampler(0, D3DSAMP_MAGFILTER, filter);
        BeginFrame();
        DrawFullScreen(0xFFFFFFFF);
        EndFrame();
        const std::vector<uint32_t> pixels = Pixels();
        for (const Case& c : cases) {
            if (c.filter != filter)
                continue;
            SCOPED_TRACE(::testing::Message() << (filter == D3DTEXF_POINT ? "point" : "linear") << " at x " << c.x);
            EXPECT_TRUE(ColourNear(pixels[16 * kSize + c.x], Rgb(c.grey, c.grey, c.grey)));
        }
    }
}

TEST_F(D3D9PipelineTest, AddressModesHandleCoordinatesBeyondOne) {
    // Red and green texels under u from 0 to 2 across the buffer: pixel x samples u = x / 32.
    IDirect3DTexture9* texture = CreateTexture(2, 1, 1, D3DFMT_X8R8G8B8);
    FillLevel(texture, 0, {0xFFFF0000, 0xFF00FF00}, 4);
    ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
    SetSampler(0, D3DSAMP_BORDERCOLOR, 0xFF0000FF);
    const D3DCOLOR red = Rgb(255, 0, 0), green = Rgb(0, 255, 0), blue = Rgb(0, 0, 255);
    struct Case {
        const char* name;
        DWORD mode;
        D3DCOLOR at8, at40, at56;  // u = 0.25, 1.25, 1.75
    };
    const Case cases[] = {
        {"wrap", D3DTADDRESS_WRAP, red, red, green},
        {"clamp", D3DTADDRESS_CLAMP, red, green, green},
        {"mirror", D3DTADDRESS_MIRROR, red, green, red},
        {"border", D3DTADDRESS_BORDER, red, blue, blue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetSampler(0, D3DSAMP_ADDRESSU, c.mode);
        BeginFrame();
        DrawScreenQuad(0, 0, kSize, kSize, 0xFFFFFFFF, 0.0f, 0.0f, 2.0f, 1.0f);
        EndFrame();
        const std::vector<uint32_t> pixels = Pixels();
        EXPECT_TRUE(ColourNear(pixels[32 * kSize + 8], c.at8));
        EXPECT_TRUE(ColourNear(pixels[32 * kSize + 40], c.at40));
        EXPECT_TRUE(ColourNear(pixels[32 * kSize + 56], c.at56));
    }
}

// === Rasterisation ===================================================================================

TEST_F(D3D9PipelineTest, FlatShadingTakesTheFirstVertexAndGouraudInterpolates) {
    const D3DCOLOR red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
    // Two clockwise triangles that do not touch: the upper-left one begins with red, the
    // lower-right one with blue.
    const std::vector<ScreenColorVertex> vertices = {
        {8, 8, 0.5f, 1, red},    {56, 8, 0.5f, 1, green}, {8, 56, 0.5f, 1, blue},
        {60, 20, 0.5f, 1, blue}, {60, 60, 0.5f, 1, red},  {20, 60, 0.5f, 1, green},
    };
    SetRender(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    BeginFrame();
    Draw(D3DPT_TRIANGLELIST, 2, kScreenColorFvf, vertices);
    EndFrame();
    for (const auto& at : {std::pair{10, 10}, std::pair{50, 10}, std::pair{10, 50}, std::pair{24, 24}})
        EXPECT_TRUE(ColourNear(Pixel(at.first, at.second), red)) << at.first << ", " << at.second;
    for (const auto& at : {std::pair{58, 24}, std::pair{58, 58}, std::pair{24, 58}, std::pair{50, 50}})
        EXPECT_TRUE(ColourNear(Pixel(at.first, at.second), blue)) << at.first << ", " << at.second;

    // Gouraud: the centroid of the first triangle is a third of each colour.
    SetRender(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    BeginFrame();
    Draw(D3DPT_TRIANGLELIST, 2, kScreenColorFvf, vertices);
    EndFrame();
    EXPECT_TRUE(ColourNear(Pixel(24, 24), Rgb(85, 85, 85)));
    // Halfway along the top edge, between red and green.
    EXPECT_TRUE(ColourNear(Pixel(32, 8), Rgb(128, 128, 0), 3));
}

TEST_F(D3D9PipelineTest, AlphaTestComparesTheAlphaWithTheReference) {
    // The quad's alpha is its vertex alpha, 0x80: stage 0 has no texture.
    const D3DCOLOR color = 0x80F0F0F0;
    struct Case {
        BOOL enabled;
        DWORD func;
        DWORD reference;
        bool drawn;
    };
    const Case cases[] = {
        {FALSE, D3DCMP_NEVER, 0x80, true},         {TRUE, D3DCMP_ALWAYS, 0x80, true},
        {TRUE, D3DCMP_NEVER, 0x80, false},         {TRUE, D3DCMP_GREATER, 0x7F, true},
        {TRUE, D3DCMP_GREATER, 0x80, false},       {TRUE, D3DCMP_LESS, 0x81, true},
        {TRUE, D3DCMP_LESS, 0x80, false},          {TRUE, D3DCMP_EQUAL, 0x80, true},
        {TRUE, D3DCMP_EQUAL, 0x7F, false},         {TRUE, D3DCMP_EQUAL, 0x81, false},
        {TRUE, D3DCMP_NOTEQUAL, 0x80, false},      {TRUE, D3DCMP_NOTEQUAL, 0x10, true},
        {TRUE, D3DCMP_GREATEREQUAL, 0x80, true},   {TRUE, D3DCMP_GREATEREQUAL, 0x81, false},
        {TRUE, D3DCMP_LESSEQUAL, 0x80, true},      {TRUE, D3DCMP_LESSEQUAL, 0x7F, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "enabled " << c.enabled << " function " << c.func << " reference "
                                          << c.reference);
        SetRender(D3DRS_ALPHATESTENABLE, c.enabled);
        SetRender(D3DRS_ALPHAFUNC, c.func);
        SetRender(D3DRS_ALPHAREF, c.reference);
        BeginFrame();
        DrawFullScreen(color);
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), c.drawn ? color : kBackground));
    }
}

TEST_F(D3D9PipelineTest, LinesDrawAlongTheirVertices) {
    const D3DCOLOR color = 0xFFFFFF00;
    struct Point {
        int x, y;
    };
    struct Case {
        const char* name;
        D3DPRIMITIVETYPE type;
        UINT primitives;
        std::vector<ScreenColorVertex> vertices;
        std::vector<Point> on, off;
    };
    const Case cases[] = {
        {"line list",
         D3DPT_LINELIST,
         2,
         {{4, 10, 0.5f, 1, color}, {60, 10, 0.5f, 1, color}, {30, 20, 0.5f, 1, color}, {30, 60, 0.5f, 1, color}},
         {{8, 10}, {32, 10}, {55, 10}, {30, 24}, {30, 40}, {30, 55}},
         {{32, 9}, {32, 11}, {29, 40}, {31, 40}, {2, 10}, {30, 15}, {45, 40}}},
        {"line strip",
         D3DPT_LINESTRIP,
         2,
         {{10, 50, 0.5f, 1, color}, {50, 50, 0.5f, 1, color}, {50, 20, 0.5f, 1, color}},
         {{15, 50}, {30, 50}, {45, 50}, {50, 45}, {50, 35}, {50, 25}},
         {{30, 49}, {30, 51}, {49, 35}, {51, 35}, {30, 35}, {5, 50}, {50, 15}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BeginFrame();
        Draw(c.type, c.primitives, kScreenColorFvf, c.vertices);
        EndFrame();
        const std::vector<uint32_t> pixels = Pixels();
        for (const Point& p : c.on)
            EXPECT_TRUE(ColourNear(pixels[static_cast<size_t>(p.y * kSize + p.x)], color)) << p.x << ", " << p.y;
        for (const Point& p : c.off)
            EXPECT_TRUE(ColourNear(pixels[static_cast<size_t>(p.y * kSize + p.x)], kBackground)) << p.x << ", " << p.y;
    }
}

TEST_F(D3D9PipelineTest, TriangleFanFromAVertexBufferCoversItsPolygon) {
    // A square [16, 48) x [16, 48) as a fan of four clockwise triangles around its centre.
    const D3DCOLOR color = 0xFF30C0F0;
    const ScreenColorVertex fan[6] = {{32, 32, 0.5f, 1, color}, {16, 16, 0.5f, 1, color}, {48, 16, 0.5f, 1, color},
                                      {48, 48, 0.5f, 1, color}, {16, 48, 0.5f, 1, color}, {16, 16, 0.5f, 1, color}};
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(m_device->CreateVertexBuffer(sizeof fan, D3DUSAGE_WRITEONLY, kScreenColorFvf, D3DPOOL_MANAGED, &buffer,
                                           nullptr),
              D3D_OK);
    m_vertexBuffers.push_back(buffer);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    memcpy(data, fan, sizeof fan);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(ScreenColorVertex)), D3D_OK);
    ASSERT_EQ(m_device->SetFVF(kScreenColorFvf), D3D_OK);
    BeginFrame();
    ASSERT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 4), D3D_OK);
    EndFrame();
    ExpectCoversExactly(color, 16, 16, 48, 48);
}

}  // namespace
