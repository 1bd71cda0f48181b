// Scene objects drawn by their list and their tree on the Direct3D 9 device (llvmpipe): a lit
// model shows its front where its matrix puts it, mirrored or not; a billboard shows only with
// a shader and a camera; and the stencil shadow pass counts 1 in each caster's shadow on a
// plane that casts none, pixel by pixel against the geometry worked out here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/Camera.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/EmitterList.h"
#include "tests/game/app/SceneDrawStage.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/RayBox.h"
#include "tests/support/ShadowStencil.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr uint32_t kBackground = 0xFF203040;

// A light straight along the view: a face towards the camera gets the material's whole diffuse
// colour, a side face or a face turned away none, and there is no ambient light.
const CVector3 kAlongTheView(0.0f, 0.0f, 1.0f);
constexpr uint32_t kNoAmbient = 0xFF000000;
const char* const kShaders =
    "lit { pass { diffuse 0.8 0.4 0.2 1 ambient 0 0 0 1 } }\r\n"
    "flat { pass { lighting off } }\r\n";
constexpr uint32_t kLitFront = 0xCC6633;  // 0.8, 0.4, 0.2 of 255
constexpr uint32_t kUnlitFace = 0x000000;
constexpr uint32_t kBillboardWhite = 0xFFFFFF;  // the billboard's vertex colour, unlit

// The block sits off its model's origin, so that a mirrored object shows it elsewhere.
const char* const kBlockText = "part box size 1.2 1.2 1.2\n    translate 0.4 0.3 0\nend\n";
const CVector3 kBlockOffset(0.4f, 0.3f, 0.0f);
constexpr float kBlockHalf = 0.6f;
// The receiving plane: a thin board wider than the view, its front face at z = 2.95.
const char* const kPlaneText = "part box size 16 12 0.1\n    translate 0 0 3\nend\n";
constexpr float kPlaneZ = 2.95f;
// Long enough for the shadow to reach the plane.
constexpr float kShadowLength = 0.6f;
// The direction the list casts its shadows along, in world space.
const CVector3 kShadowLight(0.4f, -0.5f, 1.0f);

// The block in world space for an object at pos whose owner's and own scales multiply to scale,
// worked out from the model text's numbers.
Box BlockBox(const CVector3& pos, const CVector3& scale) {
    return {CVector3(pos.x + kBlockOffset.x * scale.x, pos.y + kBlockOffset.y * scale.y,
                     pos.z + kBlockOffset.z * scale.z),
            CVector3(kBlockHalf * std::fabs(scale.x), kBlockHalf * std::fabs(scale.y), kBlockHalf * std::fabs(scale.z))};
}

// A value per window point; kSkip where nothing is expected.
constexpr int kSkip = -100;

struct FrameCheck {
    std::map<int, int> checked;  // pixels compared, by expected value
    int wrong = 0;
    std::string firstWrong;

    int Checked(int value) const {
        const auto found = checked.find(value);
        return found == checked.end() ? 0 : found->second;
    }
};

// Compares each pixel with the value expected at its centre, where the points 1.5 pixels
// around expect the same (an edge may fall either way). The device puts pixel centres on whole
// window coordinates.
FrameCheck CheckFrame(const std::function<int(float x, float y)>& expected, const std::function<int(int x, int y)>& actual) {
    FrameCheck check;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float cx = static_cast<float>(x);
            const float cy = static_cast<float>(y);
            const int want = expected(cx, cy);
            if (want == kSkip)
                continue;
            bool stable = true;
            for (const auto& [dx, dy] : {std::pair{1.5f, 0.0f}, {-1.5f, 0.0f}, {0.0f, 1.5f}, {0.0f, -1.5f}})
                stable = stable && expected(cx + dx, cy + dy) == want;
            if (!stable)
                continue;
            ++check.checked[want];
            const int got = actual(x, y);
            if (got != want && check.wrong++ == 0) {
                char line[96];
                snprintf(line, sizeof line, "pixel (%d, %d): %d, expected %d", x, y, got, want);
                check.firstWrong = line;
            }
        }
    }
    return check;
}

// What a pixel of the lit scene shows.
enum Seen { kSeenBackground, kSeenFront, kSeenSide, kSeenOther };

int SeenColour(uint32_t colour) {
    if (ChannelsNear(colour, kBackground & 0xFFFFFF, 1))
        return kSeenBackground;
    if (ChannelsNear(colour, kLitFront, 2))
        return kSeenFront;
    if (ChannelsNear(colour, kUnlitFace, 2))
        return kSeenSide;
    return kSeenOther;
}

class ObjectDrawPixelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Stage.Start(kWidth, kHeight));
        std::string error;
        ASSERT_NE(m_Stage.AddModel("Block", kBlockText, &error), nullptr) << error;
        ASSERT_NE(m_Stage.AddModel("Plane", kPlaneText, &error), nullptr) << error;
        m_Stage.LoadShaders(kShaders);
        ASSERT_NE(m_Stage.m_Shaders.GetShader("lit"), nullptr);
        ASSERT_NE(m_Stage.m_Shaders.GetShader("flat"), nullptr);
    }

    // The plane behind everything, casting no shadow.
    C3DObject* AddPlane(C3DObjectList* objects) {
        C3DObject* plane = objects->Add("Plane", CVector3(0.0f, 0.0f, 0.0f), nullptr);
        plane->UpdateMatrix();
        plane->SetShader(m_Stage.m_Shaders.GetShader("lit"));
        plane->m_bCastShadow = 0;
        return plane;
    }

    void BeginFrame() { m_Stage.BeginFrame(kBackground, DirectionalLight(kAlongTheView), kNoAmbient); }

    // Ends the frame and reads the colours, then the stencil values it left.
    void EndFrame(PixelFrame* frame, std::vector<int>* stencil) {
        m_Stage.m_Scene.m_Device.EndScene();
        *frame = m_Stage.m_Scene.Grab();
        m_Stage.m_Scene.m_Device.BeginScene();
        *stencil = ReadStencil(&m_Stage.m_Scene);
    }

    // The lit scene's view of the boxes at a window point.
    int ExpectedSeen(const std::vector<Box>& boxes, float x, float y) const {
        CVector3 origin, direction;
        m_Stage.m_Scene.PixelRay(x, y, &origin, &direction);
        BoxHit nearest{-1.0f, -1};
        for (const Box& box : boxes) {
            const BoxHit hit = RayBox(origin, direction, box);
            if (hit.t >= 0.0f && (nearest.t < 0.0f || hit.t < nearest.t))
                nearest = hit;
        }
        if (nearest.t < 0.0f)
            return kSeenBackground;
        return nearest.axis == 2 ? kSeenFront : kSeenSide;
    }

    // The stencil count at a window point: skipped where a caster itself is seen, else how
    // many casters lie between the plane point and the light.
    int ExpectedCount(const std::vector<Box>& casters, float x, float y) const {
        CVector3 origin, direction;
        m_Stage.m_Scene.PixelRay(x, y, &origin, &direction);
        for (const Box& box : casters) {
            if (RayBox(origin, direction, box).t >= 0.0f)
                return kSkip;
        }
        const float t = (kPlaneZ - origin.z) / direction.z;
        const CVector3 onPlane(origin.x + t * direction.x, origin.y + t * direction.y, kPlaneZ);
        const CVector3 towardsLight(-kShadowLight.x, -kShadowLight.y, -kShadowLight.z);
        int count = 0;
        for (const Box& box : casters)
            count += RayBox(onPlane, towardsLight, box).t >= 0.0f ? 1 : 0;
        return count;
    }

    FrameCheck CheckStencil(const std::vector<Box>& casters, const std::vector<int>& stencil) const {
        return CheckFrame([&](float x, float y) { return ExpectedCount(casters, x, y); },
                          [&](int x, int y) { return stencil[static_cast<size_t>(y) * kWidth + x]; });
    }

    CSceneDrawStage m_Stage;
};

// An ordinary object and one mirrored by its owner's x scale or its own y scale.
struct MirrorCase {
    const char* name;
    CVector3 scale;
    CVector3 ownScale;
};

const MirrorCase kMirrorCases[] = {
    {"ordinary", {1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f}},
    {"mirrored by the owner's x scale", {-1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f}},
    {"mirrored by the own y scale", {1.0f, 1.0f, 1.0f}, {1.0f, -1.0f, 1.0f}},
};

CVector3 Product(const CVector3& a, const CVector3& b) {
    return CVector3(a.x * b.x, a.y * b.y, a.z * b.z);
}

TEST_F(ObjectDrawPixelTest, ALitModelShowsItsFrontAtItsPlaceMirroredOrNot) {
    // Off the view's axis, so that two side faces show too.
    const CVector3 pos(-2.8f, 1.2f, 0.0f);
    for (const MirrorCase& c : kMirrorCases) {
        SCOPED_TRACE(c.name);
        m_Stage.m_pObjects->DeleteAll();
        C3DObject* block = m_Stage.AddObject("Block", pos, "lit");
        ASSERT_NE(block, nullptr);
        block->m_vScale = c.scale;
        block->m_vOwnScale = c.ownScale;
        block->UpdateMatrix();

        BeginFrame();
        m_Stage.m_pObjects->DrawPass(0.0, 0);
        EXPECT_EQ(m_Stage.m_pObjects->m_nDrawn, 1u);
        m_Stage.m_Scene.m_Device.EndScene();
        const PixelFrame frame = m_Stage.m_Scene.Grab();

        // A culled front would show the far face, turned away from the light.
        const std::vector<Box> boxes = {BlockBox(pos, Product(c.scale, c.ownScale))};
        const FrameCheck check = CheckFrame([&](float x, float y) { return ExpectedSeen(boxes, x, y); },
                                            [&](int x, int y) { return SeenColour(frame.At(x, y)); });
        EXPECT_EQ(check.wrong, 0) << check.firstWrong << " (0 background, 1 lit front, 2 unlit side)";
        EXPECT_GT(check.Checked(kSeenFront), 1400);
        EXPECT_GT(check.Checked(kSeenSide), 80);
        EXPECT_GT(check.Checked(kSeenBackground), 60000);
    }
}

TEST_F(ObjectDrawPixelTest, ABillboardFacesTheCameraOnlyWithAShaderAndACamera) {
    const CVector3 pos(1.0f, -0.5f, 0.0f);
    constexpr float kHalfWidth = 1.0f;
    constexpr float kHalfHeight = 0.5f;
    const CVector3 gameEye = m_Stage.m_Scene.m_Camera.m_vPosition;
    struct Case {
        const char* name;
        const char* shader;
        bool bCamera;
        CVector3 eye;  // looking at the origin
        int inside;
    };
    const Case cases[] = {
        {"a shader and the game's camera", "flat", true, gameEye, 1},
        {"a camera up and to the left", "flat", true, {-6.0f, 4.0f, -10.0f}, 1},
        {"no camera", "flat", false, gameEye, 0},
        {"no shader", nullptr, true, gameEye, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCamera& camera = m_Stage.m_Scene.m_Camera;
        camera.SetEye(c.eye);
        camera.SetTarget(CVector3(0.0f, 0.0f, 0.0f));
        ASSERT_EQ(camera.Apply(&m_Stage.m_Scene.m_Device), 1);
        m_Stage.m_pObjects->DeleteAll();
        C3DObject* billboard = m_Stage.AddObject(C3DObjectList::kBillboardName, pos, c.shader);
        ASSERT_NE(billboard, nullptr);
        billboard->m_fBillboardWidth = 2.0f * kHalfWidth;
        billboard->m_fBillboardHeight = 2.0f * kHalfHeight;
        m_Stage.m_Scene.m_Device.m_pCamera = c.bCamera ? &camera : nullptr;

        BeginFrame();
        m_Stage.m_pObjects->DrawPass(0.0, 0);
        EXPECT_EQ(m_Stage.m_pObjects->m_nDrawn, 1u);
        m_Stage.m_Scene.m_Device.EndScene();
        const PixelFrame frame = m_Stage.m_Scene.Grab();

        // Facing the camera: spanned by the view's right and up directions (the camera does
        // not roll), its corners in the window's order round the quad.
        CVector3 forward(-c.eye.x, -c.eye.y, -c.eye.z), right, up;
        forward.Normalize(&forward);
        CVector3(0.0f, 1.0f, 0.0f).Cross(&right, forward);
        right.Normalize(&right);
        forward.Cross(&up, right);
        float corners[4][2];
        const float signs[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
        for (int i = 0; i < 4; ++i) {
            const float sx = signs[i][0] * kHalfWidth, sy = signs[i][1] * kHalfHeight;
            m_Stage.m_Scene.Project(CVector3(pos.x + sx * right.x + sy * up.x, pos.y + sx * right.y + sy * up.y,
                                             pos.z + sx * right.z + sy * up.z),
                                    &corners[i][0], &corners[i][1]);
        }
        // The least signed distance of a point to the quad's edges: positive inside.
        auto depth = [&corners](float x, float y) {
            float least = 1e30f;
            for (int i = 0; i < 4; ++i) {
                const float* p = corners[i];
                const float* q = corners[(i + 1) % 4];
                const float ex = q[0] - p[0], ey = q[1] - p[1];
                least = std::min(least, (ex * (y - p[1]) - ey * (x - p[0])) / std::sqrt(ex * ex + ey * ey));
            }
            return least;
        };
        const FrameCheck check = CheckFrame(
            [&](float x, float y) {
                const float d = depth(x, y);
                return d > 1.5f ? c.inside : d < -1.5f ? 0 : kSkip;
            },
            [&](int x, int y) {
                const uint32_t colour = frame.At(x, y);
                return ChannelsNear(colour, kBillboardWhite, 1) ? 1 : ChannelsNear(colour, kBackground, 1) ? 0 : 2;
            });
        EXPECT_EQ(check.wrong, 0) << check.firstWrong << " (0 background, 1 billboard)";
        EXPECT_GT(check.Checked(c.inside), c.inside ? 1400 : 60000);
    }
    m_Stage.m_Scene.m_Device.m_pCamera = nullptr;
}

TEST_F(ObjectDrawPixelTest, TheShadowPassCountsOneInEachCastersShadowOnThePlane) {
    const CVector3 pos(-1.0f, 0.5f, 0.0f);
    for (const MirrorCase& c : kMirrorCases) {
        SCOPED_TRACE(c.name);
        m_Stage.m_pObjects->DeleteAll();
        AddPlane(m_Stage.m_pObjects.get());
        C3DObject* block = m_Stage.AddObject("Block", pos, "lit");
        ASSERT_NE(block, nullptr);
        block->m_vScale = c.scale;
        block->m_vOwnScale = c.ownScale;
        block->m_fShadowLength = kShadowLength;
        block->UpdateMatrix();

        BeginFrame();
        m_Stage.m_pObjects->DrawPass(0.0, 0);
        m_Stage.m_pObjects->DrawShadowVolumes();
        EXPECT_EQ(m_Stage.m_pObjects->m_nShadowsBuilt, 1u);
        PixelFrame frame;
        std::vector<int> stencil;
        EndFrame(&frame, &stencil);

        const FrameCheck check = CheckStencil({BlockBox(pos, Product(c.scale, c.ownScale))}, stencil);
        EXPECT_EQ(check.wrong, 0) << check.firstWrong;
        EXPECT_GT(check.Checked(0), 60000);
        EXPECT_GT(check.Checked(1), 1500);
        EXPECT_EQ(check.Checked(2), 0);
    }
}

// The tree's objects come from its nodes, each placed by its node.
class TreeDrawPixelTest : public ObjectDrawPixelTest {
protected:
    void SetUp() override {
        ObjectDrawPixelTest::SetUp();
        if (HasFatalFailure())
            return;
        m_pTree = std::make_unique<M3DOMTree>(&m_Stage.m_Gfx, &m_Stage.m_Shaders, &m_Stage.m_Scene.m_Device, nullptr,
                                              &m_FrameTime, &m_RunTime, &m_Stage.m_Entries, &m_Emitters);
    }
    void TearDown() override { m_pTree.reset(); }

    M3DOMObject* AddElement(const char* name, const char* model, const CVector3& pos) {
        M3DOMObject* mo = m_pTree->CreateMO(name);
        M3DOMTree::Reparent(m_pTree->m_pRoot, mo);
        mo->m_vPos = mo->m_vTarget = pos;
        EXPECT_NE(mo->AddO(model, CVector3(0.0f, 0.0f, 0.0f)), nullptr) << model;
        return mo;
    }

    double m_FrameTime = 0.0;
    double m_RunTime = 0.0;
    CEmitterList m_Emitters;
    std::unique_ptr<M3DOMTree> m_pTree;
};

TEST_F(TreeDrawPixelTest, OneDrawShowsTheObjectsAndCountsTheirShadows) {
    // Two blocks, one of them flipped the game's way (the node's x scale); the plane's node
    // keeps its object from casting.
    const CVector3 plainPos(-2.2f, 1.2f, 0.0f);
    const CVector3 flippedPos(1.6f, 1.4f, -0.5f);
    M3DOMObject* plane = AddElement("plane", "Plane", CVector3(0.0f, 0.0f, 0.0f));
    M3DOMObject* plain = AddElement("plain", "Block", plainPos);
    M3DOMObject* flipped = AddElement("flipped", "Block", flippedPos);
    flipped->SetScale(-1.0f, 1.0f, 1.0f, 1);
    m_pTree->UpdateTransforms(nullptr);
    plane->GetO(0)->m_bCastShadow = 0;
    for (M3DOMObject* mo : {plane, plain, flipped}) {
        mo->GetO(0)->SetShader(m_Stage.m_Shaders.GetShader("lit"));
        mo->GetO(0)->m_fShadowLength = kShadowLength;
    }
    ASSERT_TRUE(flipped->GetO(0)->IsMirrored());

    BeginFrame();
    m_pTree->Draw(0.0);
    EXPECT_EQ(m_pTree->m_pOList->m_nDrawn, 3u);
    EXPECT_EQ(m_pTree->m_pOList->m_nShadowsBuilt, 2u);
    PixelFrame frame;
    std::vector<int> stencil;
    EndFrame(&frame, &stencil);

    const std::vector<Box> casters = {BlockBox(plainPos, CVector3(1.0f, 1.0f, 1.0f)),
                                      BlockBox(flippedPos, CVector3(-1.0f, 1.0f, 1.0f))};
    for (const Box& box : casters) {
        float x, y;
        m_Stage.m_Scene.Project(CVector3(box.centre.x, box.centre.y, box.centre.z - box.half.z), &x, &y);
        const uint32_t front = frame.At(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
        EXPECT_TRUE(ChannelsNear(front, kLitFront, 2)) << "front at (" << x << ", " << y << ") is " << HexRgb(front);
    }
    const FrameCheck check = CheckStencil(casters, stencil);
    EXPECT_EQ(check.wrong, 0) << check.firstWrong;
    EXPECT_GT(check.Checked(0), 55000);
    EXPECT_GT(check.Checked(1), 3200);
}

}  // namespace
