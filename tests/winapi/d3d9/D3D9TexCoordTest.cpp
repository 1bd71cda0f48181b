// Texture coordinates in the Direct3D 9 layer: the stage's matrix applied to a quad's
// coordinates as the render device hands it over (translated, scaled and rotated), camera-
// space normal, position and reflection-vector generation checked on a sphere against the
// texel each pixel's own vector selects, projected coordinates, and wrapped coordinates.
#include <numbers>

#include "FixedFunctionFixture.h"

namespace {

using namespace fixedfunction;

// A 4 x 4 texture whose texels all differ: red counts columns, green rows.
D3DCOLOR GridTexel(int column, int row) {
    return Rgb(30 + 60 * column, 30 + 60 * row, 128);
}

// The texel a coordinate selects with point filtering, wrapped or clamped; false when the
// coordinate lies within `margin` texels of a texel edge, where rounding may go either way.
bool TexelAt(float u, float v, bool wrap, float margin, D3DCOLOR* texel) {
    float tu = u * 4.0f;
    float tv = v * 4.0f;
    if (wrap) {
        tu -= 4.0f * std::floor(tu / 4.0f);
        tv -= 4.0f * std::floor(tv / 4.0f);
    } else {
        tu = std::clamp(tu, 0.0f, 3.999f);
        tv = std::clamp(tv, 0.0f, 3.999f);
    }
    const float fu = tu - std::floor(tu);
    const float fv = tv - std::floor(tv);
    if (std::min(fu, 1.0f - fu) < margin || std::min(fv, 1.0f - fv) < margin)
        return false;
    *texel = GridTexel(static_cast<int>(tu) & 3, static_cast<int>(tv) & 3);
    return true;
}

class D3D9TexCoordTest : public CFixedFunctionTest {
protected:
    void BindGrid(DWORD address) {
        std::vector<D3DCOLOR> texels;
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column)
                texels.push_back(GridTexel(column, row));
        }
        ASSERT_EQ(m_device->SetTexture(0, TexelTexture(4, 4, texels)), D3D_OK);
        SetSampler(0, D3DSAMP_ADDRESSU, address);
        SetSampler(0, D3DSAMP_ADDRESSV, address);
        SetRender(D3DRS_LIGHTING, FALSE);
        SetRender(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    // Every third pixel that the expectation covers must show the texel its coordinate
    // selects; returns how many were checked.
    template <typename Function>
    int CheckTexels(Function expected, bool wrap) {
        const std::vector<uint32_t> pixels = Pixels();
        int checked = 0;
        int wrong = 0;
        for (int y = 1; y < kSize; y += 3) {
            for (int x = 1; x < kSize; x += 3) {
                float u = 0.0f;
                float v = 0.0f;
                D3DCOLOR texel = 0;
                if (!expected(x, y, &u, &v) || !TexelAt(u, v, wrap, 0.2f, &texel))
                    continue;
                ++checked;
                const D3DCOLOR actual = pixels[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)];
                if (!ColourNear(actual, texel) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << ", " << y << " is " << Hex(actual) << ", coordinate (" << u
                                  << ", " << v << ") selects " << Hex(texel);
            }
        }
        EXPECT_EQ(wrong, 0);
        return checked;
    }

    // A sphere of radius r around (0, 0, z) as a triangle list with unit normals.
    void DrawSphere(float radius, float z, const D3DMATRIX& world) {
        constexpr int kAround = 48;
        constexpr int kUp = 24;
        auto point = [&](int i, int j) {
            const float around = 2.0f * std::numbers::pi_v<float> * static_cast<float>(i) / kAround;
            const float up = std::numbers::pi_v<float> * (static_cast<float>(j) / kUp - 0.5f);
            const float n[3] = {std::cos(up) * std::cos(around), std::sin(up), std::cos(up) * std::sin(around)};
            return NormalVertex{radius * n[0], radius * n[1], radius * n[2], n[0], n[1], n[2]};
        };
        std::vector<NormalVertex> vertices;
        for (int j = 0; j < kUp; ++j) {
            for (int i = 0; i < kAround; ++i) {
                const NormalVertex a = point(i, j), b = point(i + 1, j), c = point(i, j + 1), d = point(i + 1, j + 1);
                vertices.insert(vertices.end(), {a, b, c, b, d, c});
            }
        }
        SetTransforms(Multiply(world, Translation(0.0f, 0.0f, z)), Identity(), Scaling(1.0f, 1.0f, 0.25f));
        BeginFrame();
        Draw(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3), kNormalFvf, vertices);
        EndFrame();
    }
};

// The matrix the render device makes of a shader stage's animation: the texture's centre
// moved to the origin, scaled, turned, moved by (tu, tv) and back.
D3DMATRIX StageAnimation(float su, float sv, float angle, float tu, float tv) {
    D3DMATRIX m = Translation(-0.5f, -0.5f, 0.0f);
    m = Multiply(m, Scaling(su, sv, 1.0f));
    m = Multiply(m, RotationZ(angle));
    m = Multiply(m, Translation(tu, tv, 0.0f));
    return Multiply(m, Translation(0.5f, 0.5f, 0.0f));
}

// What the render device passes on for two-component coordinates: the translation moved
// from the fourth row to the third.
D3DMATRIX AsHandedOver(const D3DMATRIX& m) {
    D3DMATRIX moved = m;
    moved.m[2][0] = m.m[3][0];
    moved.m[2][1] = m.m[3][1];
    moved.m[3][0] = 0.0f;
    moved.m[3][1] = 0.0f;
    return moved;
}

TEST_F(D3D9TexCoordTest, StageMatrixMovesScalesAndTurnsAQuadsTexture) {
    BindGrid(D3DTADDRESS_WRAP);
    struct Case {
        const char* name;
        D3DMATRIX animation;
        DWORD flags;
    };
    const float turn = std::numbers::pi_v<float> / 6.0f;
    const Case cases[] = {
        {"unchanged", StageAnimation(1, 1, 0, 0, 0), D3DTTFF_COUNT2},
        {"moved", StageAnimation(1, 1, 0, 0.3f, -0.15f), D3DTTFF_COUNT2},
        {"scaled", StageAnimation(2.0f, 0.5f, 0, 0, 0), D3DTTFF_COUNT2},
        {"turned", StageAnimation(1, 1, turn, 0, 0), D3DTTFF_COUNT2},
        {"scaled, turned and moved", StageAnimation(1.5f, 0.75f, -turn, 0.2f, 0.4f), D3DTTFF_COUNT2},
        {"matrix set but transforms off", StageAnimation(2.0f, 2.0f, turn, 0.3f, 0.3f), D3DTTFF_DISABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const D3DMATRIX handedOver = AsHandedOver(c.animation);
        ASSERT_EQ(m_device->SetTransform(D3DTS_TEXTURE0, &handedOver), D3D_OK);
        SetStage(0, D3DTSS_TEXTURETRANSFORMFLAGS, c.flags);
        SetTransforms(Identity(), Identity(), Identity());
        BeginFrame();
        Draw<ColorTexVertex>(D3DPT_TRIANGLESTRIP, 2, kColorTexFvf,
                             {{-1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                              {1, 1, 0.5f, 0xFFFFFFFF, 1, 0},
                              {-1, -1, 0.5f, 0xFFFFFFFF, 0, 1},
                              {1, -1, 0.5f, 0xFFFFFFFF, 1, 1}});
        EndFrame();
        // Pixel centre (x, y) has u = x / 64, v = y / 64; the stage sees (u, v) x animation.
        const int checked = CheckTexels(
            [&](int x, int y, float* u, float* v) {
                const float in[4] = {static_cast<float>(x) / kSize, static_cast<float>(y) / kSize, 0.0f, 1.0f};
                float out[4];
                Transform(c.flags ? c.animation : Identity(), in, out);
                *u = out[0];
                *v = out[1];
                return true;
            },
            true);
        EXPECT_GT(checked, 100);
    }
}

// Camera-space vectors map to (0.5 + 0.5 x, 0.5 - 0.5 y) through this matrix.
D3DMATRIX VectorToCoordinates() {
    D3DMATRIX m{};
    m.m[0][0] = 0.5f;
    m.m[1][1] = -0.5f;
    m.m[3][0] = 0.5f;
    m.m[3][1] = 0.5f;
    m.m[3][3] = 1.0f;
    return m;
}

// The sphere's camera-space normal at pixel (x, y): the sphere around (0, 0, z) seen
// straight on (the projection keeps x and y); false off the inner `part` of its disc.
bool SphereNormal(int x, int y, float radius, float part, float n[3]) {
    const float px = ClipX(static_cast<float>(x));
    const float py = ClipY(static_cast<float>(y));
    const float r2 = px * px + py * py;
    if (r2 > part * part * radius * radius)
        return false;
    n[0] = px / radius;
    n[1] = py / radius;
    n[2] = -std::sqrt(radius * radius - r2) / radius;
    return true;
}

TEST_F(D3D9TexCoordTest, CameraSpaceNormalsOnASphereSelectTheirTexels) {
    BindGrid(D3DTADDRESS_CLAMP);
    SetStage(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    SetStage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    const D3DMATRIX mapping = VectorToCoordinates();
    ASSERT_EQ(m_device->SetTransform(D3DTS_TEXTURE0, &mapping), D3D_OK);
    constexpr float kRadius = 0.8f;
    // Turned a quarter about z, the sphere's own normals turn with it: a normal taken before
    // the world matrix would select other texels.
    for (const float angle : {0.0f, std::numbers::pi_v<float> / 2.0f}) {
        SCOPED_TRACE(::testing::Message() << "world turned by " << angle);
        DrawSphere(kRadius, 2.0f, RotationZ(angle));
        const int checked = CheckTexels(
            [&](int x, int y, float* u, float* v) {
                float n[3];
                if (!SphereNormal(x, y, kRadius, 0.85f, n))
                    return false;
                *u = 0.5f + 0.5f * n[0];
                *v = 0.5f - 0.5f * n[1];
                return true;
            },
            false);
        EXPECT_GT(checked, 50);
    }
}

TEST_F(D3D9TexCoordTest, ReflectionVectorsOnASphereSelectTheirTexels) {
    BindGrid(D3DTADDRESS_CLAMP);
    SetStage(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    SetStage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    const D3DMATRIX mapping = VectorToCoordinates();
    ASSERT_EQ(m_device->SetTransform(D3DTS_TEXTURE0, &mapping), D3D_OK);
    constexpr float kRadius = 0.8f;
    constexpr float kCentre = 2.0f;
    for (const BOOL localViewer : {FALSE, TRUE}) {
        SCOPED_TRACE(localViewer ? "local viewer" : "viewer at infinity");
        SetRender(D3DRS_LOCALVIEWER, localViewer);
        DrawSphere(kRadius, kCentre, Identity());
        const int checked = CheckTexels(
            [&](int x, int y, float* u, float* v) {
                float n[3];
                if (!SphereNormal(x, y, kRadius, 0.6f, n))
                    return false;
                // The view ray: along +z, or from the camera at the origin to the point.
                float eye[3] = {0.0f, 0.0f, 1.0f};
                if (localViewer) {
                    const float p[3] = {kRadius * n[0], kRadius * n[1], kCentre + kRadius * n[2]};
                    const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
                    for (int i = 0; i < 3; ++i)
                        eye[i] = p[i] / length;
                }
                // R = E - 2 (N.E) N.
                const float d = eye[0] * n[0] + eye[1] * n[1] + eye[2] * n[2];
                *u = 0.5f + 0.5f * (eye[0] - 2.0f * d * n[0]);
                *v = 0.5f - 0.5f * (eye[1] - 2.0f * d * n[1]);
                return true;
            },
            false);
        EXPECT_GT(checked, 20);
    }
}

TEST_F(D3D9TexCoordTest, CameraSpacePositionsFollowTheViewNotTheWorld) {
    BindGrid(D3DTADDRESS_CLAMP);
    SetStage(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    SetStage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    const D3DMATRIX mapping = VectorToCoordinates();
    ASSERT_EQ(m_device->SetTransform(D3DTS_TEXTURE0, &mapping), D3D_OK);
    // The world moves the quad left and the view moves it back: in camera space (which the
    // projection keeps) it covers the whole view, in the world it lies a quarter to the left.
    SetTransforms(Translation(-0.25f, 0.0f, 0.0f), Translation(0.25f, 0.0f, 0.0f), Identity());
    BeginFrame();
    Draw<ColorTexVertex>(D3DPT_TRIANGLESTRIP, 2, kColorTexFvf,
                         {{-1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                          {1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                          {-1, -1, 0.5f, 0xFFFFFFFF, 0, 0},
                          {1, -1, 0.5f, 0xFFFFFFFF, 0, 0}});
    EndFrame();
    const int checked = CheckTexels(
        [&](int x, int y, float* u, float* v) {
            *u = 0.5f + 0.5f * ClipX(static_cast<float>(x));
            *v = 0.5f - 0.5f * ClipY(static_cast<float>(y));
            return true;
        },
        false);
    EXPECT_GT(checked, 100);
}

struct ProjectedVertex {  // XYZ | TEX1 with three floats
    float x, y, z;
    float s, t, q;
};

struct ProjectedScreenVertex {  // XYZRHW | TEX1 with three floats
    float x, y, z, rhw;
    float s, t, q;
};

TEST_F(D3D9TexCoordTest, ProjectedCoordinatesAreDividedByTheirLastComponent) {
    // Across the view, q runs from 1 to 3 while (s, t) = (u q, 0.5 q) with u from 0 to 1; a
    // projected stage samples at (s / q, t / q), which is (u', 0.5) with u' the projective
    // blend (x is linear in screen space): u' = 3 f / (1 + 2 f) at the fraction f across.
    const std::vector<D3DCOLOR> texels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    ASSERT_EQ(m_device->SetTexture(0, TexelTexture(4, 1, texels)), D3D_OK);
    SetRender(D3DRS_LIGHTING, FALSE);
    const DWORD sizes = D3DFVF_TEXCOORDSIZE3(0);
    struct Case {
        const char* name;
        bool screen;
        DWORD flags;
        bool divided;
    };
    const Case cases[] = {
        {"transformed, projected", false, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED, true},
        {"transformed, count 3 without projection", false, D3DTTFF_COUNT3, false},
        {"screen vertices, projected", true, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetStage(0, D3DTSS_TEXTURETRANSFORMFLAGS, c.flags);
        BeginFrame();
        if (c.screen) {
            Draw<ProjectedScreenVertex>(D3DPT_TRIANGLESTRIP, 2, D3DFVF_XYZRHW | D3DFVF_TEX1 | sizes,
                                        {{0, 0, 0.5f, 1, 0, 0.5f, 1},
                                         {kSize, 0, 0.5f, 1, 3, 1.5f, 3},
                                         {0, kSize, 0.5f, 1, 0, 0.5f, 1},
                                         {kSize, kSize, 0.5f, 1, 3, 1.5f, 3}});
        } else {
            Draw<ProjectedVertex>(D3DPT_TRIANGLESTRIP, 2, D3DFVF_XYZ | D3DFVF_TEX1 | sizes,
                                  {{-1, 1, 0.5f, 0, 0.5f, 1},
                                   {1, 1, 0.5f, 3, 1.5f, 3},
                                   {-1, -1, 0.5f, 0, 0.5f, 1},
                                   {1, -1, 0.5f, 3, 1.5f, 3}});
        }
        EndFrame();
        // Screen pixels from 0 to 64 and clip space from -1 to 1 put pixel x at f = x / 64.
        for (const int x : {4, 12, 20, 28, 40, 52, 60}) {
            const float f = static_cast<float>(x) / kSize;
            const float u = c.divided ? 3.0f * f / (1.0f + 2.0f * f) : 3.0f * f;
            // Wrapped into the four texels.
            float texel = u * 4.0f;
            texel -= 4.0f * std::floor(texel / 4.0f);
            if (std::fabs(texel - std::round(texel)) < 0.15f)
                continue;
            SCOPED_TRACE(::testing::Message() << "x " << x << ", u " << u);
            EXPECT_TRUE(ColourNear(Pixel(x, 32), texels[static_cast<size_t>(texel)]));
        }
    }
}

TEST_F(D3D9TexCoordTest, WrappedCoordinatesTakeTheShortWayRound) {
    // u runs from 0.9 on the left to 0.1 on the right: straight through 0.5, or wrapped
    // through 1.0. Four texels across; the stage's coordinate set decides which wrap
    // state counts.
    const std::vector<D3DCOLOR> texels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    ASSERT_EQ(m_device->SetTexture(0, TexelTexture(4, 1, texels)), D3D_OK);
    struct Case {
        const char* name;
        DWORD index;
        DWORD wrap0, wrap1;
        DWORD shading;
        bool wrapped;
    };
    const Case cases[] = {
        {"no wrapping", 0, 0, 0, D3DSHADE_GOURAUD, false},
        {"set 0 wrapped in u", 0, D3DWRAP_U, 0, D3DSHADE_GOURAUD, true},
        {"set 0 wrapped in u, flat shading", 0, D3DWRAP_U, 0, D3DSHADE_FLAT, true},
        {"set 0 wrapped in v only", 0, D3DWRAP_V, 0, D3DSHADE_GOURAUD, false},
        {"set 1 used, set 0 wrapped", 1, D3DWRAP_U, 0, D3DSHADE_GOURAUD, false},
        {"set 1 used and wrapped", 1, 0, D3DWRAP_U, D3DSHADE_GOURAUD, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetStage(0, D3DTSS_TEXCOORDINDEX, c.index);
        SetRender(D3DRS_SHADEMODE, c.shading);
        SetRender(D3DRS_WRAP0, c.wrap0);
        SetRender(D3DRS_WRAP1, c.wrap1);
        BeginFrame();
        DrawScreenQuad(0, 0, kSize, 40, 0xFFFFFFFF, 0, 0.9f, 0.5f, 0.1f, 0.5f);
        // A line below the quad wraps the same way.
        ScreenVertex line[2] = {{0, 50, 0.5f, 1, 0xFFFFFFFF, 0, {}}, {kSize, 50, 0.5f, 1, 0xFFFFFFFF, 0, {}}};
        for (int set = 0; set < 4; ++set) {
            line[0].u[set][0] = 0.9f;
            line[1].u[set][0] = 0.1f;
        }
        Draw<ScreenVertex>(D3DPT_LINELIST, 1, kScreenFvf, {line[0], line[1]});
        EndFrame();
        // At a quarter: 0.95 (texel 3) wrapped, 0.7 (texel 2) straight; at three quarters
        // 1.05 (texel 0) or 0.3 (texel 1).
        for (const int y : {20, 50}) {
            EXPECT_TRUE(ColourNear(Pixel(16, y), texels[c.wrapped ? 3 : 2])) << "row " << y;
            EXPECT_TRUE(ColourNear(Pixel(48, y), texels[c.wrapped ? 0 : 1])) << "row " << y;
        }
    }
}

}  // namespace
