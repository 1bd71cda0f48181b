// The present parameters of a windowed device on a window of the given size, as the 3D layer's
// tests and benchmarks make it: one back buffer, a 24-bit depth buffer with stencil, no wait
// for the vertical blank.
#pragma once

#include "winapi/d3d9/D3D9.h"

inline D3DPRESENT_PARAMETERS WindowedPresentParameters(HWND window, UINT width, UINT height,
                                                       D3DFORMAT backBuffer = D3DFMT_X8R8G8B8) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = backBuffer;
    parameters.BackBufferCount = 1;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}
