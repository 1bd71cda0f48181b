// The sampler states of the Direct3D 9 layer on pixels: every address mode in u and v with
// the border colour, point and linear minification, anisotropic filtering of a squeezed
// quad, and the mip level a quad's distance selects under a level-of-detail bias, the
// stage's maximum mip level and the texture's own level of detail.
#include "FixedFunctionFixture.h"

namespace {

using namespace fixedfunction;

const D3DCOLOR kFour[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
constexpr D3DCOLOR kBorder = 0x80FF8000;

// The texel an address mode gives coordinate t (in texels of a four-texel texture): 0 to 3,
// -1 for the border, -2 within a tenth of a texel of an edge where rounding may go either
// way.
int Address(DWORD mode, float t) {
    constexpr float kPeriod = 4.0f;
    auto texel = [](float m) {
        const float f = m - std::floor(m);
        return f < 0.1f || f > 0.9f ? -2 : static_cast<int>(m);
    };
    auto clamped = [&](float m) {
        if (m < 0.0f)
            return m < -0.1f ? 0 : -2;
        if (m > kPeriod)
            return m > kPeriod + 0.1f ? 3 : -2;
        return texel(m);
    };
    switch (mode) {
    case D3DTADDRESS_WRAP:
        return texel(t - kPeriod * std::floor(t / kPeriod));
    case D3DTADDRESS_MIRROR: {
        const float m = t - 2.0f * kPeriod * std::floor(t / (2.0f * kPeriod));
        return texel(m >= kPeriod ? 2.0f * kPeriod - m : m);
    }
    case D3DTADDRESS_CLAMP:
        return clamped(t);
    case D3DTADDRESS_MIRRORONCE:
        return clamped(std::fabs(t));
    default:  // border
        if (t < -0.1f || t > kPeriod + 0.1f)
            return -1;
        return t < 0.0f || t > kPeriod ? -2 : texel(t);
    }
}

class D3D9SamplerTest : public CFixedFunctionTest {
protected:
    void SetUp() override {
        CFixedFunctionTest::SetUp();
        if (HasFatalFailure())
            return;
        SetColorStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
        SetAlphaStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    }

    // One solid colour per level of a size x size texture's full chain.
    IDirect3DTexture9* LevelColoredTexture(UINT size) {
        IDirect3DTexture9* texture = CreateTexture(size, size, 0);
        const D3DCOLOR colors[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                    0xFFFF00FF, 0xFF00FFFF, 0xFF808080, 0xFF000000};
        for (UINT level = 0; level < texture->GetLevelCount(); ++level)
            FillLevel(texture, level, {colors[level]});
        return texture;
    }

    static D3DCOLOR LevelColor(int level) {
        const D3DCOLOR colors[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                    0xFFFF00FF, 0xFF00FFFF, 0xFF808080, 0xFF000000};
        return colors[level];
    }
};

TEST_F(D3D9SamplerTest, AddressModesPlaceCoordinatesOutsideTheTexture) {
    // The coordinate runs from -1.5 to 2.5 across the view: t = 4 (-1.5 + x / 16) texels.
    SetSampler(0, D3DSAMP_BORDERCOLOR, kBorder);
    const DWORD modes[] = {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER,
                           D3DTADDRESS_MIRRORONCE};
    const char* const names[] = {"wrap", "mirror", "clamp", "border", "mirror once"};
    for (const bool alongV : {false, true}) {
        ASSERT_EQ(m_device->SetTexture(0, TexelTexture(alongV ? 1 : 4, alongV ? 4 : 1,
                                                       std::vector<D3DCOLOR>(kFour, kFour + 4))),
                  D3D_OK);
        for (size_t m = 0; m < std::size(modes); ++m) {
            SCOPED_TRACE(::testing::Message() << names[m] << (alongV ? " in v" : " in u"));
            // The other direction keeps a mode that would show the texture's middle anyway.
            SetSampler(0, alongV ? D3DSAMP_ADDRESSV : D3DSAMP_ADDRESSU, modes[m]);
            SetSampler(0, alongV ? D3DSAMP_ADDRESSU : D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
            BeginFrame();
            if (alongV)
                DrawScreenQuad(0, 0, kSize, kSize, 0xFFFFFFFF, 0, 0.5f, -1.5f, 0.5f, 2.5f);
            else
                DrawScreenQuad(0, 0, kSize, kSize, 0xFFFFFFFF, 0, -1.5f, 0.5f, 2.5f, 0.5f);
            EndFrame();
            const std::vector<uint32_t> pixels = Pixels();
            int checked = 0;
            for (int p = 1; p < kSize; p += 2) {
                const float t = 4.0f * (-1.5f + static_cast<float>(p) / 16.0f);
                const int texel = Address(modes[m], t);
                if (texel == -2)
                    continue;
                const D3DCOLOR expected = texel >= 0 ? kFour[texel] : kBorder;
                const size_t at = alongV ? static_cast<size_t>(p) * kSize + 32 : 32 * kSize + static_cast<size_t>(p);
                EXPECT_TRUE(ColourNear(pixels[at], expected, 2, true)) << "at " << p << ", t " << t;
                ++checked;
            }
            EXPECT_GT(checked, 20);
        }
    }
}

TEST_F(D3D9SamplerTest, MinificationPointPicksATexelAndLinearBlendsTwo) {
    // 64 x 64 texels in columns alternating black and white over 32 x 32 pixels, shifted an
    // eighth of a texel: pixel x samples column position t = 2x + 0.25, between the centres
    // of columns 2x - 1 (white, weight 1/4) and 2x (black, weight 3/4).
    std::vector<D3DCOLOR> stripes;
    for (int row = 0; row < 64; ++row) {
        for (int column = 0; column < 64; ++column)
            stripes.push_back(column % 2 ? 0xFFFFFFFF : 0xFF000000);
    }
    ASSERT_EQ(m_device->SetTexture(0, TexelTexture(64, 64, stripes)), D3D_OK);
    struct Case {
        const char* name;
        DWORD filter;
        int grey;
    };
    const Case cases[] = {
        {"point", D3DTEXF_POINT, 0},
        {"linear", D3DTEXF_LINEAR, 64},
    };
    const float shift = 0.25f / 64.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetSampler(0, D3DSAMP_MINFILTER, c.filter);
        BeginFrame();
        DrawScreenQuad(0, 0, 32, 32, 0xFFFFFFFF, 0, shift, shift, 1.0f + shift, 1.0f + shift);
        EndFrame();
        for (const int x : {3, 10, 21, 28})
            EXPECT_TRUE(ColourNear(Pixel(x, 16), Rgb(c.grey, c.grey, c.grey), 3)) << "at " << x;
    }
}

TEST_F(D3D9SamplerTest, AnisotropicFilteringKeepsDetailOnASqueezedQuad) {
    if (winapi::d3d::MaxAnisotropy(m_device) < 8.0f)
        GTEST_SKIP() << "the driver offers no anisotropic filtering of degree 8";
    // A 64-texel texture on a quad 64 pixels wide and 8 high: one texel a pixel across,
    // eight down. Isotropic filtering takes the level for eight (level 3); anisotropic
    // filtering samples along the long side and takes a more detailed level, at most that
    // for 8 / degree (llvmpipe goes further than that for small degrees).
    ASSERT_EQ(m_device->SetTexture(0, LevelColoredTexture(64)), D3D_OK);
    SetSampler(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    struct Case {
        const char* name;
        DWORD filter, degree;
        int coarsest, finest;
    };
    const Case cases[] = {
        {"linear", D3DTEXF_LINEAR, 8, 3, 3},
        {"anisotropic, degree 1", D3DTEXF_ANISOTROPIC, 1, 3, 3},
        {"anisotropic, degree 2", D3DTEXF_ANISOTROPIC, 2, 2, 0},
        {"anisotropic, degree 8", D3DTEXF_ANISOTROPIC, 8, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetSampler(0, D3DSAMP_MINFILTER, c.filter);
        SetSampler(0, D3DSAMP_MAGFILTER, c.filter);
        SetSampler(0, D3DSAMP_MAXANISOTROPY, c.degree);
        BeginFrame();
        DrawScreenQuad(0, 28, kSize, 36, 0xFFFFFFFF);
        EndFrame();
        const D3DCOLOR pixel = Pixel(32, 32);
        bool matched = false;
        for (int level = c.finest; level <= c.coarsest; ++level)
            matched = matched || ColourNear(pixel, LevelColor(level));
        EXPECT_TRUE(matched) << Hex(pixel) << " is none of levels " << c.finest << " to " << c.coarsest;
    }
}

TEST_F(D3D9SamplerTest, MipLevelFollowsDistanceBiasAndTheMostDetailedLevelAllowed) {
    // A 2 x 2 quad at distance d under a 90-degree perspective spans 64 / d pixels, so a
    // 32-texel texture takes level log2(d / 2) before bias and limits.
    SetRender(D3DRS_LIGHTING, FALSE);
    SetSampler(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    SetSampler(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    SetSampler(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    SetTransforms(Identity(), Identity(), PerspectiveLH(1.0f, 1.0f, 1.0f, 100.0f));
    struct Case {
        const char* name;
        float distance, bias;
        DWORD maxMipLevel, lod;
        int level;
    };
    const Case cases[] = {
        {"distance 2", 2, 0, 0, 0, 0},
        {"distance 4", 4, 0, 0, 0, 1},
        {"distance 16", 16, 0, 0, 0, 3},
        {"distance 4, bias +1", 4, 1.0f, 0, 0, 2},
        {"distance 8, bias -1", 8, -1.0f, 0, 0, 1},
        {"distance 16, bias +2", 16, 2.0f, 0, 0, 5},
        {"distance 2, maximum level 2", 2, 0, 2, 0, 2},
        {"distance 16, maximum level 1 leaves level 3", 16, 0, 1, 0, 3},
        {"distance 8, bias -2 stopped at maximum level 1", 8, -2.0f, 1, 0, 1},
        {"distance 2, level of detail 1 and maximum level 3", 2, 0, 3, 1, 3},
        {"distance 2, level of detail 3 and maximum level 1", 2, 0, 1, 3, 3},
        {"distance 8, level of detail 1", 8, 0, 0, 1, 2},
        {"distance 2, maximum level past the chain", 2, 0, 9, 0, 5},
    };
    IDirect3DTexture9* texture = LevelColoredTexture(32);
    ASSERT_EQ(m_device->SetTexture(0, texture), D3D_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetSamplerFloat(0, D3DSAMP_MIPMAPLODBIAS, c.bias);
        SetSampler(0, D3DSAMP_MAXMIPLEVEL, c.maxMipLevel);
        texture->SetLOD(c.lod);
        const float z = c.distance;
        BeginFrame();
        Draw<ColorTexVertex>(D3DPT_TRIANGLESTRIP, 2, kColorTexFvf,
                             {{-1, 1, z, 0xFFFFFFFF, 0, 0},
                              {1, 1, z, 0xFFFFFFFF, 1, 0},
                              {-1, -1, z, 0xFFFFFFFF, 0, 1},
                              {1, -1, z, 0xFFFFFFFF, 1, 1}});
        EndFrame();
        EXPECT_TRUE(ColourNear(Pixel(32, 32), LevelColor(c.level)));
    }
}

}  // namespace
