// A growable array of points, shared by splines and the drawn polylines. It grows by its
// growth step beyond what is asked, so that appending point by point reallocates rarely.
#pragma once

#include <cstdint>

#include "engine/core/Vector3.h"

class CPointArray {
public:
    explicit CPointArray(int growthStep = 8) : m_nGrowthStep(growthStep) {}
    CPointArray(const CPointArray&) = delete;
    CPointArray& operator=(const CPointArray&) = delete;
    ~CPointArray();

    // Appends n points (contents not set) and returns the index of the first.
    int AddPoints(int n);
    // Empties the array and reallocates it to n points when that differs; 0 frees it.
    void SetCapacity(int n);

    int m_nCount = 0;
    int m_nCapacity = 0;
    int m_nGrowthStep;
    CVector3* m_pPoints = nullptr;
};
