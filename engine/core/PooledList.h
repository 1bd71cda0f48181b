// A doubly linked list whose nodes come from blocks of nodes owned by the list. Removed
// nodes go back to a free list and are reused; blocks are freed only by RemoveAll, so a list
// allocates only when it grows past what it ever held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

#include "engine/core/OutOfMemory.h"

template <class T>
struct CListNode {
    CListNode* m_pNext;
    CListNode* m_pPrev;
    T m_data;
};

template <class T>
class CPooledList {
    static_assert(std::is_trivially_copyable_v<T>, "nodes live in zero-filled raw blocks");

public:
    typedef CListNode<T> Node;
    // A place in a list; a null node stands for the end the insertion direction points at.
    struct Position {
        CPooledList* pList;
        Node* pNode;
    };

    // One block of `initialNodes` nodes now (none for 0); later blocks hold `nodesPerBlock`
    // nodes (a value below 1 is taken as 1).
    CPooledList(int initialNodes, int nodesPerBlock)
        : m_nNodesPerBlock(nodesPerBlock < 1 ? 1 : nodesPerBlock) {
        if (initialNodes >= 1)
            AddBlock(initialNodes);
    }
    CPooledList(const CPooledList&) = delete;
    CPooledList& operator=(const CPooledList&) = delete;
    ~CPooledList() { RemoveAll(); }

    // Links a node holding `value` behind (bAfter = 1) or before (bAfter = 0) the node of
    // `where`; a null node appends behind the tail or pushes in front of the head.
    void Insert(Position* out, const T& value, Position where, int bAfter) {
        if (!m_pFree)
            AddBlock(m_nNodesPerBlock);
        Node* node = m_pFree;
        m_pFree = node->m_pNext;
        node->m_data = value;

        Node* previous;
        Node* next;
        if (bAfter) {
            previous = where.pNode ? where.pNode : m_pTail;
            next = previous ? previous->m_pNext : m_pHead;
        } else {
            next = where.pNode ? where.pNode : m_pHead;
            previous = next ? next->m_pPrev : m_pTail;
        }
        node->m_pPrev = previous;
        node->m_pNext = next;
        (previous ? previous->m_pNext : m_pHead) = node;
        (next ? next->m_pPrev : m_pTail) = node;
        ++m_nCount;
        if (out)
            *out = Position{this, node};
    }

    Position Append(const T& value) {
        Position position;
        Insert(&position, value, Position{this, m_pTail}, 1);
        return position;
    }

    // Unlinks the node and puts it at the front of the free list; its payload stays as it was.
    Node* RemoveAt(Position where) {
        Node* node = where.pNode;
        if (!node)
            return nullptr;
        (node->m_pPrev ? node->m_pPrev->m_pNext : m_pHead) = node->m_pNext;
        (node->m_pNext ? node->m_pNext->m_pPrev : m_pTail) = node->m_pPrev;
        node->m_pNext = m_pFree;
        node->m_pPrev = nullptr;
        m_pFree = node;
        --m_nCount;
        return node;
    }

    // Unlinks every node onto the free list and keeps the blocks, so that a list refilled
    // every frame allocates nothing once it has held its most.
    void Empty() {
        while (m_pHead)
            RemoveAt(Position{this, m_pHead});
    }

    // Frees every block; the next insertion allocates a block of nodes-per-block nodes.
    void RemoveAll() {
        while (m_pBlocks) {
            BlockHeader* previous = m_pBlocks->pPrevious;
            free(m_pBlocks);
            m_pBlocks = previous;
        }
        m_pHead = m_pTail = m_pFree = nullptr;
        m_nCount = 0;
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    int32_t m_nCount = 0;
    Node* m_pFree = nullptr;

private:
    struct BlockHeader {
        BlockHeader* pPrevious;
    };
    static constexpr size_t kNodesOffset =
        (sizeof(BlockHeader) + alignof(Node) - 1) / alignof(Node) * alignof(Node);

    // One zero-filled allocation: the link to the previous block, then the nodes, threaded
    // onto the free list in address order.
    void AddBlock(int nodes) {
        void* memory = calloc(1, kNodesOffset + sizeof(Node) * static_cast<size_t>(nodes));
        if (!memory)
            OutOfMemory(kNodesOffset + sizeof(Node) * static_cast<size_t>(nodes));
        BlockHeader* block = static_cast<BlockHeader*>(memory);
        block->pPrevious = m_pBlocks;
        m_pBlocks = block;
        Node* first = reinterpret_cast<Node*>(static_cast<char*>(memory) + kNodesOffset);
        for (int i = 0; i + 1 < nodes; ++i)
            first[i].m_pNext = &first[i + 1];
        first[nodes - 1].m_pNext = m_pFree;
        m_pFree = first;
    }

    BlockHeader* m_pBlocks = nullptr;

public:
    int32_t m_nNodesPerBlock;
};
