#include "game/machines/PhysicsChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsWorld.h"
#include "tests/game/machines/PhysicsFixtures.h"
#include "tools/render/RecordingRenderDevice.h"

using namespace physics_test;

namespace {

CVector3 SegmentAt(const CPhysicsChain& chain, uint32_t i) {
    return ToVectorOf(dBodyGetPosition(chain.m_pSegments[i]));
}

float Distance(const CVector3& a, const CVector3& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

float PolylineLength(const CPointArray& points) {
    float length = 0.0f;
    for (int i = 1; i < points.m_nCount; ++i)
        length += Distance(points.m_pPoints[i - 1], points.m_pPoints[i]);
    return length;
}

class PhysicsChainTest : public ::testing::Test {
protected:
    CPhysicsWorld m_world{&Accept};
    std::unique_ptr<CModel> m_ballModel = SphereModel(0.1f);
    // Scenery to hang ropes from: the static world.
    CPhysicsBody* m_hook = m_world.AddBody(m_ballModel.get(), nullptr, 1, nullptr, -1, 0);
};

TEST_F(PhysicsChainTest, SegmentsAndJointsLieAlongTheRope) {
    CPhysicsChain chain;
    const CVector3 start(0.0f, 2.0f, 0.0f);
    const CVector3 end(2.0f, 2.0f, 0.0f);
    ASSERT_EQ(chain.Build(m_world.m_World, start, end, m_hook, nullptr, 3), 1);
    ASSERT_EQ(chain.m_nSegments, 4u);
    EXPECT_EQ(chain.m_pStartBody, m_hook);
    EXPECT_EQ(chain.m_pEndBody, nullptr);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(SegmentAt(chain, i), CVector3(0.25f + 0.5f * static_cast<float>(i), 2.0f, 0.0f)));
    const float anchors[] = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f};
    for (uint32_t j = 0; j < 5; ++j) {
        SCOPED_TRACE(j);
        ASSERT_NE(chain.m_pJoints[j], nullptr);
        EXPECT_EQ(dJointGetType(chain.m_pJoints[j]), dJointTypeBall);
        dVector3 anchor;
        dJointGetBallAnchor(chain.m_pJoints[j], anchor);
        EXPECT_TRUE(Near(ToVectorOf(anchor), CVector3(anchors[j], 2.0f, 0.0f)));
    }
    dMass mass;
    dBodyGetMass(chain.m_pSegments[0], &mass);
    EXPECT_NEAR(mass.mass, 0.25 * 0.25 * 0.25 * 0.1, 1e-12);
}

TEST_F(PhysicsChainTest, ChainOfNoInnerJointsHasOneSegmentHeldAtBothEnds) {
    CPhysicsChain chain;
    const CVector3 start(0.0f, 2.0f, 0.0f);
    const CVector3 end(1.0f, 2.0f, 0.0f);
    ASSERT_EQ(chain.Build(m_world.m_World, start, end, nullptr, nullptr, 0), 1);
    ASSERT_EQ(chain.m_nSegments, 1u);
    EXPECT_EQ(dBodyGetNumJoints(chain.m_pSegments[0]), 2);
    EXPECT_TRUE(Near(SegmentAt(chain, 0), CVector3(0.5f, 2.0f, 0.0f)));
}

TEST_F(PhysicsChainTest, RopeHungFromTheStaticWorldKeepsItsEnds) {
    CPhysicsChain chain;
    const CVector3 start(-1.0f, 2.0f, 0.0f);
    const CVector3 end(1.0f, 2.0f, 0.0f);
    ASSERT_EQ(chain.Build(m_world.m_World, start, end, m_hook, m_hook, 9), 1);
    // A dynamic body keeps the world stepping.
    const CMatrix far = At(20.0f, 0.0f);
    m_world.AddBody(m_ballModel.get(), nullptr, 0, &far, -1, 0);
    StepFor(&m_world, 400);
    // The ends stay within half a segment of their hooks, the middle hangs lower.
    EXPECT_LT(Distance(SegmentAt(chain, 0), start), 0.11f);
    EXPECT_LT(Distance(SegmentAt(chain, 9), end), 0.11f);
    EXPECT_LT(SegmentAt(chain, 5).y, 2.0f);
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_TRUE(std::isfinite(SegmentAt(chain, i).y));
}

TEST_F(PhysicsChainTest, RopeHoldsAWeightAndPassesThroughScenery) {
    // A weight on a rope one unit long swings down past a crate the rope sweeps through.
    const CMatrix weightAt = At(1.0f, 3.0f);
    CPhysicsBody* weight = m_world.AddBody(m_ballModel.get(), nullptr, 0, &weightAt, -1, 0);
    std::unique_ptr<CModel> crateModel = BoxModel(0.1f, 0.1f);
    const CMatrix crateAt = At(0.35f, 2.65f);
    m_world.AddBody(crateModel.get(), nullptr, 1, &crateAt, -1, 0);
    CPhysicsChain chain;
    const CVector3 hook(0.0f, 3.0f, 0.0f);
    ASSERT_EQ(chain.Build(m_world.m_World, hook, CVector3(1.0f, 3.0f, 0.0f), nullptr, weight, 5), 1);

    float lowest = 3.0f;
    for (int step = 0; step < 200; ++step) {
        m_world.Step(0.005);
        const CVector3 p = PositionOf(weight);
        // Free fall would take it 4.9 units down in a second; the rope holds it on a circle.
        ASSERT_LT(Distance(p, hook), 1.02f) << "step " << step;
        lowest = std::fmin(lowest, p.y);
    }
    EXPECT_LT(lowest, 2.05f);
}

TEST_F(PhysicsChainTest, SlackRopeLetsBodiesCloseAndTautRopePulls) {
    m_world.SetGravity(0.0f);
    const CMatrix leftAt = At(5.0f, 0.0f);
    const CMatrix rightAt = At(6.0f, 0.0f);
    CPhysicsBody* left = m_world.AddBody(m_ballModel.get(), nullptr, 0, &leftAt, -1, 0);
    CPhysicsBody* right = m_world.AddBody(m_ballModel.get(), nullptr, 0, &rightAt, -1, 0);
    left->SetDensity(1000.0f);
    right->SetDensity(1000.0f);
    CPhysicsChain chain;
    ASSERT_EQ(chain.Build(m_world.m_World, CVector3(5.0f, 0.0f, 0.0f), CVector3(6.0f, 0.0f, 0.0f), left, right, 5),
              1);

    right->SetLinearVelocity(CVector3(-1.0f, 0.3f, 0.0f));
    // Pushed in from the side, the rope folds instead of pushing back.
    StepFor(&m_world, 60);
    EXPECT_NEAR(PositionOf(right).x, 5.7f, 0.03f);
    EXPECT_NEAR(PositionOf(left).x, 5.0f, 0.03f);
    EXPECT_LT(std::fabs(VelocityOf(left).x), 0.05f);

    right->SetLinearVelocity(CVector3(2.0f, 0.0f, 0.0f));
    StepFor(&m_world, 200);
    EXPECT_GT(VelocityOf(left).x, 0.3f);
    EXPECT_LT(PositionOf(right).x - PositionOf(left).x, 1.02f);
}

TEST_F(PhysicsChainTest, PathRunsThroughEndsAndSegments) {
    CPhysicsChain chain;
    const CVector3 start(0.0f, 1.0f, 0.0f);
    const CVector3 end(3.0f, 1.0f, 0.0f);
    const CMatrix endAt = At(3.0f, 1.0f);
    CPhysicsBody* endBody = m_world.AddBody(m_ballModel.get(), nullptr, 0, &endAt, -1, 0);
    ASSERT_EQ(chain.Build(m_world.m_World, start, end, m_hook, endBody, 4), 1);

    CPointArray path;
    path.AddPoints(100);  // last frame's curve, to be replaced
    chain.BuildPath(&path, start, end, 0.5f);
    // Both ends and five segments: six spans of eight points and the end point.
    ASSERT_EQ(chain.m_Spline.m_nKeys, 7u);
    ASSERT_EQ(path.m_nCount, 6 * 8 + 1);
    EXPECT_TRUE(Near(path.m_pPoints[0], CVector3(0.0f, 1.0f, 0.5f)));
    EXPECT_TRUE(Near(path.m_pPoints[path.m_nCount - 1], CVector3(3.0f, 1.0f, 0.5f)));
    for (int i = 0; i < path.m_nCount; ++i)
        EXPECT_EQ(path.m_pPoints[i].z, 0.5f);
    EXPECT_NEAR(PolylineLength(path), 3.0f, 1e-3f);

    // Again: the same curve, not appended.
    chain.BuildPath(&path, start, end, 0.5f);
    EXPECT_EQ(path.m_nCount, 6 * 8 + 1);

    // A removed end body is no longer drawn to, nor is a missing one.
    m_world.RemoveBody(endBody);
    chain.BuildPath(&path, start, end, 0.0f);
    EXPECT_EQ(chain.m_Spline.m_nKeys, 6u);
    EXPECT_EQ(path.m_nCount, 5 * 8 + 1);
    chain.m_pEndBody = nullptr;
    chain.BuildPath(&path, start, end, 0.0f);
    EXPECT_EQ(chain.m_Spline.m_nKeys, 6u);
}

TEST_F(PhysicsChainTest, RebuildingReleasesTheOldRope) {
    const CMatrix weightAt = At(1.0f, 1.0f);
    CPhysicsBody* weight = m_world.AddBody(m_ballModel.get(), nullptr, 0, &weightAt, -1, 0);
    CPhysicsChain chain;
    ASSERT_EQ(chain.Build(m_world.m_World, CVector3(0, 1, 0), CVector3(1, 1, 0), nullptr, weight, 5), 1);
    EXPECT_EQ(dBodyGetNumJoints(weight->m_Body), 1);
    ASSERT_EQ(chain.Build(m_world.m_World, CVector3(0, 2, 0), CVector3(1, 1, 0), nullptr, weight, 2), 1);
    EXPECT_EQ(chain.m_nSegments, 3u);
    EXPECT_EQ(dBodyGetNumJoints(weight->m_Body), 1);
    StepFor(&m_world, 50);
    EXPECT_TRUE(AllFinite(m_world));
}

TEST_F(PhysicsChainTest, BadRopesAreRefusedAndChangeNothing) {
    CPhysicsChain chain;
    ASSERT_EQ(chain.Build(m_world.m_World, CVector3(0, 1, 0), CVector3(1, 1, 0), nullptr, nullptr, 2), 1);
    dBodyID* segments = chain.m_pSegments;
    struct Case {
        const char* name;
        dWorldID world;
        CVector3 start;
        CVector3 end;
        uint32_t n;
    } cases[] = {
        {"no world", nullptr, CVector3(0, 0, 0), CVector3(1, 0, 0), 2},
        {"broken start", m_world.m_World, CVector3(NAN, 0, 0), CVector3(1, 0, 0), 2},
        {"endless end", m_world.m_World, CVector3(0, 0, 0), CVector3(1, INFINITY, 0), 2},
        {"too many segments", m_world.m_World, CVector3(0, 0, 0), CVector3(1, 0, 0), CPhysicsChain::kMaxSegments},
        {"all of them", m_world.m_World, CVector3(0, 0, 0), CVector3(1, 0, 0), 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(chain.Build(c.world, c.start, c.end, nullptr, nullptr, c.n), 0);
        EXPECT_EQ(chain.m_nSegments, 3u);
        EXPECT_EQ(chain.m_pSegments, segments);
    }
    // A rope of no length lies at its start.
    ASSERT_EQ(chain.Build(m_world.m_World, CVector3(2, 2, 0), CVector3(2, 2, 0), nullptr, nullptr, 3), 1);
    for (uint32_t i = 0; i < chain.m_nSegments; ++i)
        EXPECT_TRUE(Near(SegmentAt(chain, i), CVector3(2, 2, 0)));
    // An empty chain draws no path and nothing else.
    CPhysicsChain empty;
    CPointArray path;
    empty.BuildPath(&path, CVector3(0, 0, 0), CVector3(1, 0, 0), 0.0f);
    EXPECT_EQ(path.m_nCount, 1);
    empty.BuildPath(nullptr, CVector3(0, 0, 0), CVector3(1, 0, 0), 0.0f);
}

TEST_F(PhysicsChainTest, DebugDrawingMarksEverySegment) {
    CPhysicsChain chain;
    ASSERT_EQ(chain.Build(m_world.m_World, CVector3(0, 1, 0), CVector3(1, 1, 0), nullptr, nullptr, 2), 1);
    CRecordingRenderDevice device;
    chain.DrawDebug(&device, 0.0f, nullptr);
    ASSERT_EQ(device.m_Calls.size(), 3u);
    for (const std::string& call : device.m_Calls)
        EXPECT_EQ(call, "DrawBillboard 0.05 0.05 0xffffffff");
}

}  // namespace
