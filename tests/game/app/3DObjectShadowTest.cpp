// The scene-object list's shadow pass on the recording device: which objects cast, the two
// counting draws and the mirrored rule, the states after, the light in each object's space,
// and the volumes made at first use and rebuilt only when an object turned or grew.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/MatrixStack.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/ShadowVolume.h"
#include "engine/graphics/VertexBuffer.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "tests/game/app/SceneObjectDrawTrace.h"
#include "tests/game/app/SceneObjectFixture.h"

namespace {

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);

class SceneObjectShadowTest : public SceneObjectTest {
protected:
    void SetUp() override {
        SceneObjectTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_NE(AddModel("Box", OneTagModel("Gear")), nullptr);
        m_Device.m_nDepthFormat = kFormatD24S8;
        m_List = std::make_unique<C3DObjectList>(&m_Gfx, nullptr, &m_Device, &m_Entries);
    }

    C3DObject* AddBox(const CVector3& pos) {
        C3DObject* box = m_List->Add("Box", kOrigin, nullptr);
        box->m_vPos = pos;
        box->UpdateMatrix();
        return box;
    }

    // The trace of one shadow pass, from its first counting draw on.
    std::vector<std::string> ShadowPassTrace() {
        const size_t mark = m_Device.m_Calls.size();
        m_List->DrawShadowVolumes();
        std::vector<std::string> trace = DrawTrace(m_Device.m_Calls, mark);
        const auto first = std::find(trace.begin(), trace.end(), "SetRenderState 25 6");
        return std::vector<std::string>(first, trace.end());
    }

    std::vector<uint8_t> VolumeBytes(const CShadowVolume& volume) {
        if (!volume.m_pVertexBuffer)
            return {};
        const auto* record = m_Device.VertexBuffer(volume.m_pVertexBuffer->GetHandle());
        if (!record)
            return {};
        const size_t size = size_t{volume.GetVertexCount()} * CShadowVolume::kVertexSize;
        return std::vector<uint8_t>(record->bytes.begin(), record->bytes.begin() + static_cast<std::ptrdiff_t>(size));
    }

    std::unique_ptr<C3DObjectList> m_List;
};

const std::vector<std::string> kOrdinaryDraws = {"SetRenderState 25 6", "Volume",           "SetRenderState 25 7",
                                                 "SetRenderState 8 1",  "Volume",           "SetRenderState 8 2"};
const std::vector<std::string> kMirroredDraws = {"SetRenderState 25 6", "SetRenderState 8 1", "Volume",
                                                 "SetRenderState 8 2",  "SetRenderState 25 7", "Volume"};
const std::vector<std::string> kStatesAfter = {"SetRenderState 2 1", "SetRenderState 3 1", "SetRenderState 22 0",
                                               "SetRenderState 13 0"};

TEST_F(SceneObjectShadowTest, CastersDrawTwiceWithTheMirroredRuleAndTheStatesAreReset) {
    AddBox(CVector3(-2.0f, 0.0f, 0.0f));
    C3DObject* mirroredByOwner = AddBox(kOrigin);
    mirroredByOwner->m_vScale = CVector3(-1.0f, 1.0f, 1.0f);
    C3DObject* mirroredOwnY = AddBox(CVector3(2.0f, 0.0f, 0.0f));
    mirroredOwnY->m_vOwnScale = CVector3(1.0f, -1.0f, 1.0f);
    // None of these casts a shadow.
    AddBox(kOrigin)->m_bVisible = 0;
    AddBox(kOrigin)->m_bCastShadow = 0;
    m_List->Add("Billboard", kOrigin, nullptr);
    AddEmptyModel("Broken");
    C3DObject* broken = m_List->Add("Broken", kOrigin, nullptr);
    ASSERT_NE(broken, nullptr);

    std::vector<std::string> expected = kOrdinaryDraws;
    expected.insert(expected.end(), kMirroredDraws.begin(), kMirroredDraws.end());
    expected.insert(expected.end(), kMirroredDraws.begin(), kMirroredDraws.end());
    expected.insert(expected.end(), kStatesAfter.begin(), kStatesAfter.end());
    EXPECT_EQ(ShadowPassTrace(), expected);
    EXPECT_EQ(m_List->m_nShadowsBuilt, 3u);
    EXPECT_EQ(broken->m_ShadowVolume.m_pModel, nullptr);
    // The world transform is the stack's top again.
    ExpectSameMatrix(m_Device.m_Transforms[kTransformWorld], m_Device.m_pWorldStack->GetTop());
    EXPECT_TRUE(m_Device.m_pWorldStack->IsEmpty());
}

TEST_F(SceneObjectShadowTest, TheLightIsTurnedIntoEachObjectAsADirection) {
    struct Case {
        const char* name;
        uint32_t frameA, frameB;
        float blend;
    };
    const Case cases[] = {{"frame 0", 0, 0, 0.0f}, {"frame 3", 3, 3, 3.0f}, {"frames 2 to 5", 2, 5, 0.5f}};
    CModel* model = m_Gfx.Find("Box")->GetModel();
    for (const Case& c : cases) {
        // Far from the origin and stretched: a light taken as a point would come out wrong.
        C3DObject* box = m_List->Add("Box", kOrigin, nullptr);
        box->m_vPos = CVector3(5.0f, -3.0f, 2.0f);
        box->m_vOwnScale = CVector3(2.0f, 1.0f, 1.0f);
        box->m_fShadowLength = 0.5f;
        box->m_nFrameA = c.frameA;
        box->m_nFrameB = c.frameB;
        box->m_fFrameBlend = c.blend;
        box->UpdateMatrix();
        m_List->DrawShadowVolumes();

        CShadowVolume expected;
        ASSERT_EQ(expected.Create(&m_Device, model), 1);
        const CVector3 light(-0.5f * 0.4f / 2.0f, -0.5f * -0.5f, -0.5f * 1.0f);
        if (c.frameA == c.frameB)
            ASSERT_EQ(expected.BuildBlended(light, c.frameA, c.frameA, 0.0f), 1) << c.name;
        else
            ASSERT_EQ(expected.BuildBlended(light, c.frameA, c.frameB, c.blend), 1) << c.name;
        ASSERT_GT(expected.GetVertexCount(), 0u);
        EXPECT_EQ(box->m_ShadowVolume.GetVertexCount(), expected.GetVertexCount()) << c.name;
        const std::vector<uint8_t> built = VolumeBytes(box->m_ShadowVolume);
        const std::vector<uint8_t> wanted = VolumeBytes(expected);
        ASSERT_EQ(built.size(), wanted.size()) << c.name;
        // Positions only: the colour word of each vertex is left unwritten.
        for (size_t v = 0; v < built.size() / CShadowVolume::kVertexSize; ++v) {
            float a[3], b[3];
            memcpy(a, &built[v * CShadowVolume::kVertexSize], sizeof a);
            memcpy(b, &wanted[v * CShadowVolume::kVertexSize], sizeof b);
            for (int k = 0; k < 3; ++k)
                ASSERT_NEAR(a[k], b[k], 1e-4f) << c.name << " vertex " << v;
        }
        m_List->Remove(box);
    }
}

TEST_F(SceneObjectShadowTest, VolumesAreMadeAtFirstUseAndRebuiltOnlyWhenTheShapeChanged) {
    C3DObject* turning = AddBox(kOrigin);
    turning->m_bDynShadow = 1;
    C3DObject* fixed = AddBox(CVector3(2.0f, 0.0f, 0.0f));
    EXPECT_EQ(turning->m_ShadowVolume.m_pModel, nullptr);
    EXPECT_EQ(fixed->m_ShadowVolume.m_pVertexBuffer, nullptr);

    m_List->DrawShadowVolumes();
    EXPECT_EQ(m_List->m_nShadowsBuilt, 2u);
    EXPECT_NE(turning->m_ShadowVolume.m_pModel, nullptr);
    EXPECT_EQ(turning->m_bMatrixChanged, 0);

    struct Step {
        const char* name;
        CVector3 rot;
        CVector3 pos;
        uint32_t rebuilt;
    };
    const Step steps[] = {
        {"nothing changed", kOrigin, kOrigin, 0},
        {"the dynamic object moved", kOrigin, CVector3(0.0f, 1.0f, 0.0f), 0},
        {"the dynamic object turned", CVector3(0.0f, 0.3f, 0.0f), CVector3(0.0f, 1.0f, 0.0f), 1},
    };
    for (const Step& step : steps) {
        turning->m_vRot = step.rot;
        turning->m_vPos = step.pos;
        turning->UpdateMatrix();
        fixed->m_vRot = step.rot;  // without a dynamic shadow a turn keeps the volume
        fixed->UpdateMatrix();
        const size_t mark = m_Device.m_Calls.size();
        m_List->DrawShadowVolumes();
        EXPECT_EQ(m_List->m_nShadowsBuilt, step.rebuilt) << step.name;
        // Every caster is drawn each pass, rebuilt or not.
        EXPECT_EQ(CountCalls(DrawTrace(m_Device.m_Calls, mark), 0, "Volume"), 4) << step.name;
    }

    // An object given another model gets a volume of that model.
    CGfx* other = AddModel("Other", OneTagModel("Pipe"));
    ASSERT_NE(other, nullptr);
    fixed->m_pGfx = other;
    m_List->DrawShadowVolumes();
    EXPECT_EQ(fixed->m_ShadowVolume.m_pModel, other->GetModel());
    EXPECT_EQ(m_List->m_nShadowsBuilt, 1u);
}

TEST_F(SceneObjectShadowTest, NothingWithoutAStencilBuffer) {
    C3DObject* box = AddBox(kOrigin);
    m_Device.m_nDepthFormat = kFormatD16;
    m_List->m_nShadowsBuilt = 7;
    const size_t mark = m_Device.m_Calls.size();
    m_List->DrawShadowVolumes();
    EXPECT_EQ(m_Device.m_Calls.size(), mark);
    EXPECT_EQ(box->m_ShadowVolume.m_pModel, nullptr);
    EXPECT_EQ(box->m_bMatrixChanged, 1);
    EXPECT_EQ(m_List->m_nShadowsBuilt, 7u);
}

}  // namespace
