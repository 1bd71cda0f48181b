// The connection points of subtrees: walked by kind, snapped together, cut loose; cloning a
// subtree into another tree; the bounds and the collision tests between subtrees.
#include "game/app/3DOMObject.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/graphics/Shader.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/NamedEntryList.h"
#include "game/flow/ConnectorKinds.h"
#include "tests/game/app/ObjectModelFixture.h"

namespace {

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);
// Half a turn about y: the tag's z axis then faces the other way.
const CVector3 kFacing(0.0f, 3.14159265f, 0.0f);

constexpr int kGearKind = 5;
constexpr int kPipeKind = 1;
constexpr int kRopeKind = 253;

using ObjectConnectionTest = ObjectModelTest;

TEST_F(ObjectConnectionTest, WalkersVisitOwnObjectsThenChildrenByKind) {
    // top: Kinds, Gear; child: Kinds; grandchild: Rope, Hook
    M3DOMObject* top = AddElement("top", kKindsModel, kOrigin);
    ASSERT_NE(top->AddO(kGearModel, kOrigin), nullptr);
    M3DOMObject* child = AddElement("child", kKindsModel, kOrigin, kOrigin, top);
    M3DOMObject* grandchild = AddElement("grandchild", kRopeModel, kOrigin, kOrigin, child);
    ASSERT_NE(grandchild->AddO(kHookModel, kOrigin), nullptr);
    C3DObject* kinds = top->GetO(0);
    C3DObject* gear = top->GetO(1);
    C3DObject* childKinds = child->GetO(0);
    C3DObject* rope = grandchild->GetO(0);
    // The Kinds model's points sorted by name: Gear, Pipe, Power, Rope, Wheel.
    ASSERT_EQ(kinds->m_nPoints, 5);

    struct Case {
        int kind;
        std::vector<ConnectionPoint*> points;  // in the walkers' order
    };
    const Case cases[] = {
        {kGearKind, {&kinds->m_pPoints[0], &gear->m_pPoints[0], &childKinds->m_pPoints[0]}},
        {kPipeKind, {&kinds->m_pPoints[1], &childKinds->m_pPoints[1]}},
        {254, {&kinds->m_pPoints[2], &childKinds->m_pPoints[2]}},
        {kRopeKind, {&kinds->m_pPoints[3], &childKinds->m_pPoints[3], &rope->m_pPoints[0]}},
        {255, {&kinds->m_pPoints[4], &childKinds->m_pPoints[4]}},
        {2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const int count = static_cast<int>(c.points.size());
        EXPECT_EQ(top->CountConnectionsOfKind(c.kind), count);
        for (int n = 0; n < count; ++n) {
            EXPECT_EQ(top->GetConnection(c.kind, n), c.points[static_cast<size_t>(n)]);
            EXPECT_EQ(top->GetConnectionIndex(c.kind, c.points[static_cast<size_t>(n)]), n);
        }
        for (const int n : {count, -1, INT_MIN, INT_MAX})
            EXPECT_EQ(top->GetConnection(c.kind, n), nullptr);
    }
    // Counted from the node walked, and only among the kind asked.
    EXPECT_EQ(child->CountConnectionsOfKind(kGearKind), 1);
    EXPECT_EQ(child->GetConnectionIndex(kRopeKind, &rope->m_pPoints[0]), 1);
    EXPECT_EQ(child->GetConnectionIndex(kGearKind, &kinds->m_pPoints[0]), -1);
    EXPECT_EQ(top->GetConnectionIndex(kPipeKind, &kinds->m_pPoints[0]), -1);
    EXPECT_EQ(top->GetConnectionIndex(kGearKind, nullptr), -1);

    EXPECT_EQ(top->FindTag("ipe"), &kinds->m_pPoints[1]);
    EXPECT_EQ(top->FindTag("Hook"), &grandchild->GetO(1)->m_pPoints[0]);
    EXPECT_EQ(child->FindTag("Gear"), &childKinds->m_pPoints[0]);
    EXPECT_EQ(top->FindTag("gear"), nullptr);
    EXPECT_EQ(top->FindTag(nullptr), nullptr);
}

TEST_F(ObjectConnectionTest, SnapConnectLinksFacingPointsOfTheSameKindCloserThanTheSnapDistance) {
    struct Case {
        const char* name;
        const char* otherModel;
        float apart;
        CVector3 otherRot;
        int linked;
    };
    const Case cases[] = {
        {"close and facing", kGearModel, 0.03f, kFacing, 2},
        {"on the same spot", kGearModel, 0.0f, kFacing, 2},
        {"at the snap distance", kGearModel, 0.04f, kFacing, 0},
        {"farther", kGearModel, 0.05f, kFacing, 0},
        {"same way", kGearModel, 0.03f, kOrigin, 0},
        {"other kind", kRopeModel, 0.03f, kFacing, 0},
        {"no kind", kHookModel, 0.03f, kFacing, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pTree->DeleteAll();
        M3DOMObject* a = AddElement("a", kGearModel, kOrigin);
        M3DOMObject* b = AddElement("b", c.otherModel, CVector3(c.apart, 0.0f, 0.0f), c.otherRot);
        m_pTree->UpdateTransforms(nullptr);
        EXPECT_EQ(a->SnapConnect(b), c.linked);
        ConnectionPoint* pa = a->GetO(0)->GetConnectionPoint(0);
        ConnectionPoint* pb = b->GetO(0)->GetConnectionPoint(0);
        EXPECT_EQ(pa->m_pPartner, c.linked ? pb : nullptr);
        EXPECT_EQ(pb->m_pPartner, c.linked ? pa : nullptr);
        // Linked points are taken.
        EXPECT_EQ(b->SnapConnect(a), 0);
        EXPECT_EQ(a->SnapConnect(nullptr), 0);
    }
}

TEST_F(ObjectConnectionTest, SnapConnectSubtreesLinksChildrenOfDifferentBranches) {
    struct Case {
        const char* name;
        bool grandchild;  // the second gear one level deeper
        bool third;       // a third gear beside the second, left over
        int linked;
    };
    const Case cases[] = {
        {"siblings", false, false, 2},
        {"a sibling's child", true, false, 2},
        {"one point, two candidates", false, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pTree->DeleteAll();
        M3DOMObject* machine = AddMO("machine");
        AddElement("first", kGearModel, kOrigin, kOrigin, machine);
        M3DOMObject* branch = machine;
        if (c.grandchild)
            branch = AddMO("branch", machine);
        AddElement("second", kGearModel, CVector3(0.02f, 0.0f, 0.0f), kFacing, branch);
        if (c.third)
            AddElement("third", kGearModel, CVector3(0.01f, 0.0f, 0.0f), kFacing, machine);
        m_pTree->UpdateTransforms(nullptr);
        EXPECT_EQ(machine->SnapConnectSubtrees(machine), c.linked);
        EXPECT_EQ(machine->SnapConnectSubtrees(machine), 0);
    }
    EXPECT_EQ(m_pTree->m_pRoot->SnapConnectSubtrees(nullptr), 0);
}

TEST_F(ObjectConnectionTest, DisconnectAllCutsSnapLinksToWholeElementsOnly) {
    // Each of the Kinds model's points linked to the same point of a partner's object.
    enum Owner { kWhole, kInsideWhole, kLoose };
    struct Case {
        const char* name;
        Owner partnerOwner;
        std::vector<bool> cut;  // Gear, Pipe, Power, Rope, Wheel
        int result;
    };
    const Case cases[] = {
        {"partner is a whole element", kWhole, {true, true, false, false, false}, 4},
        {"partner lies inside one", kInsideWhole, {true, true, false, false, false}, 4},
        {"partner belongs to none", kLoose, {false, false, false, false, false}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pTree->DeleteAll();
        M3DOMObject* own = AddElement("own", kKindsModel, kOrigin);
        M3DOMObject* holder = AddMO("holder");
        holder->m_nBKS = c.partnerOwner == kLoose ? 1 : M3DOMObject::kWholeElementBKS;
        M3DOMObject* partner = c.partnerOwner == kWhole ? holder : AddMO("part", AddMO("group", holder));
        ASSERT_NE(partner->AddO(kKindsModel, kOrigin), nullptr);
        C3DObject* mine = own->GetO(0);
        C3DObject* theirs = partner->GetO(0);
        for (int i = 0; i < 5; ++i) {
            mine->m_pPoints[i].m_pPartner = &theirs->m_pPoints[i];
            theirs->m_pPoints[i].m_pPartner = &mine->m_pPoints[i];
            theirs->m_pPoints[i].m_fValue = 6.0f;
        }
        EXPECT_EQ(own->DisconnectAll(), c.result);
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(mine->m_pPoints[i].m_szName);
            const bool cut = c.cut[static_cast<size_t>(i)];
            EXPECT_EQ(mine->m_pPoints[i].m_pPartner, cut ? nullptr : &theirs->m_pPoints[i]);
            EXPECT_EQ(theirs->m_pPoints[i].m_pPartner, cut ? nullptr : &mine->m_pPoints[i]);
            EXPECT_EQ(theirs->m_pPoints[i].m_fValue, cut ? 0.0f : 6.0f);
        }
        EXPECT_EQ(own->DisconnectAll(), 0);
    }
}

TEST_F(ObjectConnectionTest, ValuesGoToLinkedPointsOfTheKindAndLinksClearOnBothSides) {
    M3DOMObject* a = AddElement("a", kGearModel, kOrigin);
    M3DOMObject* b = AddElement("b", kGearModel, CVector3(0.01f, 0.0f, 0.0f), kFacing);
    M3DOMObject* loose = AddElement("loose", kGearModel, CVector3(5.0f, 0.0f, 0.0f), kOrigin, a);
    m_pTree->UpdateTransforms(nullptr);
    ASSERT_EQ(m_pTree->m_pRoot->SnapConnectSubtrees(m_pTree->m_pRoot), 2);
    ConnectionPoint* pa = a->GetO(0)->GetConnectionPoint(0);
    ConnectionPoint* pb = b->GetO(0)->GetConnectionPoint(0);
    ConnectionPoint* pl = loose->GetO(0)->GetConnectionPoint(0);

    a->SetConnectionsValue(kPipeKind, 2.0f);
    EXPECT_EQ(pa->m_fValue2, 0.0f);
    a->SetConnectionsValue(kGearKind, 3.5f);
    EXPECT_EQ(pa->m_fValue2, 3.5f);
    EXPECT_EQ(pl->m_fValue2, 0.0f);  // no partner
    EXPECT_EQ(pb->m_fValue2, 0.0f);  // not in the subtree

    a->ClearConnectionLinks();
    EXPECT_EQ(pa->m_pPartner, nullptr);
    EXPECT_EQ(pb->m_pPartner, nullptr);
}

TEST_F(ObjectConnectionTest, FindNearestConnectionPointTakesTheClosestPointThatMaySnap) {
    M3DOMObject* query = AddElement("query", kGearModel, kOrigin);
    M3DOMObject* group = AddMO("group");
    AddElement("far", kGearModel, CVector3(0.5f, 0.0f, 0.0f), kFacing, group);
    M3DOMObject* nearer = AddElement("near", kGearModel, CVector3(0.0f, 0.2f, 0.0f), kFacing, group);
    AddElement("nearest but same way", kGearModel, CVector3(0.1f, 0.0f, 0.0f), kOrigin, group);
    AddElement("rope", kRopeModel, CVector3(0.01f, 0.0f, 0.0f), kFacing, group);
    m_pTree->UpdateTransforms(nullptr);
    const ConnectionPoint* q = query->GetO(0)->GetConnectionPoint(0);

    ConnectionPoint* point = nullptr;
    C3DObject* o = nullptr;
    EXPECT_NEAR(group->FindNearestConnectionPoint(&point, &o, q), 0.2f, 1e-5f);
    EXPECT_EQ(o, nearer->GetO(0));
    EXPECT_EQ(point, nearer->GetO(0)->GetConnectionPoint(0));

    M3DOMObject* empty = AddMO("empty");
    EXPECT_EQ(empty->FindNearestConnectionPoint(&point, &o, q), 100000.0f);
    EXPECT_EQ(point, nullptr);
    EXPECT_EQ(o, nullptr);
    EXPECT_EQ(group->FindNearestConnectionPoint(nullptr, nullptr, nullptr), 100000.0f);
}

TEST_F(ObjectConnectionTest, CloneCopiesTheSubtreeIntoTheOtherTreeAgainstItsEntries) {
    CNamedEntryList otherEntries;
    ASSERT_EQ(RegisterConnectorKinds(&otherEntries), 1);
    M3DOMTree other(&m_Gfx, nullptr, &m_Device, nullptr, &m_FrameTime, &m_RunTime, &otherEntries, &m_Emitters);

    M3DOMObject* source = AddElement("source", kGearModel, CVector3(1.0f, 2.0f, 3.0f));
    ASSERT_NE(source->AddO(kKindsModel, CVector3(0.5f, 0.0f, 0.0f)), nullptr);
    ASSERT_NE(source->AddO(C3DObjectList::kBillboardName, kOrigin), nullptr);
    M3DOMObject* left = AddElement("left", kRopeModel, kOrigin, kOrigin, source);
    M3DOMObject* right = AddMO("right", source);
    AddMO("leaf", right);
    source->m_nTypeID = 17;
    source->m_nBKS = 3;
    source->m_fVelocity = 1.5f;
    source->m_vScale = CVector3(2.0f, 2.0f, 2.0f);
    source->m_nConnectedTo = 4;
    source->m_nGoal = 1;
    left->m_bRelative = 1;
    left->m_vPosRel = CVector3(0.0f, 1.0f, 0.0f);
    CShader shared(&m_Device);
    source->GetO(0)->SetShader(&shared);
    source->GetO(1)->SetShader(&shared);
    source->GetO(1)->CopyShader();
    source->AddEmitter(1, 1, 0, 0);
    const int sourceObjects = TreeObjectCount();
    ASSERT_EQ(sourceObjects, 4);

    M3DOMObject* parent = other.m_pRoot;
    M3DOMObject* clone = source->Clone(&other, parent);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(parent->CountMOs(), 0);  // the caller links it
    EXPECT_EQ(clone->m_pParent, parent);
    EXPECT_EQ(clone->m_pTree, &other);
    EXPECT_STREQ(clone->m_szName, "source");
    EXPECT_EQ(clone->m_nTypeID, 17);
    EXPECT_EQ(clone->m_nBKS, 3);
    EXPECT_EQ(clone->m_fVelocity, 1.5f);
    ExpectNear(clone->m_vPos, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
    ExpectNear(clone->m_vScale, CVector3(2.0f, 2.0f, 2.0f), 0.0f);
    EXPECT_EQ(clone->m_nConnectedTo, 4);
    EXPECT_EQ(clone->m_nGoal, 1);
    EXPECT_EQ(clone->m_pFrameTime, &m_FrameTime);
    EXPECT_EQ(clone->FindEmitter(1), nullptr);

    // Both children, in order, each a copy with the new node as parent.
    ASSERT_EQ(clone->CountMOs(), 3);
    M3DOMObject* leftCopy = clone->GetChild(0);
    M3DOMObject* rightCopy = clone->GetChild(1);
    EXPECT_STREQ(leftCopy->m_szName, "left");
    EXPECT_STREQ(rightCopy->m_szName, "right");
    EXPECT_STREQ(rightCopy->GetChild(0)->m_szName, "leaf");
    EXPECT_NE(leftCopy, left);
    EXPECT_EQ(leftCopy->m_pParent, clone);
    EXPECT_EQ(rightCopy->GetChild(0)->m_pParent, rightCopy);
    EXPECT_EQ(leftCopy->m_pTree, &other);
    EXPECT_EQ(leftCopy->m_bRelative, 1);
    ExpectNear(leftCopy->m_vPosRel, CVector3(0.0f, 1.0f, 0.0f), 0.0f);

    // Three new objects, in order, all in the other tree's list with points on its entries.
    EXPECT_EQ(other.m_pOList->m_pList->m_nCount, 4);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        C3DObject* copy = clone->GetO(i);
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, source->GetO(i));
        EXPECT_STREQ(copy->m_szName, source->GetO(i)->m_szName);
        EXPECT_EQ(copy->m_pOwner, clone);
        ExpectNear(copy->m_vPosRel, source->GetO(i)->m_vPosRel, 0.0f);
        EXPECT_EQ(copy->m_nPoints, source->GetO(i)->m_nPoints);
        for (int p = 0; p < copy->m_nPoints; ++p) {
            EXPECT_EQ(copy->m_pPoints[p].m_pO, copy);
            EXPECT_EQ(copy->m_pPoints[p].m_pKind, otherEntries.Find(copy->m_pPoints[p].m_szName));
            EXPECT_NE(copy->m_pPoints[p].m_pKind, nullptr);
        }
    }
    EXPECT_EQ(clone->GetO(3), nullptr);
    EXPECT_EQ(leftCopy->GetO(0)->m_pOwner, leftCopy);
    // A shared record stays shared, a private one is copied again.
    EXPECT_EQ(clone->GetO(0)->m_pShader, &shared);
    EXPECT_EQ(clone->GetO(0)->m_bShaderOwned, 0);
    EXPECT_NE(clone->GetO(1)->m_pShader, source->GetO(1)->m_pShader);
    EXPECT_EQ(clone->GetO(1)->m_bShaderOwned, 1);

    // The source is unchanged.
    EXPECT_EQ(source->m_pTree, m_pTree.get());
    EXPECT_EQ(source->m_pParent, m_pTree->m_pRoot);
    EXPECT_EQ(source->CountMOs(), 3);
    EXPECT_EQ(TreeObjectCount(), sourceObjects);
    EXPECT_EQ(source->GetO(0)->m_pOwner, source);
    EXPECT_EQ(source->GetO(1)->m_pPoints[0].m_pKind, m_Entries.Find("Gear"));

    M3DOMTree::Reparent(parent, clone);
    EXPECT_EQ(M3DOMTree::CloneMO(nullptr, &other), nullptr);
    EXPECT_EQ(source->Clone(nullptr, nullptr), nullptr);
    M3DOMObject* free = M3DOMTree::CloneMO(left, &other);
    EXPECT_EQ(free->m_pParent, nullptr);
    delete free;
    // The source gives its shader back before the record goes.
    source->GetO(0)->SetShader(nullptr);
    other.DeleteAll();
    EXPECT_EQ(other.m_pOList->m_pList->m_nCount, 0);
}

TEST_F(ObjectConnectionTest, DeletingAnElementFreesItsNeighboursPoints) {
    struct Case {
        const char* name;
        int how;  // 0 RemoveChild with delete, 1 the parent's DeleteChildren, 2 RemoveAllOs, 3 RemoveO
    };
    const Case cases[] = {{"removed child", 0}, {"deleted children", 1}, {"objects removed", 2}, {"object removed", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pTree->DeleteAll();
        M3DOMObject* neighbour = AddElement("neighbour", kGearModel, kOrigin);
        M3DOMObject* holder = AddMO("holder");
        M3DOMObject* element = AddMO("element", holder);
        M3DOMObject* part = AddElement("part", kGearModel, CVector3(0.01f, 0.0f, 0.0f), kFacing, element);
        m_pTree->UpdateTransforms(nullptr);
        ASSERT_EQ(neighbour->SnapConnect(part), 2);
        ConnectionPoint* free = neighbour->GetO(0)->GetConnectionPoint(0);
        ASSERT_NE(free->m_pPartner, nullptr);
        if (c.how == 0)
            holder->RemoveChild(element, 1);
        else if (c.how == 1)
            holder->DeleteChildren();
        else if (c.how == 2)
            part->RemoveAllOs();
        else
            part->RemoveO(part->GetO(0));
        EXPECT_EQ(free->m_pPartner, nullptr);
        EXPECT_EQ(TreeObjectCount(), 1);
    }
}

TEST_F(ObjectConnectionTest, BoundsAndCentreCoverEveryModelOfTheSubtree) {
    M3DOMObject* top = AddElement("top", kGearModel, CVector3(2.0f, 0.0f, 0.0f));
    AddElement("child", kGearModel, CVector3(4.0f, 1.0f, -1.0f), kOrigin, top);
    ASSERT_NE(top->AddO(C3DObjectList::kBillboardName, kOrigin), nullptr);
    m_pTree->UpdateTransforms(nullptr);
    CVector3 modelMin, modelMax;
    ASSERT_EQ(top->GetO(0)->GetBounds(&modelMin, &modelMax), 1);
    const float half = modelMax.x - 2.0f;

    CVector3 min(100.0f, 100.0f, 100.0f);
    CVector3 max(-100.0f, -100.0f, -100.0f);
    top->GetBounds(&min, &max);
    ExpectNear(min, CVector3(2.0f - half, -half, -1.0f - half));
    ExpectNear(max, CVector3(4.0f + half, 1.0f + half, half));
    ExpectNear(top->GetCenter(), CVector3(3.0f, 0.5f, -0.5f));
    // Nothing with a model: the starting box's centre.
    ExpectNear(AddMO("empty")->GetCenter(), kOrigin, 0.0f);

    CVector3 a(1.0f, 5.0f, -2.0f);
    M3DOMObject::MinMaxVector(&a, CVector3(3.0f, 0.0f, -2.0f), 1);
    ExpectNear(a, CVector3(3.0f, 5.0f, -2.0f), 0.0f);
    M3DOMObject::MinMaxVector(&a, CVector3(0.0f, 7.0f, -9.0f), 0);
    ExpectNear(a, CVector3(0.0f, 5.0f, -9.0f), 0.0f);
}

TEST_F(ObjectConnectionTest, CollideComparesEveryPairOfNodesButNeverANodeWithItself) {
    constexpr float kExcluded = 7.0f;
    struct Case {
        const char* name;
        float apart;        // b's own object along x
        float childApart;   // a's child's object along x, none when 0
        float valueA;
        float valueB;
        int touches;
        int collides;
        int collidesWithList;  // b's object against a's children
    };
    const Case cases[] = {
        {"overlapping", 0.8f, 0.0f, 0.0f, 0.0f, 1, 1, 0},
        {"apart", 3.0f, 0.0f, 0.0f, 0.0f, 0, 0, 0},
        {"a child overlaps", 3.0f, 2.5f, 0.0f, 0.0f, 0, 1, 1},
        {"never touches", 0.8f, 0.0f, C3DObject::kNeverTouches, C3DObject::kNeverTouches, 0, 0, 0},
        {"excluded", 0.8f, 0.0f, 0.0f, kExcluded, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pTree->DeleteAll();
        M3DOMObject* a = AddElement("a", kGearModel, kOrigin);
        M3DOMObject* b = AddElement("b", kGearModel, CVector3(c.apart, 0.0f, 0.0f));
        if (c.childApart != 0.0f)
            AddElement("child", kGearModel, CVector3(c.childApart, 0.0f, 0.0f), kOrigin, a);
        a->GetO(0)->m_fValue = c.valueA;
        b->GetO(0)->m_fValue = c.valueB;
        m_pTree->UpdateTransforms(nullptr);
        EXPECT_EQ(M3DOMTree::Touches(a, b, kExcluded), c.touches);
        EXPECT_EQ(M3DOMTree::Collide(a, b, kExcluded), c.collides);
        EXPECT_EQ(M3DOMTree::Collide(b, a, kExcluded), c.collides);
        EXPECT_EQ(M3DOMTree::CollidesWithList(a, b->GetO(0), kExcluded), c.collidesWithList);
        EXPECT_EQ(M3DOMTree::Collide(a, a, kExcluded), 0);
        EXPECT_EQ(M3DOMTree::Touches(a, a, kExcluded), 0);
    }
    EXPECT_EQ(M3DOMTree::Collide(nullptr, m_pTree->m_pRoot, 0.0f), 0);
    EXPECT_EQ(M3DOMTree::CollidesWithList(m_pTree->m_pRoot, nullptr, 0.0f), 0);
}

}  // namespace
