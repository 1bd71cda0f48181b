// The object model's trees: finding nodes by name, path, ancestry and index, changing the
// tree, and the world that holds two trees over one set of entries and emitters.
#include "game/app/3DOMObject.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/EmitterList.h"
#include "game/app/NamedEntryList.h"
#include "game/flow/ConnectorKinds.h"
#include "tests/game/app/ObjectModelFixture.h"

namespace {

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);

std::vector<M3DOMObject*> Children(const M3DOMObject* mo) {
    std::vector<M3DOMObject*> children;
    for (CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        children.push_back(static_cast<M3DOMObject*>(node->m_data));
    return children;
}

// root
//   A (BKS 3)
//     A1 (BKS 1)
//       A11
//         X        found first: depth 3 under the first child
//     A2 (link 7)
//   X
//   C
//     Y
class ObjectTreeTest : public ObjectModelTest {
protected:
    void SetUp() override {
        ObjectModelTest::SetUp();
        if (HasFatalFailure())
            return;
        root = m_pTree->m_pRoot;
        a = AddMO("A");
        a1 = AddMO("A1", a);
        a11 = AddMO("A11", a1);
        deepX = AddMO("X", a11);
        a2 = AddMO("A2", a);
        x = AddMO("X");
        c = AddMO("C");
        y = AddMO("Y", c);
        a->m_nBKS = 3;
        a1->m_nBKS = 1;
        a2->m_nLink = 7;
    }

public:
    // Public so that tables can name them as members.
    M3DOMObject* root = nullptr;
    M3DOMObject* a = nullptr;
    M3DOMObject* a1 = nullptr;
    M3DOMObject* a11 = nullptr;
    M3DOMObject* deepX = nullptr;
    M3DOMObject* a2 = nullptr;
    M3DOMObject* x = nullptr;
    M3DOMObject* c = nullptr;
    M3DOMObject* y = nullptr;
};

TEST_F(ObjectTreeTest, FindByNameSearchesDepthFirstFromTheStartIndex) {
    using T = ObjectTreeTest;
    struct Case {
        M3DOMObject* ObjectTreeTest::*from;
        const char* name;
        int start;
        M3DOMObject* ObjectTreeTest::*expected;  // none: not found
    };
    const Case cases[] = {
        {&T::root, "X", 0, &T::deepX},  // deep under the first child before the direct second child
        {&T::root, "X", 1, &T::x},
        {&T::root, "Y", 2, &T::y},
        {&T::root, "Y", 3, nullptr},  // start index equal to the child count
        {&T::root, "X", 3, nullptr},
        {&T::root, "A11", 0, &T::a11},
        {&T::root, "A", 1, nullptr},  // the start child and what follows only
        {&T::a, "X", 1, nullptr},
        {&T::a, "X", 0, &T::deepX},
        {&T::root, "x", 0, nullptr},  // case counts
        {&T::root, "a1", 0, nullptr},
        {&T::root, "", 0, nullptr},
        {&T::root, "#root", 0, nullptr},  // never the node searched from
        {&T::root, "A", -1, nullptr},
        {&T::root, "A", INT_MIN, nullptr},
        {&T::root, "A", INT_MAX, nullptr},
        {&T::a1, "..", 0, &T::a},
        {&T::a1, "..", 5, &T::a},
        {&T::a1, "..", -1, &T::a},
        {&T::a, "..", 0, &T::root},
        {&T::root, "..", 0, nullptr},
    };
    for (const Case& k : cases) {
        M3DOMObject* from = this->*k.from;
        SCOPED_TRACE(std::string(from->m_szName) + " " + k.name + " " + std::to_string(k.start));
        EXPECT_EQ(from->FindByName(k.name, k.start), k.expected ? this->*k.expected : nullptr);
    }
    EXPECT_EQ(root->FindByName(nullptr, 0), nullptr);
    EXPECT_EQ(m_pTree->FindByName("X"), deepX);
    EXPECT_EQ(m_pTree->FindByName("Y"), y);
    EXPECT_EQ(m_pTree->FindByName("Z"), nullptr);
}

TEST_F(ObjectTreeTest, FindByPathWalksEveryNameAndSkipsEmptyOnes) {
    struct Case {
        const char* from;
        const char* path;
        M3DOMObject* ObjectTreeTest::*expected;  // none: not found
        M3DOMObject* ObjectTreeTest::*first;     // none: no first step
    };
    using T = ObjectTreeTest;
    const Case cases[] = {
        {"", "A/A1/A11", &T::a11, &T::a},
        {"", "A/A2", &T::a2, &T::a},  // the last name needs no separator behind it
        {"", "A//A1/", &T::a1, &T::a},
        {"", "/A/A1", &T::a1, &T::a},
        {"", "//C//Y", &T::y, &T::c},
        {"", "A/../C/Y", &T::y, &T::a},
        {"", "A/A1/A11/X", &T::deepX, &T::a},
        {"", "X", &T::deepX, &T::deepX},
        {"", "C/X", nullptr, &T::c},  // a step that finds nothing ends the walk
        {"", "A/Missing/A1", nullptr, &T::a},
        {"", "Missing", nullptr, nullptr},
        {"", "", &T::root, nullptr},
        {"", "//", &T::root, nullptr},
        {"A/A1", "..", &T::a, &T::a},
        {"A/A1", "../..", &T::root, &T::a},
        {"A/A1", "../../..", nullptr, &T::a},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.from) + " : " + k.path);
        M3DOMObject* from = root->FindByPath(nullptr, k.from);
        ASSERT_NE(from, nullptr);
        M3DOMObject* first = deepX;  // overwritten whatever the result
        EXPECT_EQ(from->FindByPath(&first, k.path), k.expected ? this->*k.expected : nullptr);
        EXPECT_EQ(first, k.first ? this->*k.first : nullptr);
    }
    // A name longer than any node's matches none.
    EXPECT_EQ(root->FindByPath(nullptr, std::string(200, 'A').c_str()), nullptr);
    EXPECT_EQ(root->FindByPath(nullptr, nullptr), nullptr);
}

TEST_F(ObjectTreeTest, AncestorLookupsStartAtTheNodeItself) {
    EXPECT_EQ(root->GetTopAncestor(), nullptr);
    EXPECT_EQ(a->GetTopAncestor(), root);
    EXPECT_EQ(deepX->GetTopAncestor(), root);
    M3DOMObject* free = m_pTree->CreateMO("free");
    EXPECT_EQ(free->GetTopAncestor(), nullptr);
    delete free;

    struct Case {
        const char* name;
        M3DOMObject* ObjectTreeTest::*expected;
    };
    using T = ObjectTreeTest;
    const Case byName[] = {{"A11", &T::a11}, {"A", &T::a},    {"#root", &T::root},
                           {"a", nullptr},   {"A2", nullptr}, {"X", nullptr}};
    for (const Case& k : byName) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(a11->FindAncestorByName(k.name), k.expected ? this->*k.expected : nullptr);
    }
    EXPECT_EQ(a11->FindAncestorByName(nullptr), nullptr);

    const std::pair<int32_t, M3DOMObject*> byBKS[] = {{0, a11}, {1, a1}, {3, a}, {7, nullptr}};
    for (const auto& [bks, expected] : byBKS) {
        SCOPED_TRACE(bks);
        EXPECT_EQ(a11->FindByBKS(bks), expected);
    }
    EXPECT_EQ(a->FindChildByLink(7), a2);
    EXPECT_EQ(a->FindChildByLink(0), a1);
    EXPECT_EQ(a->FindChildByLink(8), nullptr);
    EXPECT_EQ(root->FindChildByLink(7), nullptr);  // direct children only
}

TEST_F(ObjectTreeTest, IndicesOutsideTheListsGiveNone) {
    EXPECT_EQ(Children(root), (std::vector<M3DOMObject*>{a, x, c}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(root->GetChild(i), Children(root)[static_cast<size_t>(i)]);
    M3DOMObject* element = AddElement("element", kGearModel, kOrigin);
    C3DObject* second = element->AddO(kHookModel, kOrigin);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(element->GetO(1), second);
    for (const int index : {-1, -2, INT_MIN, 4, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(root->GetChild(index), nullptr);
        EXPECT_EQ(element->GetO(index), nullptr);
    }
    EXPECT_EQ(element->GetO(2), nullptr);
    EXPECT_EQ(a11->GetChild(0), deepX);
    EXPECT_EQ(deepX->GetChild(0), nullptr);

    EXPECT_EQ(root->IndexOfChild(c), 2);
    EXPECT_EQ(root->IndexOfChild(y), -1);
    EXPECT_EQ(root->IndexOfChild(nullptr), -1);
    EXPECT_EQ(root->HasChild(x), x);
    EXPECT_EQ(root->HasChild(y), nullptr);
    EXPECT_EQ(root->HasChild(nullptr), nullptr);
    EXPECT_EQ(root->CountMOs(), 9);
    EXPECT_EQ(a->CountMOs(), 4);
    EXPECT_EQ(deepX->CountMOs(), 0);
}

TEST_F(ObjectTreeTest, RemovingReparentingAndMovingChildren) {
    // Unlinked without deleting: the node lives on, parentless.
    root->RemoveChild(c, 0);
    EXPECT_EQ(Children(root), (std::vector<M3DOMObject*>{a, x}));
    EXPECT_EQ(c->m_pParent, nullptr);
    EXPECT_EQ(c->GetChild(0), y);
    // Not a child: nothing happens.
    root->RemoveChild(y, 1);
    EXPECT_EQ(c->GetChild(0), y);

    EXPECT_EQ(M3DOMTree::Reparent(x, c), 1);
    EXPECT_EQ(c->m_pParent, x);
    EXPECT_EQ(Children(x), (std::vector<M3DOMObject*>{c}));
    EXPECT_EQ(M3DOMTree::Reparent(a2, a1), 1);
    EXPECT_EQ(Children(a), (std::vector<M3DOMObject*>{a2}));
    EXPECT_EQ(a1->m_pParent, a2);
    // A node cannot go under itself or its own subtree.
    EXPECT_EQ(M3DOMTree::Reparent(a11, a), 0);
    EXPECT_EQ(M3DOMTree::Reparent(a, a), 0);
    EXPECT_EQ(M3DOMTree::Reparent(nullptr, a), 0);
    EXPECT_EQ(a->m_pParent, root);

    // root: a (a2 (a1 (a11 (deepX)))), x (c (y))
    EXPECT_EQ(M3DOMTree::MoveChildren(x, root), 0);
    EXPECT_EQ(M3DOMTree::MoveChildren(root, a2), 1);
    EXPECT_EQ(Children(root), (std::vector<M3DOMObject*>{a, x, a1}));
    EXPECT_EQ(a1->m_pParent, root);
    EXPECT_TRUE(Children(a2).empty());
    EXPECT_EQ(M3DOMTree::MoveChildren(a2, x), 1);
    EXPECT_EQ(Children(a2), (std::vector<M3DOMObject*>{c}));
    EXPECT_EQ(c->m_pParent, a2);

    // Deleting takes the subtree's objects out of the tree's list.
    AddElement("e1", kGearModel, kOrigin, kOrigin, c);
    AddElement("e2", kGearModel, kOrigin, kOrigin, y);
    AddElement("kept", kGearModel, kOrigin, kOrigin, x);
    EXPECT_EQ(TreeObjectCount(), 3);
    a2->RemoveChild(c, 1);
    EXPECT_TRUE(Children(a2).empty());
    EXPECT_EQ(TreeObjectCount(), 1);
    m_pTree->DeleteAll();
    EXPECT_TRUE(Children(root).empty());
    EXPECT_EQ(TreeObjectCount(), 0);
    EXPECT_EQ(root->CountMOs(), 0);
}

TEST_F(ObjectTreeTest, ObjectsAreAddedAndRemovedWithTheTreesList) {
    M3DOMObject* element = AddMO("element");
    EXPECT_EQ(element->AddO("Crate", kOrigin), nullptr);
    EXPECT_EQ(element->GetO(0), nullptr);
    C3DObject* gear = element->AddO(kGearModel, CVector3(1.0f, 2.0f, 3.0f));
    C3DObject* billboard = element->AddO(C3DObjectList::kBillboardName, kOrigin);
    C3DObject* rope = element->AddO(kRopeModel, kOrigin);
    ASSERT_NE(gear, nullptr);
    ASSERT_NE(billboard, nullptr);
    ASSERT_NE(rope, nullptr);
    EXPECT_EQ(gear->m_pOwner, element);
    EXPECT_EQ(TreeObjectCount(), 3);
    EXPECT_EQ(element->FindOByName("Rope"), rope);
    EXPECT_EQ(element->FindOByName("rope"), nullptr);
    EXPECT_EQ(element->FindOByName(nullptr), nullptr);

    // An object of another node is not this node's to remove.
    M3DOMObject* other = AddElement("other", kHookModel, kOrigin);
    element->RemoveO(other->GetO(0));
    EXPECT_NE(other->GetO(0), nullptr);
    EXPECT_EQ(TreeObjectCount(), 4);

    element->RemoveO(billboard);
    EXPECT_EQ(element->GetO(0), gear);
    EXPECT_EQ(element->GetO(1), rope);
    EXPECT_EQ(TreeObjectCount(), 3);
    element->RemoveAllOs();
    EXPECT_EQ(element->GetO(0), nullptr);
    EXPECT_EQ(TreeObjectCount(), 1);
}

TEST_F(ObjectTreeTest, SetOwnerTreeChangesEveryNodeBelowButNotTheNodeItself) {
    M3DOMTree other(&m_Gfx, nullptr, &m_Device, nullptr, &m_FrameTime, &m_RunTime, &m_Entries, &m_Emitters);
    a->SetOwnerTree(&other);
    EXPECT_EQ(a->m_pTree, m_pTree.get());
    for (M3DOMObject* mo : {a1, a11, deepX, a2})
        EXPECT_EQ(mo->m_pTree, &other);
    for (M3DOMObject* mo : {root, x, c, y})
        EXPECT_EQ(mo->m_pTree, m_pTree.get());
}

TEST_F(ObjectModelTest, ANewNodeHasTheDefaultsAndTheRootsTimes) {
    M3DOMObject* mo = m_pTree->CreateMO(std::string(100, 'n').c_str());
    EXPECT_EQ(strlen(mo->m_szName), 79u);
    EXPECT_EQ(mo->m_pTree, m_pTree.get());
    EXPECT_EQ(mo->m_pParent, nullptr);
    EXPECT_EQ(mo->m_pFrameTime, &m_FrameTime);
    EXPECT_EQ(mo->m_pRunTime, &m_RunTime);
    EXPECT_EQ(mo->m_nCount, 1);
    EXPECT_EQ(mo->m_nConnectedTo, -1);
    EXPECT_EQ(mo->m_bVisible, 1);
    ExpectNear(mo->m_vScale, CVector3(1.0f, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(mo->m_fVelocity, 0.0f);
    EXPECT_EQ(mo->m_bRelative, 0);

    mo->m_nTypeID = 5;
    mo->m_nBKS = 3;
    mo->m_nCount = 4;
    mo->m_vPos = CVector3(1.0f, 2.0f, 3.0f);
    mo->m_vScale = CVector3(2.0f, 2.0f, 2.0f);
    mo->m_fVelocity = 1.0f;
    mo->m_bHold = 1;
    mo->m_nGoal = 2;
    mo->m_nConnectedTo = 9;
    mo->Reset(m_pTree->m_pRoot);
    EXPECT_EQ(mo->m_nTypeID, 0);
    EXPECT_EQ(mo->m_nBKS, 0);
    EXPECT_EQ(mo->m_nCount, 1);
    ExpectNear(mo->m_vPos, kOrigin, 0.0f);
    ExpectNear(mo->m_vScale, CVector3(1.0f, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(mo->m_fVelocity, 0.0f);
    EXPECT_EQ(mo->m_bHold, 0);
    EXPECT_EQ(mo->m_nGoal, 0);
    EXPECT_EQ(mo->m_nConnectedTo, -1);
    EXPECT_EQ(mo->m_pParent, m_pTree->m_pRoot);
    EXPECT_STREQ(mo->m_szName, "");
    delete mo;

    EXPECT_STREQ(m_pTree->m_pRoot->m_szName, "#root");
    M3DOMObject* unnamed = m_pTree->CreateMO(nullptr);
    EXPECT_STREQ(unnamed->m_szName, "");
    delete unnamed;
}

TEST_F(ObjectModelTest, EmittersLeaveTheWorldsListWithTheirNode) {
    M3DOMObject* element = AddMO("element");
    M3DOMObject* part = AddMO("part", element);
    CEmitterLink* smoke = element->AddEmitter(4, CEmitterList::kKindStandard, 10, 20);
    CEmitterLink* cone = part->AddEmitter(5, CEmitterList::kKindCone, 0, 0);
    CEmitterLink* bare = part->AddEmitter(6, 9, 0, 0);
    ASSERT_NE(smoke, nullptr);
    ASSERT_NE(cone, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_NE(smoke->m_pEntry->m_pEmitter, nullptr);
    EXPECT_EQ(smoke->m_pEntry->m_nParam1, 10u);
    EXPECT_EQ(smoke->m_nID, 4u);
    EXPECT_EQ(smoke->m_nReserved, 0u);
    EXPECT_NE(cone->m_pEntry->m_pConeEmitter, nullptr);
    EXPECT_EQ(m_Emitters.m_pList->m_nCount, 3);
    EXPECT_EQ(part->FindEmitter(5), cone);
    EXPECT_EQ(part->FindEmitter(6), bare);
    EXPECT_EQ(part->FindEmitter(4), nullptr);
    EXPECT_EQ(element->FindEmitter(4), smoke);

    // Clones carry no emitters.
    M3DOMObject* copy = element->Clone(m_pTree.get(), nullptr);
    EXPECT_EQ(copy->FindEmitter(4), nullptr);
    EXPECT_EQ(m_Emitters.m_pList->m_nCount, 3);
    delete copy;

    element->RemoveChild(part, 1);
    EXPECT_EQ(m_Emitters.m_pList->m_nCount, 1);
    EXPECT_EQ(m_Emitters.m_pList->m_pHead->m_data, smoke->m_pEntry);
    element->RemoveAllEmitters();
    EXPECT_EQ(element->FindEmitter(4), nullptr);
    EXPECT_EQ(m_Emitters.m_pList->m_nCount, 0);

    // A tree without the world's list makes none.
    M3DOMTree lone(&m_Gfx, nullptr, &m_Device, nullptr, nullptr, nullptr, &m_Entries, nullptr);
    EXPECT_EQ(lone.m_pRoot->AddEmitter(1, CEmitterList::kKindStandard, 0, 0), nullptr);
}

TEST_F(ObjectModelTest, TheWorldBuildsTwoTreesOverItsEntriesAndEmitters) {
    auto* world = new M3DOMWorld(&m_Gfx, nullptr, &m_Device, nullptr, &m_FrameTime, &m_RunTime);
    ASSERT_EQ(RegisterConnectorKinds(world->m_pNamedEntries), 1);
    ASSERT_NE(world->m_pScripter, nullptr);
    EXPECT_EQ(world->m_pScripter->m_pWorld, world);
    for (M3DOMTree* tree : {world->m_pInstanceTree, world->m_pTemplateTree}) {
        EXPECT_STREQ(tree->m_pRoot->m_szName, "#root");
        EXPECT_EQ(tree->m_pRoot->m_pTree, tree);
        EXPECT_EQ(tree->m_pRoot->m_pFrameTime, &m_FrameTime);
        EXPECT_EQ(tree->m_pRoot->m_pRunTime, &m_RunTime);
        EXPECT_EQ(tree->m_pOList->m_pNamedEntries, world->m_pNamedEntries);
        EXPECT_EQ(tree->m_pEmitters, world->m_pEmitters);
    }
    EXPECT_NE(world->m_pInstanceTree, world->m_pTemplateTree);

    // A template cloned into the instance tree, snapped to an instance, with emitters: the
    // world comes down cleanly in its own order.
    M3DOMTree* templates = world->m_pTemplateTree;
    M3DOMObject* gear = templates->CreateMO("GEAR");
    M3DOMTree::Reparent(templates->m_pRoot, gear);
    ASSERT_NE(gear->AddO(kGearModel, kOrigin), nullptr);
    gear->AddEmitter(1, CEmitterList::kKindStandard, 0, 0);
    M3DOMTree* instances = world->m_pInstanceTree;
    M3DOMObject* first = M3DOMTree::CloneMO(gear, instances);
    M3DOMObject* second = M3DOMTree::CloneMO(gear, instances);
    M3DOMTree::Reparent(instances->m_pRoot, first);
    M3DOMTree::Reparent(instances->m_pRoot, second);
    second->m_vPos = CVector3(0.02f, 0.0f, 0.0f);
    second->m_vRot.y = 3.14159265f;
    first->AddEmitter(2, CEmitterList::kKindCone, 0, 0);
    instances->UpdateTransforms(nullptr);
    EXPECT_EQ(first->SnapConnect(second), 2);
    EXPECT_EQ(world->m_pEmitters->m_pList->m_nCount, 2);
    delete world;
}

}  // namespace
