// Lighting in the Direct3D 9 layer against the platform's equations at chosen points:
// point lights with 1 / (a0 + a1 d + a2 d^2) attenuation and their range, spot lights with
// ((cos a - cos(phi / 2)) / (cos(theta / 2) - cos(phi / 2)))^falloff between their cones,
// all eight lights at once, and the material's colours taken from the vertex colours as the
// material sources say. Lighting is per vertex: each point is the centroid of a small
// triangle, whose pixel takes the mean of the three vertices' colours.
#include "FixedFunctionFixture.h"

namespace {

using namespace fixedfunction;

struct Vec3 {
    float x, y, z;
};

Vec3 Minus(const Vec3& a, const Vec3& b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}

float Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float Length(const Vec3& a) {
    return std::sqrt(Dot(a, a));
}

Vec3 Unit(const Vec3& a) {
    const float length = Length(a);
    return Vec3{a.x / length, a.y / length, a.z / length};
}

// The geometry lies in the plane z = 0.5 of camera space, facing the camera.
constexpr float kPlane = 0.5f;
const Vec3 kFacing{0.0f, 0.0f, -1.0f};

// The three corners of a clockwise triangle with its centroid on pixel (x, y), `half`
// pixels across each way.
std::vector<Vec3> TriangleAround(int x, int y, float half = 2.0f) {
    const float cx = ClipX(static_cast<float>(x));
    const float cy = ClipY(static_cast<float>(y));
    const float d = half / (kSize / 2.0f);
    return {{cx - d, cy - d / 2, kPlane}, {cx, cy + d, kPlane}, {cx + d, cy - d / 2, kPlane}};
}

// The platform's light factor at a point: attenuation times spot factor, 0 out of range.
float LightFactor(const D3DLIGHT9& light, const Vec3& p) {
    if (light.Type == D3DLIGHT_DIRECTIONAL)
        return 1.0f;
    const Vec3 position{light.Position.x, light.Position.y, light.Position.z};
    const float d = Length(Minus(position, p));
    if (d > light.Range)
        return 0.0f;
    float factor = 1.0f / (light.Attenuation0 + light.Attenuation1 * d + light.Attenuation2 * d * d);
    if (light.Type == D3DLIGHT_SPOT) {
        const Vec3 direction = Unit(Vec3{light.Direction.x, light.Direction.y, light.Direction.z});
        const float rho = Dot(Unit(Minus(p, position)), direction);
        const float inner = std::cos(light.Theta / 2.0f);
        const float outer = std::cos(light.Phi / 2.0f);
        if (rho <= outer)
            factor = 0.0f;
        else if (rho <= inner)
            factor *= std::pow((rho - outer) / (inner - outer), light.Falloff);
    }
    return factor;
}

Vec3 ToLight(const D3DLIGHT9& light, const Vec3& p) {
    if (light.Type == D3DLIGHT_DIRECTIONAL)
        return Unit(Vec3{-light.Direction.x, -light.Direction.y, -light.Direction.z});
    return Unit(Minus(Vec3{light.Position.x, light.Position.y, light.Position.z}, p));
}

// Emissive + ambient x (global + sum of light ambients) + diffuse x sum of lit diffuses,
// for a white material without specular, one light, at one point.
Rgba LitPoint(const D3DLIGHT9& light, const D3DMATERIAL9& material, const Rgba& global, const Vec3& p) {
    const float factor = LightFactor(light, p);
    const float facing = std::max(Dot(kFacing, ToLight(light, p)), 0.0f);
    auto channel = [&](float e, float a, float d, float g, float la, float ld) {
        return std::clamp(e + a * (g + la * factor) + d * ld * facing * factor, 0.0f, 1.0f);
    };
    return Rgba{channel(material.Emissive.r, material.Ambient.r, material.Diffuse.r, global.r, light.Ambient.r,
                        light.Diffuse.r),
                channel(material.Emissive.g, material.Ambient.g, material.Diffuse.g, global.g, light.Ambient.g,
                        light.Diffuse.g),
                channel(material.Emissive.b, material.Ambient.b, material.Diffuse.b, global.b, light.Ambient.b,
                        light.Diffuse.b),
                1.0f};
}

Rgba Mean(const std::vector<Rgba>& colors) {
    Rgba sum{0, 0, 0, 0};
    for (const Rgba& c : colors) {
        sum.r += c.r / static_cast<float>(colors.size());
        sum.g += c.g / static_cast<float>(colors.size());
        sum.b += c.b / static_cast<float>(colors.size());
        sum.a += c.a / static_cast<float>(colors.size());
    }
    return sum;
}

class D3D9LightTest : public CFixedFunctionTest {
protected:
    void SetUp() override {
        CFixedFunctionTest::SetUp();
        if (HasFatalFailure())
            return;
        m_material.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
        m_material.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f};
        ASSERT_EQ(m_device->SetMaterial(&m_material), D3D_OK);
        SetRender(D3DRS_AMBIENT, 0x00101820);
    }

    void DrawTriangles(const std::vector<std::vector<Vec3>>& triangles) {
        std::vector<NormalVertex> vertices;
        for (const auto& triangle : triangles) {
            for (const Vec3& p : triangle)
                vertices.push_back({p.x, p.y, p.z, kFacing.x, kFacing.y, kFacing.z});
        }
        BeginFrame();
        Draw(D3DPT_TRIANGLELIST, static_cast<UINT>(triangles.size()), kNormalFvf, vertices);
        EndFrame();
    }

    // Lights one triangle around each pixel and compares each pixel with the mean of the
    // equation at its corners.
    void ExpectLitPoints(const D3DLIGHT9& light, const std::vector<std::pair<int, int>>& points) {
        std::vector<std::vector<Vec3>> triangles;
        for (const auto& point : points)
            triangles.push_back(TriangleAround(point.first, point.second));
        DrawTriangles(triangles);
        const std::vector<uint32_t> pixels = Pixels();
        const Rgba global = RgbaOf(0xFF101820);
        for (size_t i = 0; i < points.size(); ++i) {
            std::vector<Rgba> corners;
            for (const Vec3& p : triangles[i])
                corners.push_back(LitPoint(light, m_material, global, p));
            const D3DCOLOR expected = ColorOf(Mean(corners));
            const D3DCOLOR actual =
                pixels[static_cast<size_t>(points[i].second) * kSize + static_cast<size_t>(points[i].first)];
            EXPECT_TRUE(ColourNear(actual, expected)) << "at " << points[i].first << ", " << points[i].second;
        }
    }

    D3DMATERIAL9 m_material{};
};

D3DLIGHT9 PointLight(float range, float a0, float a1, float a2) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = D3DCOLORVALUE{1.0f, 0.8f, 0.6f, 1.0f};
    light.Ambient = D3DCOLORVALUE{0.2f, 0.3f, 0.4f, 1.0f};
    light.Range = range;
    light.Attenuation0 = a0;
    light.Attenuation1 = a1;
    light.Attenuation2 = a2;
    return light;
}

TEST_F(D3D9LightTest, PointLightAttenuatesWithDistanceAndStopsAtItsRange) {
    // The light sits at the camera; the points lie at distances 0.5 to 0.93 from it.
    const std::vector<std::pair<int, int>> points = {{32, 32}, {42, 32}, {32, 20}, {50, 44}, {60, 32}, {8, 8}};
    struct Case {
        const char* name;
        D3DLIGHT9 light;
        D3DMATRIX world, view;
    };
    D3DLIGHT9 moved = PointLight(0.9f, 0.5f, 0.8f, 1.2f);
    moved.Position = D3DVECTOR{-0.2f, 0.1f, 0.0f};
    const Case cases[] = {
        {"constant, linear and quadratic terms", PointLight(0.9f, 0.5f, 0.8f, 1.2f), Identity(), Identity()},
        {"quadratic only", PointLight(0.9f, 0.0f, 0.0f, 2.0f), Identity(), Identity()},
        {"constant only, out of range beyond 0.7", PointLight(0.7f, 1.0f, 0.0f, 0.0f), Identity(), Identity()},
        // Given in the world, brought to the camera by the view; the world undoes the view
        // for the geometry.
        {"light placed through the view", moved, Translation(-0.2f, 0.1f, 0.0f), Translation(0.2f, -0.1f, 0.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_device->SetLight(0, &c.light), D3D_OK);
        ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);
        SetTransforms(c.world, c.view, Identity());
        D3DLIGHT9 inCamera = c.light;
        inCamera.Position = D3DVECTOR{0.0f, 0.0f, 0.0f};
        ExpectLitPoints(inCamera, points);
    }
}

TEST_F(D3D9LightTest, SpotLightFallsOffBetweenItsCones) {
    // A spot at the camera looking along +z: within 0.155 of the axis is the inner cone,
    // beyond 0.342 outside the outer one.
    const std::vector<std::pair<int, int>> points = {{32, 32}, {37, 32}, {39, 35}, {32, 40}, {41, 32}, {45, 32}};
    for (const float falloff : {1.0f, 2.0f, 0.5f}) {
        SCOPED_TRACE(::testing::Message() << "falloff " << falloff);
        D3DLIGHT9 light = PointLight(10.0f, 1.0f, 0.0f, 0.0f);
        light.Type = D3DLIGHT_SPOT;
        light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
        light.Theta = 0.6f;
        light.Phi = 1.2f;
        light.Falloff = falloff;
        ASSERT_EQ(m_device->SetLight(0, &light), D3D_OK);
        ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);
        ExpectLitPoints(light, points);
    }
}

TEST_F(D3D9LightTest, EightLightsAddUp) {
    // Each directional light gives 1/16 of white head on.
    m_material.Ambient = D3DCOLORVALUE{0, 0, 0, 0};
    ASSERT_EQ(m_device->SetMaterial(&m_material), D3D_OK);
    SetRender(D3DRS_AMBIENT, 0);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
    light.Diffuse = D3DCOLORVALUE{1.0f / 16.0f, 1.0f / 16.0f, 1.0f / 16.0f, 1.0f};
    for (DWORD index = 0; index < 8; ++index)
        ASSERT_EQ(m_device->SetLight(index, &light), D3D_OK);
    for (const DWORD enabled : {8u, 3u, 0u}) {
        SCOPED_TRACE(::testing::Message() << enabled << " lights");
        for (DWORD index = 0; index < 8; ++index)
            ASSERT_EQ(m_device->LightEnable(index, index < enabled ? TRUE : FALSE), D3D_OK);
        DrawTriangles({TriangleAround(32, 32)});
        const int grey = Byte(static_cast<float>(enabled) / 16.0f);
        EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(grey, grey, grey)));
    }
}

TEST_F(D3D9LightTest, LightOfAnUnknownTypeIsRefused) {
    D3DLIGHT9 light = PointLight(1.0f, 1.0f, 0.0f, 0.0f);
    light.Type = static_cast<D3DLIGHTTYPE>(7);
    EXPECT_EQ(m_device->SetLight(0, &light), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->SetLight(0, nullptr), D3DERR_INVALIDCALL);
}

struct LitColorVertex {  // XYZ | NORMAL | DIFFUSE | SPECULAR
    float x, y, z, nx, ny, nz;
    D3DCOLOR diffuse, specular;
};

TEST_F(D3D9LightTest, MaterialSourcesTakeTheVertexColoursTheyName) {
    // One white light head on, with diffuse, ambient and specular parts; power 0 gives every
    // highlight its full strength. Each term shows its source by its colour.
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
    light.Diffuse = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f};
    light.Ambient = D3DCOLORVALUE{0.25f, 0.25f, 0.25f, 1.0f};
    light.Specular = D3DCOLORVALUE{0.25f, 0.25f, 0.25f, 1.0f};
    ASSERT_EQ(m_device->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);
    SetRender(D3DRS_AMBIENT, 0);
    SetRender(D3DRS_SPECULARENABLE, TRUE);
    const Rgba colour1 = RgbaOf(0xFF80C040), colour2 = RgbaOf(0xFF4080C0);
    const Rgba diffuse{0.2f, 0.4f, 0.6f, 1}, ambient{0.6f, 0.2f, 0.4f, 1}, specular{0.4f, 0.6f, 0.2f, 1},
        emissive{0.1f, 0.1f, 0.0f, 1};
    D3DMATERIAL9 material{};
    material.Diffuse = D3DCOLORVALUE{diffuse.r, diffuse.g, diffuse.b, 1};
    material.Ambient = D3DCOLORVALUE{ambient.r, ambient.g, ambient.b, 1};
    material.Specular = D3DCOLORVALUE{specular.r, specular.g, specular.b, 1};
    material.Emissive = D3DCOLORVALUE{emissive.r, emissive.g, emissive.b, 1};
    material.Power = 0.0f;
    ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
    // Which source each term takes: 'm' material, '1' colour 1, '2' colour 2.
    struct Case {
        const char* name;
        BOOL colorVertex;
        bool vertexColours;
        DWORD diffuseSource, specularSource, ambientSource, emissiveSource;
        char diffuseFrom, specularFrom, ambientFrom, emissiveFrom;
    };
    const Case cases[] = {
        {"the defaults", TRUE, true, D3DMCS_COLOR1, D3DMCS_COLOR2, D3DMCS_MATERIAL, D3DMCS_MATERIAL, '1', '2', 'm',
         'm'},
        {"the defaults without vertex colours", TRUE, false, D3DMCS_COLOR1, D3DMCS_COLOR2, D3DMCS_MATERIAL,
         D3DMCS_MATERIAL, 'm', 'm', 'm', 'm'},
        {"colour vertex off", FALSE, true, D3DMCS_COLOR1, D3DMCS_COLOR2, D3DMCS_COLOR1, D3DMCS_COLOR2, 'm', 'm', 'm',
         'm'},
        {"every source swapped", TRUE, true, D3DMCS_COLOR2, D3DMCS_COLOR1, D3DMCS_COLOR2, D3DMCS_COLOR1, '2', '1', '2',
         '1'},
        {"all from the material", TRUE, true, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, 'm',
         'm', 'm', 'm'},
    };
    auto pick = [&](char from, const Rgba& own) { return from == '1' ? colour1 : (from == '2' ? colour2 : own); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRender(D3DRS_COLORVERTEX, c.colorVertex);
        SetRender(D3DRS_DIFFUSEMATERIALSOURCE, c.diffuseSource);
        SetRender(D3DRS_SPECULARMATERIALSOURCE, c.specularSource);
        SetRender(D3DRS_AMBIENTMATERIALSOURCE, c.ambientSource);
        SetRender(D3DRS_EMISSIVEMATERIALSOURCE, c.emissiveSource);
        BeginFrame();
        std::vector<LitColorVertex> vertices;
        for (const Vec3& p : TriangleAround(32, 32, 8.0f))
            vertices.push_back({p.x, p.y, p.z, 0, 0, -1, ColorOf(colour1), ColorOf(colour2)});
        if (c.vertexColours) {
            Draw(D3DPT_TRIANGLELIST, 1, kNormalFvf | D3DFVF_DIFFUSE | D3DFVF_SPECULAR, vertices);
        } else {
            std::vector<NormalVertex> plain;
            for (const LitColorVertex& v : vertices)
                plain.push_back({v.x, v.y, v.z, v.nx, v.ny, v.nz});
            Draw(D3DPT_TRIANGLELIST, 1, kNormalFvf, plain);
        }
        EndFrame();
        const Rgba d = pick(c.diffuseFrom, diffuse), s = pick(c.specularFrom, specular),
                   a = pick(c.ambientFrom, ambient), e = pick(c.emissiveFrom, emissive);
        // N.L = 1 and N.H = 1: e + 0.25 a + 0.5 d, then + 0.25 s after the stages.
        const Rgba expected{std::min(e.r + 0.25f * a.r + 0.5f * d.r, 1.0f) + 0.25f * s.r,
                            std::min(e.g + 0.25f * a.g + 0.5f * d.g, 1.0f) + 0.25f * s.g,
                            std::min(e.b + 0.25f * a.b + 0.5f * d.b, 1.0f) + 0.25f * s.b, 1.0f};
        EXPECT_TRUE(ColourNear(Pixel(32, 32), ColorOf(expected)));
    }
}

}  // namespace
