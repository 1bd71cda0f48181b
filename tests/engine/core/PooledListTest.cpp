#include "engine/core/PooledList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <random>
#include <set>
#include <vector>

#include "engine/core/EventList.h"
#include "engine/core/ObjectList.h"
#include "engine/core/PlaneList.h"
#include "engine/core/PointerList.h"

namespace {

using PointerNode = CPointerList::Node;
using PointerPosition = CPointerList::Position;

// Checks head, tail, count and both directions of the chain against the expected nodes.
template <class T>
::testing::AssertionResult LinksAre(const CPooledList<T>& list,
                                    const std::vector<const CListNode<T>*>& expected) {
    if (list.m_nCount != static_cast<int32_t>(expected.size()))
        return ::testing::AssertionFailure() << "count " << list.m_nCount << ", expected " << expected.size();
    const CListNode<T>* head = expected.empty() ? nullptr : expected.front();
    const CListNode<T>* tail = expected.empty() ? nullptr : expected.back();
    if (list.m_pHead != head)
        return ::testing::AssertionFailure() << "wrong head";
    if (list.m_pTail != tail)
        return ::testing::AssertionFailure() << "wrong tail";
    for (size_t i = 0; i < expected.size(); ++i) {
        const CListNode<T>* next = i + 1 < expected.size() ? expected[i + 1] : nullptr;
        const CListNode<T>* previous = i > 0 ? expected[i - 1] : nullptr;
        if (expected[i]->m_pNext != next)
            return ::testing::AssertionFailure() << "wrong next of node " << i;
        if (expected[i]->m_pPrev != previous)
            return ::testing::AssertionFailure() << "wrong previous of node " << i;
    }
    return ::testing::AssertionSuccess();
}

template <class T>
std::vector<const CListNode<T>*> FreeNodes(const CPooledList<T>& list) {
    std::vector<const CListNode<T>*> nodes;
    for (const CListNode<T>* node = list.m_pFree; node; node = node->m_pNext)
        nodes.push_back(node);
    return nodes;
}

template <class T>
bool Contiguous(const std::vector<const CListNode<T>*>& nodes) {
    for (size_t i = 1; i < nodes.size(); ++i)
        if (nodes[i] != nodes[i - 1] + 1)
            return false;
    return true;
}

PointerNode* Insert(CPointerList& list, void* value, PointerNode* where, int after) {
    PointerPosition position{nullptr, nullptr};
    list.Insert(&position, value, PointerPosition{&list, where}, after);
    EXPECT_EQ(position.pList, &list);
    EXPECT_NE(position.pNode, nullptr);
    if (position.pNode) {
        EXPECT_EQ(position.pNode->m_data, value);
    }
    return position.pNode;
}

int g_values[16];

void* Value(int i) {
    return &g_values[i];
}

TEST(PooledListTest, InitialBlockIsZeroFilledAndThreadedOntoTheFreeListInAddressOrder) {
    CPointerList list(5, 3);
    EXPECT_TRUE(LinksAre(list, {}));
    EXPECT_EQ(list.m_nNodesPerBlock, 3);
    const std::vector<const PointerNode*> free = FreeNodes(list);
    ASSERT_EQ(free.size(), 5u);
    EXPECT_TRUE(Contiguous(free));
    for (const PointerNode* node : free) {
        EXPECT_EQ(node->m_pPrev, nullptr);
        EXPECT_EQ(node->m_data, nullptr);
    }

    // The five initial nodes are handed out first, in address order, without a new block.
    std::vector<const PointerNode*> used;
    for (int i = 0; i < 5; ++i)
        used.push_back(Insert(list, Value(i), nullptr, 1));
    EXPECT_EQ(used, free);
    EXPECT_EQ(list.m_pFree, nullptr);

    // The sixth insertion takes a block of nodes-per-block nodes.
    used.push_back(Insert(list, Value(5), nullptr, 1));
    const std::vector<const PointerNode*> rest = FreeNodes(list);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0], used[5] + 1);
    EXPECT_EQ(rest[1], used[5] + 2);
    EXPECT_TRUE(LinksAre(list, used));
}

TEST(PooledListTest, EmptyListAllocatesItsFirstBlockAtTheFirstInsertion) {
    CPointerList list(0, 4);
    EXPECT_EQ(list.m_pFree, nullptr);
    EXPECT_TRUE(LinksAre(list, {}));

    std::vector<const PointerNode*> nodes{Insert(list, Value(0), nullptr, 0)};
    EXPECT_TRUE(LinksAre(list, nodes));
    EXPECT_EQ(FreeNodes(list).size(), 3u);
    for (int i = 1; i < 4; ++i)
        nodes.push_back(Insert(list, Value(i), nullptr, 1));
    EXPECT_TRUE(Contiguous(nodes));
    EXPECT_EQ(list.m_pFree, nullptr);
    EXPECT_TRUE(LinksAre(list, nodes));
}

TEST(PooledListTest, NodesPerBlockBelowOneIsTakenAsOne) {
    for (int perBlock : {0, -1, -100}) {
        SCOPED_TRACE(perBlock);
        CPointerList list(0, perBlock);
        EXPECT_EQ(list.m_nNodesPerBlock, 1);
        std::vector<const PointerNode*> nodes;
        for (int i = 0; i < 3; ++i) {
            nodes.push_back(Insert(list, Value(i), nullptr, 1));
            EXPECT_EQ(list.m_pFree, nullptr);
        }
        EXPECT_TRUE(LinksAre(list, nodes));
    }
}

TEST(PooledListTest, InsertsBeforeAndAfterNodesAndAtBothEnds) {
    CPointerList list(0, 2);

    // Prepend into an empty list: the node is head and tail.
    PointerNode* c = Insert(list, Value(2), nullptr, 0);
    ASSERT_TRUE(LinksAre(list, {c}));
    // Append with a null node.
    PointerNode* e = Insert(list, Value(4), nullptr, 1);
    ASSERT_TRUE(LinksAre(list, {c, e}));
    // Prepend with a null node.
    PointerNode* a = Insert(list, Value(0), nullptr, 0);
    ASSERT_TRUE(LinksAre(list, {a, c, e}));
    // Behind a middle node and in front of a middle node.
    PointerNode* d = Insert(list, Value(3), c, 1);
    ASSERT_TRUE(LinksAre(list, {a, c, d, e}));
    PointerNode* b = Insert(list, Value(1), c, 0);
    ASSERT_TRUE(LinksAre(list, {a, b, c, d, e}));
    // Behind the tail and in front of the head, given as nodes.
    PointerNode* f = Insert(list, Value(5), e, 1);
    ASSERT_TRUE(LinksAre(list, {a, b, c, d, e, f}));
    PointerNode* z = Insert(list, Value(6), a, 0);
    ASSERT_TRUE(LinksAre(list, {z, a, b, c, d, e, f}));

    // Payloads are where they were put.
    const void* expected[] = {Value(6), Value(0), Value(1), Value(2), Value(3), Value(4), Value(5)};
    size_t i = 0;
    for (const PointerNode* node = list.m_pHead; node; node = node->m_pNext, ++i)
        EXPECT_EQ(node->m_data, expected[i]) << i;

    // Into an empty list, an append with a null node also makes head and tail.
    CPointerList other(1, 1);
    PointerNode* only = Insert(other, Value(0), nullptr, 1);
    EXPECT_TRUE(LinksAre(other, {only}));
}

TEST(PooledListTest, RemovedNodesGoToTheFrontOfTheFreeListAndAreReusedFirst) {
    CPointerList list(3, 1);
    PointerNode* a = Insert(list, Value(0), nullptr, 1);
    PointerNode* b = Insert(list, Value(1), nullptr, 1);
    PointerNode* c = Insert(list, Value(2), nullptr, 1);
    ASSERT_TRUE(LinksAre(list, {a, b, c}));
    ASSERT_EQ(list.m_pFree, nullptr);

    // The middle node: head and tail become neighbours.
    EXPECT_EQ(list.RemoveAt(PointerPosition{&list, b}), b);
    EXPECT_TRUE(LinksAre(list, {a, c}));
    EXPECT_EQ(list.m_pFree, b);
    EXPECT_EQ(b->m_pNext, nullptr);
    EXPECT_EQ(b->m_data, Value(1));

    // The next insertion reuses it; no block is added.
    PointerNode* d = Insert(list, Value(3), a, 1);
    EXPECT_EQ(d, b);
    EXPECT_TRUE(LinksAre(list, {a, d, c}));
    EXPECT_EQ(list.m_pFree, nullptr);

    // Head, then tail, then the last node: the free list is last-in first-out.
    EXPECT_EQ(list.RemoveAt(PointerPosition{&list, a}), a);
    EXPECT_TRUE(LinksAre(list, {d, c}));
    EXPECT_EQ(list.RemoveAt(PointerPosition{&list, c}), c);
    EXPECT_TRUE(LinksAre(list, {d}));
    EXPECT_EQ(list.RemoveAt(PointerPosition{&list, d}), d);
    EXPECT_TRUE(LinksAre(list, {}));
    EXPECT_EQ(FreeNodes(list), (std::vector<const PointerNode*>{d, c, a}));
    EXPECT_EQ(c->m_data, Value(2));

    EXPECT_EQ(Insert(list, Value(4), nullptr, 0), d);
    EXPECT_EQ(Insert(list, Value(5), nullptr, 0), c);
    EXPECT_EQ(Insert(list, Value(6), nullptr, 0), a);
    EXPECT_TRUE(LinksAre(list, {a, c, d}));
    EXPECT_EQ(list.m_pFree, nullptr);
}

TEST(PooledListTest, AllocatesOnlyWhenGrowingPastWhatItEverHeld) {
    // Random insertions and removals against a model; with one node per block every node
    // address ever used is a separate allocation, so their number is the largest size held.
    CPointerList list(0, 1);
    std::list<const PointerNode*> model;
    std::set<const PointerNode*> everUsed;
    size_t largest = 0;
    std::mt19937 engine(12345);
    for (int step = 0; step < 2000; ++step) {
        // Phases of mostly growing and mostly shrinking.
        const bool growing = (step / 250) % 2 == 0;
        const bool grow = model.empty() || (growing ? engine() % 3 != 0 : engine() % 3 == 0);
        auto where = model.begin();
        std::advance(where, model.empty() ? 0 : static_cast<long>(engine() % model.size()));
        if (grow) {
            const int after = static_cast<int>(engine() % 2);
            const bool atEnd = engine() % 4 == 0 || model.empty();
            PointerNode* given = atEnd ? nullptr : const_cast<PointerNode*>(*where);
            PointerNode* node = Insert(list, Value(step % 16), given, after);
            if (atEnd)
                model.insert(after ? model.end() : model.begin(), node);
            else
                model.insert(after ? std::next(where) : where, node);
            everUsed.insert(node);
            largest = std::max(largest, model.size());
        } else {
            EXPECT_EQ(list.RemoveAt(PointerPosition{&list, const_cast<PointerNode*>(*where)}), *where);
            model.erase(where);
        }
        ASSERT_TRUE(LinksAre(list, std::vector<const PointerNode*>(model.begin(), model.end())))
            << "step " << step;
    }
    EXPECT_GT(largest, 20u);
    EXPECT_EQ(everUsed.size(), largest);
}

TEST(PooledListTest, RemoveAllFreesEverythingAndTheListStaysUsable) {
    CPointerList list(2, 3);
    for (int i = 0; i < 7; ++i)
        Insert(list, Value(i), nullptr, i % 2);
    list.RemoveAt(PointerPosition{&list, list.m_pHead});

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        list.RemoveAll();
        EXPECT_TRUE(LinksAre(list, {}));
        EXPECT_EQ(list.m_pFree, nullptr);
        EXPECT_EQ(list.m_nNodesPerBlock, 3);
    }

    // A fresh block of nodes-per-block nodes, not of the initial size.
    PointerNode* a = Insert(list, Value(0), nullptr, 0);
    EXPECT_TRUE(LinksAre(list, {a}));
    const std::vector<const PointerNode*> free = FreeNodes(list);
    ASSERT_EQ(free.size(), 2u);
    EXPECT_EQ(free[0], a + 1);
    EXPECT_EQ(free[1], a + 2);
    PointerNode* b = Insert(list, Value(1), a, 1);
    EXPECT_TRUE(LinksAre(list, {a, b}));

    CPointerList empty(0, 1);
    empty.RemoveAll();
    EXPECT_TRUE(LinksAre(empty, {}));
    PointerNode* only = Insert(empty, Value(0), nullptr, 0);
    EXPECT_TRUE(LinksAre(empty, {only}));
}

TEST(PooledListTest, EventListKeepsPairsOfWords) {
    // The display-mode list: one initial node, one per block.
    CEventList list(1, 1);
    CEventList::Position first{nullptr, nullptr};
    list.Insert(&first, CInputEvent{0, 65}, CEventList::Position{&list, nullptr}, 1);
    const CEventList::Position second = list.Append(CInputEvent{2, -1});
    CEventList::Position front{nullptr, nullptr};
    list.Insert(&front, CInputEvent{8, 120}, CEventList::Position{&list, nullptr}, 0);
    EXPECT_EQ(first.pList, &list);
    EXPECT_EQ(second.pList, &list);
    ASSERT_TRUE(LinksAre(list, {front.pNode, first.pNode, second.pNode}));

    const CInputEvent expected[] = {{8, 120}, {0, 65}, {2, -1}};
    size_t i = 0;
    for (const CEventList::Node* node = list.m_pHead; node; node = node->m_pNext, ++i) {
        EXPECT_EQ(node->m_data.m_nType, expected[i].m_nType);
        EXPECT_EQ(node->m_data.m_nParam, expected[i].m_nParam);
    }

    // Consuming the queue from the front keeps the payload in the removed node.
    CEventList::Node* removed = list.RemoveAt(CEventList::Position{&list, list.m_pHead});
    EXPECT_EQ(removed, front.pNode);
    EXPECT_EQ(removed->m_data.m_nType, 8);
    EXPECT_EQ(removed->m_data.m_nParam, 120);
    EXPECT_TRUE(LinksAre(list, {first.pNode, second.pNode}));
}

TEST(PooledListTest, PlaneListAppendsFromItsInitialBlock) {
    // The frustum's list: eight initial nodes, one per block.
    CPlaneList list(8, 1);
    std::vector<const CPlaneList::Node*> nodes;
    for (int i = 0; i < 8; ++i) {
        const float f = static_cast<float>(i);
        nodes.push_back(list.Append(CPlane{f, f + 0.25f, f + 0.5f, -f}).pNode);
    }
    EXPECT_TRUE(Contiguous(nodes));
    EXPECT_EQ(list.m_pFree, nullptr);
    nodes.push_back(list.Append(CPlane{9.0f, 0.0f, 0.0f, 1.0f}).pNode);
    EXPECT_EQ(list.m_pFree, nullptr);
    ASSERT_TRUE(LinksAre(list, nodes));

    for (int i = 0; i < 8; ++i) {
        const CPlane& plane = nodes[static_cast<size_t>(i)]->m_data;
        const float f = static_cast<float>(i);
        EXPECT_EQ(plane.a, f);
        EXPECT_EQ(plane.b, f + 0.25f);
        EXPECT_EQ(plane.c, f + 0.5f);
        EXPECT_EQ(plane.d, -f);
    }
    EXPECT_EQ(nodes[8]->m_data.a, 9.0f);
    EXPECT_EQ(nodes[8]->m_data.d, 1.0f);
}

// A subclass that, like the scene classes, deletes what its list points to.
class CCountedObjects : public CObjectList {
public:
    explicit CCountedObjects(int initialNodes, int* destroyed)
        : CObjectList(initialNodes), m_pDestroyed(destroyed) {}
    ~CCountedObjects() override {
        for (CPointerList::Node* node = m_pList->m_pHead; node; node = node->m_pNext)
            delete static_cast<int*>(node->m_data);
        ++*m_pDestroyed;
    }

private:
    int* m_pDestroyed;
};

TEST(PooledListTest, ObjectListOwnsItsListButNotTheObjects) {
    {
        CObjectList objects(4);
        ASSERT_NE(objects.m_pList, nullptr);
        EXPECT_EQ(objects.m_pList->m_nNodesPerBlock, 1);
        EXPECT_TRUE(LinksAre(*objects.m_pList, {}));
        EXPECT_EQ(FreeNodes(*objects.m_pList).size(), 4u);

        // Objects the base does not own: deleting them would fault.
        int stackObjects[6] = {};
        for (int& object : stackObjects)
            objects.m_pList->Append(&object);
        EXPECT_EQ(objects.m_pList->m_nCount, 6);
        EXPECT_EQ(objects.m_pList->m_pFree, nullptr);
    }

    CObjectList none(0);
    EXPECT_EQ(none.m_pList->m_pFree, nullptr);

    int destroyed = 0;
    CObjectList* owner = new CCountedObjects(2, &destroyed);
    for (int i = 0; i < 3; ++i)
        owner->m_pList->Append(new int(i));
    delete owner;  // through the base: the subclass's destructor must run
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
