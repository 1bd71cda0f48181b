#include "engine/graphics/RendererResource.h"

int CRendererResource::GetDevice(CRenderDevice** out) {
    if (!out)
        return 0;
    *out = m_pDevice;
    return 1;
}

int CRendererResource::Reserved() {
    return 0;
}

int CRendererResource::SetDevice(CRenderDevice* device) {
    m_pDevice = device;
    return device ? 1 : 0;
}
