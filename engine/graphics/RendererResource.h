// Base of the engine objects that stand for device memory: they keep the render device and
// reach their memory through it by handle.
#pragma once

#include "engine/core/Class.h"

class CRenderDevice;

class CRendererResource : public CObject {
    DECLARE_ABSTRACT_RUNTIME_CLASS(CRendererResource)

public:
    // 0 when out is none; else writes the device (possibly none) and returns 1.
    virtual int GetDevice(CRenderDevice** out);
    virtual int Reserved();
    // Stores the device; 1 when it is not none.
    virtual int SetDevice(CRenderDevice* device);

    CRenderDevice* m_pDevice = nullptr;
};
