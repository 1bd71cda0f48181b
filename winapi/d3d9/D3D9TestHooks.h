// What the Direct3D 9 layer offers tests: its adapter modes, switches that make its calls
// fail, and queries of what a device holds. Production code never includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "winapi/d3d9/D3D9.h"

namespace winapi::d3d {

// The adapter's modes; by default 640x480 to 1600x1200 in R5G6B5 and X8R8G8B8 at several
// refresh rates, with 4:3 and other shapes.
void SetAdapterModes(const std::vector<D3DDISPLAYMODE>& modes);
void UseDefaultAdapterModes();
// The desktop's current mode (1024x768 X8R8G8B8 unless changed).
void SetDesktopMode(const D3DDISPLAYMODE& mode);

enum class EFailure {
    kCreateObject,          // Direct3DCreate9 gives none
    kHardwareDevice,        // device creation with hardware vertex processing fails
    kAnyDevice,             // device creation fails whatever the flags
    kCreateVertexBuffer,    // CreateVertexBuffer fails
    kCount,
};
void SetFailure(EFailure failure, bool fail);
// The next `count` texture creations report that video memory is exhausted.
void SetOutOfVideoMemory(int count);
void ClearFailures();

// The device reports itself lost, then lost but ready to be reset, until Reset succeeds.
void LoseDevice(IDirect3DDevice9* device);

// The back buffer's pixels as 0xAARRGGBB words, rows top first; false without a device.
bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint32_t>* pixels, int* width, int* height);
// The flags the device was created with.
DWORD CreationFlags(IDirect3DDevice9* device);
// The present parameters the device runs with (sizes filled in for a window).
D3DPRESENT_PARAMETERS PresentParameters(IDirect3DDevice9* device);
// Buffers and textures in the default pool that are still alive (Reset fails while any is).
int LiveDefaultPoolResources(IDirect3DDevice9* device);
// How many frames the device has presented.
int PresentCount(IDirect3DDevice9* device);
// How many fixed-function programs the device has generated (one per combination of the
// states that shape the code).
size_t PipelineProgramCount(IDirect3DDevice9* device);
// The largest degree of anisotropic filtering the device applies; 0 without it.
float MaxAnisotropy(IDirect3DDevice9* device);

}  // namespace winapi::d3d
