// The render device's stack of world matrices. Its top is the last entry; an empty stack
// reads as the identity.
#pragma once

#include "engine/core/Matrix.h"
#include "engine/core/PooledList.h"

class CMatrixStack {
public:
    CMatrixStack();
    virtual ~CMatrixStack() = default;

    // Pushes a copy of the top (the identity when empty).
    void Push();
    // Removes the top; nothing when empty.
    void Pop();
    // The top, or the shared identity when empty.
    const CMatrix& GetTop() const;
    // The next three do nothing on an empty stack.
    void SetTop(const CMatrix& m);
    // top = top x translation(x, y, z).
    void Translate(float x, float y, float z);
    bool IsEmpty() const { return m_entries.m_nCount == 0; }

private:
    CPooledList<CMatrix> m_entries;
};
