// The Direct3D 9 object and device over OpenGL, checked on the back buffer's pixels wherever
// drawing is involved: adapter modes, creation and its failure switches, clears, coverage of
// pre-transformed primitives, depth, culling, stencil, blending, Reset, the lost device,
// presenting, buffer locks and texture levels.
#include "winapi/d3d9/D3D9.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/D3D9Windowed.h"
#include "tests/support/PixelAssertions.h"
#include "tests/support/PixelFrame.h"
#include "tests/winapi/d3d9/D3D9TestFixture.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/WinWindow.h"

namespace {

// --- Vertices and colours ------------------------------------------------------------------

struct TlVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};
constexpr DWORD kTlFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct TexVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Colours as the back buffer reads them (no alpha: it is an X8 format).
constexpr D3DCOLOR kBlack = 0x000000;
constexpr D3DCOLOR kWhite = 0xFFFFFF;
constexpr D3DCOLOR kRed = 0xFF0000;
constexpr D3DCOLOR kGreen = 0x00FF00;
constexpr D3DCOLOR kBlue = 0x0000FF;
constexpr D3DCOLOR kGrey = 0x808080;

constexpr D3DCOLOR Opaque(D3DCOLOR rgb) {
    return 0xFF000000u | rgb;
}

// D3DRS_COLORWRITEENABLE's channel bits.
constexpr DWORD kWriteRed = 0x1;
constexpr DWORD kWriteGreen = 0x2;
constexpr DWORD kWriteBlue = 0x4;
constexpr DWORD kWriteAll = 0xF;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kWindowWidth = 80;
constexpr int kWindowHeight = 60;
const RECT kWholeBuffer{0, 0, kWidth, kHeight};

DWORD FloatBits(float value) {
    DWORD bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A rectangle as a strip (top left, top right, bottom left, bottom right): clockwise on screen.
std::array<TlVertex, 4> QuadStrip(const RECT& r, D3DCOLOR color, float z = 0.5f) {
    const float l = static_cast<float>(r.left), t = static_cast<float>(r.top);
    const float rt = static_cast<float>(r.right), b = static_cast<float>(r.bottom);
    return {TlVertex{l, t, z, 1.0f, color}, TlVertex{rt, t, z, 1.0f, color}, TlVertex{l, b, z, 1.0f, color},
            TlVertex{rt, b, z, 1.0f, color}};
}

// The same rectangle as a list of two clockwise triangles.
std::array<TlVertex, 6> QuadList(const RECT& r, D3DCOLOR color, float z = 0.5f) {
    const auto s = QuadStrip(r, color, z);
    return {s[0], s[1], s[2], s[2], s[1], s[3]};
}

// A textured rectangle covering the whole texture once, white diffuse.
std::array<TexVertex, 4> TexturedStrip(const RECT& r) {
    const float l = static_cast<float>(r.left), t = static_cast<float>(r.top);
    const float rt = static_cast<float>(r.right), b = static_cast<float>(r.bottom);
    return {TexVertex{l, t, 0.5f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
            TexVertex{rt, t, 0.5f, 1.0f, 0xFFFFFFFFu, 1.0f, 0.0f},
            TexVertex{l, b, 0.5f, 1.0f, 0xFFFFFFFFu, 0.0f, 1.0f},
            TexVertex{rt, b, 0.5f, 1.0f, 0xFFFFFFFFu, 1.0f, 1.0f}};
}

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// --- Windows and devices --------------------------------------------------------------------

D3DPRESENT_PARAMETERS StandardParameters(HWND window) {
    return WindowedPresentParameters(window, kWidth, kHeight);
}

// An 80 x 60 window and the Direct3D object for each test, and a 64 x 48 X8R8G8B8 windowed
// device with a D24S8 depth-stencil buffer unless creation itself is under test.
class D3D9DeviceFixture : public d3d9fixture::CD3D9TestFixture {
protected:
    explicit D3D9DeviceFixture(bool createDevice)
        : CD3D9TestFixture(d3d9fixture::DeviceSetup{"D3D9 device test", D3DFMT_X8R8G8B8, kWindowWidth, kWindowHeight,
                                                    kWidth, kHeight, createDevice}) {}

    D3DCOLOR PixelAt(int x, int y) { return Grab().At(x, y); }

    void ClearAll(D3DCOLOR rgb, float z = 1.0f, DWORD stencil = 0) {
        ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, Opaque(rgb), z,
                                  stencil),
                  D3D_OK);
    }

    // Draws pre-transformed, coloured vertices from memory inside a scene of their own.
    HRESULT DrawUP(D3DPRIMITIVETYPE type, UINT primitives, const TlVertex* vertices) {
        EXPECT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
        EXPECT_EQ(m_device->BeginScene(), D3D_OK);
        const HRESULT hr = m_device->DrawPrimitiveUP(type, primitives, vertices, sizeof(TlVertex));
        EXPECT_EQ(m_device->EndScene(), D3D_OK);
        return hr;
    }

    void DrawQuad(const RECT& r, D3DCOLOR argb, float z = 0.5f) {
        const auto strip = QuadStrip(r, argb, z);
        EXPECT_EQ(DrawUP(D3DPT_TRIANGLESTRIP, 2, strip.data()), D3D_OK);
    }

    void DrawTriangle(const std::array<TlVertex, 3>& triangle) {
        EXPECT_EQ(DrawUP(D3DPT_TRIANGLELIST, 1, triangle.data()), D3D_OK);
    }

    void DrawTexturedQuad(IDirect3DTexture9* texture, const RECT& r) {
        const auto strip = TexturedStrip(r);
        EXPECT_EQ(m_device->SetTexture(0, texture), D3D_OK);
        EXPECT_EQ(m_device->SetFVF(kTexFvf), D3D_OK);
        EXPECT_EQ(m_device->BeginScene(), D3D_OK);
        EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip.data(), sizeof(TexVertex)), D3D_OK);
        EXPECT_EQ(m_device->EndScene(), D3D_OK);
    }

    // Copies the bytes into the whole of a vertex or index buffer.
    template <class Buffer>
    static void Fill(Buffer* buffer, const void* data, UINT bytes) {
        void* locked = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &locked, 0), D3D_OK);
        if (locked)
            memcpy(locked, data, bytes);
        EXPECT_EQ(buffer->Unlock(), D3D_OK);
    }

    IDirect3DVertexBuffer9* MakeVertexBuffer(const void* data, UINT bytes, D3DPOOL pool = D3DPOOL_MANAGED,
                                             DWORD usage = D3DUSAGE_WRITEONLY) {
        IDirect3DVertexBuffer9* buffer = nullptr;
        EXPECT_EQ(m_device->CreateVertexBuffer(bytes, usage, kTlFvf, pool, &buffer, nullptr), D3D_OK);
        if (!Keep(buffer))
            return nullptr;
        if (data)
            Fill(buffer, data, bytes);
        return buffer;
    }

    IDirect3DIndexBuffer9* MakeIndexBuffer(const void* data, UINT bytes, D3DFORMAT format,
                                           D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DIndexBuffer9* buffer = nullptr;
        EXPECT_EQ(m_device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, format, pool, &buffer, nullptr), D3D_OK);
        if (!Keep(buffer))
            return nullptr;
        if (data)
            Fill(buffer, data, bytes);
        return buffer;
    }

    IDirect3DTexture9* MakeTexture(UINT width, UINT height, UINT levels, D3DFORMAT format,
                                   D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_device->CreateTexture(width, height, levels, 0, format, pool, &texture, nullptr), D3D_OK);
        return Keep(texture);
    }

    // A 32-bit texture of one colour in every texel of level 0.
    IDirect3DTexture9* MakeSolidTexture(UINT width, UINT height, D3DCOLOR argb, D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture9* texture = MakeTexture(width, height, 1, D3DFMT_X8R8G8B8, pool);
        if (!texture)
            return nullptr;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height && locked.pBits; ++y) {
            uint8_t* bytes = static_cast<uint8_t*>(locked.pBits) + y * static_cast<UINT>(locked.Pitch);
            auto* row = reinterpret_cast<uint32_t*>(bytes);
            std::fill(row, row + width, argb);
        }
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
        return texture;
    }
};

// Creation itself is under test: no device is made up front.
class D3D9DeviceCreationTest : public D3D9DeviceFixture {
protected:
    D3D9DeviceCreationTest() : D3D9DeviceFixture(false) {}
};

class D3D9DeviceTest : public D3D9DeviceFixture {
protected:
    D3D9DeviceTest() : D3D9DeviceFixture(true) {}

    // Reset with the parameters the device was made with.
    HRESULT Reset() {
        D3DPRESENT_PARAMETERS parameters = m_parameters;
        return m_device->Reset(&parameters);
    }
};

// --- The Direct3D object ----------------------------------------------------------------------

TEST(D3D9DeviceObjectTest, CreationRequiresTheSdkVersion) {
    for (const UINT version : {0u, D3D_SDK_VERSION - 1, D3D_SDK_VERSION + 1, 0xFFFFFFFFu})
        EXPECT_EQ(Direct3DCreate9(version), nullptr) << "version " << version;
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(D3D9DeviceObjectTest, DefaultAdapterModesCoverEverySizeInBothFormats) {
    winapi::d3d::UseDefaultAdapterModes();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    const std::vector<std::pair<UINT, UINT>> sizes = {{640, 480},  {800, 600},   {1024, 768}, {1152, 864},
                                                      {1280, 960}, {1280, 1024}, {1280, 720}, {1600, 1200}};
    for (const D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8}) {
        const UINT count = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, format);
        EXPECT_EQ(count, sizes.size() * 3) << "format " << format << ": every size at three refresh rates";
        std::vector<std::pair<UINT, UINT>> seen;
        for (UINT i = 0; i < count; ++i) {
            D3DDISPLAYMODE mode{};
            ASSERT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, i, &mode), D3D_OK) << "mode " << i;
            EXPECT_EQ(mode.Format, format);
            EXPECT_GT(mode.RefreshRate, 0u);
            seen.emplace_back(mode.Width, mode.Height);
        }
        for (const auto& size : sizes) {
            EXPECT_EQ(std::count(seen.begin(), seen.end(), size), 3)
                << size.first << "x" << size.second << " in format " << format;
        }
        D3DDISPLAYMODE mode{};
        EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, count, &mode), D3DERR_INVALIDCALL);
        EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, 0xFFFFFFFFu, &mode), D3DERR_INVALIDCALL);
    }
    EXPECT_EQ(d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_A8R8G8B8), 0u);
    EXPECT_EQ(d3d->GetAdapterModeCount(1, D3DFMT_X8R8G8B8), 0u) << "there is only the default adapter";
    d3d->Release();
}

TEST(D3D9DeviceObjectTest, SetAdapterModesReplacesTheList) {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    const std::vector<D3DDISPLAYMODE> modes = {{320, 240, 60, D3DFMT_X8R8G8B8},
                                               {1920, 1080, 144, D3DFMT_X8R8G8B8},
                                               {400, 300, 70, D3DFMT_R5G6B5}};
    winapi::d3d::SetAdapterModes(modes);
    EXPECT_EQ(d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8), 2u);
    EXPECT_EQ(d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_R5G6B5), 1u);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, 1, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1920u);
    EXPECT_EQ(mode.Height, 1080u);
    EXPECT_EQ(mode.RefreshRate, 144u);
    ASSERT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_R5G6B5, 0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 400u);
    EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_R5G6B5, 1, &mode), D3DERR_INVALIDCALL);

    winapi::d3d::SetAdapterModes({});
    EXPECT_EQ(d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8), 0u);
    EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, 0, &mode), D3DERR_INVALIDCALL);

    winapi::d3d::UseDefaultAdapterModes();
    EXPECT_EQ(d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8), 24u);
    d3d->Release();
}

TEST(D3D9DeviceObjectTest, DisplayModeIsTheDesktopMode) {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1024u);
    EXPECT_EQ(mode.Height, 768u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);

    const D3DDISPLAYMODE original = mode;
    winapi::d3d::SetDesktopMode(D3DDISPLAYMODE{1280, 720, 75, D3DFMT_R5G6B5});
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1280u);
    EXPECT_EQ(mode.Height, 720u);
    EXPECT_EQ(mode.RefreshRate, 75u);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
    winapi::d3d::SetDesktopMode(original);

    EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, nullptr), D3DERR_INVALIDCALL);
    d3d->Release();
}

TEST(D3D9DeviceObjectTest, OnlySingleSamplingIsAvailable) {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    for (const D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        for (const BOOL windowed : {TRUE, FALSE}) {
            EXPECT_EQ(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, format, windowed,
                                                      D3DMULTISAMPLE_NONE, nullptr),
                      D3D_OK);
            for (const UINT samples : {1u, 2u, 4u, 8u, 16u}) {
                DWORD quality = 0;
                EXPECT_EQ(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, format, windowed,
                                                          static_cast<D3DMULTISAMPLE_TYPE>(samples), &quality),
                          D3DERR_NOTAVAILABLE)
                    << samples << " samples";
            }
        }
    }
    d3d->Release();
}

TEST(D3D9DeviceObjectTest, CreateObjectSwitchMakesCreationFail) {
    winapi::d3d::SetFailure(winapi::d3d::EFailure::kCreateObject, true);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    winapi::d3d::ClearFailures();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    d3d->Release();
}

// --- Creation ---------------------------------------------------------------------------------

TEST_F(D3D9DeviceCreationTest, WindowedZeroSizeTakesTheClientAreaAndWritesItBack) {
    RECT client{};
    ASSERT_TRUE(GetClientRect(m_window, &client));
    const UINT clientWidth = static_cast<UINT>(client.right - client.left);
    const UINT clientHeight = static_cast<UINT>(client.bottom - client.top);
    ASSERT_EQ(clientWidth, static_cast<UINT>(kWindowWidth));
    ASSERT_EQ(clientHeight, static_cast<UINT>(kWindowHeight));

    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    parameters.BackBufferWidth = 0;
    parameters.BackBufferHeight = 0;
    ASSERT_EQ(CreateDevice(&parameters), D3D_OK);
    EXPECT_EQ(parameters.BackBufferWidth, clientWidth);
    EXPECT_EQ(parameters.BackBufferHeight, clientHeight);
    const D3DPRESENT_PARAMETERS held = winapi::d3d::PresentParameters(m_device);
    EXPECT_EQ(held.BackBufferWidth, clientWidth);
    EXPECT_EQ(held.BackBufferHeight, clientHeight);

    D3DVIEWPORT9 viewport{};
    ASSERT_EQ(m_device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, clientWidth);
    EXPECT_EQ(viewport.Height, clientHeight);

    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, Opaque(kBlue), 1.0f, 0), D3D_OK);
    const PixelFrame frame = Grab();
    EXPECT_EQ(frame.width, kWindowWidth);
    EXPECT_EQ(frame.height, kWindowHeight);
    EXPECT_EQ(frame.Count(RECT{0, 0, kWindowWidth, kWindowHeight}, kBlue), kWindowWidth * kWindowHeight);
}

TEST_F(D3D9DeviceCreationTest, D16DepthHasNoStencilButStillTestsDepth) {
    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    ASSERT_EQ(CreateDevice(&parameters), D3D_OK);

    EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Opaque(kBlack), 1.0f, 0), D3D_OK);

    // The depth buffer is real: a farther quad drawn later stays behind the nearer one.
    DrawQuad(RECT{0, 0, 32, 48}, Opaque(kRed), 0.25f);
    DrawQuad(RECT{16, 0, 64, 48}, Opaque(kGreen), 0.75f);
    EXPECT_TRUE(PixelsAre(Grab(), [](int x, int) { return x < 32 ? kRed : kGreen; }));
}

TEST_F(D3D9DeviceCreationTest, D24S8HasStencil) {
    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    ASSERT_EQ(CreateDevice(&parameters), D3D_OK);
    EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 5), D3D_OK);

    // The cleared value is there to test against.
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Opaque(kBlack), 1.0f, 0), D3D_OK);
    m_device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    m_device->SetRenderState(D3DRS_STENCILREF, 5);
    DrawQuad(kWholeBuffer, Opaque(kWhite));
    EXPECT_EQ(Grab().Count(kWholeBuffer, kWhite), kWidth * kHeight);
}

TEST_F(D3D9DeviceCreationTest, HardwareFailureLeavesSoftwareVertexProcessing) {
    winapi::d3d::SetFailure(winapi::d3d::EFailure::kHardwareDevice, true);
    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    EXPECT_NE(CreateDevice(&parameters, D3DCREATE_HARDWARE_VERTEXPROCESSING), D3D_OK);
    EXPECT_EQ(m_device, nullptr);

    ASSERT_EQ(CreateDevice(&parameters, D3DCREATE_SOFTWARE_VERTEXPROCESSING), D3D_OK);
    ASSERT_NE(m_device, nullptr);
    const DWORD flags = winapi::d3d::CreationFlags(m_device);
    EXPECT_TRUE(flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_FALSE(flags & D3DCREATE_HARDWARE_VERTEXPROCESSING);

    // The software device draws.
    ClearAll(kBlack);
    DrawQuad(RECT{4, 4, 12, 12}, Opaque(kRed));
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{4, 4, 12, 12}, kRed, kBlack));
}

TEST_F(D3D9DeviceCreationTest, HardwareDeviceReportsItsFlags) {
    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    ASSERT_EQ(CreateDevice(&parameters, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE), D3D_OK);
    const DWORD flags = winapi::d3d::CreationFlags(m_device);
    EXPECT_TRUE(flags & D3DCREATE_HARDWARE_VERTEXPROCESSING);
    EXPECT_TRUE(flags & D3DCREATE_FPU_PRESERVE);
    EXPECT_FALSE(flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(D3D9DeviceCreationTest, AnyDeviceFailureRefusesEveryKind) {
    winapi::d3d::SetFailure(winapi::d3d::EFailure::kAnyDevice, true);
    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    for (const DWORD flags : {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_SOFTWARE_VERTEXPROCESSING}) {
        IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(this);  // must be overwritten
        const HRESULT hr =
            m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window, flags, &parameters, &device);
        EXPECT_NE(hr, D3D_OK) << "flags " << flags;
        EXPECT_EQ(device, nullptr);
    }
    winapi::d3d::ClearFailures();
    EXPECT_EQ(CreateDevice(&parameters), D3D_OK);
}

TEST_F(D3D9DeviceCreationTest, VertexBufferSwitchFailsOnlyVertexBuffers) {
    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    ASSERT_EQ(CreateDevice(&parameters), D3D_OK);
    winapi::d3d::SetFailure(winapi::d3d::EFailure::kCreateVertexBuffer, true);
    for (const D3DPOOL pool : {D3DPOOL_DEFAULT, D3DPOOL_MANAGED}) {
        IDirect3DVertexBuffer9* buffer = reinterpret_cast<IDirect3DVertexBuffer9*>(this);
        EXPECT_NE(m_device->CreateVertexBuffer(256, D3DUSAGE_WRITEONLY, kTlFvf, pool, &buffer, nullptr), D3D_OK);
        EXPECT_EQ(buffer, nullptr);
    }
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 0);
    // Index buffers and textures are still made.
    EXPECT_NE(MakeIndexBuffer(nullptr, 64, D3DFMT_INDEX16), nullptr);
    EXPECT_NE(MakeTexture(8, 8, 1, D3DFMT_X8R8G8B8), nullptr);

    winapi::d3d::ClearFailures();
    EXPECT_NE(MakeVertexBuffer(nullptr, 256), nullptr);
}

TEST_F(D3D9DeviceCreationTest, OutOfVideoMemoryFailsTheNextTextureCreations) {
    D3DPRESENT_PARAMETERS parameters = StandardParameters(m_window);
    ASSERT_EQ(CreateDevice(&parameters), D3D_OK);
    winapi::d3d::SetOutOfVideoMemory(2);
    for (int attempt = 0; attempt < 2; ++attempt) {
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(this);
        EXPECT_EQ(m_device->CreateTexture(16, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
                  D3DERR_OUTOFVIDEOMEMORY)
            << "attempt " << attempt;
        EXPECT_EQ(texture, nullptr);
    }
    EXPECT_NE(MakeTexture(16, 16, 1, D3DFMT_X8R8G8B8), nullptr);
    EXPECT_NE(MakeTexture(16, 16, 1, D3DFMT_X8R8G8B8), nullptr);
}

// --- Clear ------------------------------------------------------------------------------------

TEST_F(D3D9DeviceTest, ClearFillsTheWholeBufferOutsideAScene) {
    for (const D3DCOLOR rgb : {0x336699u, kWhite, kBlack, 0x010203u}) {
        ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, Opaque(rgb), 1.0f, 0), D3D_OK);
        const PixelFrame frame = Grab();
        ASSERT_EQ(frame.width, kWidth);
        ASSERT_EQ(frame.height, kHeight);
        EXPECT_EQ(frame.Count(kWholeBuffer, rgb), kWidth * kHeight) << HexRgb(rgb);
    }
    // Inside a scene as well.
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, Opaque(kGreen), 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_EQ(Grab().Count(kWholeBuffer, kGreen), kWidth * kHeight);
}

TEST_F(D3D9DeviceTest, ClearTouchesOnlyTheViewport) {
    ClearAll(kBlue);
    const D3DVIEWPORT9 viewport{8, 6, 20, 10, 0.0f, 1.0f};
    ASSERT_EQ(m_device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, Opaque(kRed), 1.0f, 0), D3D_OK);
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{8, 6, 28, 16}, kRed, kBlue));
}

TEST_F(D3D9DeviceTest, ClearRectanglesAreLimitedToTheViewport) {
    ClearAll(kBlack);
    const RECT rects[] = {{2, 2, 10, 8}, {30, 20, 70, 60}};
    ASSERT_EQ(m_device->Clear(2, rects, D3DCLEAR_TARGET, Opaque(kGreen), 1.0f, 0), D3D_OK);
    EXPECT_TRUE(PixelsAre(Grab(), [&](int x, int y) {
        return Inside(rects[0], x, y) || Inside(rects[1], x, y) ? kGreen : kBlack;
    }));

    // With a smaller viewport only the rectangles' parts inside it are cleared.
    ClearAll(kBlack);
    const D3DVIEWPORT9 viewport{4, 4, 32, 20, 0.0f, 1.0f};
    ASSERT_EQ(m_device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(m_device->Clear(2, rects, D3DCLEAR_TARGET, Opaque(kRed), 1.0f, 0), D3D_OK);
    const RECT clipped[] = {{4, 4, 10, 8}, {30, 20, 36, 24}};
    EXPECT_TRUE(PixelsAre(Grab(), [&](int x, int y) {
        return Inside(clipped[0], x, y) || Inside(clipped[1], x, y) ? kRed : kBlack;
    }));

    EXPECT_EQ(m_device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(D3D9DeviceTest, ClearOfDepthAndStencilLeavesColour) {
    ClearAll(kBlue);
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, Opaque(kRed), 0.0f, 1), D3D_OK);
    EXPECT_EQ(Grab().Count(kWholeBuffer, kBlue), kWidth * kHeight);
    // Depth cleared to 0 hides a quad at z 0.5 under the default less-equal test.
    DrawQuad(kWholeBuffer, Opaque(kWhite));
    EXPECT_EQ(Grab().Count(kWholeBuffer, kBlue), kWidth * kHeight);
}

// --- Pre-transformed coverage -----------------------------------------------------------------

struct CoverageCase {
    const char* name;
    RECT rect;
};

const CoverageCase kCoverageCases[] = {
    {"middle", {10, 5, 30, 25}},
    {"whole buffer", {0, 0, kWidth, kHeight}},
    {"single pixel", {7, 9, 8, 10}},
    {"thin column", {40, 0, 41, kHeight}},
    {"thin row", {0, 47, kWidth, 48}},
    {"past the edges", {-5, -3, 20, 16}},
    {"bottom right corner", {50, 40, 64, 48}},
};

TEST_F(D3D9DeviceTest, PretransformedQuadFromMemoryCoversExactlyItsPixels) {
    for (const CoverageCase& c : kCoverageCases) {
        SCOPED_TRACE(c.name);
        ClearAll(kBlack);
        DrawQuad(c.rect, Opaque(kRed));
        const RECT visible{std::max<LONG>(c.rect.left, 0), std::max<LONG>(c.rect.top, 0),
                           std::min<LONG>(c.rect.right, kWidth), std::min<LONG>(c.rect.bottom, kHeight)};
        EXPECT_TRUE(OnlyRectIs(Grab(), visible, kRed, kBlack));
    }
}

TEST_F(D3D9DeviceTest, PretransformedQuadFromVertexBufferCoversExactlyItsPixels) {
    std::vector<TlVertex> vertices;
    for (const CoverageCase& c : kCoverageCases) {
        const auto list = QuadList(c.rect, Opaque(kGreen));
        vertices.insert(vertices.end(), list.begin(), list.end());
    }
    IDirect3DVertexBuffer9* buffer =
        MakeVertexBuffer(vertices.data(), static_cast<UINT>(vertices.size() * sizeof(TlVertex)));
    ASSERT_NE(buffer, nullptr);
    UINT start = 0;
    for (const CoverageCase& c : kCoverageCases) {
        SCOPED_TRACE(c.name);
        ClearAll(kBlack);
        ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
        ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(TlVertex)), D3D_OK);
        ASSERT_EQ(m_device->BeginScene(), D3D_OK);
        EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, start, 2), D3D_OK);
        ASSERT_EQ(m_device->EndScene(), D3D_OK);
        start += 6;
        const RECT visible{std::max<LONG>(c.rect.left, 0), std::max<LONG>(c.rect.top, 0),
                           std::min<LONG>(c.rect.right, kWidth), std::min<LONG>(c.rect.bottom, kHeight)};
        EXPECT_TRUE(OnlyRectIs(Grab(), visible, kGreen, kBlack));
    }
}

TEST_F(D3D9DeviceTest, PretransformedPositionsStayOnScreenUnderASmallerViewport) {
    const D3DVIEWPORT9 viewport{8, 6, 40, 30, 0.0f, 1.0f};
    ASSERT_EQ(m_device->SetViewport(&viewport), D3D_OK);
    ClearAll(kBlack);
    DrawQuad(RECT{12, 10, 30, 20}, Opaque(kRed));
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{12, 10, 30, 20}, kRed, kBlack)) << "screen pixels, not viewport-relative";

    // A quad over the whole buffer is cut to the viewport.
    ClearAll(kBlack);
    DrawQuad(kWholeBuffer, Opaque(kGreen));
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{8, 6, 48, 36}, kGreen, kBlack));
}

TEST_F(D3D9DeviceTest, AdjacentQuadsShareTheirEdgeWithoutGapOrOverlap) {
    // Two halves blended additively: a pixel covered twice or not at all shows.
    ClearAll(kBlack);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    DrawQuad(RECT{8, 8, 24, 40}, Opaque(0x400000));
    DrawQuad(RECT{24, 8, 40, 40}, Opaque(0x400000));
    DrawQuad(RECT{8, 8, 40, 24}, Opaque(0x004000));
    DrawQuad(RECT{8, 24, 40, 40}, Opaque(0x004000));
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{8, 8, 40, 40}, 0x404000, kBlack));
}

TEST_F(D3D9DeviceTest, DrawingOutsideASceneIsRefused) {
    ClearAll(kBlack);
    const auto strip = QuadStrip(kWholeBuffer, Opaque(kRed));
    IDirect3DVertexBuffer9* vertices = MakeVertexBuffer(strip.data(), sizeof strip);
    const uint16_t indices[] = {0, 1, 2, 3};
    IDirect3DIndexBuffer9* indexBuffer = MakeIndexBuffer(indices, sizeof indices, D3DFMT_INDEX16);
    ASSERT_NE(vertices, nullptr);
    ASSERT_NE(indexBuffer, nullptr);
    ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
    ASSERT_EQ(m_device->SetStreamSource(0, vertices, 0, sizeof(TlVertex)), D3D_OK);
    ASSERT_EQ(m_device->SetIndices(indexBuffer), D3D_OK);

    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip.data(), sizeof(TlVertex)), D3DERR_INVALIDCALL);
    // After the scene has ended as well.
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(Grab().Count(kWholeBuffer, kBlack), kWidth * kHeight);

    EXPECT_EQ(m_device->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_EQ(Grab().Count(kWholeBuffer, kRed), kWidth * kHeight);
}

// Eight vertices: a red quad on the left, then a green one on the right.
const RECT kLeftQuad{4, 4, 20, 20};
const RECT kRightQuad{36, 20, 60, 44};

std::vector<TlVertex> TwoQuadsVertices() {
    std::vector<TlVertex> vertices;
    for (const auto& strip : {QuadStrip(kLeftQuad, Opaque(kRed)), QuadStrip(kRightQuad, Opaque(kGreen))})
        vertices.insert(vertices.end(), strip.begin(), strip.end());
    return vertices;
}

TEST_F(D3D9DeviceTest, IndexedDrawingAddsTheBaseVertexWithBothIndexSizes) {
    const std::vector<TlVertex> vertices = TwoQuadsVertices();
    IDirect3DVertexBuffer9* vertexBuffer =
        MakeVertexBuffer(vertices.data(), static_cast<UINT>(vertices.size() * sizeof(TlVertex)));
    ASSERT_NE(vertexBuffer, nullptr);
    // Two padding indices first, then the quad's list.
    const uint32_t list[] = {9, 9, 0, 1, 2, 2, 1, 3};
    const uint16_t shortList[] = {9, 9, 0, 1, 2, 2, 1, 3};

    struct Case {
        D3DFORMAT format;
        int baseVertex;
        D3DCOLOR drawn;
    };
    const Case cases[] = {{D3DFMT_INDEX16, 0, kRed}, {D3DFMT_INDEX16, 4, kGreen},
                          {D3DFMT_INDEX32, 0, kRed}, {D3DFMT_INDEX32, 4, kGreen}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.format == D3DFMT_INDEX32 ? "32" : "16") << "-bit, base "
                                          << c.baseVertex);
        IDirect3DIndexBuffer9* indices = c.format == D3DFMT_INDEX32
                                             ? MakeIndexBuffer(list, sizeof list, c.format)
                                             : MakeIndexBuffer(shortList, sizeof shortList, c.format);
        ASSERT_NE(indices, nullptr);
        ClearAll(kBlack);
        ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
        ASSERT_EQ(m_device->SetStreamSource(0, vertexBuffer, 0, sizeof(TlVertex)), D3D_OK);
        ASSERT_EQ(m_device->SetIndices(indices), D3D_OK);
        ASSERT_EQ(m_device->BeginScene(), D3D_OK);
        EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, c.baseVertex, 0, 4, 2, 2), D3D_OK);
        ASSERT_EQ(m_device->EndScene(), D3D_OK);
        EXPECT_TRUE(OnlyRectIs(Grab(), c.drawn == kRed ? kLeftQuad : kRightQuad, c.drawn, kBlack));
        ASSERT_EQ(m_device->SetIndices(nullptr), D3D_OK);
        Free(indices);
    }
}

TEST_F(D3D9DeviceTest, IndexedDrawingRefusesIndicesOrCountsOutsideTheBuffers) {
    const std::vector<TlVertex> vertices = TwoQuadsVertices();
    IDirect3DVertexBuffer9* vertexBuffer =
        MakeVertexBuffer(vertices.data(), static_cast<UINT>(vertices.size() * sizeof(TlVertex)));
    ASSERT_NE(vertexBuffer, nullptr);

    struct Case {
        const char* name;
        D3DFORMAT format;
        std::vector<uint32_t> indices;
        int baseVertex;
        UINT startIndex;
        UINT primitives;
    };
    const Case cases[] = {
        {"index past the vertices", D3DFMT_INDEX16, {0, 1, 8}, 0, 0, 1},
        {"base vertex pushes past the vertices", D3DFMT_INDEX16, {0, 1, 4}, 4, 0, 1},
        {"negative vertex", D3DFMT_INDEX32, {0, 1, 2}, -1, 0, 1},
        {"32-bit index past the vertices", D3DFMT_INDEX32, {0, 1, 0x10000}, 0, 0, 1},
        {"count past the indices", D3DFMT_INDEX16, {0, 1, 2, 2, 1, 3}, 0, 0, 3},
        {"start past the indices", D3DFMT_INDEX32, {0, 1, 2, 2, 1, 3}, 0, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes;
        for (const uint32_t index : c.indices) {
            if (c.format == D3DFMT_INDEX32) {
                const uint8_t* p = reinterpret_cast<const uint8_t*>(&index);
                bytes.insert(bytes.end(), p, p + 4);
            } else {
                const uint16_t shortIndex = static_cast<uint16_t>(index);
                const uint8_t* p = reinterpret_cast<const uint8_t*>(&shortIndex);
                bytes.insert(bytes.end(), p, p + 2);
            }
        }
        IDirect3DIndexBuffer9* indices = MakeIndexBuffer(bytes.data(), static_cast<UINT>(bytes.size()), c.format);
        ASSERT_NE(indices, nullptr);
        ClearAll(kBlack);
        ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
        ASSERT_EQ(m_device->SetStreamSource(0, vertexBuffer, 0, sizeof(TlVertex)), D3D_OK);
        ASSERT_EQ(m_device->SetIndices(indices), D3D_OK);
        ASSERT_EQ(m_device->BeginScene(), D3D_OK);
        EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, c.baseVertex, 0, 8, c.startIndex, c.primitives),
                  D3DERR_INVALIDCALL);
        ASSERT_EQ(m_device->EndScene(), D3D_OK);
        EXPECT_EQ(Grab().Count(kWholeBuffer, kBlack), kWidth * kHeight) << "nothing is drawn";
        ASSERT_EQ(m_device->SetIndices(nullptr), D3D_OK);
        Free(indices);
    }
}

TEST_F(D3D9DeviceTest, DrawPrimitiveRefusesVerticesPastTheBuffer) {
    const auto list = QuadList(kWholeBuffer, Opaque(kRed));
    IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(list.data(), sizeof list);
    ASSERT_NE(buffer, nullptr);
    ClearAll(kBlack);
    ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(TlVertex)), D3D_OK);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 2), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_EQ(Grab().Count(kWholeBuffer, kBlack), kWidth * kHeight);
}

// --- Depth ------------------------------------------------------------------------------------

TEST_F(D3D9DeviceTest, DepthStatesDecideWhichOverlappingQuadShows) {
    enum EWinner { kFirst, kSecond };
    struct Case {
        const char* name;
        DWORD zEnable;
        DWORD zWrite;
        DWORD zFunc;  // 0: left at its default
        float clearZ;
        float firstZ;
        float secondZ;
        EWinner winner;
    };
    const Case cases[] = {
        {"default, nearer first", D3DZB_TRUE, TRUE, 0, 1.0f, 0.3f, 0.6f, kFirst},
        {"default, nearer second", D3DZB_TRUE, TRUE, 0, 1.0f, 0.6f, 0.3f, kSecond},
        {"default passes equal depth", D3DZB_TRUE, TRUE, 0, 1.0f, 0.4f, 0.4f, kSecond},
        {"less refuses equal depth", D3DZB_TRUE, TRUE, D3DCMP_LESS, 1.0f, 0.4f, 0.4f, kFirst},
        {"depth off, later wins", D3DZB_FALSE, TRUE, 0, 1.0f, 0.3f, 0.6f, kSecond},
        {"no depth writes, later wins", D3DZB_TRUE, FALSE, 0, 1.0f, 0.3f, 0.6f, kSecond},
        {"greater keeps the farther", D3DZB_TRUE, TRUE, D3DCMP_GREATER, 0.0f, 0.6f, 0.3f, kFirst},
        {"greater, farther second", D3DZB_TRUE, TRUE, D3DCMP_GREATER, 0.0f, 0.3f, 0.6f, kSecond},
        {"always, later wins", D3DZB_TRUE, TRUE, D3DCMP_ALWAYS, 1.0f, 0.3f, 0.6f, kSecond},
        {"never draws nothing", D3DZB_TRUE, TRUE, D3DCMP_NEVER, 1.0f, 0.3f, 0.6f, kFirst},
    };
    const RECT first{0, 0, 40, 48};
    const RECT second{20, 0, 64, 48};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Reset(), D3D_OK);
        ClearAll(kBlack, c.clearZ);
        m_device->SetRenderState(D3DRS_ZENABLE, c.zEnable);
        m_device->SetRenderState(D3DRS_ZWRITEENABLE, c.zWrite);
        if (c.zFunc)
            m_device->SetRenderState(D3DRS_ZFUNC, c.zFunc);
        DrawQuad(first, Opaque(kRed), c.firstZ);
        DrawQuad(second, Opaque(kGreen), c.secondZ);
        const PixelFrame frame = Grab();
        if (c.zFunc == D3DCMP_NEVER) {
            EXPECT_EQ(frame.Count(kWholeBuffer, kBlack), kWidth * kHeight);
            continue;
        }
        EXPECT_EQ(frame.At(30, 24), c.winner == kFirst ? kRed : kGreen) << "where they overlap";
        EXPECT_EQ(frame.Count(RECT{20, 0, 40, 48}, c.winner == kFirst ? kRed : kGreen), 20 * 48);
        EXPECT_EQ(frame.Count(RECT{0, 0, 20, 48}, kRed), 20 * 48) << "only the first";
        EXPECT_EQ(frame.Count(RECT{40, 0, 64, 48}, kGreen), 24 * 48) << "only the second";
    }
}

// --- Culling ----------------------------------------------------------------------------------

TEST_F(D3D9DeviceTest, CullModeRemovesTrianglesByTheirWindingOnScreen) {
    // On screen, with rows going down: top left, top right, bottom left turns clockwise.
    const std::array<TlVertex, 3> clockwise = {TlVertex{8, 8, 0.5f, 1, Opaque(kRed)},
                                               TlVertex{40, 8, 0.5f, 1, Opaque(kRed)},
                                               TlVertex{8, 40, 0.5f, 1, Opaque(kRed)}};
    const std::array<TlVertex, 3> counterClockwise = {clockwise[0], clockwise[2], clockwise[1]};
    struct Case {
        const char* name;
        DWORD cull;  // 0: left at its default
        bool clockwiseDrawn;
        bool counterClockwiseDrawn;
    };
    const Case cases[] = {
        {"default", 0, true, false},
        {"CULL_CCW", D3DCULL_CCW, true, false},
        {"CULL_CW", D3DCULL_CW, false, true},
        {"CULL_NONE", D3DCULL_NONE, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.cull)
            m_device->SetRenderState(D3DRS_CULLMODE, c.cull);
        ClearAll(kBlack);
        DrawTriangle(clockwise);
        EXPECT_EQ(PixelAt(14, 14), c.clockwiseDrawn ? kRed : kBlack) << "clockwise";
        ClearAll(kBlack);
        DrawTriangle(counterClockwise);
        EXPECT_EQ(PixelAt(14, 14), c.counterClockwiseDrawn ? kRed : kBlack) << "counter-clockwise";
    }
}

// --- Stencil ----------------------------------------------------------------------------------

class D3D9DeviceStencilTest : public D3D9DeviceTest {
protected:
    void SetUp() override {
        D3D9DeviceTest::SetUp();
        if (HasFatalFailure())
            return;
        m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        m_device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    }

    // Draws `r` with the stencil test always passing and `operation` on each pass.
    void StencilPass(const RECT& r, DWORD operation) {
        m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
        m_device->SetRenderState(D3DRS_STENCILPASS, operation);
        DrawQuad(r, Opaque(kBlack));
    }

    // The pixels whose stencil value is `value`, white on black.
    PixelFrame PixelsWithStencil(DWORD value) {
        EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, Opaque(kBlack), 1.0f, 0), D3D_OK);
        m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
        m_device->SetRenderState(D3DRS_STENCILREF, value);
        m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        DrawQuad(kWholeBuffer, Opaque(kWhite));
        return Grab();
    }
};

TEST_F(D3D9DeviceStencilTest, IncrementAndDecrementPassesLeaveTheirCounts) {
    ClearAll(kBlack, 1.0f, 0);
    StencilPass(RECT{0, 0, 32, 48}, D3DSTENCILOP_INCR);
    StencilPass(RECT{16, 0, 48, 48}, D3DSTENCILOP_INCR);
    StencilPass(RECT{24, 0, 64, 24}, D3DSTENCILOP_INCR);
    StencilPass(RECT{28, 0, 40, 48}, D3DSTENCILOP_DECR);
    // Per pixel: how many increments minus decrements covered it.
    const auto expected = [](int x, int y) {
        int count = 0;
        count += Inside(RECT{0, 0, 32, 48}, x, y) ? 1 : 0;
        count += Inside(RECT{16, 0, 48, 48}, x, y) ? 1 : 0;
        count += Inside(RECT{24, 0, 64, 24}, x, y) ? 1 : 0;
        count -= Inside(RECT{28, 0, 40, 48}, x, y) ? 1 : 0;
        return count;
    };
    for (int value = 0; value <= 3; ++value) {
        SCOPED_TRACE(::testing::Message() << "stencil " << value);
        EXPECT_TRUE(PixelsAre(PixelsWithStencil(static_cast<DWORD>(value)),
                              [&](int x, int y) { return expected(x, y) == value ? kWhite : kBlack; }));
    }
    // The decrement over a count of one left zero, not a wrapped value.
    EXPECT_EQ(PixelsWithStencil(0xFF).Count(kWholeBuffer, kWhite), 0);
}

TEST_F(D3D9DeviceStencilTest, WrappingAndSaturatingOperations) {
    struct Case {
        const char* name;
        DWORD cleared;
        DWORD operation;
        int passes;
        DWORD expected;
    };
    const Case cases[] = {
        {"INCRSAT stops at 255", 254, D3DSTENCILOP_INCRSAT, 3, 255},
        {"INCR wraps to 0", 255, D3DSTENCILOP_INCR, 1, 0},
        {"INCR wraps and goes on", 254, D3DSTENCILOP_INCR, 3, 1},
        {"DECR wraps to 255", 0, D3DSTENCILOP_DECR, 1, 255},
        {"DECRSAT stops at 0", 1, D3DSTENCILOP_DECRSAT, 3, 0},
        {"INVERT", 0x0F, D3DSTENCILOP_INVERT, 1, 0xF0},
        {"REPLACE takes the reference", 3, D3DSTENCILOP_REPLACE, 1, 0x5A},
        {"ZERO", 200, D3DSTENCILOP_ZERO, 1, 0},
    };
    const RECT drawn{8, 8, 40, 32};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearAll(kBlack, 1.0f, c.cleared);
        m_device->SetRenderState(D3DRS_STENCILREF, 0x5A);
        for (int pass = 0; pass < c.passes; ++pass)
            StencilPass(drawn, c.operation);
        EXPECT_TRUE(OnlyRectIs(PixelsWithStencil(c.expected), drawn, kWhite, kBlack));
    }
}

TEST_F(D3D9DeviceStencilTest, FailingPixelsAreNotDrawnAndTakeTheFailOperation) {
    ClearAll(kBlack, 1.0f, 0);
    StencilPass(RECT{0, 0, 32, 48}, D3DSTENCILOP_INCR);
    // Only the left half passes; the right half fails and is incremented by the fail operation.
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, Opaque(kBlack), 1.0f, 0), D3D_OK);
    m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    m_device->SetRenderState(D3DRS_STENCILREF, 1);
    m_device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    m_device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_REPLACE);
    DrawQuad(kWholeBuffer, Opaque(kRed));
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{0, 0, 32, 48}, kRed, kBlack));
    m_device->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    EXPECT_EQ(PixelsWithStencil(1).Count(kWholeBuffer, kWhite), kWidth * kHeight);
}

// --- Blending ---------------------------------------------------------------------------------

TEST_F(D3D9DeviceTest, BlendFactorsCombineSourceAndBackground) {
    struct Case {
        const char* name;
        D3DCOLOR background;
        D3DCOLOR source;  // with its alpha
        DWORD sourceBlend;
        DWORD destinationBlend;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        // 255 * 128/255 + 32 * 127/255 = 143.9; 64 * 127/255 = 31.9; 128 * 127/255 = 63.8.
        {"half-transparent over", 0x204080, 0x80FF0000u, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x902040},
        {"transparent over", 0x204080, 0x00FF0000u, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x204080},
        {"opaque over", 0x204080, 0xFF00FF00u, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x00FF00},
        {"add", 0x102030, 0xFF203040u, D3DBLEND_ONE, D3DBLEND_ONE, 0x305070},
        {"add saturates", 0xF01080, 0xFF302090u, D3DBLEND_ONE, D3DBLEND_ONE, 0xFF30FF},
        // 128 * 128/255 = 64.3; 128 * 64/255 = 32.1.
        {"multiply", 0x808080, 0xFF80FF40u, D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0x408020},
        {"one zero replaces", 0x808080, 0x40123456u, D3DBLEND_ONE, D3DBLEND_ZERO, 0x123456},
    };
    const RECT drawn{16, 12, 48, 36};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearAll(c.background);
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_device->SetRenderState(D3DRS_SRCBLEND, c.sourceBlend);
        m_device->SetRenderState(D3DRS_DESTBLEND, c.destinationBlend);
        DrawQuad(drawn, c.source);
        const PixelFrame frame = Grab();
        EXPECT_TRUE(ColourNear(frame.At(16, 12), c.expected, 1));
        EXPECT_TRUE(ColourNear(frame.At(47, 35), c.expected, 1));
        EXPECT_TRUE(ColourNear(frame.At(32, 24), c.expected, 1));
        EXPECT_EQ(frame.At(15, 12), c.background);
        EXPECT_EQ(frame.At(48, 35), c.background);
    }
}

TEST_F(D3D9DeviceTest, BlendingOffIgnoresSourceAlpha) {
    ClearAll(0x204080);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawQuad(kWholeBuffer, 0x40AABBCCu);
    EXPECT_EQ(Grab().Count(kWholeBuffer, 0xAABBCC), kWidth * kHeight);
}

TEST_F(D3D9DeviceTest, ColorWriteEnableMasksChannels) {
    struct Case {
        DWORD mask;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {kWriteAll, 0xAABBCC},
        {kWriteRed, 0xAA2233},
        {kWriteGreen | kWriteBlue, 0x11BBCC},
        {kWriteBlue, 0x1122CC},
        {0, 0x112233},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mask " << c.mask);
        ClearAll(0x112233);
        m_device->SetRenderState(D3DRS_COLORWRITEENABLE, c.mask);
        DrawQuad(RECT{8, 8, 24, 24}, Opaque(0xAABBCC));
        EXPECT_TRUE(OnlyRectIs(Grab(), RECT{8, 8, 24, 24}, c.expected, 0x112233));
        // Clearing is not masked.
        ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, Opaque(kWhite), 1.0f, 0), D3D_OK);
        EXPECT_EQ(Grab().Count(kWholeBuffer, kWhite), kWidth * kHeight);
    }
}

// --- Defaults and Reset ------------------------------------------------------------------------

struct RenderStateCase {
    D3DRENDERSTATETYPE state;
    DWORD changed;
    DWORD standard;
};

const RenderStateCase kRenderStates[] = {
    {D3DRS_ZENABLE, D3DZB_FALSE, D3DZB_TRUE},
    {D3DRS_FILLMODE, D3DFILL_WIREFRAME, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_FLAT, D3DSHADE_GOURAUD},
    {D3DRS_ZWRITEENABLE, FALSE, TRUE},
    {D3DRS_ALPHATESTENABLE, TRUE, FALSE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO},
    {D3DRS_CULLMODE, D3DCULL_NONE, D3DCULL_CCW},
    {D3DRS_ZFUNC, D3DCMP_GREATER, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAREF, 0x80, 0},
    {D3DRS_ALPHAFUNC, D3DCMP_GREATER, D3DCMP_ALWAYS},
    {D3DRS_ALPHABLENDENABLE, TRUE, FALSE},
    {D3DRS_FOGENABLE, TRUE, FALSE},
    {D3DRS_SPECULARENABLE, TRUE, FALSE},
    {D3DRS_FOGEND, FloatBits(50.0f), FloatBits(1.0f)},
    {D3DRS_FOGDENSITY, FloatBits(0.25f), FloatBits(1.0f)},
    {D3DRS_STENCILENABLE, TRUE, FALSE},
    {D3DRS_STENCILFAIL, D3DSTENCILOP_ZERO, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILPASS, D3DSTENCILOP_INCR, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILFUNC, D3DCMP_EQUAL, D3DCMP_ALWAYS},
    {D3DRS_STENCILREF, 7, 0},
    {D3DRS_STENCILMASK, 0x0F, 0xFFFFFFFFu},
    {D3DRS_STENCILWRITEMASK, 0xF0, 0xFFFFFFFFu},
    {D3DRS_TEXTUREFACTOR, 0x12345678u, 0xFFFFFFFFu},
    {D3DRS_LIGHTING, FALSE, TRUE},
    {D3DRS_AMBIENT, 0xFF404040u, 0},
    {D3DRS_COLORVERTEX, FALSE, TRUE},
    {D3DRS_LOCALVIEWER, FALSE, TRUE},
    {D3DRS_NORMALIZENORMALS, TRUE, FALSE},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL, D3DMCS_COLOR2},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1, D3DMCS_MATERIAL},
    {D3DRS_COLORWRITEENABLE, kWriteRed, kWriteAll},
    {D3DRS_BLENDOP, D3DBLENDOP_MAX, D3DBLENDOP_ADD},
};

struct StageStateCase {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD changed;
    DWORD standard;
};

const StageStateCase kStageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_SELECTARG2, D3DTOP_MODULATE},
    {0, D3DTSS_COLORARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_TFACTOR, D3DTA_CURRENT},
    {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE, D3DTOP_SELECTARG1},
    {0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE},
    {0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR, D3DTA_CURRENT},
    {1, D3DTSS_COLOROP, D3DTOP_ADD, D3DTOP_DISABLE},
    {1, D3DTSS_ALPHAOP, D3DTOP_ADD, D3DTOP_DISABLE},
    {7, D3DTSS_COLOROP, D3DTOP_MODULATE, D3DTOP_DISABLE},
    {0, D3DTSS_TEXCOORDINDEX, 3, 0},
    {3, D3DTSS_TEXCOORDINDEX, 0, 3},
    {5, D3DTSS_TEXCOORDINDEX, 1, 5},
    {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2, D3DTTFF_DISABLE},
    {2, D3DTSS_RESULTARG, D3DTA_TEMP, D3DTA_CURRENT},
};

struct SamplerStateCase {
    DWORD sampler;
    D3DSAMPLERSTATETYPE type;
    DWORD changed;
    DWORD standard;
};

const SamplerStateCase kSamplerStates[] = {
    {0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP},
    {0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR, D3DTADDRESS_WRAP},
    {4, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER, D3DTADDRESS_WRAP},
    {0, D3DSAMP_BORDERCOLOR, 0xFF00FF00u, 0},
    {0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR, D3DTEXF_POINT},
    {0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR, D3DTEXF_POINT},
    {1, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR, D3DTEXF_NONE},
    {0, D3DSAMP_MIPMAPLODBIAS, FloatBits(-1.0f), 0},
    {0, D3DSAMP_MAXMIPLEVEL, 2, 0},
    {7, D3DSAMP_MAXANISOTROPY, 8, 1},
};

D3DMATRIX AsymmetricMatrix(float seed) {
    D3DMATRIX m{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            m.m[r][c] = seed + static_cast<float>(r * 4 + c);
    }
    return m;
}

bool IsIdentity(const D3DMATRIX& m) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f))
                return false;
        }
    }
    return true;
}

const D3DTRANSFORMSTATETYPE kTransforms[] = {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE0,
                                             static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + 3), D3DTS_TEXTURE7};

class D3D9DeviceResetTest : public D3D9DeviceTest {
protected:
    // Every state of the tables, the transforms, viewport, material and lights against the
    // platform's starting values.
    void ExpectDefaults() {
        for (const RenderStateCase& c : kRenderStates) {
            DWORD value = 0xDEADBEEFu;
            EXPECT_EQ(m_device->GetRenderState(c.state, &value), D3D_OK);
            EXPECT_EQ(value, c.standard) << "render state " << c.state;
        }
        for (const StageStateCase& c : kStageStates) {
            DWORD value = 0xDEADBEEFu;
            EXPECT_EQ(m_device->GetTextureStageState(c.stage, c.type, &value), D3D_OK);
            EXPECT_EQ(value, c.standard) << "stage " << c.stage << " state " << c.type;
        }
        for (const SamplerStateCase& c : kSamplerStates) {
            DWORD value = 0xDEADBEEFu;
            EXPECT_EQ(m_device->GetSamplerState(c.sampler, c.type, &value), D3D_OK);
            EXPECT_EQ(value, c.standard) << "sampler " << c.sampler << " state " << c.type;
        }
        for (const D3DTRANSFORMSTATETYPE transform : kTransforms) {
            D3DMATRIX m{};
            EXPECT_EQ(m_device->GetTransform(transform, &m), D3D_OK);
            EXPECT_TRUE(IsIdentity(m)) << "transform " << transform;
        }
        D3DVIEWPORT9 viewport{};
        EXPECT_EQ(m_device->GetViewport(&viewport), D3D_OK);
        EXPECT_EQ(viewport.X, 0u);
        EXPECT_EQ(viewport.Y, 0u);
        EXPECT_EQ(viewport.Width, m_parameters.BackBufferWidth);
        EXPECT_EQ(viewport.Height, m_parameters.BackBufferHeight);
        EXPECT_EQ(viewport.MinZ, 0.0f);
        EXPECT_EQ(viewport.MaxZ, 1.0f);
        D3DMATERIAL9 material;
        memset(&material, 0xCD, sizeof material);
        EXPECT_EQ(m_device->GetMaterial(&material), D3D_OK);
        const D3DMATERIAL9 zero{};
        EXPECT_EQ(memcmp(&material, &zero, sizeof material), 0) << "the material starts all zero";
        for (const DWORD light : {0u, 3u}) {
            BOOL enabled = TRUE;
            const HRESULT hr = m_device->GetLightEnable(light, &enabled);
            EXPECT_TRUE(hr != D3D_OK || enabled == FALSE) << "light " << light << " is on";
        }
    }

    void ChangeEverything() {
        for (const RenderStateCase& c : kRenderStates)
            ASSERT_EQ(m_device->SetRenderState(c.state, c.changed), D3D_OK);
        for (const StageStateCase& c : kStageStates)
            ASSERT_EQ(m_device->SetTextureStageState(c.stage, c.type, c.changed), D3D_OK);
        for (const SamplerStateCase& c : kSamplerStates)
            ASSERT_EQ(m_device->SetSamplerState(c.sampler, c.type, c.changed), D3D_OK);
        float seed = 2.0f;
        for (const D3DTRANSFORMSTATETYPE transform : kTransforms) {
            const D3DMATRIX m = AsymmetricMatrix(seed);
            seed += 1.0f;
            ASSERT_EQ(m_device->SetTransform(transform, &m), D3D_OK);
        }
        const D3DVIEWPORT9 viewport{4, 2, 20, 10, 0.25f, 0.75f};
        ASSERT_EQ(m_device->SetViewport(&viewport), D3D_OK);
        D3DMATERIAL9 material{};
        material.Diffuse = D3DCOLORVALUE{1.0f, 0.5f, 0.25f, 1.0f};
        material.Emissive = D3DCOLORVALUE{0.1f, 0.2f, 0.3f, 0.0f};
        material.Power = 8.0f;
        ASSERT_EQ(m_device->SetMaterial(&material), D3D_OK);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
        light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
        ASSERT_EQ(m_device->SetLight(0, &light), D3D_OK);
        ASSERT_EQ(m_device->LightEnable(0, TRUE), D3D_OK);
        ASSERT_EQ(m_device->LightEnable(3, TRUE), D3D_OK);
    }
};

TEST_F(D3D9DeviceResetTest, NewDeviceStartsWithThePlatformDefaults) {
    ExpectDefaults();
}

TEST_F(D3D9DeviceResetTest, ResetRestoresEveryDefault) {
    ChangeEverything();
    // The changes took.
    DWORD value = 0;
    ASSERT_EQ(m_device->GetRenderState(D3DRS_CULLMODE, &value), D3D_OK);
    ASSERT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
    BOOL enabled = FALSE;
    ASSERT_EQ(m_device->GetLightEnable(3, &enabled), D3D_OK);
    ASSERT_TRUE(enabled);

    ASSERT_EQ(Reset(), D3D_OK);
    ExpectDefaults();
}

TEST_F(D3D9DeviceResetTest, DrawingAfterResetUsesTheDefaults) {
    // States that would each hide or alter the quad.
    m_device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    m_device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    m_device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NEVER);
    m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_NEVER);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    m_device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF0000FFu);
    const D3DVIEWPORT9 viewport{0, 0, 8, 8, 0.0f, 1.0f};
    m_device->SetViewport(&viewport);

    ASSERT_EQ(Reset(), D3D_OK);
    ClearAll(kBlack);
    DrawQuad(RECT{10, 10, 50, 40}, Opaque(kGreen));
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{10, 10, 50, 40}, kGreen, kBlack));
}

TEST_F(D3D9DeviceResetTest, LiveDefaultPoolResourcesBlockReset) {
    enum EKind { kVertexBuffer, kIndexBuffer, kTexture };
    for (const EKind kind : {kVertexBuffer, kIndexBuffer, kTexture}) {
        SCOPED_TRACE(::testing::Message() << "resource kind " << kind);
        IDirect3DVertexBuffer9* vertexBuffer = nullptr;
        IDirect3DIndexBuffer9* indexBuffer = nullptr;
        IDirect3DTexture9* texture = nullptr;
        if (kind == kVertexBuffer)
            vertexBuffer = MakeVertexBuffer(nullptr, 120, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY);
        else if (kind == kIndexBuffer)
            indexBuffer = MakeIndexBuffer(nullptr, 64, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
        else
            texture = MakeTexture(16, 16, 1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
        ASSERT_TRUE(vertexBuffer || indexBuffer || texture);
        EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 1);

        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        EXPECT_EQ(Reset(), D3DERR_INVALIDCALL);
        DWORD cull = 0;
        m_device->GetRenderState(D3DRS_CULLMODE, &cull);
        EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE)) << "a refused Reset changes nothing";

        if (vertexBuffer)
            Free(vertexBuffer);
        if (indexBuffer)
            Free(indexBuffer);
        if (texture)
            Free(texture);
        EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 0);
        EXPECT_EQ(Reset(), D3D_OK);
    }
}

TEST_F(D3D9DeviceResetTest, ManagedResourcesDoNotBlockReset) {
    ASSERT_NE(MakeVertexBuffer(nullptr, 120), nullptr);
    ASSERT_NE(MakeIndexBuffer(nullptr, 64, D3DFMT_INDEX32), nullptr);
    ASSERT_NE(MakeTexture(16, 16, 0, D3DFMT_A8R8G8B8), nullptr);
    ASSERT_NE(MakeVertexBuffer(nullptr, 120, D3DPOOL_SYSTEMMEM), nullptr);
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 0);
    EXPECT_EQ(Reset(), D3D_OK);
}

TEST_F(D3D9DeviceResetTest, ResetInsideASceneIsRefused) {
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(Reset(), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_EQ(Reset(), D3D_OK);
}

TEST_F(D3D9DeviceResetTest, ManagedTextureContentsSurviveReset) {
    IDirect3DTexture9* texture = MakeSolidTexture(4, 4, 0xFF3366CCu);
    ASSERT_NE(texture, nullptr);
    ClearAll(kBlack);
    DrawTexturedQuad(texture, RECT{8, 8, 24, 24});
    ASSERT_TRUE(OnlyRectIs(Grab(), RECT{8, 8, 24, 24}, 0x3366CC, kBlack));

    ASSERT_EQ(Reset(), D3D_OK);
    ClearAll(kBlack);
    DrawTexturedQuad(texture, RECT{30, 20, 46, 36});
    EXPECT_TRUE(OnlyRectIs(Grab(), RECT{30, 20, 46, 36}, 0x3366CC, kBlack));
}

TEST_F(D3D9DeviceResetTest, ManagedBufferContentsSurviveReset) {
    const RECT quad{12, 6, 44, 30};
    const auto list = QuadList(quad, Opaque(0x55AA33));
    IDirect3DVertexBuffer9* vertexBuffer = MakeVertexBuffer(list.data(), sizeof list);
    const uint16_t indices[] = {0, 1, 2, 3, 4, 5};
    IDirect3DIndexBuffer9* indexBuffer = MakeIndexBuffer(indices, sizeof indices, D3DFMT_INDEX16);
    ASSERT_NE(vertexBuffer, nullptr);
    ASSERT_NE(indexBuffer, nullptr);

    ASSERT_EQ(Reset(), D3D_OK);
    // The engine reads managed buffers back: the bytes are still there.
    void* data = nullptr;
    ASSERT_EQ(vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(memcmp(data, list.data(), sizeof list), 0);
    ASSERT_EQ(vertexBuffer->Unlock(), D3D_OK);

    ClearAll(kBlack);
    ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
    ASSERT_EQ(m_device->SetStreamSource(0, vertexBuffer, 0, sizeof(TlVertex)), D3D_OK);
    ASSERT_EQ(m_device->SetIndices(indexBuffer), D3D_OK);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 6, 0, 2), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_TRUE(OnlyRectIs(Grab(), quad, 0x55AA33, kBlack));
}

TEST_F(D3D9DeviceResetTest, ResetToAnotherSizeResizesTheBackBuffer) {
    D3DPRESENT_PARAMETERS parameters = m_parameters;
    parameters.BackBufferWidth = 32;
    parameters.BackBufferHeight = 24;
    ASSERT_EQ(m_device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(winapi::d3d::PresentParameters(m_device).BackBufferWidth, 32u);
    EXPECT_EQ(winapi::d3d::PresentParameters(m_device).BackBufferHeight, 24u);
    D3DVIEWPORT9 viewport{};
    ASSERT_EQ(m_device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, 32u);
    EXPECT_EQ(viewport.Height, 24u);

    ClearAll(kBlack);
    DrawQuad(RECT{16, 12, 32, 24}, Opaque(kRed));
    const PixelFrame frame = Grab();
    ASSERT_EQ(frame.width, 32);
    ASSERT_EQ(frame.height, 24);
    EXPECT_TRUE(OnlyRectIs(frame, RECT{16, 12, 32, 24}, kRed, kBlack));

    // And back to the window's own size.
    parameters.BackBufferWidth = 0;
    parameters.BackBufferHeight = 0;
    ASSERT_EQ(m_device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(parameters.BackBufferWidth, static_cast<UINT>(kWindowWidth));
    EXPECT_EQ(parameters.BackBufferHeight, static_cast<UINT>(kWindowHeight));
    ClearAll(kGreen);
    const PixelFrame whole = Grab();
    EXPECT_EQ(whole.width, kWindowWidth);
    EXPECT_EQ(whole.Count(RECT{0, 0, kWindowWidth, kWindowHeight}, kGreen), kWindowWidth * kWindowHeight);
}

TEST_F(D3D9DeviceResetTest, ResetWithUnusableParametersKeepsTheDevice) {
    D3DPRESENT_PARAMETERS parameters = m_parameters;
    parameters.BackBufferFormat = D3DFMT_P8;
    EXPECT_NE(m_device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(m_device->Reset(nullptr), D3DERR_INVALIDCALL);
    // The old back buffer still serves.
    ClearAll(kBlack);
    DrawQuad(RECT{0, 0, 10, 10}, Opaque(kRed));
    const PixelFrame frame = Grab();
    EXPECT_EQ(frame.width, kWidth);
    EXPECT_TRUE(OnlyRectIs(frame, RECT{0, 0, 10, 10}, kRed, kBlack));
}

// --- Lost device and Present ---------------------------------------------------------------------

TEST_F(D3D9DeviceResetTest, LostDeviceReportsLostThenNotResetUntilReset) {
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3D_OK);
    winapi::d3d::LoseDevice(m_device);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(winapi::d3d::PresentCount(m_device), 0);

    // A Reset refused for a live default-pool buffer leaves it not reset.
    IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(nullptr, 60, D3DPOOL_DEFAULT);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Reset(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    Free(buffer);

    ASSERT_EQ(Reset(), D3D_OK);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(winapi::d3d::PresentCount(m_device), 1);
}

TEST_F(D3D9DeviceTest, PresentCountsFrames) {
    EXPECT_EQ(winapi::d3d::PresentCount(m_device), 0);
    for (int frame = 1; frame <= 3; ++frame) {
        ClearAll(frame == 2 ? kRed : kBlue);
        ASSERT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        EXPECT_EQ(winapi::d3d::PresentCount(m_device), frame);
    }
}

TEST_F(D3D9DeviceTest, PresentAfterTheWindowIsDestroyedFailsCleanly) {
    ClearAll(kBlue);
    ASSERT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_TRUE(DestroyWindow(m_window));
    m_window = nullptr;
    EXPECT_NE(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_NE(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(winapi::d3d::PresentCount(m_device), 1);
    // Its buffer can still be drawn to and read, and releasing it afterwards is fine.
    ClearAll(kRed);
    EXPECT_EQ(PixelAt(0, 0), kRed);
    EXPECT_EQ(m_device->Release(), 0u);
    m_device = nullptr;
}

// --- Buffers ----------------------------------------------------------------------------------

TEST_F(D3D9DeviceTest, LockSizeZeroLocksTheWholeBufferAndWhatIsWrittenIsDrawn) {
    const RECT left{0, 0, 20, 48};
    const RECT right{44, 0, 64, 48};
    std::vector<TlVertex> vertices;
    for (const auto& list : {QuadList(left, Opaque(kRed)), QuadList(right, Opaque(kBlue))})
        vertices.insert(vertices.end(), list.begin(), list.end());
    const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(TlVertex));
    IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(nullptr, bytes);
    ASSERT_NE(buffer, nullptr);

    // The whole buffer through one lock of size 0.
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    ASSERT_NE(data, nullptr);
    memcpy(data, vertices.data(), bytes);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);

    ClearAll(kBlack);
    ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(TlVertex)), D3D_OK);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_TRUE(PixelsAre(Grab(), [&](int x, int y) {
        return Inside(left, x, y) ? kRed : (Inside(right, x, y) ? kBlue : kBlack);
    }));

    // A lock of size 0 from an offset runs to the end: recolour the second quad only.
    const UINT secondQuad = 6 * sizeof(TlVertex);
    ASSERT_EQ(buffer->Lock(secondQuad, 0, &data, 0), D3D_OK);
    auto* tail = static_cast<TlVertex*>(data);
    for (int i = 0; i < 6; ++i)
        tail[i].color = Opaque(kGreen);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);

    ClearAll(kBlack);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(TlVertex)), D3D_OK);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_TRUE(PixelsAre(Grab(), [&](int x, int y) {
        return Inside(left, x, y) ? kRed : (Inside(right, x, y) ? kGreen : kBlack);
    }));
}

TEST_F(D3D9DeviceTest, PartialLockUpdatesOnlyItsRange) {
    const auto list = QuadList(RECT{8, 8, 40, 40}, Opaque(kRed));
    IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(list.data(), sizeof list, D3DPOOL_DEFAULT,
                                                      D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY);
    ASSERT_NE(buffer, nullptr);
    // Move the second triangle's last vertex only; the rest keeps what was written before.
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(5 * sizeof(TlVertex), sizeof(TlVertex), &data, D3DLOCK_NOOVERWRITE), D3D_OK);
    TlVertex moved = list[5];
    moved.x = 56.0f;
    moved.y = 40.0f;
    memcpy(data, &moved, sizeof moved);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);

    ClearAll(kBlack);
    ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(TlVertex)), D3D_OK);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    const PixelFrame frame = Grab();
    EXPECT_EQ(frame.At(9, 9), kRed) << "first triangle unchanged";
    EXPECT_EQ(frame.At(38, 38), kRed);
    EXPECT_EQ(frame.At(50, 38), kRed) << "the moved vertex widens the second triangle";
}

TEST_F(D3D9DeviceTest, LocksOutsideTheBufferOrWhileLockedFail) {
    constexpr UINT kLength = 120;
    IDirect3DVertexBuffer9* vertexBuffer = MakeVertexBuffer(nullptr, kLength);
    IDirect3DIndexBuffer9* indexBuffer = MakeIndexBuffer(nullptr, kLength, D3DFMT_INDEX16);
    ASSERT_NE(vertexBuffer, nullptr);
    ASSERT_NE(indexBuffer, nullptr);

    struct Range {
        UINT offset;
        UINT size;
    };
    const Range outside[] = {{kLength - 4, 8}, {0, kLength + 1}, {kLength + 4, 0}, {kLength + 4, 4},
                             {0xFFFFFFF0u, 0x20}};
    const std::function<HRESULT(UINT, UINT, void**, DWORD)> locks[] = {
        [&](UINT o, UINT s, void** d, DWORD f) { return vertexBuffer->Lock(o, s, d, f); },
        [&](UINT o, UINT s, void** d, DWORD f) { return indexBuffer->Lock(o, s, d, f); },
    };
    const std::function<HRESULT()> unlocks[] = {[&] { return vertexBuffer->Unlock(); },
                                                [&] { return indexBuffer->Unlock(); }};
    for (int which = 0; which < 2; ++which) {
        SCOPED_TRACE(which == 0 ? "vertex buffer" : "index buffer");
        for (const Range& r : outside) {
            void* data = nullptr;
            EXPECT_EQ(locks[which](r.offset, r.size, &data, 0), D3DERR_INVALIDCALL)
                << "offset " << r.offset << " size " << r.size;
        }
        EXPECT_EQ(unlocks[which](), D3DERR_INVALIDCALL) << "nothing is locked";

        void* first = nullptr;
        ASSERT_EQ(locks[which](kLength - 8, 8, &first, 0), D3D_OK) << "the last bytes";
        void* second = nullptr;
        EXPECT_EQ(locks[which](0, 0, &second, 0), D3DERR_INVALIDCALL) << "already locked";
        EXPECT_EQ(locks[which](0, 4, &second, D3DLOCK_READONLY), D3DERR_INVALIDCALL) << "already locked";
        EXPECT_EQ(unlocks[which](), D3D_OK);
        EXPECT_EQ(unlocks[which](), D3DERR_INVALIDCALL);
        ASSERT_EQ(locks[which](0, 0, &second, 0), D3D_OK) << "free again after the unlock";
        EXPECT_EQ(unlocks[which](), D3D_OK);
    }
}

TEST_F(D3D9DeviceTest, ReadOnlyLockDoesNotChangeWhatIsDrawn) {
    const RECT quad{10, 10, 30, 30};
    const auto list = QuadList(quad, Opaque(kRed));
    IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(list.data(), sizeof list);
    ASSERT_NE(buffer, nullptr);

    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(memcmp(data, list.data(), sizeof list), 0) << "the lock reads what was written";
    // Scribbled on anyway: a read-only lock promises nothing was, so nothing is uploaded.
    const auto other = QuadList(RECT{40, 20, 60, 44}, Opaque(kBlue));
    memcpy(data, other.data(), sizeof other);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);

    ClearAll(kBlack);
    ASSERT_EQ(m_device->SetFVF(kTlFvf), D3D_OK);
    ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(TlVertex)), D3D_OK);
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    EXPECT_TRUE(OnlyRectIs(Grab(), quad, kRed, kBlack));
}

TEST_F(D3D9DeviceTest, DefaultPoolResourcesAreCountedUntilReleased) {
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 0);
    IDirect3DVertexBuffer9* vertexBuffer = MakeVertexBuffer(nullptr, 64, D3DPOOL_DEFAULT);
    IDirect3DIndexBuffer9* indexBuffer = MakeIndexBuffer(nullptr, 64, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
    IDirect3DTexture9* texture = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_NE(MakeVertexBuffer(nullptr, 64, D3DPOOL_MANAGED), nullptr);
    ASSERT_NE(MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    ASSERT_TRUE(vertexBuffer && indexBuffer && texture);
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 3);
    Free(indexBuffer);
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 2);
    Free(texture);
    Free(vertexBuffer);
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 0);
}

// --- Textures ---------------------------------------------------------------------------------

TEST_F(D3D9DeviceTest, LevelCountRunsTheFullChainToOnePixelOnTheLargerSide) {
    struct Case {
        UINT width;
        UINT height;
        UINT levels;
        DWORD expected;
    };
    const Case cases[] = {
        {256, 64, 0, 9}, {64, 256, 0, 9}, {64, 64, 0, 7},  {1, 1, 0, 1},  {100, 30, 0, 7},
        {2, 1, 0, 2},    {256, 64, 9, 9}, {256, 64, 3, 3}, {256, 64, 1, 1}, {3, 5, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " levels " << c.levels);
        IDirect3DTexture9* texture = MakeTexture(c.width, c.height, c.levels, D3DFMT_X8R8G8B8);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetLevelCount(), c.expected);
        Free(texture);
    }
}

TEST_F(D3D9DeviceTest, LevelDescriptionsHalveEachSideDownToOne) {
    IDirect3DTexture9* texture = MakeTexture(256, 64, 0, D3DFMT_A8R8G8B8);
    ASSERT_NE(texture, nullptr);
    const UINT sizes[][2] = {{256, 64}, {128, 32}, {64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    ASSERT_EQ(texture->GetLevelCount(), 9u);
    for (UINT level = 0; level < 9; ++level) {
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, sizes[level][0]) << "level " << level;
        EXPECT_EQ(desc.Height, sizes[level][1]) << "level " << level;
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    }
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(9, &desc), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(9, &locked, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(D3D9DeviceTest, LockRectPitchCoversARowOfEveryLevel) {
    struct Case {
        D3DFORMAT format;
        int bytesPerPixel;
    };
    const Case cases[] = {{D3DFMT_A8R8G8B8, 4}, {D3DFMT_X8R8G8B8, 4}, {D3DFMT_R5G6B5, 2},
                          {D3DFMT_A4R4G4B4, 2}, {D3DFMT_L8, 1},       {D3DFMT_A8, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "format " << c.format);
        IDirect3DTexture9* texture = MakeTexture(64, 16, 0, c.format);
        ASSERT_NE(texture, nullptr);
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            EXPECT_NE(locked.pBits, nullptr);
            EXPECT_GE(locked.Pitch, static_cast<int>(desc.Width) * c.bytesPerPixel) << "level " << level;
            // Every byte of the level is writable.
            memset(locked.pBits, 0x5A, static_cast<size_t>(locked.Pitch) * (desc.Height - 1) +
                                           desc.Width * static_cast<size_t>(c.bytesPerPixel));
            EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
        }
        Free(texture);
    }
}

// Eight colours every 16-bit 5:6:5 texel can hold exactly.
constexpr D3DCOLOR kTexelColors[] = {kBlack, kRed, kGreen, kBlue, 0xFFFF00, 0xFF00FF, 0x00FFFF, kWhite};

D3DCOLOR TexelColor(int x, int y) {
    return kTexelColors[(x + 3 * y) % 8];
}

uint16_t To565(D3DCOLOR rgb) {
    return static_cast<uint16_t>(((rgb >> 19) & 0x1F) << 11 | ((rgb >> 10) & 0x3F) << 5 | ((rgb >> 3) & 0x1F));
}

TEST_F(D3D9DeviceTest, TexelsWrittenRowByRowWithThePitchAreDrawn) {
    for (const D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}) {
        SCOPED_TRACE(::testing::Message() << "format " << format);
        IDirect3DTexture9* texture = MakeTexture(4, 4, 1, format);
        ASSERT_NE(texture, nullptr);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 4; ++y) {
            uint8_t* row = static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch;
            for (int x = 0; x < 4; ++x) {
                if (format == D3DFMT_R5G6B5) {
                    const uint16_t texel = To565(TexelColor(x, y));
                    memcpy(row + x * 2, &texel, 2);
                } else {
                    const uint32_t texel = Opaque(TexelColor(x, y));
                    memcpy(row + x * 4, &texel, 4);
                }
            }
        }
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

        ClearAll(kGrey);
        DrawTexturedQuad(texture, RECT{0, 0, 16, 16});
        const PixelFrame frame = Grab();
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(frame.At(4 * x + 2, 4 * y + 2), TexelColor(x, y)) << "texel " << x << "," << y;
        }
        EXPECT_EQ(frame.At(16, 8), kGrey);
        EXPECT_EQ(frame.At(8, 16), kGrey);
        ASSERT_EQ(m_device->SetTexture(0, nullptr), D3D_OK);
        Free(texture);
    }
}

TEST_F(D3D9DeviceTest, LockRectWithARectangleStartsAtItsCorner) {
    IDirect3DTexture9* texture = MakeSolidTexture(4, 4, Opaque(kGrey));
    ASSERT_NE(texture, nullptr);
    const RECT area{1, 2, 3, 4};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, &area, 0), D3D_OK);
    for (int y = 0; y < 2; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
        row[0] = Opaque(kRed);
        row[1] = Opaque(kGreen);
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

    ClearAll(kBlack);
    DrawTexturedQuad(texture, RECT{0, 0, 16, 16});
    const PixelFrame frame = Grab();
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            D3DCOLOR expected = kGrey;
            if (Inside(area, x, y))
                expected = x == area.left ? kRed : kGreen;
            EXPECT_EQ(frame.At(4 * x + 2, 4 * y + 2), expected) << "texel " << x << "," << y;
        }
    }

    // Rectangles reaching outside the level are refused.
    for (const RECT& bad : {RECT{0, 0, 5, 4}, RECT{-1, 0, 2, 2}, RECT{2, 2, 2, 3}, RECT{0, 3, 4, 2}}) {
        EXPECT_EQ(texture->LockRect(0, &locked, &bad, 0), D3DERR_INVALIDCALL)
            << bad.left << "," << bad.top << "," << bad.right << "," << bad.bottom;
    }
}

TEST_F(D3D9DeviceTest, LevelsLockSeparatelyAndOnlyOnce) {
    IDirect3DTexture9* texture = MakeTexture(16, 16, 0, D3DFMT_A8R8G8B8);
    ASSERT_NE(texture, nullptr);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    D3DLOCKED_RECT again{};
    EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(0, &again, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT other{};
    EXPECT_EQ(texture->LockRect(1, &other, nullptr, 0), D3D_OK) << "another level is free";
    EXPECT_EQ(texture->UnlockRect(1), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL) << "not locked any more";
    EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
}

TEST_F(D3D9DeviceTest, TextureCreationRefusesUnknownFormatsAndTooManyLevels) {
    struct Case {
        const char* name;
        UINT width;
        UINT height;
        UINT levels;
        D3DFORMAT format;
    };
    const Case cases[] = {
        {"unknown format", 16, 16, 1, D3DFMT_UNKNOWN},
        {"palette format", 16, 16, 1, D3DFMT_P8},
        {"depth format", 16, 16, 1, D3DFMT_D24S8},
        {"made-up format", 16, 16, 1, static_cast<D3DFORMAT>(0x4B4F4F42u)},
        {"one level past the chain", 256, 64, 10, D3DFMT_X8R8G8B8},
        {"two levels of a single texel", 1, 1, 2, D3DFMT_X8R8G8B8},
        {"zero width", 0, 16, 1, D3DFMT_X8R8G8B8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(this);
        EXPECT_EQ(m_device->CreateTexture(c.width, c.height, c.levels, 0, c.format, D3DPOOL_MANAGED, &texture, nullptr),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(texture, nullptr);
    }
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_device), 0);
}

}  // namespace
