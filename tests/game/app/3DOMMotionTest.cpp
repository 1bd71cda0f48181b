// Object motion: nodes stepping towards their targets, following their parents, turning, and
// placing their objects; the pass that places without moving.
#include "game/app/3DOMObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "tests/game/app/ObjectModelFixture.h"

namespace {

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);

using ObjectMotionTest = ObjectModelTest;

TEST_F(ObjectMotionTest, ANodeStepsTowardsItsTargetAtItsVelocity) {
    struct Frame {
        float x;  // position along the way
        int arrived;
        float moveDir;  // along the way
    };
    struct Case {
        const char* name;
        float velocity;
        double frameTime;
        CVector3 way;  // unit direction from the start to the target
        float distance;
        int arrivedBefore;
        Frame frames[3];
    };
    const CVector3 alongX(1.0f, 0.0f, 0.0f);
    const CVector3 slanted(0.6f, 0.0f, -0.8f);
    const Case cases[] = {
        {"three units at 2 per second, half-second frames", 2.0f, 0.5, alongX, 3.0f, 0,
         {{1.0f, 0, 1.0f}, {2.0f, 0, 1.0f}, {3.0f, 1, 0.0f}}},
        {"the remaining distance equals the step", 2.0f, 0.5, alongX, 1.0f, 0,
         {{1.0f, 1, 0.0f}, {1.0f, 1, 0.0f}, {1.0f, 1, 0.0f}}},
        {"slanted, overshooting step", 4.0f, 0.5, slanted, 5.0f, 0,
         {{2.0f, 0, 1.0f}, {4.0f, 0, 1.0f}, {5.0f, 1, 0.0f}}},
        {"a negative velocity backs away from the target", -2.0f, 0.5, alongX, 3.0f, 0,
         {{-1.0f, 0, 1.0f}, {-2.0f, 0, 1.0f}, {-3.0f, 0, 1.0f}}},
        {"already on the target", 2.0f, 0.5, alongX, 0.000001f, 0,
         {{0.000001f, 1, 0.0f}, {0.000001f, 1, 0.0f}, {0.000001f, 1, 0.0f}}},
        {"no velocity keeps an arrival", 0.0f, 0.5, alongX, 3.0f, 1,
         {{0.0f, 1, 0.0f}, {0.0f, 1, 0.0f}, {0.0f, 1, 0.0f}}},
        {"no velocity keeps no arrival", 0.0f, 0.5, alongX, 3.0f, 0,
         {{0.0f, 0, 0.0f}, {0.0f, 0, 0.0f}, {0.0f, 0, 0.0f}}},
    };
    for (const bool relative : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (relative ? ", relative" : ", absolute"));
            m_pTree->DeleteAll();
            const CVector3 start(1.0f, 2.0f, 3.0f);
            M3DOMObject* mo = AddElement("mover", kGearModel, kOrigin);
            const CVector3 target(start.x + c.way.x * c.distance, start.y + c.way.y * c.distance,
                                  start.z + c.way.z * c.distance);
            mo->m_bRelative = relative ? 1 : 0;
            (relative ? mo->m_vPosRel : mo->m_vPos) = start;
            (relative ? mo->m_vTargetRel : mo->m_vTarget) = target;
            mo->m_fVelocity = c.velocity;
            mo->m_bArrived = c.arrivedBefore;
            m_FrameTime = c.frameTime;
            for (const Frame& f : c.frames) {
                m_pTree->UpdateAll();
                const CVector3 expected(start.x + c.way.x * f.x, start.y + c.way.y * f.x, start.z + c.way.z * f.x);
                ExpectNear(relative ? mo->m_vPosRel : mo->m_vPos, expected);
                // Under the root the relative position is the absolute one.
                ExpectNear(mo->m_vPos, expected);
                ExpectNear(mo->GetO(0)->m_vPos, expected);
                EXPECT_EQ(mo->m_bArrived, f.arrived);
                ExpectNear(mo->m_vMoveDir, CVector3(c.way.x * f.moveDir, c.way.y * f.moveDir, c.way.z * f.moveDir));
            }
        }
    }
}

TEST_F(ObjectMotionTest, ArrivingTakesTheTargetExactly) {
    M3DOMObject* mo = AddMO("mover");
    mo->m_vPos = CVector3(0.1f, 0.2f, 0.3f);
    mo->m_vTarget = CVector3(0.7f, -0.4f, 1.9f);
    mo->m_fVelocity = 100.0f;
    m_FrameTime = 0.25;
    m_pTree->UpdateAll();
    ExpectNear(mo->m_vPos, mo->m_vTarget, 0.0f);
    EXPECT_EQ(mo->m_bArrived, 1);
}

// The parent moves one unit along x a frame; a child placed relative to it follows.
TEST_F(ObjectMotionTest, ChildrenFollowTheirParentsInTheSameFrame) {
    struct Case {
        const char* name;
        int relative;
        int unscaled;
        int rotRel;
        int parentHeld;
        CVector3 childPos;  // after one frame
        CVector3 childRot;
    };
    const CVector3 scaledOffset(2.0f, 1.0f, 0.0f);  // posRel (1, 0.5, 0) times the child's scale 2
    const Case cases[] = {
        {"relative, scaled offset", 1, 0, 0, 0, CVector3(1.0f + 2.0f, 1.0f, 0.0f), CVector3(0.0f, 0.0f, 0.0f)},
        {"relative, unscaled offset", 1, 1, 0, 0, CVector3(1.0f + 1.0f, 0.5f, 0.0f), CVector3(0.0f, 0.0f, 0.0f)},
        {"relative rotation too", 1, 0, 1, 0, CVector3(3.0f, 1.0f, 0.0f), CVector3(0.25f, 0.5f, 0.0f)},
        {"absolute", 0, 0, 0, 0, CVector3(7.0f, 7.0f, 7.0f), CVector3(0.0f, 0.0f, 0.0f)},
        {"held parent", 1, 0, 1, 1, CVector3(7.0f, 7.0f, 7.0f), CVector3(0.0f, 0.0f, 0.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pTree->DeleteAll();
        M3DOMObject* parent = AddMO("parent");
        parent->m_vTarget = CVector3(5.0f, 0.0f, 0.0f);
        parent->m_fVelocity = 2.0f;
        parent->m_vRot = CVector3(0.25f, 0.0f, 0.0f);
        M3DOMObject* child = AddElement("child", kGearModel, CVector3(7.0f, 7.0f, 7.0f), kOrigin, parent);
        M3DOMObject* grandchild = AddMO("grandchild", child);
        grandchild->m_bRelative = 1;
        grandchild->m_vPosRel = CVector3(0.0f, 0.0f, 1.0f);
        child->m_vScale = CVector3(2.0f, 2.0f, 2.0f);
        child->m_bRelative = c.relative;
        child->m_bUnscaledOffsets = c.unscaled;
        child->m_bRotRel = c.rotRel;
        child->m_vPosRel = child->m_vTargetRel = CVector3(1.0f, 0.5f, 0.0f);
        child->m_vRotRel = CVector3(0.0f, 0.5f, 0.0f);
        parent->m_bHold = c.parentHeld;
        parent->m_nFrameMark = child->m_nFrameMark = 9;
        m_FrameTime = 0.5;
        m_pTree->UpdateAll();

        ExpectNear(parent->m_vPos, CVector3(c.parentHeld ? 0.0f : 1.0f, 0.0f, 0.0f));
        ExpectNear(child->m_vPos, c.childPos);
        ExpectNear(child->m_vRot, c.childRot);
        if (c.relative && !c.parentHeld) {
            // The target follows the parent's target the same way.
            const CVector3 offset = c.unscaled ? CVector3(1.0f, 0.5f, 0.0f) : scaledOffset;
            ExpectNear(child->m_vTarget, CVector3(5.0f + offset.x, offset.y, offset.z));
        }
        // The grandchild's offset is scaled by its own scale, 1, and follows the child.
        ExpectNear(grandchild->m_vPos, c.parentHeld ? kOrigin : CVector3(c.childPos.x, c.childPos.y, c.childPos.z + 1.0f));
        // A held subtree's objects are not placed either.
        ExpectNear(child->GetO(0)->m_vPos, c.parentHeld ? kOrigin : c.childPos);
        EXPECT_EQ(parent->m_nFrameMark, c.parentHeld ? 9 : 0);
        EXPECT_EQ(child->m_nFrameMark, c.parentHeld ? 9 : 0);
    }
}

TEST_F(ObjectMotionTest, ObjectsTakeTheNodesPlacementWithUnturnedScaledOffsets) {
    M3DOMObject* mo = AddMO("node");
    mo->m_vPos = CVector3(1.0f, 2.0f, 3.0f);
    mo->m_vRot = CVector3(0.0f, 1.5707964f, 0.0f);
    mo->m_vScale = CVector3(2.0f, 3.0f, 4.0f);
    C3DObject* o = mo->AddO(kGearModel, CVector3(1.0f, 0.0f, 0.5f));
    ASSERT_NE(o, nullptr);
    o->m_vOwnRot = CVector3(0.5f, 0.25f, 0.0f);
    m_pTree->UpdateAll();
    ExpectNear(o->m_vPos, CVector3(1.0f + 2.0f, 2.0f, 3.0f + 2.0f), 0.0f);
    ExpectNear(o->m_vRot, CVector3(0.5f, 1.5707964f + 0.25f, 0.0f));
    ExpectNear(o->m_vScale, CVector3(2.0f, 3.0f, 4.0f), 0.0f);
    // The matrix is built from that placement by the object list.
    EXPECT_FLOAT_EQ(o->m_mWorld.At(3, 0), 3.0f);
}

TEST_F(ObjectMotionTest, AnglesTurnByTheAngularVelocityAndWrapKeepingTheirSign) {
    struct Case {
        float rot;
        float angularVelocity;
        double frameTime;
    };
    const Case cases[] = {
        {6.0f, 1.0f, 0.5}, {-6.0f, -1.0f, 0.5}, {0.5f, 2.0f, 0.25}, {20.0f, 0.0f, 0.5}, {-20.0f, 0.0f, 0.5},
        {6.2831855f, 0.0f, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rot) + " + " + std::to_string(c.angularVelocity));
        m_pTree->DeleteAll();
        M3DOMObject* mo = AddMO("spinner");
        mo->m_vRot = CVector3(c.rot, c.rot, c.rot);
        mo->m_vAngularVelocity = CVector3(c.angularVelocity, 0.0f, -c.angularVelocity);
        m_FrameTime = c.frameTime;
        m_pTree->UpdateAll();
        const float step = static_cast<float>(c.frameTime) * c.angularVelocity;
        auto wrapped = [](float angle) {
            return static_cast<float>(std::fmod(static_cast<double>(angle), 6.2831854820251465));
        };
        EXPECT_EQ(mo->m_vRot.x, wrapped(c.rot + step));
        EXPECT_EQ(mo->m_vRot.y, wrapped(c.rot));
        EXPECT_EQ(mo->m_vRot.z, wrapped(c.rot - step));
        EXPECT_LT(std::fabs(mo->m_vRot.x), 6.2831855f);
        EXPECT_TRUE(mo->m_vRot.x == 0.0f || (mo->m_vRot.x > 0.0f) == (c.rot + step > 0.0f));
    }
}

TEST_F(ObjectMotionTest, UpdateTransformsPlacesWithoutMovingAndRestoresTheFrameTime) {
    M3DOMObject* mover = AddElement("mover", kGearModel, kOrigin);
    mover->m_vTarget = CVector3(3.0f, 0.0f, 0.0f);
    mover->m_fVelocity = 2.0f;
    mover->m_vAngularVelocity = CVector3(1.0f, 0.0f, 0.0f);
    M3DOMObject* follower = AddElement("follower", kGearModel, kOrigin, kOrigin, mover);
    follower->m_bRelative = 1;
    follower->m_vPosRel = CVector3(0.0f, 1.0f, 0.0f);
    M3DOMObject* nearly = AddMO("nearly");
    nearly->m_vPos = CVector3(0.0f, 0.0f, 0.0f);
    nearly->m_vTarget = CVector3(0.000001f, 0.0f, 0.0f);
    nearly->m_fVelocity = 1.0f;
    m_FrameTime = 0.5;

    for (M3DOMObject* from : {static_cast<M3DOMObject*>(nullptr), mover}) {
        m_pTree->UpdateTransforms(from);
        EXPECT_EQ(m_FrameTime, 0.5);
        ExpectNear(mover->m_vPos, kOrigin, 0.0f);
        ExpectNear(mover->m_vRot, kOrigin, 0.0f);
        EXPECT_EQ(mover->m_bArrived, 0);
        ExpectNear(mover->m_vMoveDir, CVector3(1.0f, 0.0f, 0.0f));
        ExpectNear(follower->m_vPos, CVector3(0.0f, 1.0f, 0.0f), 0.0f);
        ExpectNear(follower->GetO(0)->m_vPos, CVector3(0.0f, 1.0f, 0.0f), 0.0f);
        EXPECT_FLOAT_EQ(follower->GetO(0)->m_mWorld.At(3, 1), 1.0f);
    }
    // Nearer than the least distance the node stands on its target, time or no time.
    EXPECT_EQ(nearly->m_bArrived, 1);
    ExpectNear(nearly->m_vPos, nearly->m_vTarget, 0.0f);

    m_pTree->UpdateAll();
    ExpectNear(mover->m_vPos, CVector3(1.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(mover->m_vRot.x, 0.5f);

    // A tree without times places all the same.
    M3DOMTree timeless(&m_Gfx, nullptr, &m_Device, nullptr, nullptr, nullptr, &m_Entries, &m_Emitters);
    M3DOMObject* lone = timeless.CreateMO("lone");
    M3DOMTree::Reparent(timeless.m_pRoot, lone);
    lone->m_vTarget = CVector3(1.0f, 0.0f, 0.0f);
    lone->m_fVelocity = 1.0f;
    timeless.UpdateAll();
    timeless.UpdateTransforms(nullptr);
    ExpectNear(lone->m_vPos, kOrigin, 0.0f);
}

TEST_F(ObjectMotionTest, SetScaleReachesEveryObjectAndDescendantButTheNodeOnlyWhenAsked) {
    M3DOMObject* top = AddElement("top", kGearModel, kOrigin);
    M3DOMObject* child = AddElement("child", kGearModel, kOrigin, kOrigin, top);
    M3DOMObject* grandchild = AddElement("grandchild", kHookModel, kOrigin, kOrigin, child);
    top->SetScale(2.0f, 3.0f, 4.0f, 0);
    const CVector3 scale(2.0f, 3.0f, 4.0f);
    ExpectNear(top->m_vScale, CVector3(1.0f, 1.0f, 1.0f), 0.0f);
    for (M3DOMObject* mo : {top, child, grandchild})
        ExpectNear(mo->GetO(0)->m_vScale, scale, 0.0f);
    for (M3DOMObject* mo : {child, grandchild})
        ExpectNear(mo->m_vScale, scale, 0.0f);
    top->SetScale(0.5f, 0.5f, 0.5f, 1);
    ExpectNear(top->m_vScale, CVector3(0.5f, 0.5f, 0.5f), 0.0f);
}

TEST_F(ObjectMotionTest, ResetMoveTargetStopsTheNodeWhereItIs) {
    for (const int relative : {0, 1}) {
        SCOPED_TRACE(relative);
        m_pTree->DeleteAll();
        M3DOMObject* mo = AddMO("mover");
        mo->m_bRelative = relative;
        mo->m_vTarget = mo->m_vTargetRel = CVector3(3.0f, 0.0f, 0.0f);
        mo->m_fVelocity = 2.0f;
        m_FrameTime = 0.5;
        m_pTree->UpdateAll();
        mo->ResetMoveTarget();
        ExpectNear(relative ? mo->m_vTargetRel : mo->m_vTarget, CVector3(1.0f, 0.0f, 0.0f), 0.0f);
        m_pTree->UpdateAll();
        ExpectNear(relative ? mo->m_vPosRel : mo->m_vPos, CVector3(1.0f, 0.0f, 0.0f), 0.0f);
        EXPECT_EQ(mo->m_bArrived, 1);
    }
}

TEST_F(ObjectMotionTest, VisibilityAndHitReachTheWholeSubtree) {
    M3DOMObject* top = AddElement("top", kGearModel, kOrigin);
    M3DOMObject* child = AddElement("child", kGearModel, kOrigin, kOrigin, top);
    top->SetVisible(0);
    top->SetHit(0);
    for (M3DOMObject* mo : {top, child}) {
        EXPECT_EQ(mo->m_bVisible, 0);
        EXPECT_EQ(mo->GetO(0)->m_bVisible, 0);
        EXPECT_EQ(mo->GetO(0)->m_bHit, 0);
    }
    child->SetVisible(1);
    EXPECT_EQ(top->m_bVisible, 0);
    EXPECT_EQ(child->GetO(0)->m_bVisible, 1);
}

}  // namespace
