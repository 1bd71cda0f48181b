#include "game/machines/ForceCone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/VertexBuffer.h"
#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsWorld.h"
#include "tests/game/machines/PhysicsFixtures.h"
#include "tools/render/RecordingRenderDevice.h"

using namespace physics_test;

namespace {

constexpr float kTolerance = 1e-5f;
constexpr float kPi = 3.14159265f;

// A cone at the origin along +x, half-angle 0.5 with the falloff 2, from 1 to 3 out.
CForceCone MeasuredCone() {
    CForceCone cone;
    cone.m_fHalfAngle = 0.5f;
    cone.m_fAngleScale = 2.0f;
    cone.m_fMinDist = 1.0f;
    cone.m_fMinDistSq = 1.0f;
    cone.SetReach(2.0f);
    return cone;
}

CVector3 Polar(float distance, float angle, float z = 0.0f) {
    return CVector3(distance * std::cos(angle), distance * std::sin(angle), z);
}

TEST(ForceConeTest, ANewConePushesABodyOnItsAxisAlongXWithStrengthOneWithinItsReach) {
    CPhysicsWorld world(&Accept);
    world.SetGravity(0.0f);
    std::unique_ptr<CModel> ballModel = SphereModel(0.05f);
    // From the apex at the origin along +x, reaching 1 out, the opening closed to the axis.
    struct Placed {
        const char* name;
        float x;
        float y;
        float pushed;  // the field's strength there: 1 - d²
    } placed[] = {
        {"near the apex", 0.2f, 0.0f, 0.96f},
        {"halfway", 0.5f, 0.0f, 0.75f},
        {"beyond the reach", 1.5f, 0.0f, 0.0f},
        {"off the axis", 0.5f, 0.1f, 0.0f},
        {"behind the apex", -0.5f, 0.0f, 0.0f},
    };
    std::vector<CPhysicsBody*> bodies;
    for (const Placed& p : placed) {
        const CMatrix where = At(p.x, p.y);
        bodies.push_back(world.AddBody(ballModel.get(), nullptr, 0, &where, -1, 1));
    }
    CForceCone cone;
    world.AddForceField(&cone, 2.0f, 1);
    world.Step(0.005);
    for (size_t i = 0; i < bodies.size(); ++i) {
        SCOPED_TRACE(placed[i].name);
        dMass mass;
        bodies[i]->GetMass(&mass);
        // One step of the push: the field's strength x the factor x the cone's own strength.
        const double expected = placed[i].pushed * 2.0 * 1.0 / mass.mass * 0.005;
        EXPECT_NEAR(VelocityOf(bodies[i]).x, expected, 1e-4 * expected);
        EXPECT_EQ(VelocityOf(bodies[i]).y, 0.0f);
    }
}

TEST(ForceConeTest, SetReachCountsFromTheInnerDistance) {
    const CForceCone cone = MeasuredCone();
    EXPECT_FLOAT_EQ(cone.m_fReach, 3.0f);
    EXPECT_FLOAT_EQ(cone.m_fMaxDistSq, 9.0f);
    EXPECT_FLOAT_EQ(cone.m_fInvRange, 1.0f / 8.0f);
}

struct PointCase {
    const char* name;
    CVector3 point;
    int inside;
    float strength;
    CVector3 direction;
    float bodyStrength;  // in the board plane
};

TEST(ForceConeTest, InfluenceInsideOutsideAndOnTheEdges) {
    const float a = 0.25f;
    const PointCase cases[] = {
        {"on the axis at the inner distance", CVector3(1, 0, 0), 1, 1.0f, CVector3(1, 0, 0), 1.0f},
        {"on the axis halfway", CVector3(2, 0, 0), 1, 0.625f, CVector3(1, 0, 0), 0.625f},
        {"on the axis at the reach", CVector3(3, 0, 0), 1, 0.0f, CVector3(1, 0, 0), 0.0f},
        {"beyond the reach", CVector3(3.01f, 0, 0), 0, 0.0f, CVector3(1, 0, 0), 0.0f},
        {"short of the inner distance", CVector3(0.99f, 0, 0), 0, 0.0f, CVector3(1, 0, 0), 0.0f},
        {"off the axis", Polar(2, a), 1, 0.75f * 0.625f, Polar(1, a), 0.75f * 0.625f},
        {"below the axis", Polar(2, -a), 1, 0.75f * 0.625f, Polar(1, -a), 0.75f * 0.625f},
        {"just inside the edge", Polar(2, 0.4999f), 1, 0.0f, Polar(1, 0.4999f), 0.0f},
        {"outside the edge", Polar(2, 0.51f), 0, 0.0f, CVector3(1, 0, 0), 0.0f},
        {"behind the apex", CVector3(-2, 0, 0), 0, 0.0f, CVector3(1, 0, 0), 0.0f},
        // Out of the plane: the full test sees an angle and a distance the plane test drops.
        {"above the plane", CVector3(2, 0, 1), 1, (1.0f - 4.0f * std::atan(0.5f) * std::atan(0.5f)) * 0.5f,
         CVector3(2.0f / std::sqrt(5.0f), 0, 1.0f / std::sqrt(5.0f)), 0.625f},
    };
    const CForceCone cone = MeasuredCone();
    for (const PointCase& c : cases) {
        SCOPED_TRACE(c.name);
        float strength = -1.0f;
        CVector3 direction(9, 9, 9);
        EXPECT_EQ(cone.Influence(&c.point, &strength, &direction), c.inside);
        EXPECT_NEAR(strength, c.strength, 1e-3f);
        EXPECT_TRUE(Near(direction, c.direction, 1e-5f));

        float bodyStrength = -1.0f;
        CVector3 bodyDirection(9, 9, 9);
        EXPECT_EQ(cone.InfluenceBody(&c.point, &bodyStrength, &bodyDirection), c.inside);
        EXPECT_NEAR(bodyStrength, c.bodyStrength, 1e-3f);
        EXPECT_EQ(bodyDirection.z, 0.0f);
        EXPECT_NEAR(bodyDirection.x, c.inside ? c.direction.x / std::hypot(c.direction.x, c.direction.y) : 1.0f,
                    1e-5f);
    }
}

TEST(ForceConeTest, PointsWhereTheTermsBreakAreOutside) {
    struct Case {
        const char* name;
        float halfAngleDegrees;
        float minDist;
        float reach;  // beyond the inner distance
        CVector3 point;
    } cases[] = {
        // With no inner distance the apex itself has no angle.
        {"the apex", 30.0f, 0.0f, 2.0f, CVector3(0, 0, 0)},
        {"a closed cone, on its axis", 0.0f, 1.0f, 2.0f, CVector3(1, 0, 0)},
        {"a closed cone, off its axis", 0.0f, 1.0f, 2.0f, Polar(1, 0.1f)},
        {"no range, at the inner distance", 30.0f, 1.0f, 0.0f, CVector3(1, 0, 0)},
        {"a broken point", 30.0f, 1.0f, 2.0f, CVector3(NAN, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CForceCone cone;
        cone.m_fHalfAngle = c.halfAngleDegrees * 0.017453292f;
        cone.m_fAngleScale = 1.0f / cone.m_fHalfAngle;
        cone.m_fMinDist = c.minDist;
        cone.m_fMinDistSq = c.minDist * c.minDist;
        cone.SetReach(c.reach);
        float strength = -1.0f;
        CVector3 direction;
        EXPECT_EQ(cone.Influence(&c.point, &strength, &direction), 0);
        EXPECT_EQ(strength, 0.0f);
        EXPECT_TRUE(Near(direction, CVector3(1, 0, 0)));
        EXPECT_EQ(cone.InfluenceBody(&c.point, &strength, &direction), 0);
        EXPECT_EQ(strength, 0.0f);
    }
    CForceCone cone;
    EXPECT_EQ(cone.Influence(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(cone.InfluenceBody(nullptr, nullptr, nullptr), 0);
}

TEST(ForceConeTest, CandleFlameSetUp) {
    CForceCone cone;
    cone.m_fLength = 0.2f;
    const CVector3 flame(1.0f, 2.0f, 0.0f);
    cone.SetPosition(&flame);
    const CVector3 up(0.0f, 1.0f, 0.0f);
    cone.SetDirection(&up);
    cone.SetOpeningAngle(17.0f);
    cone.SetReach(0.8f);

    EXPECT_NEAR(cone.m_fAngle, kPi / 2, 1e-6f);
    EXPECT_TRUE(Near(cone.m_vAxis, CVector3(0, 1, 0)));
    EXPECT_NEAR(cone.m_fHalfAngle, 0.296706f, 1e-6f);
    EXPECT_NEAR(cone.m_fAngleScale, 3.3703399f, 1e-5f);
    // tan(0.296706 + 90) x 0.2: the plain 90 puts the apex 0.2099 behind the flame.
    EXPECT_NEAR(cone.m_fMinDist, 0.2098728f, 1e-4f);
    EXPECT_TRUE(Near(cone.m_vApex, CVector3(1.0f, 2.0f - 0.2098728f, 0.0f), 1e-4f));
    EXPECT_NEAR(cone.m_fReach, 0.2098728f + 0.8f, 1e-4f);
    EXPECT_NEAR(cone.m_fMinDistSq, 0.2098728f * 0.2098728f, 1e-4f);

    // Full strength at the flame, none at the reach straight above.
    float strength;
    const CVector3 atFlame(1.0f, 2.001f, 0.0f);
    EXPECT_EQ(cone.Influence(&atFlame, &strength, nullptr), 1);
    EXPECT_NEAR(strength, 1.0f, 1e-3f);
    const CVector3 top(1.0f, 2.0f + 0.799f, 0.0f);
    EXPECT_EQ(cone.Influence(&top, &strength, nullptr), 1);
    EXPECT_NEAR(strength, 0.0f, 3e-3f);
}

TEST(ForceConeTest, SettersTurnAndMoveTheCone) {
    struct Case {
        const char* name;
        CVector3 direction;
        float angle;
    } cases[] = {
        {"right", CVector3(2, 0, 0), 0.0f},
        {"up", CVector3(0, 3, 0), kPi / 2},
        {"left", CVector3(-1, 0, 0), kPi},
        {"down", CVector3(0, -1, 0), -kPi / 2},
        {"down and left", CVector3(-1, -1, 0), -3 * kPi / 4},
        {"nowhere", CVector3(0, 0, 0), 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CForceCone cone;
        cone.SetAngle(1.0f);
        cone.SetDirection(&c.direction);
        EXPECT_NEAR(cone.m_fAngle, c.angle, 1e-6f);
        EXPECT_TRUE(Near(cone.m_vAxis, CVector3(std::cos(c.angle), std::sin(c.angle), 0.0f)));
        // The apex lies behind the anchor on the axis, by the inner distance.
        const CVector3 behind(-cone.m_vAxis.x * cone.m_fMinDist, -cone.m_vAxis.y * cone.m_fMinDist, 0.0f);
        EXPECT_TRUE(Near(cone.m_vApex, behind, 1e-5f));
    }

    CForceCone cone;
    cone.SetOpeningAngle(30.0f);
    const CVector3 apex = cone.m_vApex;
    const CVector3 there(3.0f, -1.0f, 0.5f);
    cone.SetPosition(&there);
    EXPECT_TRUE(Near(cone.m_vAnchor, there));
    EXPECT_TRUE(Near(cone.m_vApex, CVector3(apex.x + 3.0f, apex.y - 1.0f, apex.z + 0.5f)));
    // The reach keeps its extent beyond the inner distance when the opening changes.
    cone.SetReach(2.0f);
    cone.SetOpeningAngle(20.0f);
    EXPECT_NEAR(cone.m_fReach - cone.m_fMinDist, 2.0f, 1e-5f);

    // Broken values change nothing.
    const CForceCone before = cone;
    const CVector3 broken(NAN, 0.0f, 0.0f);
    cone.SetPosition(&broken);
    cone.SetDirection(&broken);
    cone.SetDirection(nullptr);
    cone.SetPosition(nullptr);
    cone.SetAngle(INFINITY);
    cone.SetOpeningAngle(NAN);
    cone.SetReach(NAN);
    EXPECT_EQ(std::memcmp(&before.m_vApex, &cone.m_vApex, sizeof(float) * 19), 0);
}

TEST(ForceConeTest, DrawsItsOutlineAsALineStrip) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 16, 0), 1);
    CForceCone cone = MeasuredCone();
    cone.Draw(&device);
    ASSERT_FALSE(device.m_Calls.empty());
    EXPECT_EQ(device.m_Calls.back(), "DrawPrimitive 2 0 4");
    auto* pool = device.VertexBuffer(device.m_pPoolPCT2->GetHandle());
    ASSERT_NE(pool, nullptr);
    struct Vertex {
        float x, y, z;
        uint32_t color;
        float uv[4];
    };
    const auto* v = reinterpret_cast<const Vertex*>(pool->bytes.data());
    EXPECT_TRUE(Near(CVector3(v[0].x, v[0].y, v[0].z), Polar(3, 0.5f)));
    EXPECT_TRUE(Near(CVector3(v[1].x, v[1].y, v[1].z), Polar(1, 0.5f)));
    EXPECT_TRUE(Near(CVector3(v[2].x, v[2].y, v[2].z), CVector3(0, 0, 0)));
    EXPECT_TRUE(Near(CVector3(v[3].x, v[3].y, v[3].z), Polar(1, -0.5f)));
    EXPECT_TRUE(Near(CVector3(v[4].x, v[4].y, v[4].z), Polar(3, -0.5f)));

    // Without room in the pool nothing is drawn.
    CRecordingRenderDevice small;
    ASSERT_EQ(small.InitForTest(0, 4, 0), 1);
    cone.Draw(&small);
    for (const std::string& call : small.m_Calls)
        EXPECT_EQ(call.find("DrawPrimitive"), std::string::npos);
    cone.Draw(nullptr);
}

TEST(ForceConeTest, BlowerPushesABodyAlongItsCone) {
    CPhysicsWorld world(&Accept);
    world.SetGravity(0.0f);
    std::unique_ptr<CModel> ballModel = SphereModel(0.1f);
    const CMatrix inFront = At(1.0f, 0.0f);
    CPhysicsBody* ball = world.AddBody(ballModel.get(), nullptr, 0, &inFront, -1, 1);
    ball->SetDensity(100.0f);
    const CMatrix aside = At(1.0f, 0.05f);
    CPhysicsBody* unaffected = world.AddBody(ballModel.get(), nullptr, 0, &aside, -1, 2);
    unaffected->m_nNoCollideId = 1;
    ball->m_nNoCollideWith = 1;

    CForceCone blower;
    blower.SetOpeningAngle(30.0f);
    blower.SetReach(5.0f);
    blower.m_fStrength = 0.5f;
    world.AddForceField(&blower, 4.0f, 1);

    float strength;
    CVector3 start;
    ball->GetPosition(&start);
    ASSERT_EQ(blower.InfluenceBody(&start, &strength, nullptr), 1);
    dMass mass;
    ball->GetMass(&mass);
    world.Step(0.005);
    // One step of the push: strength x factor x the cone's own strength.
    EXPECT_NEAR(VelocityOf(ball).x, strength * 4.0f * 0.5f / mass.mass * 0.005, 1e-4 * strength / mass.mass);
    EXPECT_EQ(VelocityOf(ball).y, 0.0f);

    float previous = VelocityOf(ball).x;
    for (int step = 0; step < 40; ++step) {
        world.Step(0.005);
        const float now = VelocityOf(ball).x;
        EXPECT_GT(now, previous);
        previous = now;
    }
    EXPECT_EQ(VelocityOf(ball).y, 0.0f);
    EXPECT_EQ(VelocityOf(unaffected).x, 0.0f);

    world.SetForceFieldFactor(&blower, 0.0f);
    world.Step(0.005);
    EXPECT_EQ(VelocityOf(ball).x, previous);
}

}  // namespace
