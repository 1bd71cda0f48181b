// The object list: objects made by graphics name or as billboards, found, reordered and
// removed, and picked under a ray by their position's depth.
#include "game/app/3DObjectList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/app/3DObject.h"
#include "tests/game/app/SceneObjectFixture.h"

namespace {

using SceneObjectListTest = SceneObjectTest;

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);

std::vector<C3DObject*> Objects(const C3DObjectList& list) {
    std::vector<C3DObject*> objects;
    for (CPointerList::Node* node = list.m_pList->m_pHead; node; node = node->m_pNext)
        objects.push_back(static_cast<C3DObject*>(node->m_data));
    return objects;
}

TEST_F(SceneObjectListTest, AddMakesObjectsOnlyForModelsAndBillboards) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    AddTexture("wood");
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);

    C3DObject* gear = list.Add("Gear", CVector3(0.5f, -0.25f, 2.0f), nullptr);
    ASSERT_NE(gear, nullptr);
    EXPECT_EQ(gear->m_pGfx, m_Gfx.Find("Gear"));
    EXPECT_EQ(gear->m_pDevice, &m_Device);
    EXPECT_STREQ(gear->m_szName, "Gear");
    ExpectNear(gear->m_vPosRel, CVector3(0.5f, -0.25f, 2.0f), 0.0f);
    EXPECT_EQ(gear->m_nPoints, 1);

    C3DObject* billboard = list.Add("Billboard", kOrigin, nullptr);
    ASSERT_NE(billboard, nullptr);
    EXPECT_EQ(billboard->m_bBillboard, 1);
    EXPECT_EQ(billboard->m_pGfx, nullptr);

    // A texture, an unknown name, another spelling of the billboard and no name make nothing.
    for (const char* name : {"wood", "Crate", "BILLBOARD", "gear", ""})
        EXPECT_EQ(list.Add(name, kOrigin, nullptr), nullptr) << name;
    EXPECT_EQ(list.Add(nullptr, kOrigin, nullptr), nullptr);
    EXPECT_EQ(Objects(list), (std::vector<C3DObject*>{gear, billboard}));

    // Without a graphics handler only billboards are made.
    C3DObjectList bare(nullptr, nullptr, &m_Device, nullptr);
    EXPECT_EQ(bare.Add("Gear", kOrigin, nullptr), nullptr);
    EXPECT_NE(bare.Add("Billboard", kOrigin, nullptr), nullptr);
}

TEST_F(SceneObjectListTest, LongNamesAreCutTo79Characters) {
    const std::string name(100, 'g');
    ASSERT_NE(AddModel(name.c_str(), OneTagModel("Gear")), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* object = list.Add(name.c_str(), kOrigin, nullptr);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(std::string(object->m_szName), name.substr(0, 79));
    EXPECT_EQ(list.FindByName(name.substr(0, 79).c_str()), object);
}

TEST_F(SceneObjectListTest, ObjectsAreFoundReorderedAndRemoved) {
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* a = list.Add("Billboard", kOrigin, nullptr);
    C3DObject* b = list.Add("Billboard", kOrigin, nullptr);
    C3DObject* c = list.Add("Billboard", kOrigin, nullptr);
    strcpy(b->m_szName, "lamp");
    b->m_nID = 7;
    c->m_nID = 7;

    EXPECT_EQ(list.FindByName("lamp"), b);
    EXPECT_EQ(list.FindByName("Lamp"), nullptr);  // exact
    EXPECT_EQ(list.FindByName("Billboard"), a);
    EXPECT_EQ(list.FindByID(7), b);
    EXPECT_EQ(list.FindByID(-1), a);
    list.ResetIDs();
    EXPECT_EQ(list.FindByID(7), nullptr);
    for (const C3DObject* object : Objects(list))
        EXPECT_EQ(object->m_nID, -1);

    list.SetMatrixChangedAll(0);
    for (const C3DObject* object : Objects(list))
        EXPECT_EQ(object->m_bMatrixChanged, 0);
    list.SetMatrixChangedAll(1);
    for (const C3DObject* object : Objects(list))
        EXPECT_EQ(object->m_bMatrixChanged, 1);

    list.MoveToFront(c);
    EXPECT_EQ(Objects(list), (std::vector<C3DObject*>{c, a, b}));
    list.MoveToFront(c);
    EXPECT_EQ(Objects(list), (std::vector<C3DObject*>{c, a, b}));
    list.Remove(a);
    EXPECT_EQ(Objects(list), (std::vector<C3DObject*>{c, b}));

    // An object of another list is neither taken nor deleted.
    C3DObjectList other(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* stranger = other.Add("Billboard", kOrigin, nullptr);
    list.Remove(stranger);
    list.MoveToFront(stranger);
    EXPECT_EQ(Objects(list), (std::vector<C3DObject*>{c, b}));
    EXPECT_EQ(Objects(other), (std::vector<C3DObject*>{stranger}));

    list.DeleteAll();
    EXPECT_EQ(list.m_pList->m_nCount, 0);
    EXPECT_NE(list.Add("Billboard", kOrigin, nullptr), nullptr);
}

TEST_F(SceneObjectListTest, UpdateMatricesSkipsHiddenObjects) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* shown = list.Add("Gear", kOrigin, nullptr);
    C3DObject* hidden = list.Add("Gear", kOrigin, nullptr);
    hidden->m_bVisible = 0;
    for (C3DObject* object : {shown, hidden})
        object->m_vPos = CVector3(1.0f, 2.0f, 3.0f);
    list.UpdateMatrices();
    ExpectNear(shown->GetConnectionPoint(0)->m_vWorldPos, CVector3(1.0f, 2.0f, 3.0f));
    ExpectNear(hidden->GetConnectionPoint(0)->m_vWorldPos, kOrigin);
    EXPECT_EQ(hidden->m_mWorld.At(3, 0), 0.0f);
}

TEST_F(SceneObjectListTest, PickTakesTheHitObjectWithTheSmallestDepth) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    // Three gears one behind the other on the ray, the front one changed per case; a
    // billboard in front of them all is never picked.
    enum Change { kNone, kPickedLast, kHidden, kNotHittable, kAllPickedLast, kMissed };
    struct Case {
        const char* name;
        Change change;
        int picked;  // 0 front, 1 middle, 2 back, -1 none
    };
    const Case cases[] = {
        {"all ordinary", kNone, 0},
        {"front picked last", kPickedLast, 1},
        {"front hidden", kHidden, 1},
        {"front not hittable", kNotHittable, 1},
        {"every one picked last", kAllPickedLast, 0},
        {"ray passes them by", kMissed, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
        // Added back to front, so that list order does not decide.
        C3DObject* gears[3];
        for (int i = 2; i >= 0; --i) {
            gears[i] = list.Add("Gear", kOrigin, nullptr);
            ASSERT_NE(gears[i], nullptr);
            gears[i]->m_vPos = CVector3(0.0f, 0.0f, static_cast<float>(i) - 1.0f);
        }
        C3DObject* billboard = list.Add("Billboard", kOrigin, nullptr);
        billboard->m_vPos = CVector3(0.0f, 0.0f, -5.0f);
        switch (c.change) {
            case kPickedLast: gears[0]->m_fValue = C3DObject::kPickedLast; break;
            case kHidden: gears[0]->m_bVisible = 0; break;
            case kNotHittable: gears[0]->m_bHit = 0; break;
            case kAllPickedLast:
                for (C3DObject* gear : gears)
                    gear->m_fValue = C3DObject::kPickedLast;
                break;
            default: break;
        }
        list.UpdateMatrices();
        const CVector3 origin(c.change == kMissed ? 5.0f : 0.1f, 0.1f, -10.0f);
        C3DObject* picked = list.Pick(origin, CVector3(0.0f, 0.0f, 1.0f));
        EXPECT_EQ(picked, c.picked < 0 ? nullptr : gears[c.picked]);
    }
}

TEST_F(SceneObjectListTest, APickedLastObjectIsPickedWhenNothingElseIsHit) {
    ASSERT_NE(AddModel("Gear", OneTagModel("Gear")), nullptr);
    C3DObjectList list(&m_Gfx, nullptr, &m_Device, &m_Entries);
    C3DObject* marked = list.Add("Gear", kOrigin, nullptr);
    C3DObject* aside = list.Add("Gear", kOrigin, nullptr);
    marked->m_fValue = C3DObject::kPickedLast;
    marked->m_vPos = CVector3(0.0f, 0.0f, 1.0f);
    aside->m_vPos = CVector3(3.0f, 0.0f, -1.0f);  // nearer, but off the ray
    list.UpdateMatrices();
    EXPECT_EQ(list.Pick(CVector3(0.0f, 0.0f, -10.0f), CVector3(0.0f, 0.0f, 1.0f)), marked);
}

}  // namespace
