// What the Direct3D 9 layer's tests share: a window with a windowed device on it (64 x 64 unless
// asked otherwise, or none when the test makes the device itself), the textures and buffers a
// test makes (released after it, before the device, whose last holder the fixture must then be),
// transforms, frames, drawing from user memory, texture filling and the back buffer read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bench/D3D9Windowed.h"
#include "tests/support/PixelFrame.h"
#include "winapi/d3d9/D3D9.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/WinWindow.h"

namespace d3d9fixture {

constexpr int kSize = 64;
constexpr D3DCOLOR kBackground = 0xFF203040;

// Registers a window class with its own device context and the default window procedure.
// Window classes live as long as the process: callers register once.
inline bool RegisterOwnDcWindowClass(const char* name) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

// The colour a channel value in [0, 1] is stored as, saturated first.
inline int Byte(float value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

inline D3DCOLOR Rgb(int r, int g, int b) {
    return 0xFF000000u | static_cast<DWORD>(r) << 16 | static_cast<DWORD>(g) << 8 | static_cast<DWORD>(b);
}

// --- Matrices, rows first, points as row vectors (p x M) ------------------------------------

inline D3DMATRIX Identity() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

inline D3DMATRIX Scaling(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m.m[0][0] = x;
    m.m[1][1] = y;
    m.m[2][2] = z;
    return m;
}

inline D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

// Left-handed perspective: x and y scaled by xs and ys, depth 0 at zn and 1 at zf, w = z.
inline D3DMATRIX PerspectiveLH(float xs, float ys, float zn, float zf) {
    D3DMATRIX m{};
    m.m[0][0] = xs;
    m.m[1][1] = ys;
    m.m[2][2] = zf / (zf - zn);
    m.m[2][3] = 1.0f;
    m.m[3][2] = -zn * zf / (zf - zn);
    return m;
}

// How a fixture's window and device are made.
struct DeviceSetup {
    const char* title;
    D3DFORMAT backBuffer = D3DFMT_X8R8G8B8;
    int windowWidth = kSize;
    int windowHeight = kSize;
    int bufferWidth = kSize;
    int bufferHeight = kSize;
    // False: no device until the test makes one with CreateDevice, for tests of creation.
    bool createDevice = true;
};

class CD3D9TestFixture : public ::testing::Test {
protected:
    CD3D9TestFixture(const char* title, D3DFORMAT backBuffer) : CD3D9TestFixture(DeviceSetup{title, backBuffer}) {}
    explicit CD3D9TestFixture(const DeviceSetup& setup) : m_setup(setup) {}

    static void SetUpTestSuite() {
        static const bool registered = RegisterOwnDcWindowClass(kClassName);
        ASSERT_TRUE(registered);
    }

    void SetUp() override {
        m_window = CreateWindowExA(0, kClassName, m_setup.title, WS_CAPTION | WS_SYSMENU, 0, 0, m_setup.windowWidth,
                                   m_setup.windowHeight, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_d3d, nullptr);
        if (!m_setup.createDevice)
            return;
        m_parameters = WindowedPresentParameters(m_window, static_cast<UINT>(m_setup.bufferWidth),
                                                 static_cast<UINT>(m_setup.bufferHeight), m_setup.backBuffer);
        ASSERT_EQ(CreateDevice(&m_parameters), D3D_OK);
        ASSERT_NE(m_device, nullptr);
    }

    void TearDown() override {
        for (IDirect3DTexture9* texture : m_textures)
            texture->Release();
        for (IDirect3DVertexBuffer9* buffer : m_vertexBuffers)
            buffer->Release();
        for (IDirect3DIndexBuffer9* buffer : m_indexBuffers)
            buffer->Release();
        m_textures.clear();
        m_vertexBuffers.clear();
        m_indexBuffers.clear();
        if (m_device) {
            EXPECT_EQ(m_device->Release(), 0u) << "something still holds the device";
        }
        m_device = nullptr;
        if (m_d3d)
            m_d3d->Release();
        m_d3d = nullptr;
        winapi::d3d::ClearFailures();
        winapi::d3d::UseDefaultAdapterModes();
        if (m_window)
            DestroyWindow(m_window);
        m_window = nullptr;
    }

    // Makes the device on the fixture's window; a device made before is released.
    HRESULT CreateDevice(D3DPRESENT_PARAMETERS* parameters, DWORD flags = D3DCREATE_HARDWARE_VERTEXPROCESSING) {
        IDirect3DDevice9* device = nullptr;
        const HRESULT hr =
            m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window, flags, parameters, &device);
        if (device) {
            if (m_device)
                m_device->Release();
            m_device = device;
        }
        return hr;
    }

    // --- Resources ---

    IDirect3DTexture9* CreateTexture(UINT width, UINT height, UINT levels, D3DFORMAT format = D3DFMT_A8R8G8B8,
                                     D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture9* texture = nullptr;
        // Textures outside the managed pool are lockable only when dynamic.
        const DWORD usage = pool == D3DPOOL_DEFAULT ? D3DUSAGE_DYNAMIC : 0;
        EXPECT_EQ(m_device->CreateTexture(width, height, levels, usage, format, pool, &texture, nullptr), D3D_OK);
        return Keep(texture);
    }

    // Released after the test unless freed before.
    IDirect3DTexture9* Keep(IDirect3DTexture9* texture) { return Kept(m_textures, texture); }
    IDirect3DVertexBuffer9* Keep(IDirect3DVertexBuffer9* buffer) { return Kept(m_vertexBuffers, buffer); }
    IDirect3DIndexBuffer9* Keep(IDirect3DIndexBuffer9* buffer) { return Kept(m_indexBuffers, buffer); }

    // Releases a resource now.
    void Free(IDirect3DTexture9* texture) { Freed(m_textures, texture); }
    void Free(IDirect3DVertexBuffer9* buffer) { Freed(m_vertexBuffers, buffer); }
    void Free(IDirect3DIndexBuffer9* buffer) { Freed(m_indexBuffers, buffer); }

    // Writes a level through LockRect: texels row by row, each `bytesPerTexel` bytes of the
    // value's low end (0xAARRGGBB as stored for four); a single texel fills the whole level.
    static void FillLevel(IDirect3DTexture9* texture, UINT level, const std::vector<uint32_t>& texels,
                          int bytesPerTexel = 4) {
        ASSERT_NE(texture, nullptr);
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        ASSERT_TRUE(texels.size() == 1 || texels.size() == size_t{desc.Width} * desc.Height);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y) {
            uint8_t* row = static_cast<uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                const uint32_t texel = texels.size() == 1 ? texels[0] : texels[size_t{y} * desc.Width + x];
                for (int b = 0; b < bytesPerTexel; ++b)
                    row[static_cast<size_t>(x) * static_cast<size_t>(bytesPerTexel) + static_cast<size_t>(b)] =
                        static_cast<uint8_t>(texel >> (8 * b));
            }
        }
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }

    // A 1x1 A8R8G8B8 texture of one colour.
    IDirect3DTexture9* SolidTexture(D3DCOLOR color) {
        IDirect3DTexture9* texture = CreateTexture(1, 1, 1);
        FillLevel(texture, 0, {color});
        return texture;
    }

    // --- States ---

    void SetRender(D3DRENDERSTATETYPE state, DWORD value) { EXPECT_EQ(m_device->SetRenderState(state, value), D3D_OK); }

    void SetStage(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
        EXPECT_EQ(m_device->SetTextureStageState(stage, type, value), D3D_OK);
    }

    void SetSampler(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
        EXPECT_EQ(m_device->SetSamplerState(sampler, type, value), D3D_OK);
    }

    void SetTransforms(const D3DMATRIX& world, const D3DMATRIX& view, const D3DMATRIX& projection) {
        EXPECT_EQ(m_device->SetTransform(D3DTS_WORLD, &world), D3D_OK);
        EXPECT_EQ(m_device->SetTransform(D3DTS_VIEW, &view), D3D_OK);
        EXPECT_EQ(m_device->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    }

    // --- Frames and drawing ---

    void BeginFrame(D3DCOLOR clear = kBackground, float z = 1.0f) {
        ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, clear, z, 0),
                  D3D_OK);
        ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    }

    void EndFrame() { ASSERT_EQ(m_device->EndScene(), D3D_OK); }

    template <typename Vertex>
    void Draw(D3DPRIMITIVETYPE type, UINT primitives, DWORD fvf, const std::vector<Vertex>& vertices) {
        EXPECT_EQ(m_device->SetFVF(fvf), D3D_OK);
        EXPECT_EQ(m_device->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(Vertex)), D3D_OK);
    }

    // The back buffer as read back.
    PixelFrame Grab() {
        PixelFrame frame;
        EXPECT_TRUE(winapi::d3d::ReadBackBuffer(m_device, &frame.pixels, &frame.width, &frame.height));
        return frame;
    }

    // The whole back buffer of the fixture's size, alpha included.
    std::vector<uint32_t> Pixels() {
        PixelFrame frame = Grab();
        EXPECT_EQ(frame.width, m_setup.bufferWidth);
        EXPECT_EQ(frame.height, m_setup.bufferHeight);
        frame.pixels.resize(static_cast<size_t>(m_setup.bufferWidth) * static_cast<size_t>(m_setup.bufferHeight), 0);
        return frame.pixels;
    }

    // The pixel as read back, alpha included.
    D3DCOLOR Pixel(int x, int y) {
        return Pixels()[static_cast<size_t>(y) * static_cast<size_t>(m_setup.bufferWidth) + static_cast<size_t>(x)];
    }

    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    // What the device was made with by the fixture.
    D3DPRESENT_PARAMETERS m_parameters{};
    std::vector<IDirect3DTexture9*> m_textures;
    std::vector<IDirect3DVertexBuffer9*> m_vertexBuffers;
    std::vector<IDirect3DIndexBuffer9*> m_indexBuffers;

private:
    static constexpr const char* kClassName = "D3D9TestClass";

    template <typename T>
    static T* Kept(std::vector<T*>& list, T* resource) {
        if (resource)
            list.push_back(resource);
        return resource;
    }

    template <typename T>
    static void Freed(std::vector<T*>& list, T* resource) {
        list.erase(std::remove(list.begin(), list.end(), resource), list.end());
        resource->Release();
    }

    DeviceSetup m_setup;
};

}  // namespace d3d9fixture
