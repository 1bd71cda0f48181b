// Scene objects: the world matrix from the placement, the shadow's matrix-changed flag,
// clones, shader records shared or owned, overlap and bounds.
#include "game/app/3DObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <numbers>

#include "engine/core/Frustum.h"
#include "engine/graphics/Shader.h"
#include "game/app/3DObjectList.h"
#include "game/app/NamedEntryList.h"
#include "tests/game/app/SceneObjectFixture.h"

namespace {

using SceneObjectMatrixTest = SceneObjectTest;
using SceneObjectCloneTest = SceneObjectTest;
using SceneObjectShaderTest = SceneObjectTest;
using SceneObjectVolumeTest = SceneObjectTest;

// A full turn as a float, widened: what the angles wrap by.
constexpr double kFullTurn = static_cast<double>(2.0f * std::numbers::pi_v<float>);

TEST_F(SceneObjectMatrixTest, TheWorldMatrixIsScaleThenTurnsAboutXZYThenTheMove) {
    C3DObject object(&m_Device, nullptr);
    object.m_vScale = CVector3(2.0f, -1.0f, 1.5f);
    object.m_vOwnScale = CVector3(0.5f, 3.0f, 2.0f);
    object.m_vRot = CVector3(0.4f, -0.9f, 1.3f);
    object.m_vPos = CVector3(-2.0f, 0.5f, 4.0f);
    object.UpdateMatrix();

    // Each row is the image of a unit axis; the last row is the move.
    const CVector3 scale(1.0f, -3.0f, 3.0f);
    const CVector3 rows[] = {TurnByHand(CVector3(1.0f, 0.0f, 0.0f), scale, object.m_vRot),
                             TurnByHand(CVector3(0.0f, 1.0f, 0.0f), scale, object.m_vRot),
                             TurnByHand(CVector3(0.0f, 0.0f, 1.0f), scale, object.m_vRot), object.m_vPos};
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE(r);
        EXPECT_NEAR(object.m_mWorld.At(r, 0), rows[r].x, 1e-5f);
        EXPECT_NEAR(object.m_mWorld.At(r, 1), rows[r].y, 1e-5f);
        EXPECT_NEAR(object.m_mWorld.At(r, 2), rows[r].z, 1e-5f);
        EXPECT_EQ(object.m_mWorld.At(r, 3), r == 3 ? 1.0f : 0.0f);
    }
    // The last values are the effective ones.
    ExpectNear(object.m_vLastScale, scale, 0.0f);
    ExpectNear(object.m_vLastRot, object.m_vRot, 0.0f);
}

TEST_F(SceneObjectMatrixTest, AnglesWrapByAFullTurnKeepingTheirSign) {
    struct Case {
        float angle;
        float wrapped;
    };
    const Case cases[] = {
        {7.0f, static_cast<float>(7.0 - kFullTurn)},
        {-7.0f, static_cast<float>(-7.0 + kFullTurn)},
        {13.0f, static_cast<float>(13.0 - 2.0 * kFullTurn)},
        {1.0f, 1.0f},
        {-1.0f, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        C3DObject object(&m_Device, nullptr);
        object.m_vRot = CVector3(c.angle, c.angle, c.angle);
        object.UpdateMatrix();
        EXPECT_EQ(object.m_vRot.x, c.wrapped);
        EXPECT_EQ(object.m_vRot.y, c.wrapped);
        EXPECT_EQ(object.m_vRot.z, c.wrapped);
        EXPECT_EQ(object.m_vRot.y < 0.0f, c.angle < 0.0f);
    }
}

TEST_F(SceneObjectMatrixTest, OnlyATurnOrANewSizeOfADynamicShadowObjectMarksTheMatrixChanged) {
    struct Case {
        const char* name;
        bool dynamicShadow;
        void (*change)(C3DObject*);
        bool changed;
    };
    const Case cases[] = {
        {"turned", true, [](C3DObject* o) { o->m_vRot.z = 0.5f; }, true},
        {"own scale", true, [](C3DObject* o) { o->m_vOwnScale.y = 2.0f; }, true},
        {"owner's scale", true, [](C3DObject* o) { o->m_vScale.x = 0.5f; }, true},
        {"moved only", true, [](C3DObject* o) { o->m_vPos = CVector3(3.0f, 1.0f, -2.0f); }, false},
        {"nothing", true, [](C3DObject*) {}, false},
        {"turned without dynamic shadow", false, [](C3DObject* o) { o->m_vRot.z = 0.5f; }, false},
        {"scaled without dynamic shadow", false, [](C3DObject* o) { o->m_vScale.x = 0.5f; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C3DObject object(&m_Device, nullptr);
        EXPECT_EQ(object.m_bMatrixChanged, 1);  // a new object's shadow is built once
        object.m_bDynShadow = c.dynamicShadow ? 1 : 0;
        object.UpdateMatrix();
        object.m_bMatrixChanged = 0;
        c.change(&object);
        object.UpdateMatrix();
        EXPECT_EQ(object.m_bMatrixChanged, c.changed ? 1 : 0);
        // The same placement again changes nothing.
        object.m_bMatrixChanged = 0;
        object.UpdateMatrix();
        EXPECT_EQ(object.m_bMatrixChanged, 0);
    }
}

TEST_F(SceneObjectMatrixTest, SetFrameShowsOneFrame) {
    C3DObject object(&m_Device, nullptr);
    object.m_nFrameA = 1;
    object.m_nFrameB = 4;
    object.SetFrame(7);
    EXPECT_EQ(object.m_nFrameA, 7u);
    EXPECT_EQ(object.m_nFrameB, 7u);
    EXPECT_EQ(object.m_fFrameBlend, 7.0f);
}

TEST_F(SceneObjectCloneTest, ACloneCopiesEveryScriptFieldAndBuildsItsPointsAnew) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* source = list.Add("Gear", CVector3(0.1f, 0.2f, 0.3f), nullptr);
    ASSERT_NE(source, nullptr);
    source->m_nID = 42;
    source->m_nRenderPass = 3;
    source->m_bDynShadow = 1;
    source->m_bCastShadow = 0;
    source->m_fShadowLength = 0.2f;
    source->m_fFrameBlend = 0.25f;
    source->m_nFrameA = 2;
    source->m_nFrameB = 5;
    source->m_bHit = 0;
    source->m_fValue = 3.0f;
    source->m_bZEnable = 0;
    source->m_bVisible = 0;
    source->m_vPos = CVector3(1.0f, 2.0f, 3.0f);
    source->m_vRot = CVector3(0.1f, 0.2f, 0.3f);
    source->m_vOwnRot = CVector3(0.4f, 0.5f, 0.6f);
    source->m_vScale = CVector3(2.0f, 2.0f, 2.0f);
    source->m_vOwnScale = CVector3(0.5f, 1.0f, 1.5f);
    source->UpdateMatrix();
    source->m_bMatrixChanged = 0;
    source->m_fBillboardWidth = 1.5f;
    source->m_fBillboardHeight = 0.75f;

    // The clone's points take their kinds from the entries it is given.
    CNamedEntryList otherEntries;
    CNamedEntry* otherGear = otherEntries.Add("Gear", 9, 1);
    int owner = 0;
    std::unique_ptr<C3DObject> clone(source->Clone(reinterpret_cast<M3DOMObject*>(&owner), &otherEntries));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->m_pOwner, reinterpret_cast<M3DOMObject*>(&owner));
    EXPECT_EQ(clone->m_pDevice, &m_Device);
    EXPECT_EQ(clone->m_pGfx, source->m_pGfx);
    EXPECT_STREQ(clone->m_szName, "Gear");
    EXPECT_EQ(clone->m_nID, 42);
    EXPECT_EQ(clone->m_bBillboard, 0);
    EXPECT_EQ(clone->m_fBillboardWidth, 1.5f);
    EXPECT_EQ(clone->m_fBillboardHeight, 0.75f);
    EXPECT_EQ(clone->m_nRenderPass, 3u);
    EXPECT_EQ(clone->m_bDynShadow, 1);
    EXPECT_EQ(clone->m_bCastShadow, 0);
    EXPECT_EQ(clone->m_fShadowLength, 0.2f);
    EXPECT_EQ(clone->m_fFrameBlend, 0.25f);
    EXPECT_EQ(clone->m_nFrameA, 2u);
    EXPECT_EQ(clone->m_nFrameB, 5u);
    EXPECT_EQ(clone->m_bHit, 0);
    EXPECT_EQ(clone->m_fValue, 3.0f);
    EXPECT_EQ(clone->m_bZEnable, 0);
    EXPECT_EQ(clone->m_bVisible, 0);
    ExpectNear(clone->m_vPos, source->m_vPos, 0.0f);
    ExpectNear(clone->m_vPosRel, CVector3(0.1f, 0.2f, 0.3f), 0.0f);
    ExpectNear(clone->m_vRot, source->m_vRot, 0.0f);
    ExpectNear(clone->m_vOwnRot, source->m_vOwnRot, 0.0f);
    ExpectNear(clone->m_vScale, source->m_vScale, 0.0f);
    ExpectNear(clone->m_vOwnScale, source->m_vOwnScale, 0.0f);
    EXPECT_EQ(memcmp(clone->m_mWorld.m_f, source->m_mWorld.m_f, sizeof source->m_mWorld.m_f), 0);
    EXPECT_EQ(clone->m_bMatrixChanged, 1);

    ASSERT_EQ(clone->m_nPoints, 1);
    EXPECT_NE(clone->m_pPoints, source->m_pPoints);
    EXPECT_EQ(clone->GetConnectionPoint(0)->m_pO, clone.get());
    EXPECT_EQ(clone->GetConnectionPoint(0)->m_pKind, otherGear);
    EXPECT_EQ(source->GetConnectionPoint(0)->m_pKind, m_Entries.Find("Gear"));
    ExpectNear(clone->GetConnectionPoint(0)->m_vWorldPos, source->m_vPos);
}

TEST_F(SceneObjectCloneTest, ABillboardClonesAsABillboard) {
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* source = list.Add(C3DObjectList::kBillboardName, CVector3(0.0f, 0.0f, 0.0f), nullptr);
    ASSERT_NE(source, nullptr);
    source->m_fBillboardWidth = -2.0f;
    std::unique_ptr<C3DObject> clone(source->Clone(nullptr, &m_Entries));
    EXPECT_EQ(clone->m_bBillboard, 1);
    EXPECT_EQ(clone->m_fBillboardWidth, -2.0f);
    EXPECT_EQ(clone->m_pGfx, nullptr);
    EXPECT_EQ(clone->m_nPoints, 0);
}

TEST_F(SceneObjectCloneTest, ASharedRecordStaysSharedAndAPrivateCopyIsCopiedAgain) {
    CShader handlerRecord(&m_Device);
    handlerRecord.AppendPass();
    handlerRecord.AppendPass();

    C3DObject shared(&m_Device, nullptr);
    shared.SetShader(&handlerRecord);
    std::unique_ptr<C3DObject> sharedClone(shared.Clone(nullptr, &m_Entries));
    EXPECT_EQ(sharedClone->m_pShader, &handlerRecord);
    EXPECT_EQ(sharedClone->m_bShaderOwned, 0);

    C3DObject owning(&m_Device, nullptr);
    owning.SetShader(&handlerRecord);
    owning.CopyShader();
    std::unique_ptr<C3DObject> owningClone(owning.Clone(nullptr, &m_Entries));
    EXPECT_EQ(owningClone->m_bShaderOwned, 1);
    ASSERT_NE(owningClone->m_pShader, nullptr);
    EXPECT_NE(owningClone->m_pShader, owning.m_pShader);
    EXPECT_NE(owningClone->m_pShader, &handlerRecord);
    EXPECT_EQ(owningClone->m_pShader->GetPassCount(), 2u);
    // Each frees its own copy; the handler's record is freed by nobody but its owner.
}

TEST_F(SceneObjectShaderTest, TheSetterFreesAPrivateCopyAndNeverTheHandlersRecord) {
    CShader first(&m_Device);
    first.AppendPass();
    CShader second(&m_Device);
    {
        C3DObject object(&m_Device, nullptr);
        object.SetShader(&first);
        EXPECT_EQ(object.m_bShaderOwned, 0);
        object.CopyShader();
        EXPECT_EQ(object.m_bShaderOwned, 1);
        EXPECT_NE(object.m_pShader, &first);
        EXPECT_EQ(object.m_pShader->m_pDevice, &m_Device);
        EXPECT_EQ(object.m_pShader->GetPassCount(), 1u);
        // The private copy goes; the new record is the handler's.
        object.SetShader(&second);
        EXPECT_EQ(object.m_pShader, &second);
        EXPECT_EQ(object.m_bShaderOwned, 0);
        // The same record again keeps things as they are.
        object.SetShader(&second);
        EXPECT_EQ(object.m_pShader, &second);
    }
    // Destroyed holding the handler's record: it is still whole.
    EXPECT_EQ(second.GetPassCount(), 0u);
    EXPECT_EQ(first.GetPassCount(), 1u);
}

TEST_F(SceneObjectShaderTest, CopyShaderWithoutARecordDoesNothingAndACopyOfACopyFreesTheOld) {
    C3DObject object(&m_Device, nullptr);
    object.CopyShader();
    EXPECT_EQ(object.m_pShader, nullptr);
    EXPECT_EQ(object.m_bShaderOwned, 0);

    CShader record(&m_Device);
    record.AppendPass();
    object.SetShader(&record);
    object.CopyShader();
    const CShader* firstCopy = object.m_pShader;
    object.CopyShader();
    EXPECT_NE(object.m_pShader, &record);
    EXPECT_EQ(object.m_bShaderOwned, 1);
    EXPECT_EQ(object.m_pShader->GetPassCount(), 1u);
    (void)firstCopy;  // freed: the sanitizer build would report a leak or a second free
    // Set to none, the copy goes and nothing is owned.
    object.SetShader(nullptr);
    EXPECT_EQ(object.m_pShader, nullptr);
    EXPECT_EQ(object.m_bShaderOwned, 0);
}

TEST_F(SceneObjectVolumeTest, TouchesNeedsOverlappingModelsAndNoExcludedValue) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    constexpr float kExcluded = 7.0f;
    struct Case {
        const char* name;
        float apart;
        float valueA;
        float valueB;
        bool billboardB;
        int touches;
    };
    const Case cases[] = {
        {"overlapping", 0.8f, 0.0f, 0.0f, false, 1},
        {"apart", 1.2f, 0.0f, 0.0f, false, 0},
        {"first excluded", 0.8f, kExcluded, 0.0f, false, 0},
        {"second excluded", 0.8f, 0.0f, kExcluded, false, 0},
        {"first never touches", 0.8f, C3DObject::kNeverTouches, 0.0f, false, 0},
        {"second never touches", 0.8f, 0.0f, C3DObject::kNeverTouches, false, 0},
        {"other values", 0.8f, 1.0f, C3DObject::kPickedLast, false, 1},
        {"second has no graphics", 0.8f, 0.0f, 0.0f, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
        C3DObject* a = list.Add("Gear", CVector3(0.0f, 0.0f, 0.0f), nullptr);
        C3DObject* b = list.Add(c.billboardB ? C3DObjectList::kBillboardName : "Gear", CVector3(0.0f, 0.0f, 0.0f),
                                nullptr);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        b->m_vPos = CVector3(c.apart, 0.0f, 0.0f);
        a->m_fValue = c.valueA;
        b->m_fValue = c.valueB;
        list.UpdateMatrices();
        EXPECT_EQ(C3DObject::Touches(a, b, kExcluded), c.touches);
        EXPECT_EQ(C3DObject::Touches(b, a, kExcluded), c.touches);
    }
}

TEST_F(SceneObjectVolumeTest, CollideTestsTheModelsVolumesUnderTheWorldMatrix) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    // Everything with x >= 0.
    CFrustum halfSpace;
    halfSpace.m_pPlanes->Append(CPlane{1.0f, 0.0f, 0.0f, 0.0f});
    struct Case {
        const char* name;
        const char* model;
        float x;
        int collides;
    };
    const Case cases[] = {
        {"inside", "Gear", 2.0f, 1},
        {"across the plane", "Gear", -0.25f, 1},
        {"outside", "Gear", -2.0f, 0},
        {"billboard inside", C3DObjectList::kBillboardName, 2.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
        C3DObject* object = list.Add(c.model, CVector3(0.0f, 0.0f, 0.0f), nullptr);
        ASSERT_NE(object, nullptr);
        object->m_vPos = CVector3(c.x, 0.0f, 0.0f);
        list.UpdateMatrices();
        EXPECT_EQ(object->Collide(halfSpace), c.collides);
    }
}

TEST_F(SceneObjectVolumeTest, BoundsAreTheFirstFramesBoxMovedByThePosition) {
    // Frames 1 to 9 are twice as large: only frame 0 counts.
    const char* text =
        "frames 10\n"
        "part box size 1 2 0.5\n"
        "    frame 1-9 scale 2\n"
        "end\n"
        "sphere 0 0 0 1\n";
    ASSERT_NE(AddModel("box", text), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* object = list.Add("box", CVector3(0.0f, 0.0f, 0.0f), nullptr);
    ASSERT_NE(object, nullptr);
    object->m_vPos = CVector3(3.0f, -1.0f, 0.5f);
    object->m_vScale = CVector3(4.0f, 4.0f, 4.0f);  // the bounds are the model's own
    CVector3 min, max;
    ASSERT_EQ(object->GetBounds(&min, &max), 1);
    ExpectNear(min, CVector3(2.5f, -2.0f, 0.25f));
    ExpectNear(max, CVector3(3.5f, 0.0f, 0.75f));

    C3DObject bare(&m_Device, nullptr);
    CVector3 untouched(9.0f, 9.0f, 9.0f);
    min = max = untouched;
    EXPECT_EQ(bare.GetBounds(&min, &max), 0);
    ExpectNear(min, untouched, 0.0f);
    ExpectNear(max, untouched, 0.0f);
}

}  // namespace
