// The fixed-function pipeline of the 3D layer under an interface-like load: many small
// screen quads, each after a few state changes (texture, blending, a stage operation),
// cycling through a number of state combinations. The programs for the combinations are
// generated once; what is measured is state changes plus draws per second in the steady
// state, which should barely depend on how many combinations are in play. Needs a display
// (skips itself without one); measured in wall-clock time, as the rasteriser has threads
// of its own.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/D3D9Windowed.h"
#include "winapi/d3d9/D3D9.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/WinWindow.h"

namespace {

struct ScreenVertex {  // XYZRHW | DIFFUSE | SPECULAR | TEX1, the screen pool's layout
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

LRESULT BenchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window, a device and two textures for the run; empty when there is no display.
class CBenchDevice {
public:
    CBenchDevice() {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.style = CS_OWNDC;
            windowClass.lpfnWndProc = &BenchWindowProc;
            windowClass.lpszClassName = "FixedFunctionBenchClass";
            return RegisterClassA(&windowClass) != 0;
        }();
        if (!registered)
            return;
        m_window = CreateWindowExA(0, "FixedFunctionBenchClass", "bench", WS_CAPTION, 0, 0, 640, 480, nullptr, nullptr,
                                   nullptr, nullptr);
        m_d3d = m_window ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
        if (!m_d3d)
            return;
        D3DPRESENT_PARAMETERS parameters = WindowedPresentParameters(m_window, 640, 480);
        if (m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &parameters, &m_device) != D3D_OK)
            m_device = nullptr;
        for (IDirect3DTexture9*& texture : m_textures) {
            if (m_device && m_device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                                    nullptr) == D3D_OK) {
                D3DLOCKED_RECT locked{};
                texture->LockRect(0, &locked, nullptr, 0);
                auto* bytes = static_cast<uint8_t*>(locked.pBits);
                for (int i = 0; i < 16 * 16 * 4; ++i)
                    bytes[i] = static_cast<uint8_t>(i * 37);
                texture->UnlockRect(0);
            }
        }
    }

    ~CBenchDevice() {
        for (IDirect3DTexture9* texture : m_textures) {
            if (texture)
                texture->Release();
        }
        if (m_device)
            m_device->Release();
        if (m_d3d)
            m_d3d->Release();
        if (m_window)
            DestroyWindow(m_window);
    }

    IDirect3DDevice9* Device() const { return m_device; }
    IDirect3DTexture9* Texture(int i) const { return m_textures[i & 1]; }

private:
    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    IDirect3DTexture9* m_textures[2] = {};
};

// The state of one quad, taken from combination `index` of `count`: which texture (or
// none), whether and how it blends, and which stage-0 operations it uses. The first eight
// combinations are the interface's usual ones; later ones vary the texture factor stage.
void ApplyCombination(IDirect3DDevice9* device, const CBenchDevice& bench, int index) {
    static const DWORD kColorOps[4] = {D3DTOP_MODULATE, D3DTOP_SELECTARG1, D3DTOP_ADD, D3DTOP_MODULATE2X};
    static const DWORD kAlphaOps[2] = {D3DTOP_MODULATE, D3DTOP_SELECTARG1};
    device->SetTexture(0, (index & 1) ? nullptr : bench.Texture(index >> 1));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, (index & 2) ? TRUE : FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, (index & 4) ? D3DBLEND_ONE : D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, (index & 4) ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, kColorOps[(index >> 3) & 3]);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, kAlphaOps[(index >> 5) & 1]);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, ((index >> 3) & 3) != 0 ? D3DTA_TFACTOR : D3DTA_DIFFUSE);
}

void BM_InterfaceQuads(benchmark::State& state) {
    CBenchDevice bench;
    IDirect3DDevice9* device = bench.Device();
    if (!device) {
        state.SkipWithError("no device (is there a display?)");
        return;
    }
    const int combinations = static_cast<int>(state.range(0));
    constexpr int kQuads = 512;
    device->SetFVF(kScreenFvf);
    std::vector<ScreenVertex> quad(4);
    // Every combination's program is made before timing starts.
    device->BeginScene();
    for (int i = 0; i < combinations; ++i) {
        ApplyCombination(device, bench, i);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVertex));
    }
    device->EndScene();
    const size_t programs = winapi::d3d::PipelineProgramCount(device);

    int drawn = 0;
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        for (int i = 0; i < kQuads; ++i) {
            ApplyCombination(device, bench, i % combinations);
            const float x = static_cast<float>((i * 37) % 600);
            const float y = static_cast<float>((i * 53) % 440);
            const D3DCOLOR color = 0x80000000u | static_cast<DWORD>(i * 2654435761u >> 8);
            quad[0] = ScreenVertex{x, y, 0.5f, 1.0f, color, 0, 0.0f, 0.0f};
            quad[1] = ScreenVertex{x + 40.0f, y, 0.5f, 1.0f, color, 0, 1.0f, 0.0f};
            quad[2] = ScreenVertex{x, y + 24.0f, 0.5f, 1.0f, color, 0, 0.0f, 1.0f};
            quad[3] = ScreenVertex{x + 40.0f, y + 24.0f, 0.5f, 1.0f, color, 0, 1.0f, 1.0f};
            drawn += device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVertex)) == D3D_OK;
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    benchmark::DoNotOptimize(drawn);
    if (drawn != kQuads * static_cast<int>(state.iterations()))
        state.SkipWithError("a quad was not drawn");
    if (winapi::d3d::PipelineProgramCount(device) != programs)
        state.SkipWithError("a program was made while timing");
    state.counters["programs"] = static_cast<double>(programs);
    state.SetItemsProcessed(state.iterations() * kQuads);
}
BENCHMARK(BM_InterfaceQuads)->Arg(1)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The cost of a state combination seen for the first time: the program's generation,
// compilation and linking, on a fresh device each time.
void BM_FirstUseOfACombination(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        CBenchDevice bench;
        IDirect3DDevice9* device = bench.Device();
        if (!device) {
            state.SkipWithError("no device (is there a display?)");
            return;
        }
        std::vector<ScreenVertex> quad(4);
        device->SetFVF(kScreenFvf);
        device->BeginScene();
        state.ResumeTiming();
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVertex));
        state.PauseTiming();
        device->EndScene();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstUseOfACombination)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
