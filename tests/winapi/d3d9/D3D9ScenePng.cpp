// Renders a lit, textured cube with blended 2D panels over it through the Direct3D 9 layer,
// and writes the frame as a PNG for a person to look at: d3d9_scene_png [out.png].
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/support/PngWriter.h"
#include "winapi/d3d9/D3D9.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WinWindow.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX p{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k)
                p.m[r][c] += a.m[r][k] * b.m[k][c];
    return p;
}

D3DMATRIX RotationY(float angle) {
    D3DMATRIX m = Identity();
    m.m[0][0] = std::cos(angle);
    m.m[0][2] = -std::sin(angle);
    m.m[2][0] = std::sin(angle);
    m.m[2][2] = std::cos(angle);
    return m;
}

D3DMATRIX RotationX(float angle) {
    D3DMATRIX m = Identity();
    m.m[1][1] = std::cos(angle);
    m.m[1][2] = std::sin(angle);
    m.m[2][1] = -std::sin(angle);
    m.m[2][2] = std::cos(angle);
    return m;
}

// A left-handed perspective with depth 0 to 1.
D3DMATRIX Perspective(float fov, float aspect, float nearZ, float farZ) {
    D3DMATRIX m{};
    const float h = 1.0f / std::tan(fov * 0.5f);
    m.m[0][0] = h / aspect;
    m.m[1][1] = h;
    m.m[2][2] = farZ / (farZ - nearZ);
    m.m[2][3] = 1.0f;
    m.m[3][2] = -nearZ * farZ / (farZ - nearZ);
    return m;
}

struct LitVertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};

std::vector<LitVertex> Cube() {
    // Each face: normal and the two axes spanning it, wound clockwise seen from outside.
    const float faces[6][9] = {{0, 0, -1, 1, 0, 0, 0, 1, 0},  {0, 0, 1, -1, 0, 0, 0, 1, 0},
                               {1, 0, 0, 0, 0, 1, 0, 1, 0},   {-1, 0, 0, 0, 0, -1, 0, 1, 0},
                               {0, 1, 0, 1, 0, 0, 0, 0, 1},   {0, -1, 0, 1, 0, 0, 0, 0, -1}};
    std::vector<LitVertex> vertices;
    for (const auto& f : faces) {
        const float corners[6][2] = {{-1, 1}, {1, 1}, {-1, -1}, {-1, -1}, {1, 1}, {1, -1}};
        for (const auto& c : corners) {
            vertices.push_back(LitVertex{f[0] + c[0] * f[3] + c[1] * f[6], f[1] + c[0] * f[4] + c[1] * f[7],
                                         f[2] + c[0] * f[5] + c[1] * f[8], f[0], f[1], f[2], (c[0] + 1) * 2,
                                         (1 - c[1]) * 2});
        }
    }
    return vertices;
}

IDirect3DTexture9* Checkerboard(IDirect3DDevice9* device) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(64, 64, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc;
        D3DLOCKED_RECT locked;
        texture->GetLevelDesc(level, &desc);
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * static_cast<UINT>(locked.Pitch));
            for (UINT x = 0; x < desc.Width; ++x) {
                const bool dark = ((x * 8 / desc.Width) + (y * 8 / desc.Height)) % 2 != 0;
                row[x] = dark ? 0xFF8A4B22u : 0xFFE8C890u;
            }
        }
        texture->UnlockRect(level);
    }
    return texture;
}

void Panel(IDirect3DDevice9* device, float x, float y, float width, float height, D3DCOLOR color) {
    const ScreenVertex quad[4] = {{x, y, 0.0f, 1.0f, color},
                                  {x + width, y, 0.0f, 1.0f, color},
                                  {x, y + height, 0.0f, 1.0f, color},
                                  {x + width, y + height, 0.0f, 1.0f, color}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}

}  // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "d3d9-scene.png";
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.lpszClassName = "SceneWindow";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(0, "SceneWindow", "scene", WS_CAPTION, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                        nullptr, nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!window || !d3d) {
        fprintf(stderr, "d3d9_scene_png: no window or no Direct3D (is there a display?)\n");
        return 1;
    }
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &parameters, &device))) {
        fprintf(stderr, "d3d9_scene_png: no device\n");
        return 1;
    }

    IDirect3DTexture9* texture = Checkerboard(device);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203048, 1.0f, 0);
    device->BeginScene();

    D3DMATRIX view = Identity();
    view.m[3][2] = 5.0f;  // the camera 5 units in front of the cube
    const D3DMATRIX world = Multiply(RotationY(0.6f), RotationX(0.45f));
    const D3DMATRIX projection = Perspective(0.9f, static_cast<float>(kWidth) / kHeight, 0.5f, 50.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{1.0f, 0.95f, 0.85f, 1.0f};
    light.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    light.Direction = D3DVECTOR{-0.4f, -0.6f, 0.7f};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    D3DMATERIAL9 material{};
    material.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    material.Specular = D3DCOLORVALUE{0.4f, 0.4f, 0.4f, 1.0f};
    material.Power = 20.0f;
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF303030);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTexture(0, texture);
    const std::vector<LitVertex> cube = Cube();
    device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(cube.size() / 3), cube.data(), sizeof(LitVertex));

    // The interface on top: a translucent bar and two opaque buttons.
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    Panel(device, 0.0f, 400.0f, kWidth, 80.0f, 0x80000000);
    Panel(device, 20.0f, 420.0f, 120.0f, 40.0f, 0xFFC05020);
    Panel(device, 160.0f, 420.0f, 120.0f, 40.0f, 0xFF2080C0);
    device->EndScene();

    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    winapi::d3d::ReadBackBuffer(device, &pixels, &width, &height);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    const bool written = WritePng(out, pixels, width, height);
    if (texture)
        texture->Release();
    device->Release();
    d3d->Release();
    DestroyWindow(window);
    // SDL's video stays up to the end: shutting it down unloads the OpenGL driver, and the
    // leak checker could then no longer tell the driver's own allocations from ours.
    if (!written) {
        fprintf(stderr, "d3d9_scene_png: cannot write %s\n", out);
        return 1;
    }
    printf("d3d9_scene_png: wrote %s (%dx%d)\n", out, width, height);
    return 0;
}
