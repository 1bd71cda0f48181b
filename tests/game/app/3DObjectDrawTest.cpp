// Drawing scene objects on the recording device: the states around the mesh, the shader
// passes, the frames drawn, billboards, the debug view and the order of the render passes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/MatrixStack.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/VertexBuffer.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "tests/game/app/SceneObjectDrawTrace.h"
#include "tests/game/app/SceneObjectFixture.h"

namespace {

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);

class SceneObjectDrawTest : public SceneObjectTest {
protected:
    void SetUp() override {
        SceneObjectTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_NE(AddModel("Box", OneTagModel("Gear")), nullptr);
        m_nVertices = m_Gfx.Find("Box")->GetModel()->GetVertexCount();
        m_List = std::make_unique<C3DObjectList>(&m_Gfx, nullptr, &m_Device, &m_Entries);
    }

    C3DObject* AddBox() { return m_List->Add("Box", kOrigin, nullptr); }

    // What the device was asked since the mark, as DrawTrace gives it.
    std::vector<std::string> TraceSince(size_t mark) const { return DrawTrace(m_Device.m_Calls, mark); }

    std::string Frame(uint32_t frame) const { return "Draw " + std::to_string(frame * m_nVertices); }

    uint32_t m_nVertices = 0;
    std::unique_ptr<C3DObjectList> m_List;
};

// A shader of two passes, each leaving its own mark: wireframe fill, then lighting off.
void MakeTwoPassShader(CShader* shader) {
    shader->AppendPass()->m_nFillMode = kFillWireframe;
    shader->AppendPass()->m_bLighting = 0;
}

TEST_F(SceneObjectDrawTest, StatesAroundTheMeshWithoutShader) {
    struct Case {
        const char* name;
        int32_t zEnable;
        CVector3 scale;
        CVector3 ownScale;
        std::vector<std::string> expected;
    };
    const CVector3 one(1.0f, 1.0f, 1.0f);
    const Case cases[] = {
        {"plain", 1, one, one, {"SetRenderState 40 0", "Draw 0", "SetRenderState 40 1"}},
        {"depth test off",
         0,
         one,
         one,
         {"SetRenderState 0 0", "SetRenderState 40 0", "Draw 0", "SetRenderState 40 1", "SetRenderState 0 1"}},
        {"mirrored by the owner's x scale",
         1,
         CVector3(-1.0f, 1.0f, 1.0f),
         one,
         {"SetRenderState 40 0", "SetRenderState 8 1", "Draw 0", "SetRenderState 8 2", "SetRenderState 40 1"}},
        {"mirrored by its own y scale",
         1,
         one,
         CVector3(1.0f, -1.0f, 1.0f),
         {"SetRenderState 40 0", "SetRenderState 8 1", "Draw 0", "SetRenderState 8 2", "SetRenderState 40 1"}},
        // Only those two components turn the faces over in this game's parts.
        {"negative own x scale draws as usual",
         1,
         one,
         CVector3(-1.0f, 1.0f, 1.0f),
         {"SetRenderState 40 0", "Draw 0", "SetRenderState 40 1"}},
    };
    for (const Case& c : cases) {
        C3DObject* box = AddBox();
        box->m_bZEnable = c.zEnable;
        box->m_vScale = c.scale;
        box->m_vOwnScale = c.ownScale;
        const size_t mark = m_Device.m_Calls.size();
        EXPECT_EQ(box->Draw(0, 0.0), 1);
        EXPECT_EQ(TraceSince(mark), c.expected) << c.name;
        m_List->Remove(box);
    }
}

TEST_F(SceneObjectDrawTest, EveryShaderPassIsAppliedAroundItsDrawAndReset) {
    C3DObject* box = AddBox();
    CShader shader(&m_Device);
    MakeTwoPassShader(&shader);
    box->SetShader(&shader);
    box->m_vScale = CVector3(-1.0f, 1.0f, 1.0f);

    const size_t mark = m_Device.m_Calls.size();
    EXPECT_EQ(box->Draw(0, 2.5), 1);
    const std::vector<std::string> expected = {
        "SetRenderState 1 1", "SetRenderState 8 1", "Draw 0", "SetRenderState 8 2", "SetRenderState 1 2",
        "SetRenderState 40 0", "SetRenderState 8 1", "Draw 0", "SetRenderState 8 2", "SetRenderState 40 1"};
    EXPECT_EQ(TraceSince(mark), expected);
    box->SetShader(nullptr);
}

TEST_F(SceneObjectDrawTest, FramesDrawnAloneOrBlended) {
    C3DObject* box = AddBox();
    const uint32_t pool = m_Device.m_pPoolPNT1->GetHandle();
    const std::string fromPool = "SetVertexBuffer 0 " + std::to_string(pool) + " 0";

    box->SetFrame(4);
    size_t mark = m_Device.m_Calls.size();
    box->Draw(0, 0.0);
    EXPECT_EQ(TraceSince(mark), (std::vector<std::string>{"SetRenderState 40 0", Frame(4), "SetRenderState 40 1"}));
    EXPECT_EQ(CountCalls(m_Device.m_Calls, mark, fromPool), 0);

    // Two frames are mixed into the device's pool and drawn from there.
    box->m_nFrameB = 6;
    box->m_fFrameBlend = 0.5f;
    mark = m_Device.m_Calls.size();
    box->Draw(0, 0.0);
    EXPECT_EQ(TraceSince(mark), (std::vector<std::string>{"SetRenderState 40 0", "Draw 0", "SetRenderState 40 1"}));
    EXPECT_EQ(CountCalls(m_Device.m_Calls, mark, fromPool), 1);
}

TEST_F(SceneObjectDrawTest, DrawSimpleDrawsOnlyVisibleShadedModels) {
    C3DObject* box = AddBox();
    CShader shader(&m_Device);
    shader.AppendPass()->m_nFillMode = kFillWireframe;

    // Without a shader, hidden, or a billboard: nothing.
    size_t mark = m_Device.m_Calls.size();
    EXPECT_EQ(box->DrawSimple(0.0), 0);
    box->SetShader(&shader);
    box->m_bVisible = 0;
    EXPECT_EQ(box->DrawSimple(0.0), 0);
    C3DObject* billboard = m_List->Add("Billboard", kOrigin, nullptr);
    billboard->SetShader(&shader);
    EXPECT_EQ(billboard->DrawSimple(0.0), 0);
    EXPECT_EQ(TraceSince(mark), std::vector<std::string>{});

    // Frame 0 while the blend is 0, whatever the frames say; no depth or lighting switch.
    box->m_bVisible = 1;
    box->m_bZEnable = 0;
    box->m_nFrameA = box->m_nFrameB = 3;
    box->m_vOwnScale = CVector3(1.0f, -1.0f, 1.0f);
    mark = m_Device.m_Calls.size();
    EXPECT_EQ(box->DrawSimple(0.0), 1);
    EXPECT_EQ(TraceSince(mark), (std::vector<std::string>{"SetRenderState 1 1", "SetRenderState 8 1", "Draw 0",
                                                          "SetRenderState 8 2", "SetRenderState 1 2"}));
    box->m_fFrameBlend = 0.25f;
    box->m_nFrameB = 4;
    mark = m_Device.m_Calls.size();
    EXPECT_EQ(box->DrawSimple(0.0), 1);
    EXPECT_EQ(CountCalls(m_Device.m_Calls, mark,
                         "SetVertexBuffer 0 " + std::to_string(m_Device.m_pPoolPNT1->GetHandle()) + " 0"),
              1);
    box->SetShader(nullptr);
    billboard->SetShader(nullptr);
}

TEST_F(SceneObjectDrawTest, TheMeshIsDrawnUnderTheStackTopAndTheStackIsLeftAsItWas) {
    C3DObject* box = AddBox();
    box->m_vPos = CVector3(1.0f, 2.0f, 3.0f);
    box->m_vRot = CVector3(0.0f, 0.5f, 0.0f);
    box->UpdateMatrix();
    CMatrixStack* stack = m_Device.m_pWorldStack;
    ASSERT_NE(stack, nullptr);
    stack->Push();
    stack->Translate(10.0f, 0.0f, 0.0f);

    m_Device.m_DrawWorlds.clear();
    box->Draw(0, 0.0);
    ASSERT_EQ(m_Device.m_DrawWorlds.size(), 1u);
    CMatrix expected;
    CMatrix::Multiply(&expected, box->m_mWorld, stack->GetTop());
    ExpectSameMatrix(m_Device.m_DrawWorlds[0], expected);
    // The parent's matrix is the device's again, and the stack as deep as before.
    ExpectSameMatrix(m_Device.m_Transforms[kTransformWorld], stack->GetTop());
    stack->Pop();
    EXPECT_TRUE(stack->IsEmpty());
}

TEST_F(SceneObjectDrawTest, BillboardsNeedAShaderAndACameraToFace) {
    C3DObject* billboard = m_List->Add("Billboard", kOrigin, nullptr);
    billboard->m_fBillboardWidth = 2.0f;
    billboard->m_fBillboardHeight = 0.5f;
    CShader shader(&m_Device);
    MakeTwoPassShader(&shader);
    CCamera camera;

    size_t mark = m_Device.m_Calls.size();
    EXPECT_EQ(billboard->Draw(0, 0.0), 1);  // no shader
    billboard->SetShader(&shader);
    EXPECT_EQ(billboard->Draw(0, 0.0), 1);  // no camera
    EXPECT_EQ(TraceSince(mark), std::vector<std::string>{});

    m_Device.m_pCamera = &camera;
    mark = m_Device.m_Calls.size();
    EXPECT_EQ(billboard->Draw(0, 0.0), 1);
    EXPECT_EQ(TraceSince(mark),
              (std::vector<std::string>{"SetRenderState 3 0", "SetRenderState 1 1", "DrawBillboard 1 0.25 0xffffffff",
                                        "SetRenderState 1 2", "SetRenderState 40 0", "DrawBillboard 1 0.25 0xffffffff",
                                        "SetRenderState 40 1", "SetRenderState 3 1"}));

    // A negative width turns the quad over.
    billboard->m_fBillboardWidth = -2.0f;
    shader.ClearPasses();
    shader.AppendPass();
    mark = m_Device.m_Calls.size();
    billboard->Draw(0, 0.0);
    EXPECT_EQ(TraceSince(mark),
              (std::vector<std::string>{"SetRenderState 3 0", "SetRenderState 8 1", "DrawBillboard -1 0.25 0xffffffff",
                                        "SetRenderState 8 2", "SetRenderState 3 1"}));
    billboard->SetShader(nullptr);
}

TEST_F(SceneObjectDrawTest, DebugDrawingShowsVolumesInModelSpaceAndPointsInTheWorld) {
    C3DObject* box = AddBox();
    box->m_vPos = CVector3(2.0f, -1.0f, 0.5f);
    box->UpdateMatrix();
    box->UpdateConnectionPoints();
    ASSERT_EQ(box->m_nPoints, 1);

    m_List->SetDebugDraw(1);
    m_Device.m_DrawWorlds.clear();
    const size_t mark = m_Device.m_Calls.size();
    m_List->DrawPass(0.0, 0);
    EXPECT_EQ(TraceSince(mark),
              (std::vector<std::string>{"SetRenderState 40 0", "Draw 0", "SetRenderState 40 1", "SetRenderState 40 0",
                                        "DrawSphere 0.5 0xffffff00 32", "DrawBox 0xffffff00", "DrawBox 0xffffff00",
                                        "DrawBox 0xffffff00", "SetRenderState 40 1"}));
    ASSERT_EQ(m_Device.m_DrawWorlds.size(), 5u);
    for (size_t i = 0; i < 3; ++i)
        ExpectSameMatrix(m_Device.m_DrawWorlds[i], box->m_mWorld);
    // The two markers of the point, at the point and one direction further, stand at identity.
    for (size_t i = 3; i < 5; ++i)
        ExpectSameMatrix(m_Device.m_DrawWorlds[i], CMatrix::Identity());
    ASSERT_EQ(m_Device.m_DrawnBoxCentres.size(), 3u);
    const ConnectionPoint& point = box->m_pPoints[0];
    ExpectNear(m_Device.m_DrawnBoxCentres[1], point.m_vWorldPos);
    ExpectNear(m_Device.m_DrawnBoxCentres[2],
               CVector3(point.m_vWorldPos.x + point.m_vWorldDir.x, point.m_vWorldPos.y + point.m_vWorldDir.y,
                        point.m_vWorldPos.z + point.m_vWorldDir.z));
    ExpectSameMatrix(m_Device.m_Transforms[kTransformWorld], CMatrix::Identity());

    // Drawn without the list's debug flag, the object shows its mesh only.
    m_List->SetDebugDraw(0);
    const size_t plain = m_Device.m_Calls.size();
    m_List->DrawPass(0.0, 0);
    EXPECT_EQ(TraceSince(plain), (std::vector<std::string>{"SetRenderState 40 0", "Draw 0", "SetRenderState 40 1"}));
}

TEST_F(SceneObjectDrawTest, PassZeroDrawsTheNumberedPassesBelowTenAfterIt) {
    // Each object shows its own frame, so the draws tell them apart.
    struct Placed {
        uint32_t pass;
        uint32_t frame;
        int32_t visible;
    };
    const Placed placed[] = {{3, 3, 1}, {12, 2, 1}, {0, 1, 1}, {7, 7, 0}, {3, 5, 1}, {0, 6, 1}};
    for (const Placed& p : placed) {
        C3DObject* box = AddBox();
        box->m_nRenderPass = p.pass;
        box->SetFrame(p.frame);
        box->m_bVisible = p.visible;
    }
    const auto draws = [&](uint32_t pass) {
        const size_t mark = m_Device.m_Calls.size();
        m_List->DrawPass(0.0, pass);
        std::vector<std::string> out;
        for (const std::string& line : TraceSince(mark))
            if (line.rfind("Draw ", 0) == 0)
                out.push_back(line);
        return out;
    };
    // Pass 0, then 1 to 3 (the hidden object of pass 7 does not raise the last pass); 12 waits.
    EXPECT_EQ(draws(0), (std::vector<std::string>{Frame(1), Frame(6), Frame(3), Frame(5)}));
    EXPECT_EQ(m_List->m_nDrawn, 4u);
    EXPECT_EQ(draws(12), std::vector<std::string>{Frame(2)});
    EXPECT_EQ(m_List->m_nDrawn, 1u);
    EXPECT_EQ(draws(3), (std::vector<std::string>{Frame(3), Frame(5)}));
    EXPECT_EQ(m_List->m_nDrawn, 2u);
    EXPECT_EQ(draws(7), std::vector<std::string>{});
    EXPECT_EQ(m_List->m_nDrawn, 0u);
}

TEST_F(SceneObjectDrawTest, AnObjectWithoutAValidModelDrawsNothing) {
    AddEmptyModel("Broken");
    C3DObject* broken = m_List->Add("Broken", kOrigin, nullptr);
    ASSERT_NE(broken, nullptr);
    m_List->SetDebugDraw(1);
    const size_t mark = m_Device.m_Calls.size();
    EXPECT_EQ(broken->Draw(1, 0.0), 1);
    EXPECT_EQ(broken->DrawSimple(0.0), 0);
    EXPECT_EQ(TraceSince(mark), std::vector<std::string>{});
}

}  // namespace
