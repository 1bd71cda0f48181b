// The Direct3D object: the adapter's display modes, the multisample check and device
// creation; and the layer's test switches and queries.
#include <bitset>

#include "winapi/base/FailureReason.h"
#include "winapi/d3d9/D3D9_local.h"
#include "winapi/window/WinLayer.h"

namespace winapi::d3d {
namespace {

std::vector<D3DDISPLAYMODE> DefaultModes() {
    static const UINT kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768}, {1152, 864},
                                     {1280, 960},  {1280, 1024}, {1280, 720}, {1600, 1200}};
    static const UINT kRefreshRates[] = {60, 75, 85};
    std::vector<D3DDISPLAYMODE> modes;
    for (const D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8}) {
        for (const auto& size : kSizes) {
            for (const UINT refresh : kRefreshRates)
                modes.push_back(D3DDISPLAYMODE{size[0], size[1], refresh, format});
        }
    }
    return modes;
}

struct LayerState {
    std::vector<D3DDISPLAYMODE> modes = DefaultModes();
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    std::bitset<static_cast<size_t>(EFailure::kCount)> failures;
    int outOfVideoMemory = 0;
};

LayerState& State() {
    static LayerState state;
    return state;
}

class CDirect3D final : public IDirect3D9, public CRefCounted {
public:
    ULONG Release() override {
        const ULONG left = DropReference();
        if (!left)
            delete this;
        return left;
    }

    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
        UINT count = 0;
        if (adapter == D3DADAPTER_DEFAULT) {
            for (const D3DDISPLAYMODE& mode : State().modes)
                count += mode.Format == format ? 1 : 0;
        }
        return count;
    }

    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* out) override {
        if (adapter != D3DADAPTER_DEFAULT || !out)
            return D3DERR_INVALIDCALL;
        for (const D3DDISPLAYMODE& mode : State().modes) {
            if (mode.Format != format)
                continue;
            if (index-- == 0) {
                *out = mode;
                return D3D_OK;
            }
        }
        return D3DERR_INVALIDCALL;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out) override {
        if (adapter != D3DADAPTER_DEFAULT || !out)
            return D3DERR_INVALIDCALL;
        *out = State().desktop;
        return D3D_OK;
    }

    // Rendering goes through a single-sampled framebuffer: only "none" is offered.
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE /*type*/, D3DFORMAT /*format*/, BOOL /*windowed*/,
                                       D3DMULTISAMPLE_TYPE multisample, DWORD* quality) override {
        if (quality)
            *quality = 1;
        return adapter == D3DADAPTER_DEFAULT && multisample == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override {
        if (!device || !parameters || adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL)
            return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (FailureSet(EFailure::kAnyDevice) ||
            ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && FailureSet(EFailure::kHardwareDevice))) {
            winapi::SetFailureReason("the 3D device is switched off");
            return D3DERR_NOTAVAILABLE;
        }
        const HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
        SDL_Window* sdlWindow = AcquireSdlWindow(window);
        if (!sdlWindow) {
            winapi::SetFailureReason("the 3D device has no window to draw in");
            return D3DERR_INVALIDCALL;
        }
        auto* created = new CDevice(window, sdlWindow, flags);
        if (!created->Start(parameters)) {
            created->Release();
            return D3DERR_NOTAVAILABLE;
        }
        *device = created;
        return D3D_OK;
    }

private:
    ~CDirect3D() override = default;
};

}  // namespace

bool FailureSet(EFailure failure) {
    return State().failures.test(static_cast<size_t>(failure));
}

bool TakeOutOfVideoMemory() {
    if (State().outOfVideoMemory <= 0)
        return false;
    --State().outOfVideoMemory;
    return true;
}

D3DDISPLAYMODE DesktopMode() {
    return State().desktop;
}

void SetAdapterModes(const std::vector<D3DDISPLAYMODE>& modes) {
    State().modes = modes;
}

void UseDefaultAdapterModes() {
    State().modes = DefaultModes();
}

void SetDesktopMode(const D3DDISPLAYMODE& mode) {
    State().desktop = mode;
}

void SetFailure(EFailure failure, bool fail) {
    if (failure < EFailure::kCount)
        State().failures.set(static_cast<size_t>(failure), fail);
}

void SetOutOfVideoMemory(int count) {
    State().outOfVideoMemory = count;
}

void ClearFailures() {
    State().failures.reset();
    State().outOfVideoMemory = 0;
}

void LoseDevice(IDirect3DDevice9* device) {
    if (CDevice* target = AsDevice(device))
        target->Lose();
}

bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint32_t>* pixels, int* width, int* height) {
    CDevice* target = AsDevice(device);
    return target && pixels && width && height && target->ReadBackBuffer(pixels, width, height);
}

DWORD CreationFlags(IDirect3DDevice9* device) {
    CDevice* target = AsDevice(device);
    return target ? target->Flags() : 0;
}

D3DPRESENT_PARAMETERS PresentParameters(IDirect3DDevice9* device) {
    CDevice* target = AsDevice(device);
    return target ? target->Parameters() : D3DPRESENT_PARAMETERS{};
}

int LiveDefaultPoolResources(IDirect3DDevice9* device) {
    CDevice* target = AsDevice(device);
    return target ? target->DefaultPoolResources() : 0;
}

int PresentCount(IDirect3DDevice9* device) {
    CDevice* target = AsDevice(device);
    return target ? target->Presents() : 0;
}

size_t PipelineProgramCount(IDirect3DDevice9* device) {
    CDevice* target = AsDevice(device);
    return target ? target->ProgramCount() : 0;
}

float MaxAnisotropy(IDirect3DDevice9* device) {
    CDevice* target = AsDevice(device);
    return target ? target->MaxAnisotropy() : 0.0f;
}

CDevice* AsDevice(IDirect3DDevice9* device) {
    return dynamic_cast<CDevice*>(device);
}

}  // namespace winapi::d3d

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || winapi::d3d::FailureSet(winapi::d3d::EFailure::kCreateObject))
        return nullptr;
    return new winapi::d3d::CDirect3D;
}
