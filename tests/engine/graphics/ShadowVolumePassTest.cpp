// The shadow pass's shared device steps on the recording device: the states before and after
// the volumes, the two counting draws of one volume in the ordinary and the mirrored order,
// and the shadow light taken into an object's space as a direction.
#include "engine/graphics/ShadowVolumePass.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "engine/core/Matrix.h"
#include "engine/core/MatrixStack.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/ShadowVolume.h"
#include "engine/graphics/VertexBuffer.h"
#include "tests/support/ToolModel.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

std::string State(uint32_t state, uint32_t value) {
    return "SetRenderState " + std::to_string(state) + " " + std::to_string(value);
}

class ShadowVolumePassTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_device.InitForTest(16, 16, 16), 1); }

    std::vector<std::string> CallsSince(size_t first) const {
        return {m_device.m_Calls.begin() + static_cast<std::ptrdiff_t>(first), m_device.m_Calls.end()};
    }

    CRecordingRenderDevice m_device;
};

TEST_F(ShadowVolumePassTest, BeginSetsTheStencilStatesInOrder) {
    const size_t first = m_device.m_Calls.size();
    BeginShadowVolumes(&m_device);
    const std::vector<std::string> expected = {
        State(kRenderDepthWrite, 0),
        State(kRenderStencilEnable, 1),
        State(kRenderShadeMode, kShadeFlat),
        State(kRenderAlphaBlendEnable, 1),
        State(kRenderSourceBlend, kBlendZero),
        State(kRenderDestinationBlend, kBlendOne),
        State(kRenderStencilCompare, kCompareAlways),
        State(kRenderStencilFail, kStencilKeep),
        State(kRenderStencilDepthFail, kStencilKeep),
        State(kRenderStencilReference, 1),
        State(kRenderStencilMask, 0xFFFFFFFF),
        State(kRenderStencilWriteMask, 0xFFFFFFFF),
    };
    EXPECT_EQ(CallsSince(first), expected);
}

TEST_F(ShadowVolumePassTest, EndPutsTheWorldBackToTheStackTopAndTheStatesBack) {
    CMatrix moved;
    moved.SetTranslation(1.0f, 2.0f, 3.0f);
    m_device.m_pWorldStack->Push();
    m_device.m_pWorldStack->SetTop(moved);
    CMatrix elsewhere;
    elsewhere.SetScale(2.0f, 2.0f, 2.0f);
    m_device.SetTransform(kTransformWorld, &elsewhere);
    const size_t first = m_device.m_Calls.size();
    EndShadowVolumes(&m_device);
    const std::vector<std::string> expected = {
        "SetTransform " + std::to_string(kTransformWorld),
        State(kRenderShadeMode, kShadeGouraud),
        State(kRenderDepthWrite, 1),
        State(kRenderStencilEnable, 0),
        State(kRenderAlphaBlendEnable, 0),
    };
    EXPECT_EQ(CallsSince(first), expected);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m_device.m_Transforms[kTransformWorld].m_f[i], moved.m_f[i]) << i;
}

TEST_F(ShadowVolumePassTest, AVolumeIsDrawnTwiceCountingUpThenDownWithTheMirroredCullsSwapped) {
    CModel box;
    std::string error;
    ASSERT_TRUE(MakeToolModel(&m_device, "part box size 1 1 1\nend\n", &box, &error)) << error;
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &box), 1);
    ASSERT_EQ(volume.Build(CVector3(0.4f, -0.5f, 1.0f)), 1);
    ASSERT_GE(volume.GetVertexCount(), 3u);
    const std::string bind = "SetVertexBuffer 0 " + std::to_string(volume.m_pVertexBuffer->GetHandle()) + " 0";
    const std::string draw = "DrawPrimitive 3 0 " + std::to_string(volume.GetVertexCount() / 3);
    struct Case {
        const char* name;
        bool bMirrored;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"ordinary: the decrement draw culls clockwise",
         false,
         {State(kRenderStencilPass, kStencilIncrement), bind, draw, State(kRenderStencilPass, kStencilDecrement),
          State(kRenderCullMode, kCullClockwise), bind, draw, State(kRenderCullMode, kCullCounterClockwise)}},
        {"mirrored: the increment draw culls clockwise",
         true,
         {State(kRenderStencilPass, kStencilIncrement), State(kRenderCullMode, kCullClockwise), bind, draw,
          State(kRenderCullMode, kCullCounterClockwise), State(kRenderStencilPass, kStencilDecrement), bind, draw}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t first = m_device.m_Calls.size();
        EXPECT_EQ(DrawShadowVolumeCounted(&m_device, &volume, c.bMirrored), 1);
        EXPECT_EQ(CallsSince(first), c.expected);
        EXPECT_EQ(m_device.m_RenderStates[kRenderCullMode], static_cast<uint32_t>(kCullCounterClockwise));
    }
}

TEST_F(ShadowVolumePassTest, TheLightEntersObjectSpaceAsADirectionScaledByMinusTheLength) {
    // Each object matrix with the world light (0.4, -0.5, 1) worked out by hand in its space.
    CMatrix moved, turned, halved, singular;
    moved.SetTranslation(5.0f, -7.0f, 11.0f);
    turned.SetRotationZ(1.5707964f);  // a quarter turn: x goes to y
    CMatrix::Multiply(&turned, turned, moved);
    halved.SetScale(0.5f, -0.5f, 2.0f);
    singular.SetScale(1.0f, 0.0f, 1.0f);
    struct Case {
        const char* name;
        CMatrix matrix;
        int inverted;
        CVector3 light;  // in object space, before the length
    };
    const Case cases[] = {
        {"a translation leaves a direction alone", moved, 1, CVector3(0.4f, -0.5f, 1.0f)},
        {"a quarter turn turns it back", turned, 1, CVector3(-0.5f, -0.4f, 1.0f)},
        {"a scale divides it", halved, 1, CVector3(0.8f, 1.0f, 0.5f)},
        {"no inverse: the world light", singular, 0, CVector3(0.4f, -0.5f, 1.0f)},
    };
    constexpr float kLength = 0.25f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVector3 out;
        EXPECT_EQ(ShadowLightInObjectSpace(c.matrix, kLength, &out), c.inverted);
        EXPECT_NEAR(out.x, -kLength * c.light.x, 1e-5f);
        EXPECT_NEAR(out.y, -kLength * c.light.y, 1e-5f);
        EXPECT_NEAR(out.z, -kLength * c.light.z, 1e-5f);
    }
}

}  // namespace
