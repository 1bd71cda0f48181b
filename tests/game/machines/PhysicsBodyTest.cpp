#include "game/machines/PhysicsBody.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/RenderCodes.h"
#include "game/machines/ForceCone.h"
#include "game/machines/PhysicsWorld.h"
#include "tests/game/machines/PhysicsFixtures.h"
#include "tools/render/RecordingRenderDevice.h"

using namespace physics_test;

namespace {

constexpr double kPi = 3.14159265358979;

// Keeps where the wire shapes go, which the recording device does not.
class CShapeRecorder : public CRecordingRenderDevice {
public:
    struct Shape {
        std::string kind;
        CVector3 centre;
        CVector3 half;
        CVector3 axes[3];
        float radius;
        uint32_t color;
    };

    int DrawBox(const CVector3* centre, const CVector3* halfExtents, const CVector3* axes, uint32_t color) override {
        m_Shapes.push_back(Shape{"box", *centre, *halfExtents, {axes[0], axes[1], axes[2]}, 0.0f, color});
        return CRecordingRenderDevice::DrawBox(centre, halfExtents, axes, color);
    }
    int DrawSphere(const CVector3* centre, float radius, uint32_t color, int segments) override {
        m_Shapes.push_back(Shape{"sphere", *centre, {}, {}, radius, color});
        return CRecordingRenderDevice::DrawSphere(centre, radius, color, segments);
    }

    std::vector<Shape> m_Shapes;
};

CMatrix Scaled(float s) {
    CMatrix m;
    m.SetScale(s, s, s);
    return m;
}

class PhysicsBodyTest : public ::testing::Test {
protected:
    CPhysicsWorld m_world{&Accept};
    std::unique_ptr<CModel> m_ball = SphereModel(0.2f);
    std::unique_ptr<CModel> m_crate = BoxModel(0.3f, 0.2f);
    // A sphere one unit off the body's centre beside a box: masses are added where they are
    // not, at the centre.
    std::unique_ptr<CModel> m_lever =
        MakeModel({{CVector3(1.0f, 0.0f, 0.0f), 0.2f}}, {{CVector3(0.0f, 0.0f, 0.0f), 0.3f, 0.2f}});
};

TEST_F(PhysicsBodyTest, MassComesFromTheShapesUntranslated) {
    const double sphereMass = 4.0 / 3.0 * kPi * 0.008;
    const double sphereInertia = 0.4 * sphereMass * 0.04;
    const double boxMass = 0.6 * 0.4 * 1.0;
    const double boxInertia = boxMass / 12.0 * (0.36 + 0.16);
    struct Case {
        const char* name;
        CModel* model;
        float scale;
        double mass;
        double inertiaZ;
    } cases[] = {
        {"sphere", m_ball.get(), 1.0f, sphereMass, sphereInertia},
        {"box", m_crate.get(), 1.0f, boxMass, boxInertia},
        {"sphere and box", m_lever.get(), 1.0f, sphereMass + boxMass, sphereInertia + boxInertia},
        // A doubled sphere; a box keeps its depth of 1.
        {"scaled sphere", m_ball.get(), 2.0f, 8.0 * sphereMass, 32.0 * sphereInertia},
        {"scaled box", m_crate.get(), 2.0f, 4.0 * boxMass, 4.0 * boxMass / 12.0 * (1.44 + 0.64)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CMatrix scale = Scaled(c.scale);
        CPhysicsBody* body = m_world.AddBody(c.model, nullptr, 0, &scale, -1, 0);
        dMass mass;
        body->GetMass(&mass);
        EXPECT_NEAR(mass.mass, c.mass, 1e-6 * c.mass);
        EXPECT_NEAR(mass.I[10], c.inertiaZ, 1e-6 * c.inertiaZ);
        // The centre of mass stays at the body's origin.
        EXPECT_EQ(mass.c[0], 0.0);
        EXPECT_EQ(mass.c[1], 0.0);

        body->SetDensity(3.0f);
        body->GetMass(&mass);
        EXPECT_NEAR(mass.mass, 3.0 * c.mass, 3e-6 * c.mass);
    }
}

TEST_F(PhysicsBodyTest, AngleIsNegativeWhenTheYAxisLeansToNegativeX) {
    for (float angle : {0.5f, -0.5f, 2.0f, -2.5f, 3.0f, 1.5707964f}) {
        SCOPED_TRACE(angle);
        const CMatrix turned = TurnedAt(angle, 1.0f, 2.0f);
        for (int bStatic : {0, 1}) {
            CPhysicsBody* body = m_world.AddBody(m_crate.get(), nullptr, bStatic, &turned, -1, 0);
            EXPECT_NEAR(body->GetAngleZ(), -angle, 1e-5f);
            CMatrix rotation;
            body->GetRotation(&rotation);
            for (int k = 0; k < 16; ++k) {
                const float expected = k < 12 ? turned.m_f[k] : (k == 15 ? 1.0f : 0.0f);
                EXPECT_NEAR(rotation.m_f[k], expected, 1e-6f) << "element " << k;
            }
        }
    }
}

TEST_F(PhysicsBodyTest, PlacementTiltedOutOfThePlaneTurnsByItsTilt) {
    // Tilted about x by t, then turned about z by a, a y axis goes to
    // (-sin a cos t, cos a cos t, sin t): its angle is acos(cos a cos t), negative when it
    // leans to negative x. A box turned by b in its model has its second axis at
    // (-sin b, cos b cos t, ...) under the tilt alone.
    struct Case {
        const char* name;
        float tilt;
        float turn;
        float boxTurn;
        float bodyAngle;
        float boxAngle;
    } cases[] = {
        {"tilted about x", 0.6f, 0.0f, 0.0f, 0.6f, 0.6f},
        {"tilted back about x", -0.6f, 0.0f, 0.0f, 0.6f, 0.6f},
        {"tilted, then turned", 0.6f, 0.5f, 0.0f, -std::acos(std::cos(0.5f) * std::cos(0.6f)),
         -std::acos(std::cos(0.5f) * std::cos(0.6f))},
        {"tilted, then turned the other way", 0.6f, -0.5f, 0.0f, std::acos(std::cos(0.5f) * std::cos(0.6f)),
         std::acos(std::cos(0.5f) * std::cos(0.6f))},
        {"tilted, box turned in the model", 0.6f, 0.0f, 0.4f, 0.6f, -std::acos(std::cos(0.4f) * std::cos(0.6f))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CModel> model = MakeModel({}, {{CVector3(0.0f, 0.0f, 0.0f), 0.3f, 0.2f, c.boxTurn}});
        CMatrix tilt;
        tilt.SetRotationX(c.tilt);
        const CMatrix turn = TurnedAt(c.turn, 1.0f, 2.0f);
        CMatrix placement;
        CMatrix::Multiply(&placement, tilt, turn);
        for (int bStatic : {0, 1}) {
            SCOPED_TRACE(bStatic);
            CPhysicsWorld world;
            CPhysicsBody* body = world.AddBody(model.get(), nullptr, bStatic, &placement, -1, 0);
            EXPECT_NEAR(body->GetAngleZ(), c.bodyAngle, 1e-5f);
            CShapeRecorder device;
            world.DrawDebug(&device);
            ASSERT_EQ(device.m_Shapes.size(), 1u);
            EXPECT_TRUE(Near(device.m_Shapes[0].axes[1], CVector3(std::sin(c.boxAngle), std::cos(c.boxAngle), 0.0f)));
        }
    }
}

TEST_F(PhysicsBodyTest, UprightBodyHasAngleZeroWhateverItsScale) {
    // Rounding may put the cosine a hair above 1; the angle must still be 0, not broken.
    for (float scale : {1e-23f, 1e-22f, 1.0721353e-22f, 1e-3f, 0.1f, 0.3f, 0.7f, 1.7f, 3.3f, 7.77f, 123.4f}) {
        SCOPED_TRACE(scale);
        const CMatrix scaled = Scaled(scale);
        CPhysicsBody* body = m_world.AddBody(m_crate.get(), nullptr, 0, &scaled, -1, 0);
        EXPECT_EQ(body->GetAngleZ(), 0.0f);
    }
}

TEST_F(PhysicsBodyTest, ShapesSitWhereTheTransformPutsThem) {
    std::unique_ptr<CModel> model = MakeModel({{CVector3(-0.3f, 0.1f, 0.0f), 0.1f}},
                                              {{CVector3(0.2f, -0.1f, 0.0f), 0.3f, 0.05f, 0.4f}});
    const CMatrix placement = TurnedAt(0.7f, 1.0f, 2.0f);
    CVector3 sphereAt;
    CVector3 boxAt;
    placement.TransformPoint(&sphereAt, CVector3(-0.3f, 0.1f, 0.0f));
    placement.TransformPoint(&boxAt, CVector3(0.2f, -0.1f, 0.0f));
    sphereAt.z = 0.0f;
    boxAt.z = 0.0f;
    for (int bStatic : {0, 1}) {
        SCOPED_TRACE(bStatic);
        CPhysicsWorld world;
        CPhysicsBody* body = world.AddBody(model.get(), nullptr, bStatic, &placement, -1, 0);
        ASSERT_EQ(body->m_nGeoms, 2u);
        for (uint32_t i = 0; i < 2; ++i) {
            EXPECT_EQ(dGeomGetBody(body->m_pTransforms[i]), bStatic ? nullptr : body->m_Body);
            EXPECT_EQ(dGeomGetCategoryBits(body->m_pTransforms[i]), bStatic ? 0ul : 1ul);
            EXPECT_EQ(dGeomGetData(body->m_pTransforms[i]), body);
            EXPECT_EQ(dGeomGetSpace(body->m_pTransforms[i]), world.m_Space);
            EXPECT_EQ(dGeomGetSpace(body->m_pGeoms[i]), nullptr);
        }
        EXPECT_EQ(dBodyIsEnabled(body->m_Body), bStatic ? 0 : 1);

        CShapeRecorder device;
        world.DrawDebug(&device);
        ASSERT_EQ(device.m_Shapes.size(), 2u);
        const CShapeRecorder::Shape& sphere = device.m_Shapes[0];
        EXPECT_EQ(sphere.kind, "sphere");
        EXPECT_TRUE(Near(sphere.centre, sphereAt));
        EXPECT_NEAR(sphere.radius, 0.1f, 1e-6f);
        EXPECT_EQ(sphere.color, 0xFF7F7F7Fu);
        const CShapeRecorder::Shape& box = device.m_Shapes[1];
        EXPECT_EQ(box.kind, "box");
        EXPECT_TRUE(Near(box.centre, boxAt));
        EXPECT_TRUE(Near(box.half, CVector3(0.3f, 0.05f, 0.5f)));
        EXPECT_TRUE(Near(box.axes[0], CVector3(std::cos(1.1f), std::sin(1.1f), 0.0f)));
        EXPECT_TRUE(Near(box.axes[1], CVector3(-std::sin(1.1f), std::cos(1.1f), 0.0f)));
        EXPECT_TRUE(Near(box.axes[2], CVector3(0.0f, 0.0f, 1.0f)));
        // Lighting off around the shapes.
        ASSERT_GE(device.m_Calls.size(), 4u);
        EXPECT_EQ(device.m_Calls.front(), "SetRenderState 40 0");
        EXPECT_EQ(device.m_Calls.back(), "SetRenderState 40 1");
    }
}

TEST_F(PhysicsBodyTest, TheCategoryAndFieldMaskGivenDecideWhatTheBodyMeets) {
    // Two balls over static scenery under a cone blowing down: one of category 2 that the
    // field's mask takes, one of the automatic category that the mask leaves out.
    const CMatrix crateAt = At(0.5f, 0.0f);
    m_world.AddBody(m_crate.get(), nullptr, 1, &crateAt, -1, 0);
    const CMatrix overCrate = At(0.5f, 0.6f);
    CPhysicsBody* ghost = m_world.AddBody(m_ball.get(), nullptr, 0, &overCrate, 2, 1);
    CPhysicsBody* plain = m_world.AddBody(m_ball.get(), nullptr, 0, &overCrate, -1, 2);
    plain->m_nNoCollideId = 1;
    ghost->m_nNoCollideWith = 1;
    CForceCone blower;
    blower.SetOpeningAngle(30.0f);
    const CVector3 down(0.0f, -1.0f, 0.0f);
    blower.SetDirection(&down);
    blower.SetReach(5.0f);
    const CVector3 above(0.5f, 2.0f, 0.0f);
    blower.SetPosition(&above);
    m_world.AddForceField(&blower, 1.0f, 1);

    m_world.Step(0.005);
    EXPECT_LT(VelocityOf(ghost).y, VelocityOf(plain).y) << "the field takes the mask it was given";
    StepFor(&m_world, 200);
    EXPECT_LT(PositionOf(ghost).y, 0.0f) << "category 2 passes through the scenery";
    EXPECT_NEAR(PositionOf(plain).y, 0.4f, 0.02f) << "resting on the crate";
}

TEST_F(PhysicsBodyTest, RebuildTurnsSceneryIntoAMovingBody) {
    const CMatrix high = At(0.0f, 5.0f);
    CPhysicsBody* body = m_world.AddBody(m_crate.get(), nullptr, 1, &high, -1, 0);
    StepFor(&m_world, 20);
    EXPECT_EQ(PositionOf(body).y, 5.0f);
    const CMatrix higher = At(1.0f, 6.0f);
    body->Rebuild(0, &higher);
    EXPECT_EQ(m_world.m_bActive, 1);
    EXPECT_EQ(PositionOf(body).x, 1.0f);
    StepFor(&m_world, 20);
    EXPECT_LT(PositionOf(body).y, 6.0f);
    body->Rebuild(1, nullptr);
    EXPECT_EQ(m_world.m_bActive, 0);
    EXPECT_EQ(PositionOf(body).y, 6.0f);
}

TEST_F(PhysicsBodyTest, DisabledShapesLetOtherBodiesThroughUntilEnabledAgain) {
    const CMatrix floorPlace = At(0.0f, 0.0f);
    CPhysicsBody* floor = m_world.AddBody(m_crate.get(), nullptr, 1, &floorPlace, -1, 0);
    const CMatrix above = At(0.0f, 1.0f);
    CPhysicsBody* ball = m_world.AddBody(m_ball.get(), nullptr, 0, &above, -1, 0);
    StepFor(&m_world, 100);
    // Resting on the crate: its top at 0.2, the ball's radius 0.2.
    EXPECT_NEAR(PositionOf(ball).y, 0.4f, 0.02f);

    floor->EnableGeoms(0);
    StepFor(&m_world, 100);
    // Through it and below its bottom.
    EXPECT_LT(PositionOf(ball).y, -0.5f);

    const CMatrix aboveAgain = At(0.0f, 1.0f);
    ball->Rebuild(0, &aboveAgain);
    floor->EnableGeoms(1);
    StepFor(&m_world, 100);
    EXPECT_NEAR(PositionOf(ball).y, 0.4f, 0.02f);
}

TEST_F(PhysicsBodyTest, PinsHoldTheBodyUntilReleased) {
    struct Case {
        const char* name;
        bool bAnchor;
    } cases[] = {{"hinge at a point", true}, {"fixed", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_world.Clear();
        const CMatrix where = At(0.0f, 2.0f);
        CPhysicsBody* body = m_world.AddBody(m_crate.get(), nullptr, 0, &where, -1, 0);
        const CVector3 anchor(0.0f, 2.5f, 0.0f);
        body->Pin(1, c.bAnchor ? &anchor : nullptr);
        body->Pin(1, c.bAnchor ? &anchor : nullptr);
        EXPECT_EQ(dBodyGetNumJoints(body->m_Body), 1);
        body->AddForceAtPos(CVector3(0.0f, 1.0f, 0.0f), CVector3(0.3f, 2.0f, 0.0f));
        StepFor(&m_world, 200);
        EXPECT_NEAR(PositionOf(body).y, 2.0f, 0.01f);
        EXPECT_NEAR(body->GetAngleZ(), 0.0f, 0.012f);
        body->Pin(0, nullptr);
        EXPECT_EQ(body->m_PinJoint, nullptr);
        StepFor(&m_world, 100);
        EXPECT_LT(PositionOf(body).y, 1.0f);
    }
}

TEST_F(PhysicsBodyTest, ConstantForceAndDampingActInThePlane) {
    m_world.SetGravity(0.0f);
    const CMatrix where = At(0.0f, 0.0f);
    CPhysicsBody* body = m_world.AddBody(m_ball.get(), nullptr, 0, &where, -1, 0);
    dMass mass;
    body->GetMass(&mass);
    body->m_vConstantForce = CVector3(static_cast<float>(mass.mass), 0.0f, 5.0f);
    StepFor(&m_world, 201);
    // The force acts from the step after the first: 200 steps of a = 1.
    EXPECT_NEAR(VelocityOf(body).x, 1.0f, 1e-4f);
    EXPECT_EQ(VelocityOf(body).z, 0.0f);

    body->m_vConstantForce = CVector3(0.0f, 0.0f, 0.0f);
    body->m_fLinearDamping = static_cast<float>(mass.mass) * 10.0f;
    StepFor(&m_world, 200);
    EXPECT_LT(VelocityOf(body).x, 0.5f);
    EXPECT_GT(VelocityOf(body).x, 0.0f);
}

// A world to spoil: a floor, a ball resting on it and a crate.
struct Spoilt {
    CPhysicsWorld world{&Accept};
    std::unique_ptr<CModel> floorModel = BoxModel(10.0f, 0.5f);
    std::unique_ptr<CModel> ballModel = SphereModel(0.1f);
    std::unique_ptr<CModel> crateModel = BoxModel(0.25f, 0.25f);
    std::unique_ptr<CModel> odd;  // a model the case builds
    CForceCone cone;
    CPhysicsBody* floor = nullptr;
    CPhysicsBody* ball = nullptr;
    CPhysicsBody* crate = nullptr;

    Spoilt() {
        const CMatrix floorAt = At(0.0f, -0.5f);
        floor = world.AddBody(floorModel.get(), nullptr, 1, &floorAt, -1, 0);
        const CMatrix ballAt = At(0.0f, 0.1f);
        ball = world.AddBody(ballModel.get(), nullptr, 0, &ballAt, -1, 1);
        const CMatrix crateAt = At(1.0f, 0.25f);
        crate = world.AddBody(crateModel.get(), nullptr, 0, &crateAt, -1, 1);
    }

    // A dynamic body of the model under the transform: it must have no shapes and no mass.
    void ExpectEmptyBody(std::unique_ptr<CModel> model, const CMatrix* transform = nullptr) {
        odd = std::move(model);
        CPhysicsBody* body = world.AddBody(odd.get(), nullptr, 0, transform, -1, 1);
        EXPECT_EQ(body->m_nGeoms, 0u);
        dMass mass;
        body->GetMass(&mass);
        EXPECT_EQ(mass.mass, 0.0);
        EXPECT_EQ(body->GetAngleZ(), 0.0f);
        CVector3 p(3.0f, 3.0f, 3.0f);
        body->GetPosition(&p);
        EXPECT_EQ(p.x, 3.0f);
    }
};

struct BadInput {
    const char* name;
    std::function<void(Spoilt&)> spoil;
};

TEST(PhysicsBadInputTest, NeitherAbortsNorPoisonsTheWorld) {
    const float nan = NAN;
    const float inf = INFINITY;
    const CVector3 nanVector(nan, 0.0f, 0.0f);
    const BadInput cases[] = {
        {"model without volumes", [](Spoilt& s) { s.ExpectEmptyBody(MakeModel({}, {})); }},
        {"no model", [](Spoilt& s) { s.ExpectEmptyBody(nullptr); }},
        {"zero radius", [](Spoilt& s) { s.ExpectEmptyBody(SphereModel(0.0f)); }},
        {"negative radius", [](Spoilt& s) { s.ExpectEmptyBody(SphereModel(-0.2f)); }},
        {"broken radius", [=](Spoilt& s) { s.ExpectEmptyBody(SphereModel(nan)); }},
        {"infinite radius", [=](Spoilt& s) { s.ExpectEmptyBody(SphereModel(inf)); }},
        {"radius overflowing under the scale",
         [](Spoilt& s) {
             const CMatrix doubled = Scaled(2.0f);
             s.ExpectEmptyBody(SphereModel(3e38f), &doubled);
         }},
        {"zero-size box", [](Spoilt& s) { s.ExpectEmptyBody(BoxModel(0.0f, 0.3f)); }},
        {"flat box", [](Spoilt& s) { s.ExpectEmptyBody(BoxModel(0.3f, 0.0f)); }},
        {"negative box", [](Spoilt& s) { s.ExpectEmptyBody(BoxModel(-0.3f, 0.3f)); }},
        {"box at no place",
         [=](Spoilt& s) { s.ExpectEmptyBody(MakeModel({}, {{CVector3(nan, 0.0f, 0.0f), 0.2f, 0.2f}})); }},
        {"broken sphere centre",
         [=](Spoilt& s) { s.ExpectEmptyBody(MakeModel({{CVector3(0.0f, inf, 0.0f), 0.2f}}, {})); }},
        {"zero scale",
         [](Spoilt& s) {
             const CMatrix zero = Scaled(0.0f);
             s.ExpectEmptyBody(SphereModel(0.2f), &zero);
         }},
        {"broken transform",
         [=](Spoilt& s) {
             CMatrix broken = At(0.0f, 1.0f);
             broken.m_f[12] = nan;
             s.ExpectEmptyBody(BoxModel(0.2f, 0.2f), &broken);
         }},
        {"transform without w",
         [](Spoilt& s) {
             CMatrix flat = At(0.0f, 1.0f);
             flat.m_f[15] = 0.0f;
             s.ExpectEmptyBody(SphereModel(0.2f), &flat);
         }},
        {"zero density written and rebuilt",
         [](Spoilt& s) {
             s.ball->m_fDensity = 0.0f;
             s.ball->Rebuild(0, nullptr);
             EXPECT_EQ(s.ball->m_nGeoms, 0u);
         }},
        {"bad densities set",
         [=](Spoilt& s) {
             for (float density : {0.0f, -1.0f, nan, inf})
                 s.ball->SetDensity(density);
             EXPECT_EQ(s.ball->m_fDensity, 1.0f);
             EXPECT_EQ(s.ball->m_nGeoms, 1u);
         }},
        {"rebuilt at a broken place",
         [=](Spoilt& s) {
             CMatrix broken = At(nan, 1.0f);
             s.crate->Rebuild(0, &broken);
             EXPECT_EQ(s.crate->m_nGeoms, 0u);
         }},
        {"broken position, velocity and forces",
         [=](Spoilt& s) {
             s.ball->SetPosition(nanVector);
             s.ball->SetLinearVelocity(CVector3(0.0f, inf, 0.0f));
             s.ball->AddForce(nanVector);
             s.ball->AddForceAtPos(CVector3(1.0f, 0.0f, 0.0f), CVector3(0.0f, nan, 0.0f));
             s.ball->AddForceAtPos(CVector3(-inf, 0.0f, 0.0f), CVector3(0.0f, 0.0f, 0.0f));
             EXPECT_EQ(PositionOf(s.ball).x, 0.0f);
         }},
        {"broken fields the element passes write",
         [=](Spoilt& s) {
             s.ball->m_vConstantForce = CVector3(nan, 1.0f, 0.0f);
             s.ball->m_fLinearDamping = nan;
             s.ball->m_fAngularDamping = inf;
             s.ball->m_fFriction = nan;
             s.ball->m_fBounce = 1e30f;
             s.floor->m_fConveyorSpeed = inf;
             s.crate->m_fFriction = -2.0f;
             s.crate->m_fBounce = nan;
         }},
        {"turned half round about x",
         [](Spoilt& s) {
             const dQuaternion over = {0.0, 1.0, 0.0, 0.0};
             dBodySetQuaternion(s.crate->m_Body, over);
         }},
        {"broken explosions",
         [=](Spoilt& s) {
             s.world.ApplyExplosion(nanVector, 5.0f, 1.0f);
             s.world.ApplyExplosion(CVector3(0.0f, 0.0f, 0.0f), nan, 1.0f);
             s.world.ApplyExplosion(CVector3(0.0f, 0.0f, 0.0f), 5.0f, 0.0f);
             s.world.ApplyExplosion(CVector3(0.5f, 0.0f, 0.0f), 5.0f, nan);
             s.world.ApplyExplosion(CVector3(0.5f, 0.0f, 0.0f), 5.0f, -inf);
         }},
        {"bad hinges",
         [=](Spoilt& s) {
             const CVector3 at(0.0f, 0.5f, 0.0f);
             EXPECT_EQ(s.world.AddHinge(s.ball, s.ball, at, 1.0f, 0, 0.0f, 0.0f), nullptr);
             EXPECT_EQ(s.world.AddHinge(s.ball, nullptr, nanVector, 1.0f, 0, 0.0f, 0.0f), nullptr);
             EXPECT_EQ(s.world.AddHinge(s.ball, nullptr, at, nan, 0, 0.0f, 0.0f), nullptr);
             EXPECT_EQ(s.world.AddHinge(s.ball, nullptr, at, 1.0f, 1, nan, 0.0f), nullptr);
             EXPECT_EQ(s.world.AddHinge(s.ball, nullptr, at, 1.0f, 1, 0.0f, -inf), nullptr);
             // Scenery without its own body stands for the static world on both sides.
             EXPECT_NE(s.world.AddHinge(s.floor, nullptr, at, 1.0f, 0, 0.0f, 0.0f), nullptr);
             dJointID hinge = s.world.AddHinge(s.ball, s.crate, at, 1.0f, 1, 0.5f, -0.5f);
             ASSERT_NE(hinge, nullptr);
             CPhysicsWorld::SetHingeMotor(hinge, nan, 1.0f);
             CPhysicsWorld::SetHingeMotor(hinge, 1.0f, inf);
             CPhysicsWorld::SetHingeMotor(nullptr, 1.0f, 1.0f);
             EXPECT_EQ(CPhysicsWorld::GetHingeAngle(nullptr), 0.0f);
             dJointID fixed = dJointCreateFixed(s.world.m_World, nullptr);
             CPhysicsWorld::SetHingeMotor(fixed, 1.0f, 1.0f);
             EXPECT_EQ(CPhysicsWorld::GetHingeAngle(fixed), 0.0f);
             dJointDestroy(fixed);
         }},
        {"pin at no place",
         [=](Spoilt& s) {
             s.ball->Pin(1, &nanVector);
             EXPECT_EQ(s.ball->m_PinJoint, nullptr);
             s.ball->Pin(0, nullptr);
         }},
        {"broken force fields",
         [=](Spoilt& s) {
             // A cone over everything.
             s.cone.SetPosition(&nanVector);
             s.cone.m_fHalfAngle = 3.0f;
             s.cone.m_fAngleScale = 0.3f;
             s.cone.SetReach(20.0f);
             s.world.AddForceField(&s.cone, nan, 1);
             s.world.AddForceField(nullptr, 1.0f, 1);
             s.world.SetForceFieldFactor(nullptr, 2.0f);
             CForceCone other;
             s.world.SetForceFieldFactor(&other, 2.0f);
             s.world.AddForceField(&s.cone, inf, 1);
         }},
        {"broken gravity",
         [=](Spoilt& s) {
             s.world.SetGravity(nan);
             EXPECT_FLOAT_EQ(s.world.m_fGravityY, -9.81f);
         }},
        {"bodies removed wrongly",
         [](Spoilt& s) {
             s.world.RemoveBody(nullptr);
             CPhysicsBody stranger;
             s.world.RemoveBody(&stranger);
             s.world.RemoveBody(s.crate);
             s.world.RemoveBody(s.crate);
             s.crate->Rebuild(0, nullptr);
             s.crate->SetDensity(2.0f);
             EXPECT_EQ(s.world.m_pBodies->m_nCount, 2);
         }},
        {"bad steps",
         [=](Spoilt& s) {
             for (double dt : {-1.0, static_cast<double>(nan), static_cast<double>(inf), 1e-300})
                 s.world.Step(dt);
         }},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        Spoilt s;
        c.spoil(s);
        StepFor(&s.world, 300);
        EXPECT_TRUE(AllFinite(s.world));
        // The world still works: a dropped ball lands on the floor.
        const CMatrix above = At(-3.0f, 1.0f);
        CPhysicsBody* probe = s.world.AddBody(s.ballModel.get(), nullptr, 0, &above, -1, 0);
        StepFor(&s.world, 300);
        EXPECT_NEAR(PositionOf(probe).y, 0.1f, 0.01f);
        EXPECT_TRUE(AllFinite(s.world));
    }
}

}  // namespace
