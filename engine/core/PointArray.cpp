#include "engine/core/PointArray.h"

#include <cstdlib>

#include "engine/core/OutOfMemory.h"

namespace {

CVector3* Reallocate(CVector3* points, int count) {
    if (count <= 0) {
        free(points);
        return nullptr;
    }
    const size_t bytes = sizeof(CVector3) * static_cast<size_t>(count);
    auto* grown = static_cast<CVector3*>(realloc(points, bytes));
    if (!grown)
        OutOfMemory(bytes);
    return grown;
}

}  // namespace

CPointArray::~CPointArray() {
    free(m_pPoints);
}

int CPointArray::AddPoints(int n) {
    const int first = m_nCount;
    if (n <= 0)
        return first;
    m_nCount += n;
    if (m_nCount > m_nCapacity) {
        m_nCapacity = m_nCount + (m_nGrowthStep > 0 ? m_nGrowthStep : 0);
        m_pPoints = Reallocate(m_pPoints, m_nCapacity);
    }
    return first;
}

void CPointArray::SetCapacity(int n) {
    m_nCount = 0;
    if (n < 0)
        n = 0;
    if (n != m_nCapacity) {
        m_pPoints = Reallocate(m_pPoints, n);
        m_nCapacity = n;
    }
}
