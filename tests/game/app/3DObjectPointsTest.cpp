// Connection points: one per model tag, sorted by name without regard to case, placed in the
// world under the object's matrix, with kinds from the connector kinds, and matched by
// distance; partners never left pointing into freed points.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/Model.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "tests/game/app/SceneObjectFixture.h"

namespace {

using ConnectionPointTest = SceneObjectTest;

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);

// Tags "b", "A" and "c" apart from each other, over ten frames.
const char* const kThreeTags =
    "frames 10\n"
    "part box size 1 1 1\n"
    "end\n"
    "tag b\n    translate 0.5 0.25 -0.75\nend\n"
    "tag A\n    translate -0.5 0 0\nend\n"
    "tag c\n    translate 0 1 0\nend\n"
    "sphere 0 0 0 0.5\n";

const CNamedEntry* Kind(const CNamedEntryList& entries, const char* name) {
    for (CPointerList::Node* node = entries.m_pList->m_pHead; node; node = node->m_pNext) {
        const auto* entry = static_cast<const CNamedEntry*>(node->m_data);
        if (strcmp(entry->m_szName, name) == 0)
            return entry;
    }
    return nullptr;
}

TEST_F(ConnectionPointTest, PointsAreSortedByNameWithoutRegardToCase) {
    ASSERT_NE(AddModel("tags", kThreeTags), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* object = list.Add("tags", kOrigin, nullptr);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->m_nPoints, 3);
    const char* const names[] = {"A", "b", "c"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ConnectionPoint* point = object->GetConnectionPoint(i);
        EXPECT_STREQ(point->m_szName, names[i]);
        EXPECT_EQ(point->m_nIndex, i);
        EXPECT_EQ(point->m_pO, object);
        EXPECT_EQ(point->m_pLink, nullptr);
        EXPECT_EQ(point->m_pPlug, nullptr);
        EXPECT_EQ(point->m_pPartner, nullptr);
        EXPECT_EQ(point->m_fValue, 0.0f);
        EXPECT_EQ(point->m_fValue2, 0.0f);
    }
    // Each point stands on its own tag.
    ExpectNear(object->GetConnectionPoint(0)->m_vWorldPos, CVector3(-0.5f, 0.0f, 0.0f));
    ExpectNear(object->GetConnectionPoint(1)->m_vWorldPos, CVector3(0.5f, 0.25f, -0.75f));
    ExpectNear(object->GetConnectionPoint(2)->m_vWorldPos, CVector3(0.0f, 1.0f, 0.0f));
}

TEST_F(ConnectionPointTest, TheObjectSortsStablySoNamesEqualButForCaseKeepTheirTagOrder) {
    // The tool writes its tags sorted; renaming them in the loaded model gives an order that
    // only the object's own sort can put right.
    std::string text = "frames 10\npart box size 1 1 1\nend\n";
    for (int i = 0; i < 5; ++i)
        text += "tag t" + std::to_string(i) + "\n    translate " + std::to_string(i) + " 0 0\nend\n";
    CGfx* gfx = AddModel("renamed", text);
    ASSERT_NE(gfx, nullptr);
    CModel* model = gfx->GetModel();
    const char* const tagNames[] = {"b", "Gear", "A", "gear", "c"};
    for (int i = 0; i < 5; ++i)
        strcpy(model->m_pTagNames[i].szName, tagNames[i]);

    C3DObject object(&m_Device, nullptr);
    object.m_pGfx = gfx;
    ASSERT_EQ(object.BuildConnectionPoints(&m_Entries), 5);
    struct Expected {
        const char* name;
        int tag;
        const char* kind;  // none: no kind
    };
    const Expected expected[] = {
        {"A", 2, nullptr}, {"b", 0, nullptr}, {"c", 4, nullptr}, {"Gear", 1, "Gear"}, {"gear", 3, nullptr},
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const ConnectionPoint* point = object.GetConnectionPoint(i);
        EXPECT_STREQ(point->m_szName, expected[i].name);
        EXPECT_EQ(point->m_nTag, expected[i].tag);
        EXPECT_EQ(point->m_nIndex, i);
        EXPECT_EQ(point->m_pKind, expected[i].kind ? Kind(m_Entries, expected[i].kind) : nullptr);
        EXPECT_FLOAT_EQ(point->m_vWorldPos.x, static_cast<float>(expected[i].tag));
    }
}

TEST_F(ConnectionPointTest, KindsFollowTheRegistrationAndNamesKeepAllSixteenCharacters) {
    const std::string text = std::string("frames 10\npart box size 1 1 1\nend\n") +
                             "tag GearHeatSixteen1\nend\ntag HeatPlate\nend\ntag Hook\nend\ntag Wheel\nend\n";
    ASSERT_NE(AddModel("kinds", text), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* object = list.Add("kinds", kOrigin, nullptr);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->m_nPoints, 4);
    struct Expected {
        const char* name;
        const char* kind;
    };
    const Expected expected[] = {
        {"GearHeatSixteen1", "Gear"}, {"HeatPlate", "Heat"}, {"Hook", nullptr}, {"Wheel", "Wheel"}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].name);
        const ConnectionPoint* point = object->GetConnectionPoint(i);
        EXPECT_STREQ(point->m_szName, expected[i].name);
        EXPECT_EQ(point->m_pKind, expected[i].kind ? Kind(m_Entries, expected[i].kind) : nullptr);
    }
}

TEST_F(ConnectionPointTest, WorldPositionsAndDirectionsFollowAScaledTurnedMovedObject) {
    ASSERT_NE(AddModel("tags", kThreeTags), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* object = list.Add("tags", kOrigin, nullptr);
    ASSERT_NE(object, nullptr);
    object->m_vScale = CVector3(2.0f, 2.0f, 1.0f);
    object->m_vOwnScale = CVector3(1.0f, 0.5f, 0.5f);
    object->m_vRot = CVector3(0.3f, -1.1f, 0.7f);
    object->m_vPos = CVector3(1.0f, 2.0f, 3.0f);
    list.UpdateMatrices();

    const CVector3 scale(2.0f, 1.0f, 0.5f);
    const CVector3 tags[] = {{-0.5f, 0.0f, 0.0f}, {0.5f, 0.25f, -0.75f}, {0.0f, 1.0f, 0.0f}};
    const CVector3 direction = TurnByHand(CVector3(0.0f, 0.0f, 1.0f), scale, object->m_vRot);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ConnectionPoint* point = object->GetConnectionPoint(i);
        const CVector3 turned = TurnByHand(tags[i], scale, object->m_vRot);
        ExpectNear(point->m_vWorldPos, CVector3(turned.x + 1.0f, turned.y + 2.0f, turned.z + 3.0f));
        ExpectNear(point->m_vWorldDir, direction);
        // Scaled with the object, not made unit length.
        EXPECT_NEAR(point->m_vWorldDir.Length(), 0.5f, 1e-5f);
    }
}

TEST_F(ConnectionPointTest, IndicesOutsideTheArrayGiveNoPoint) {
    ASSERT_NE(AddModel("tags", kThreeTags), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* object = list.Add("tags", kOrigin, nullptr);
    ASSERT_NE(object, nullptr);
    for (const int index : {-1, -3, INT_MIN, 3, 4, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(object->GetConnectionPoint(index), nullptr);
    }
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(object->GetConnectionPoint(index), &object->m_pPoints[index]);
    // An object without points has no valid index at all.
    C3DObject empty(&m_Device, nullptr);
    EXPECT_EQ(empty.GetConnectionPoint(0), nullptr);
}

TEST_F(ConnectionPointTest, ConnectionDistanceNeedsTheSameKindFreePointsAndFacingOrAKindWord) {
    for (const char* tag : {"Gear", "Heat", "Hook"})
        ASSERT_NE(AddModel(tag, OneTagModel(tag)), nullptr);
    CNamedEntry* gear = m_Entries.Find("Gear");
    ASSERT_NE(gear, nullptr);

    struct Case {
        const char* name;
        const char* otherModel;
        float apart;       // along x
        bool facing;       // the other turned half round about y
        uint32_t kindWord;
        bool partnered;
        float distance;  // kNoConnection when they may not connect
    };
    const float none = C3DObject::kNoConnection;
    const Case cases[] = {
        {"facing close", "Gear", 0.03f, true, 0, false, 0.03f},
        {"facing farther", "Gear", 0.05f, true, 0, false, 0.05f},
        {"same way, word 0", "Gear", 0.03f, false, 0, false, none},
        {"same way, word set", "Gear", 0.03f, false, 1, false, 0.03f},
        {"partnered", "Gear", 0.03f, true, 0, true, none},
        {"different kinds", "Heat", 0.03f, true, 0, false, none},
        {"no kind", "Hook", 0.03f, true, 0, false, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
        C3DObject* first = list.Add("Gear", kOrigin, nullptr);
        C3DObject* second = list.Add(c.otherModel, kOrigin, nullptr);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        second->m_vPos = CVector3(c.apart, 0.0f, 0.0f);
        if (c.facing)
            second->m_vRot.y = 3.14159265f;
        list.UpdateMatrices();
        gear->m_nValue = c.kindWord;
        ConnectionPoint* a = first->GetConnectionPoint(0);
        ConnectionPoint* b = second->GetConnectionPoint(0);
        ConnectionPoint elsewhere{};
        if (c.partnered) {
            a->m_pPartner = &elsewhere;
            elsewhere.m_pPartner = a;
        }
        if (c.distance == none) {
            EXPECT_EQ(C3DObject::ConnectionDistance(a, b), none);
            EXPECT_EQ(C3DObject::ConnectionDistance(b, a), none);
        } else {
            EXPECT_NEAR(C3DObject::ConnectionDistance(a, b), c.distance, 1e-6f);
            EXPECT_NEAR(C3DObject::ConnectionDistance(b, a), c.distance, 1e-6f);
        }
        a->m_pPartner = nullptr;
        gear->m_nValue = 0;
    }
}

TEST_F(ConnectionPointTest, TheNearestPointIsTheClosestOneThatQualifies) {
    const std::string twoGears = std::string("frames 10\npart box size 1 1 1\nend\n") +
                                 "tag GearLeft\n    rotate y 180\n    translate -0.5 0 0\nend\n"
                                 "tag GearRight\n    rotate y 180\n    translate 0.5 0 0\nend\n"
                                 "tag Heat\n    rotate y 180\n    translate 0.6 0 0\nend\n";
    ASSERT_NE(AddModel("pair", twoGears), nullptr);
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* pair = list.Add("pair", kOrigin, nullptr);
    C3DObject* gear = list.Add("Gear", kOrigin, nullptr);
    ASSERT_NE(pair, nullptr);
    ASSERT_NE(gear, nullptr);
    gear->m_vPos = CVector3(0.7f, 0.0f, 0.0f);
    list.UpdateMatrices();

    ConnectionPoint* nearest = nullptr;
    const ConnectionPoint* query = gear->GetConnectionPoint(0);
    EXPECT_NEAR(pair->NearestConnectionPoint(&nearest, query), 0.2f, 1e-5f);
    ASSERT_NE(nearest, nullptr);
    EXPECT_STREQ(nearest->m_szName, "GearRight");
    // Once partnered, the query qualifies with none.
    ConnectionPoint elsewhere{};
    gear->GetConnectionPoint(0)->m_pPartner = &elsewhere;
    EXPECT_EQ(pair->NearestConnectionPoint(&nearest, query), C3DObject::kNoConnection);
    EXPECT_EQ(nearest, nullptr);
    gear->GetConnectionPoint(0)->m_pPartner = nullptr;
}

TEST_F(ConnectionPointTest, DeletingOrRebuildingASnappedObjectFreesItsNeighbourPoint) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* first = list.Add("Gear", kOrigin, nullptr);
    C3DObject* second = list.Add("Gear", kOrigin, nullptr);
    C3DObject* third = list.Add("Gear", kOrigin, nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(third, nullptr);
    auto snap = [](C3DObject* a, C3DObject* b) {
        a->GetConnectionPoint(0)->m_pPartner = b->GetConnectionPoint(0);
        b->GetConnectionPoint(0)->m_pPartner = a->GetConnectionPoint(0);
    };

    snap(first, second);
    list.Remove(first);
    EXPECT_EQ(second->GetConnectionPoint(0)->m_pPartner, nullptr);

    snap(second, third);
    ASSERT_EQ(second->BuildConnectionPoints(&m_Entries), 1);
    EXPECT_EQ(third->GetConnectionPoint(0)->m_pPartner, nullptr);
    EXPECT_EQ(second->GetConnectionPoint(0)->m_pPartner, nullptr);

    // Clearing frees both sides.
    snap(second, third);
    third->ClearConnections();
    EXPECT_EQ(second->GetConnectionPoint(0)->m_pPartner, nullptr);
    EXPECT_EQ(third->GetConnectionPoint(0)->m_pPartner, nullptr);

    // Deleting the whole list with a pair still snapped touches no freed point.
    snap(second, third);
}

TEST_F(ConnectionPointTest, BillboardsAndObjectsWithoutAValidModelHaveNoPoints) {
    AddEmptyModel("never loaded");
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* billboard = list.Add(C3DObjectList::kBillboardName, kOrigin, nullptr);
    C3DObject* empty = list.Add("never loaded", kOrigin, nullptr);
    ASSERT_NE(billboard, nullptr);
    ASSERT_NE(empty, nullptr);
    for (const C3DObject* object : {billboard, empty}) {
        EXPECT_EQ(object->m_nPoints, 0);
        EXPECT_EQ(object->m_pPoints, nullptr);
    }
    // A billboard that was given a model still has none.
    ASSERT_NE(AddModel("tags", kThreeTags), nullptr);
    billboard->m_pGfx = m_Gfx.Find("tags");
    EXPECT_EQ(billboard->BuildConnectionPoints(&m_Entries), 0);
}

}  // namespace
