// CRenderDeviceDX9 over the Direct3D 9 layer: start-up (display modes, present parameters,
// device creation), the engine codes as the layer receives them, the handle tables, texture
// upload with the device's own mip chain, running out of video memory, loss and reset, and
// what the device draws, read back from the back buffer.
#include "engine/graphics/RenderDeviceDX9.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/DeviceStates.h"
#include "tests/support/PixelFrame.h"
#include "winapi/d3d9/D3D9TestHooks.h"

namespace {

using winapi::d3d::EFailure;

constexpr int kWindowWidth = 160;
constexpr int kWindowHeight = 120;
constexpr uint32_t kPNT1Count = 8192;
constexpr uint32_t kPCT2Count = 2048;
constexpr uint32_t kPRC2T1Count = 8192;
const D3DDISPLAYMODE kDefaultDesktop{1024, 768, 60, D3DFMT_X8R8G8B8};

// Colours as the back buffer reads them, alpha left out.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

// --- Matrices ----------------------------------------------------------------------------------

CMatrix Numbered(float first) {
    CMatrix m;
    for (int i = 0; i < 16; ++i)
        m.m_f[i] = first + static_cast<float>(i);
    return m;
}

std::vector<float> Elements(const CMatrix& m) {
    return std::vector<float>(m.m_f, m.m_f + 16);
}

std::vector<float> Elements(const D3DMATRIX& m) {
    return std::vector<float>(&m.m[0][0], &m.m[0][0] + 16);
}

// --- Texture levels ------------------------------------------------------------------------------

// The next level of a chain: each texel the truncated mean of the texels of its 2 x 2 block
// that exist, channel by channel.
std::vector<uint8_t> Halve(const std::vector<uint8_t>& level, uint32_t width, uint32_t height, uint32_t bpp) {
    const uint32_t w = width > 1 ? width / 2 : 1;
    const uint32_t h = height > 1 ? height / 2 : 1;
    std::vector<uint8_t> out(size_t{w} * h * bpp);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            for (uint32_t c = 0; c < bpp; ++c) {
                uint32_t sum = 0;
                uint32_t count = 0;
                for (uint32_t sy = 2 * y; sy < 2 * y + 2 && sy < height; ++sy) {
                    for (uint32_t sx = 2 * x; sx < 2 * x + 2 && sx < width; ++sx) {
                        sum += level[(size_t{sy} * width + sx) * bpp + c];
                        ++count;
                    }
                }
                out[(size_t{y} * w + x) * bpp + c] = static_cast<uint8_t>(sum / count);
            }
        }
    }
    return out;
}

struct Level {
    D3DSURFACE_DESC desc{};
    std::vector<uint8_t> bytes;  // rows packed, top first
};

uint32_t BytesPerTexel(D3DFORMAT format) {
    return format == D3DFMT_A8 ? 1 : 4;
}

Level ReadLevel(IDirect3DTexture9* texture, UINT index) {
    Level level;
    EXPECT_EQ(texture->GetLevelDesc(index, &level.desc), D3D_OK);
    const uint32_t bpp = BytesPerTexel(level.desc.Format);
    const size_t row = size_t{level.desc.Width} * bpp;
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(index, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
        ADD_FAILURE() << "level " << index << " cannot be locked";
        return level;
    }
    level.bytes.resize(row * level.desc.Height);
    for (UINT y = 0; y < level.desc.Height; ++y)
        memcpy(level.bytes.data() + y * row, static_cast<const uint8_t*>(locked.pBits) + y * static_cast<size_t>(locked.Pitch),
               row);
    texture->UnlockRect(index);
    return level;
}

// Empty when equal; else the first differing byte.
std::string FirstDifference(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual) {
    if (expected.size() != actual.size())
        return "size " + std::to_string(actual.size()) + " instead of " + std::to_string(expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i])
            return "byte " + std::to_string(i) + ": expected " + std::to_string(expected[i]) + ", got " +
                   std::to_string(actual[i]);
    }
    return "";
}

// A busy, non-repeating pattern: neighbouring texels differ in every channel.
std::vector<uint8_t> Pattern(uint32_t width, uint32_t height, uint32_t bpp) {
    std::vector<uint8_t> bytes(size_t{width} * height * bpp);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t c = 0; c < bpp; ++c)
                bytes[(size_t{y} * width + x) * bpp + c] = static_cast<uint8_t>(x * 37 + y * 101 + c * 53 + x * y * 7);
        }
    }
    return bytes;
}

// Owner pixels R, G, B, A to the device's B, G, R, A.
std::vector<uint8_t> SwapRedBlue(const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> bgra(rgba);
    for (size_t i = 0; i + 3 < bgra.size(); i += 4)
        std::swap(bgra[i], bgra[i + 2]);
    return bgra;
}

// --- The back buffer ------------------------------------------------------------------------

using Frame = PixelFrame;

// A texture that counts how often its pixels are handed to the device.
class CCountingTexture : public CTexture2D {
public:
    int Unlock(int flag) override {
        ++m_nUnlocks;
        return CTexture2D::Unlock(flag);
    }
    int m_nUnlocks = 0;
};

// Pre-transformed, coloured vertices for a managed vertex buffer.
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t color;
};
constexpr uint32_t kScreenVertexFormat = 0x44;  // position with 1/w, diffuse

// --- Fixtures --------------------------------------------------------------------------------

// A game window and a device that is not started yet.
class RenderDeviceDX9Start : public ::testing::Test {
protected:
    void SetUp() override {
        winapi::d3d::ClearFailures();
        winapi::d3d::UseDefaultAdapterModes();
        winapi::d3d::SetDesktopMode(kDefaultDesktop);
        ASSERT_EQ(m_Window.Create(nullptr, kWindowWidth, kWindowHeight, 0), 1);
    }

    void TearDown() override {
        m_Resources.clear();
        m_Device.Shutdown();
        winapi::d3d::ClearFailures();
        winapi::d3d::UseDefaultAdapterModes();
        winapi::d3d::SetDesktopMode(kDefaultDesktop);
        m_Window.Close();
    }

    int Init(uint32_t width, uint32_t height, uint32_t bits, int bFullscreen, int bVSync = 0, int bLockable = 0,
             uint32_t pnt1 = kPNT1Count, uint32_t pct2 = kPCT2Count, uint32_t prc2t1 = kPRC2T1Count) {
        return m_Device.Init(&m_Window, width, height, bits, bFullscreen, 0, bVSync, pnt1, pct2, prc2t1, nullptr,
                             bLockable);
    }

    int InitWindowed(uint32_t bits = 32) { return Init(kWindowWidth, kWindowHeight, bits, 0); }

    std::vector<CDisplayMode> Modes() const {
        std::vector<CDisplayMode> modes;
        if (m_Device.m_pDisplayModes) {
            for (uint32_t i = 0; i < m_Device.m_pDisplayModes->m_nCount; ++i)
                modes.push_back(m_Device.m_pDisplayModes->m_pItems[i]);
        }
        return modes;
    }

    template <class Resource>
    Resource* Keep(std::unique_ptr<Resource> resource) {
        Resource* raw = resource.get();
        m_Resources.push_back(std::move(resource));
        return raw;
    }

    void Destroy(CRendererResource* resource) {
        for (auto it = m_Resources.begin(); it != m_Resources.end(); ++it) {
            if (it->get() == resource) {
                m_Resources.erase(it);
                return;
            }
        }
        ADD_FAILURE() << "not one of the test's resources";
    }

    // A registered texture with the given pixels in its buffer (not unlocked yet).
    template <class Texture = CTexture2D>
    Texture* MakeTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t format,
                         const std::vector<uint8_t>& pixels = {}) {
        auto* texture = Keep(std::make_unique<Texture>());
        EXPECT_EQ(texture->Create(width, height, levels, format, 0, 0, &m_Device), 1);
        uint8_t* buffer = nullptr;
        if (!pixels.empty() && texture->Lock(&buffer)) {
            EXPECT_EQ(pixels.size(), size_t{CRenderDevice::GetBytesPerPixel(format)} * width * height);
            memcpy(buffer, pixels.data(), pixels.size());
        }
        return texture;
    }

    CVertexBuffer* MakeVertexBuffer(uint32_t bytes, uint32_t format, uint32_t pool) {
        auto* buffer = Keep(std::make_unique<CVertexBuffer>());
        EXPECT_EQ(buffer->Create(bytes, format, pool, 0, &m_Device), 1);
        return buffer;
    }

    CIndexBuffer* MakeIndexBuffer(uint32_t bytes) {
        auto* buffer = Keep(std::make_unique<CIndexBuffer>());
        EXPECT_EQ(buffer->Create(bytes, kFormatIndex16, kPoolManaged, 0, &m_Device), 1);
        return buffer;
    }

    CRenderDeviceDX9::TextureRecord& Record(CTexture2D* texture) {
        return (*m_Device.m_pTextures)[texture->GetHandle() - 1];
    }

    Frame ReadFrame() {
        Frame frame;
        EXPECT_TRUE(winapi::d3d::ReadBackBuffer(m_Device.m_pDevice, &frame.pixels, &frame.width, &frame.height));
        return frame;
    }

    // The whole window covered by a white quad showing the texture once, point-sampled.
    Frame DrawTexturedQuad(CTexture2D* texture) {
        EXPECT_EQ(m_Device.Clear(kClearTarget | kClearDepth, 0xFF000000u, 1.0f, 0), 1);
        EXPECT_EQ(m_Device.BeginScene(), 1);
        m_Device.SetTexture(0, texture);
        m_Device.SetTextureStageState(0, kStageMagFilter, kFilterPoint);
        m_Device.SetTextureStageState(0, kStageMinFilter, kFilterPoint);
        m_Device.SetTextureStageState(0, kStageMipFilter, kFilterNone);
        EXPECT_EQ(m_Device.DrawQuad2D(0.0f, 0.0f, 0.5f, static_cast<float>(kWindowWidth),
                                      static_cast<float>(kWindowHeight), 0xFFFFFFFFu, 0.0f, 0.0f, 1.0f, 1.0f),
                  1);
        EXPECT_EQ(m_Device.EndScene(), 1);
        return ReadFrame();
    }

    // A 2 x 2 texture: red, green on top; blue, white below.
    static std::vector<uint8_t> QuadrantPixels() {
        return {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    }

    CTexture2D* MakeQuadrantTexture() {
        auto* texture = MakeTexture(2, 2, 0, kFormatA8R8G8B8, QuadrantPixels());
        EXPECT_EQ(texture->Unlock(1), 1);
        return texture;
    }

    void ExpectQuadrants(const Frame& frame) {
        ASSERT_EQ(frame.width, kWindowWidth);
        ASSERT_EQ(frame.height, kWindowHeight);
        EXPECT_EQ(Hex(frame.At(40, 30)), Hex(kRed));
        EXPECT_EQ(Hex(frame.At(120, 30)), Hex(kGreen));
        EXPECT_EQ(Hex(frame.At(40, 90)), Hex(kBlue));
        EXPECT_EQ(Hex(frame.At(120, 90)), Hex(kWhite));
    }

    CViewportWin32 m_Window;
    CRenderDeviceDX9 m_Device;
    std::vector<std::unique_ptr<CRendererResource>> m_Resources;
};

// The device started in the window: windowed, 32 bits, pools 8192, 2048 and 8192.
class RenderDeviceDX9 : public RenderDeviceDX9Start {
protected:
    void SetUp() override {
        RenderDeviceDX9Start::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(InitWindowed(), 1);
        ASSERT_NE(m_Device.m_pDevice, nullptr);
    }
};

// --- Start-up: display modes -------------------------------------------------------------------

bool SameModes(const std::vector<CDisplayMode>& a, const std::vector<CDisplayMode>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].nWidth != b[i].nWidth || a[i].nHeight != b[i].nHeight || a[i].nRefreshRate != b[i].nRefreshRate ||
            a[i].nFormat != b[i].nFormat)
            return false;
    }
    return true;
}

std::string Describe(const std::vector<CDisplayMode>& modes) {
    std::ostringstream out;
    for (const CDisplayMode& m : modes)
        out << m.nWidth << "x" << m.nHeight << "@" << m.nRefreshRate << " format " << m.nFormat << "; ";
    return out.str();
}

TEST_F(RenderDeviceDX9Start, DefaultAdapterListsEachFourThreeModeOncePerFormatInOrder) {
    ASSERT_EQ(InitWindowed(), 1);
    // The adapter offers 640x480 to 1600x1200 at three refresh rates in both formats, with
    // 1280x1024 and 1280x720 among them.
    const std::vector<CDisplayMode> expected = {
        {640, 480, 0, kFormatX8R8G8B8},   {640, 480, 0, kFormatR5G6B5},   {800, 600, 0, kFormatX8R8G8B8},
        {800, 600, 0, kFormatR5G6B5},     {1024, 768, 0, kFormatX8R8G8B8}, {1024, 768, 0, kFormatR5G6B5},
        {1152, 864, 0, kFormatX8R8G8B8},  {1152, 864, 0, kFormatR5G6B5},  {1280, 960, 0, kFormatX8R8G8B8},
        {1280, 960, 0, kFormatR5G6B5},    {1600, 1200, 0, kFormatX8R8G8B8}, {1600, 1200, 0, kFormatR5G6B5},
    };
    EXPECT_TRUE(SameModes(Modes(), expected)) << Describe(Modes());
}

TEST_F(RenderDeviceDX9Start, ModeListKeepsOnlyFourThreeModesOfAtLeast640x480) {
    struct Case {
        const char* name;
        std::vector<D3DDISPLAYMODE> adapter;
        std::vector<CDisplayMode> expected;
    };
    const Case cases[] = {
        {"three refresh rates in both formats make one record per format",
         {{800, 600, 60, D3DFMT_X8R8G8B8},
          {800, 600, 60, D3DFMT_R5G6B5},
          {800, 600, 75, D3DFMT_X8R8G8B8},
          {800, 600, 75, D3DFMT_R5G6B5},
          {800, 600, 85, D3DFMT_X8R8G8B8},
          {800, 600, 85, D3DFMT_R5G6B5}},
         {{800, 600, 0, kFormatX8R8G8B8}, {800, 600, 0, kFormatR5G6B5}}},
        {"1152x864 is kept and 1280x1024 is not; the list is sorted",
         {{1280, 1024, 60, D3DFMT_X8R8G8B8},
          {1152, 864, 60, D3DFMT_X8R8G8B8},
          {1024, 768, 70, D3DFMT_R5G6B5},
          {640, 480, 60, D3DFMT_X8R8G8B8},
          {1152, 864, 75, D3DFMT_R5G6B5},
          {1280, 1024, 60, D3DFMT_R5G6B5}},
         {{640, 480, 0, kFormatX8R8G8B8},
          {1024, 768, 0, kFormatR5G6B5},
          {1152, 864, 0, kFormatX8R8G8B8},
          {1152, 864, 0, kFormatR5G6B5}}},
        {"no 4:3 mode gives an empty list",
         {{1280, 1024, 60, D3DFMT_X8R8G8B8},
          {1280, 720, 60, D3DFMT_X8R8G8B8},
          {1920, 1080, 60, D3DFMT_R5G6B5},
          {1024, 600, 60, D3DFMT_R5G6B5}},
         {}},
        {"4:3 modes below 640x480 are left out",
         {{320, 240, 60, D3DFMT_X8R8G8B8}, {512, 384, 60, D3DFMT_R5G6B5}},
         {}},
        {"only the two start-up formats are asked for",
         {{1024, 768, 60, D3DFMT_A8R8G8B8}, {1024, 768, 60, D3DFMT_X1R5G5B5}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winapi::d3d::SetAdapterModes(c.adapter);
        ASSERT_EQ(InitWindowed(), 1);
        EXPECT_TRUE(SameModes(Modes(), c.expected)) << Describe(Modes());
        m_Device.Shutdown();
    }
}

// --- Start-up: present parameters ----------------------------------------------------------

TEST_F(RenderDeviceDX9Start, WindowedDeviceUsesTheDesktopFormatAndTheDepthBufferOfTheBits) {
    struct Case {
        D3DFORMAT desktop;
        uint32_t bits;
        D3DFORMAT depth;
        uint32_t engineDepth;
    };
    const Case cases[] = {
        {D3DFMT_X8R8G8B8, 32, D3DFMT_D24S8, kFormatD24S8},
        {D3DFMT_X8R8G8B8, 16, D3DFMT_D16, kFormatD16},
        {D3DFMT_R5G6B5, 16, D3DFMT_D16, kFormatD16},
        {D3DFMT_R5G6B5, 32, D3DFMT_D24S8, kFormatD24S8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("desktop format " + std::to_string(c.desktop) + ", " + std::to_string(c.bits) + " bits");
        winapi::d3d::SetDesktopMode(D3DDISPLAYMODE{1024, 768, 60, c.desktop});
        ASSERT_EQ(InitWindowed(c.bits), 1);
        const D3DPRESENT_PARAMETERS& p = m_Device.m_PresentParameters;
        EXPECT_TRUE(p.Windowed);
        EXPECT_EQ(p.BackBufferFormat, c.desktop);
        EXPECT_EQ(p.BackBufferCount, 1u);
        EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
        EXPECT_TRUE(p.EnableAutoDepthStencil);
        EXPECT_EQ(p.AutoDepthStencilFormat, c.depth);
        EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
        EXPECT_EQ(p.Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
        EXPECT_EQ(p.hDeviceWindow, m_Window.GetWindowHandle());
        EXPECT_EQ(m_Device.m_nDepthFormat, c.engineDepth);
        EXPECT_EQ(m_Device.m_nBitsPerPixel, c.bits);
        EXPECT_EQ(m_Device.m_bFullscreen, 0u);
        // The window decides the back buffer's size.
        const D3DPRESENT_PARAMETERS running = winapi::d3d::PresentParameters(m_Device.m_pDevice);
        EXPECT_EQ(running.BackBufferWidth, static_cast<UINT>(kWindowWidth));
        EXPECT_EQ(running.BackBufferHeight, static_cast<UINT>(kWindowHeight));
        EXPECT_EQ(running.BackBufferFormat, c.desktop);
        m_Device.Shutdown();
    }
}

TEST_F(RenderDeviceDX9Start, LockableBackBufferIsAskedForInsteadOfDiscardingDepth) {
    ASSERT_EQ(Init(kWindowWidth, kWindowHeight, 32, 0, 0, 1), 1);
    EXPECT_EQ(m_Device.m_PresentParameters.Flags, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
    EXPECT_EQ(m_Device.m_bLockableBackBuffer, 1u);
}

TEST_F(RenderDeviceDX9Start, FullScreenTakesTheListedModeOrFallsBackTo640x480) {
    struct Case {
        const char* name;
        uint32_t width, height, bits;
        int bVSync;
        uint32_t recordedWidth, recordedHeight, recordedBits;
        D3DFORMAT backBuffer;
        D3DFORMAT depth;
        uint32_t engineDepth;
        UINT interval;
    };
    const Case cases[] = {
        {"listed 32-bit mode", 800, 600, 32, 0, 800, 600, 32, D3DFMT_X8R8G8B8, D3DFMT_D24S8, kFormatD24S8,
         D3DPRESENT_INTERVAL_DEFAULT},
        {"listed 16-bit mode with vertical sync", 1024, 768, 16, 1, 1024, 768, 16, D3DFMT_R5G6B5, D3DFMT_D16,
         kFormatD16, D3DPRESENT_INTERVAL_ONE},
        {"unlisted 32-bit mode", 1280, 1024, 32, 0, 640, 480, 16, D3DFMT_X8R8G8B8, D3DFMT_D24S8, kFormatD24S8,
         D3DPRESENT_INTERVAL_DEFAULT},
        {"unlisted 16-bit mode", 1000, 750, 16, 0, 640, 480, 16, D3DFMT_R5G6B5, D3DFMT_D16, kFormatD16,
         D3DPRESENT_INTERVAL_DEFAULT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Init(c.width, c.height, c.bits, 1, c.bVSync), 1);
        EXPECT_EQ(m_Device.m_nWidth, c.recordedWidth);
        EXPECT_EQ(m_Device.m_nHeight, c.recordedHeight);
        EXPECT_EQ(m_Device.m_nBitsPerPixel, c.recordedBits);
        EXPECT_EQ(m_Device.m_bFullscreen, 1u);
        EXPECT_EQ(m_Device.m_nDepthFormat, c.engineDepth);
        const D3DPRESENT_PARAMETERS& p = m_Device.m_PresentParameters;
        EXPECT_FALSE(p.Windowed);
        EXPECT_EQ(p.BackBufferWidth, c.recordedWidth);
        EXPECT_EQ(p.BackBufferHeight, c.recordedHeight);
        EXPECT_EQ(p.BackBufferFormat, c.backBuffer);
        EXPECT_EQ(p.AutoDepthStencilFormat, c.depth);
        EXPECT_EQ(p.PresentationInterval, c.interval);
        Frame frame = ReadFrame();
        EXPECT_EQ(frame.width, static_cast<int>(c.recordedWidth));
        EXPECT_EQ(frame.height, static_cast<int>(c.recordedHeight));
        m_Device.Shutdown();
    }
}

TEST_F(RenderDeviceDX9Start, FullScreenFailsWithout640x480InTheWantedFormat) {
    struct Case {
        const char* name;
        std::vector<D3DDISPLAYMODE> adapter;
    };
    const Case cases[] = {
        {"640x480 only in 16 bits", {{640, 480, 60, D3DFMT_R5G6B5}, {800, 600, 60, D3DFMT_X8R8G8B8}}},
        {"no 4:3 mode at all", {{1280, 1024, 60, D3DFMT_X8R8G8B8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winapi::d3d::SetAdapterModes(c.adapter);
        EXPECT_EQ(Init(1024, 768, 32, 1), 0);
        EXPECT_EQ(m_Device.m_pDevice, nullptr);
        m_Device.Shutdown();
    }
}

TEST_F(RenderDeviceDX9Start, HardwareVertexProcessingFirstSoftwareWhenItFails) {
    struct Case {
        bool failHardware;
        DWORD flags;
    };
    const Case cases[] = {
        {false, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE},
        {true, D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failHardware ? "hardware refused" : "hardware offered");
        winapi::d3d::SetFailure(EFailure::kHardwareDevice, c.failHardware);
        ASSERT_EQ(InitWindowed(), 1);
        EXPECT_EQ(winapi::d3d::CreationFlags(m_Device.m_pDevice), c.flags);
        m_Device.Shutdown();
    }
}

TEST_F(RenderDeviceDX9Start, StartFailsWithoutDeviceOrDirect3D) {
    for (const EFailure failure : {EFailure::kAnyDevice, EFailure::kCreateObject}) {
        SCOPED_TRACE(static_cast<int>(failure));
        winapi::d3d::ClearFailures();
        winapi::d3d::SetFailure(failure, true);
        EXPECT_EQ(InitWindowed(), 0);
        EXPECT_EQ(m_Device.m_pDevice, nullptr);
        EXPECT_EQ(m_Device.m_pPoolPRC2T1, nullptr);
        // Nothing that needs a device does anything.
        EXPECT_EQ(m_Device.Clear(kClearTarget, 0, 1.0f, 0), 0);
        EXPECT_EQ(m_Device.CheckDevice(), 0);
        m_Device.Shutdown();
    }
}

TEST_F(RenderDeviceDX9Start, PoolsFollowTheConfiguredCounts) {
    ASSERT_EQ(Init(kWindowWidth, kWindowHeight, 32, 0, 0, 0, 0, 16, 0), 1);
    EXPECT_EQ(m_Device.m_pPoolPNT1, nullptr);
    EXPECT_EQ(m_Device.m_pPoolPRC2T1, nullptr);
    ASSERT_NE(m_Device.m_pPoolPCT2, nullptr);
    EXPECT_EQ(m_Device.m_pPoolPCT2->GetSize(), 16u * 32u);
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_Device.m_pDevice), 1);
    // Without the screen-vertex pool there is nothing to draw a 2D quad with.
    ASSERT_EQ(m_Device.BeginScene(), 1);
    EXPECT_EQ(m_Device.DrawQuad2D(0, 0, 0.5f, 10, 10, 0xFFFFFFFFu, 0, 0, 1, 1), 0);
    EXPECT_EQ(m_Device.EndScene(), 1);
}

TEST_F(RenderDeviceDX9Start, ViewportIsReadFromTheDeviceAtStart) {
    // Windowed, the back buffer has the window's size whatever size was asked for.
    ASSERT_EQ(Init(320, 240, 32, 0), 1);
    CRenderViewport viewport{};
    ASSERT_EQ(m_Device.GetViewport(&viewport), 1);
    EXPECT_EQ(viewport.X, 0u);
    EXPECT_EQ(viewport.Y, 0u);
    EXPECT_EQ(viewport.Width, static_cast<uint32_t>(kWindowWidth));
    EXPECT_EQ(viewport.Height, static_cast<uint32_t>(kWindowHeight));
    EXPECT_EQ(viewport.MinZ, 0.0f);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
}

TEST_F(RenderDeviceDX9Start, StartSetsTheColourByteOrderToARGB) {
    g_nColorByteOrder = 1;
    ASSERT_EQ(InitWindowed(), 1);
    EXPECT_EQ(g_nColorByteOrder, 0);
}

TEST_F(RenderDeviceDX9, StartSetsLinearFilteringAndFirstCoordinatesOnEveryStage) {
    for (DWORD stage = 0; stage < 8; ++stage) {
        SCOPED_TRACE(stage);
        DWORD value = 0;
        for (const D3DSAMPLERSTATETYPE type : {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER, D3DSAMP_MIPFILTER}) {
            ASSERT_EQ(m_Device.m_pDevice->GetSamplerState(stage, type, &value), D3D_OK);
            EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR)) << "sampler state " << type;
        }
        ASSERT_EQ(m_Device.m_pDevice->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &value), D3D_OK);
        EXPECT_EQ(value, 0u);
    }
}

TEST_F(RenderDeviceDX9, StartMakesTheThreeDynamicPools) {
    struct Case {
        CVertexBuffer* pool;
        uint32_t count;
        uint32_t format;
    };
    const Case cases[] = {
        {m_Device.m_pPoolPNT1, kPNT1Count, 0x112},
        {m_Device.m_pPoolPCT2, kPCT2Count, 0x242},
        {m_Device.m_pPoolPRC2T1, kPRC2T1Count, 0x1c4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(c.format));
        ASSERT_NE(c.pool, nullptr);
        EXPECT_EQ(c.pool->GetSize(), c.count * 32u);
        EXPECT_EQ(c.pool->GetFormat(), c.format);
        EXPECT_EQ(c.pool->GetPool(), static_cast<uint32_t>(kPoolDefault));
        EXPECT_EQ(c.pool->GetUsage(), 0x208u);
        EXPECT_NE(c.pool->GetHandle(), 0u);
    }
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_Device.m_pDevice), 3);
}

// --- Engine codes to Direct3D values ---------------------------------------------------------

const std::vector<DWORD> kDepthBufferValues = {D3DZB_FALSE, D3DZB_TRUE, D3DZB_USEW};
const std::vector<DWORD> kFillValues = {D3DFILL_POINT, D3DFILL_WIREFRAME, D3DFILL_SOLID};
const std::vector<DWORD> kShadeValues = {D3DSHADE_FLAT, D3DSHADE_GOURAUD, D3DSHADE_PHONG};
const std::vector<DWORD> kBlendValues = {
    D3DBLEND_ZERO,         D3DBLEND_ONE,           D3DBLEND_SRCCOLOR,     D3DBLEND_INVSRCCOLOR, D3DBLEND_SRCALPHA,
    D3DBLEND_INVSRCALPHA,  D3DBLEND_DESTALPHA,     D3DBLEND_INVDESTALPHA, D3DBLEND_DESTCOLOR,   D3DBLEND_INVDESTCOLOR,
    D3DBLEND_SRCALPHASAT,  D3DBLEND_BOTHSRCALPHA,  D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_BLENDFACTOR,
    D3DBLEND_INVBLENDFACTOR};
const std::vector<DWORD> kCullValues = {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW};
const std::vector<DWORD> kCompareValues = {D3DCMP_NEVER,   D3DCMP_LESS,     D3DCMP_EQUAL,        D3DCMP_LESSEQUAL,
                                           D3DCMP_GREATER, D3DCMP_NOTEQUAL, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS};
const std::vector<DWORD> kStencilOpValues = {D3DSTENCILOP_KEEP,    D3DSTENCILOP_ZERO,    D3DSTENCILOP_REPLACE,
                                             D3DSTENCILOP_INCRSAT, D3DSTENCILOP_DECRSAT, D3DSTENCILOP_INVERT,
                                             D3DSTENCILOP_INCR,    D3DSTENCILOP_DECR};
const std::vector<DWORD> kFogValues = {D3DFOG_NONE, D3DFOG_EXP, D3DFOG_EXP2, D3DFOG_LINEAR};
const std::vector<DWORD> kPassedUnchanged = {};

struct RenderStateCase {
    uint32_t code;
    D3DRENDERSTATETYPE state;
    const std::vector<DWORD>& family;  // empty: the value passes unchanged
};

const RenderStateCase kRenderStateCases[] = {
    {kRenderDepthTest, D3DRS_ZENABLE, kDepthBufferValues},
    {kRenderFillMode, D3DRS_FILLMODE, kFillValues},
    {kRenderShadeMode, D3DRS_SHADEMODE, kShadeValues},
    {kRenderDepthWrite, D3DRS_ZWRITEENABLE, kDepthBufferValues},
    {kRenderAlphaTestEnable, D3DRS_ALPHATESTENABLE, kPassedUnchanged},
    {kRenderLastPixel, D3DRS_LASTPIXEL, kPassedUnchanged},
    {kRenderSourceBlend, D3DRS_SRCBLEND, kBlendValues},
    {kRenderDestinationBlend, D3DRS_DESTBLEND, kBlendValues},
    {kRenderCullMode, D3DRS_CULLMODE, kCullValues},
    {kRenderDepthCompare, D3DRS_ZFUNC, kCompareValues},
    {kRenderAlphaReference, D3DRS_ALPHAREF, kPassedUnchanged},
    {kRenderAlphaCompare, D3DRS_ALPHAFUNC, kCompareValues},
    {kRenderDitherEnable, D3DRS_DITHERENABLE, kPassedUnchanged},
    {kRenderAlphaBlendEnable, D3DRS_ALPHABLENDENABLE, kPassedUnchanged},
    {kRenderFogEnable, D3DRS_FOGENABLE, kPassedUnchanged},
    {kRenderSpecularEnable, D3DRS_SPECULARENABLE, kPassedUnchanged},
    {kRenderFogColor, D3DRS_FOGCOLOR, kPassedUnchanged},
    {kRenderFogTableMode, D3DRS_FOGTABLEMODE, kFogValues},
    {kRenderFogStart, D3DRS_FOGSTART, kPassedUnchanged},
    {kRenderFogEnd, D3DRS_FOGEND, kPassedUnchanged},
    {kRenderFogDensity, D3DRS_FOGDENSITY, kPassedUnchanged},
    {kRenderRangeFogEnable, D3DRS_RANGEFOGENABLE, kPassedUnchanged},
    {kRenderStencilEnable, D3DRS_STENCILENABLE, kPassedUnchanged},
    {kRenderStencilFail, D3DRS_STENCILFAIL, kStencilOpValues},
    {kRenderStencilDepthFail, D3DRS_STENCILZFAIL, kStencilOpValues},
    {kRenderStencilPass, D3DRS_STENCILPASS, kStencilOpValues},
    {kRenderStencilCompare, D3DRS_STENCILFUNC, kCompareValues},
    {kRenderStencilReference, D3DRS_STENCILREF, kPassedUnchanged},
    {kRenderStencilMask, D3DRS_STENCILMASK, kPassedUnchanged},
    {kRenderStencilWriteMask, D3DRS_STENCILWRITEMASK, kPassedUnchanged},
    {kRenderTextureFactor, D3DRS_TEXTUREFACTOR, kPassedUnchanged},
    {kRenderLighting, D3DRS_LIGHTING, kPassedUnchanged},
};

// Values that pass unchanged: distinct from each other and from every layer default.
const DWORD kArbitraryValues[] = {0x5A5A1234u, 0u, 0x3F000000u};

// The (engine value, Direct3D value) pairs to try for a state of the given value family.
std::vector<std::pair<uint32_t, DWORD>> ValueSteps(const std::vector<DWORD>& family) {
    std::vector<std::pair<uint32_t, DWORD>> steps;
    if (family.empty()) {
        for (const DWORD value : kArbitraryValues)
            steps.emplace_back(value, value);
    } else {
        for (uint32_t value = 0; value < family.size(); ++value)
            steps.emplace_back(value, family[value]);
    }
    return steps;
}

TEST_F(RenderDeviceDX9, EveryAppliedRenderStateReachesItsDirect3DStateAndValue) {
    for (const RenderStateCase& c : kRenderStateCases) {
        SCOPED_TRACE("render state code " + std::to_string(c.code));
        for (const auto& [value, expected] : ValueSteps(c.family)) {
            SCOPED_TRACE("value " + std::to_string(value));
            DeviceStates want = ReadStates(m_Device.m_pDevice);
            want.render[c.state] = expected;
            EXPECT_EQ(m_Device.SetRenderState(c.code, value), 1);
            EXPECT_EQ(StateDifferences(want, ReadStates(m_Device.m_pDevice)), "");
        }
    }
}

TEST_F(RenderDeviceDX9, RenderStateValueOutsideItsFamilyIsNotApplied) {
    for (const RenderStateCase& c : kRenderStateCases) {
        if (c.family.empty())
            continue;
        SCOPED_TRACE("render state code " + std::to_string(c.code));
        const DeviceStates before = ReadStates(m_Device.m_pDevice);
        for (const uint32_t value : {static_cast<uint32_t>(c.family.size()), 0xFFFFFFFFu}) {
            EXPECT_EQ(m_Device.SetRenderState(c.code, value), 1);
            EXPECT_EQ(StateDifferences(before, ReadStates(m_Device.m_pDevice)), "") << "value " << value;
        }
    }
}

TEST_F(RenderDeviceDX9, WrapClippingAndLaterRenderStatesAreNotApplied) {
    const DeviceStates defaults = ReadStates(m_Device.m_pDevice);
    std::vector<uint32_t> codes;
    for (uint32_t code = kRenderWrap0; code <= kRenderClipping; ++code)
        codes.push_back(code);
    for (uint32_t code = kRenderAmbient; code < kRenderStateCount; ++code)
        codes.push_back(code);
    codes.push_back(kRenderStateCount);
    codes.push_back(1000);
    codes.push_back(0xFFFFFFFFu);
    for (const uint32_t code : codes) {
        for (const uint32_t value : {0u, 1u, 2u, 0x12345u}) {
            EXPECT_EQ(m_Device.SetRenderState(code, value), 1) << "code " << code;
            EXPECT_EQ(StateDifferences(defaults, ReadStates(m_Device.m_pDevice)), "")
                << "code " << code << " value " << value;
        }
    }
}

const std::vector<DWORD> kTextureOpValues = {D3DTOP_DISABLE,
                                             D3DTOP_SELECTARG1,
                                             D3DTOP_SELECTARG2,
                                             D3DTOP_MODULATE,
                                             D3DTOP_MODULATE2X,
                                             D3DTOP_MODULATE4X,
                                             D3DTOP_ADD,
                                             D3DTOP_ADDSIGNED,
                                             D3DTOP_ADDSIGNED2X,
                                             D3DTOP_SUBTRACT,
                                             D3DTOP_ADDSMOOTH,
                                             D3DTOP_BLENDDIFFUSEALPHA,
                                             D3DTOP_BLENDTEXTUREALPHA,
                                             D3DTOP_BLENDFACTORALPHA,
                                             D3DTOP_BLENDTEXTUREALPHAPM,
                                             D3DTOP_BLENDCURRENTALPHA,
                                             D3DTOP_PREMODULATE,
                                             D3DTOP_MODULATEALPHA_ADDCOLOR,
                                             D3DTOP_MODULATECOLOR_ADDALPHA,
                                             D3DTOP_MODULATEINVALPHA_ADDCOLOR,
                                             D3DTOP_MODULATEINVCOLOR_ADDALPHA,
                                             D3DTOP_BUMPENVMAP,
                                             D3DTOP_BUMPENVMAPLUMINANCE,
                                             D3DTOP_DOTPRODUCT3,
                                             D3DTOP_MULTIPLYADD,
                                             D3DTOP_LERP};
const std::vector<DWORD> kAddressValues = {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER,
                                           D3DTADDRESS_MIRRORONCE};
const std::vector<DWORD> kFilterValues = {D3DTEXF_NONE,        D3DTEXF_POINT,  D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC,
                                          D3DTEXF_PYRAMIDALQUAD, D3DTEXF_GAUSSIANQUAD};
const std::vector<DWORD> kTransformFlagValues = {D3DTTFF_DISABLE, D3DTTFF_COUNT1, D3DTTFF_COUNT2,
                                                 D3DTTFF_COUNT3,  D3DTTFF_COUNT4, D3DTTFF_PROJECTED};

struct StageStateCase {
    uint32_t code;
    bool sampler;
    DWORD type;  // D3DTEXTURESTAGESTATETYPE or D3DSAMPLERSTATETYPE
    const std::vector<DWORD>& family;
};

const StageStateCase kStageStateCases[] = {
    {kStageColorOperation, false, D3DTSS_COLOROP, kTextureOpValues},
    {kStageColorArgument1, false, D3DTSS_COLORARG1, kPassedUnchanged},
    {kStageColorArgument2, false, D3DTSS_COLORARG2, kPassedUnchanged},
    {kStageAlphaOperation, false, D3DTSS_ALPHAOP, kTextureOpValues},
    {kStageAlphaArgument1, false, D3DTSS_ALPHAARG1, kPassedUnchanged},
    {kStageAlphaArgument2, false, D3DTSS_ALPHAARG2, kPassedUnchanged},
    {kStageBumpMatrix00, false, D3DTSS_BUMPENVMAT00, kPassedUnchanged},
    {kStageBumpMatrix01, false, D3DTSS_BUMPENVMAT01, kPassedUnchanged},
    {kStageBumpMatrix10, false, D3DTSS_BUMPENVMAT10, kPassedUnchanged},
    {kStageBumpMatrix11, false, D3DTSS_BUMPENVMAT11, kPassedUnchanged},
    {kStageTexCoordIndex, false, D3DTSS_TEXCOORDINDEX, kPassedUnchanged},
    {kStageAddressU, true, D3DSAMP_ADDRESSU, kAddressValues},
    {kStageAddressV, true, D3DSAMP_ADDRESSV, kAddressValues},
    {kStageBorderColor, true, D3DSAMP_BORDERCOLOR, kPassedUnchanged},
    {kStageMagFilter, true, D3DSAMP_MAGFILTER, kFilterValues},
    {kStageMinFilter, true, D3DSAMP_MINFILTER, kFilterValues},
    {kStageMipFilter, true, D3DSAMP_MIPFILTER, kFilterValues},
    {kStageMipLodBias, true, D3DSAMP_MIPMAPLODBIAS, kPassedUnchanged},
    {kStageMaxMipLevel, true, D3DSAMP_MAXMIPLEVEL, kPassedUnchanged},
    {kStageMaxAnisotropy, true, D3DSAMP_MAXANISOTROPY, kPassedUnchanged},
    {kStageBumpLuminanceScale, false, D3DTSS_BUMPENVLSCALE, kPassedUnchanged},
    {kStageBumpLuminanceOffset, false, D3DTSS_BUMPENVLOFFSET, kPassedUnchanged},
    {kStageTextureTransformFlags, false, D3DTSS_TEXTURETRANSFORMFLAGS, kTransformFlagValues},
    {kStageAddressW, true, D3DSAMP_ADDRESSW, kAddressValues},
    {kStageColorArgument0, false, D3DTSS_COLORARG0, kPassedUnchanged},
    {kStageAlphaArgument0, false, D3DTSS_ALPHAARG0, kPassedUnchanged},
    {kStageResultArgument, false, D3DTSS_RESULTARG, kPassedUnchanged},
};

TEST_F(RenderDeviceDX9, EveryStageCodeReachesItsStageOrSamplerStateOnThatStageOnly) {
    for (const DWORD stage : {0u, 3u, 7u}) {
        for (const StageStateCase& c : kStageStateCases) {
            SCOPED_TRACE("stage " + std::to_string(stage) + ", code " + std::to_string(c.code));
            for (const auto& [value, expected] : ValueSteps(c.family)) {
                SCOPED_TRACE("value " + std::to_string(value));
                DeviceStates want = ReadStates(m_Device.m_pDevice);
                if (c.sampler)
                    want.SetSampler(stage, c.type, expected);
                else
                    want.SetStage(stage, c.type, expected);
                EXPECT_EQ(m_Device.SetTextureStageState(stage, c.code, value), 1);
                EXPECT_EQ(StateDifferences(want, ReadStates(m_Device.m_pDevice)), "");
            }
        }
    }
}

TEST_F(RenderDeviceDX9, AddressCodeSetsTheSamplerNotTheCoordinateIndex) {
    EXPECT_EQ(m_Device.SetTextureStageState(2, kStageAddressU, kAddressClamp), 1);
    DWORD value = 0;
    m_Device.m_pDevice->GetSamplerState(2, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_CLAMP));
    // Direct3D's texture-stage state of the same number is the coordinate index.
    m_Device.m_pDevice->GetTextureStageState(2, D3DTSS_TEXCOORDINDEX, &value);
    EXPECT_EQ(value, 0u);
}

TEST_F(RenderDeviceDX9, StageValuesOutsideTheirFamilyAndUnknownStageCodesAreNotApplied) {
    const DeviceStates before = ReadStates(m_Device.m_pDevice);
    for (const StageStateCase& c : kStageStateCases) {
        if (c.family.empty())
            continue;
        const uint32_t value = static_cast<uint32_t>(c.family.size());
        EXPECT_EQ(m_Device.SetTextureStageState(1, c.code, value), 1);
        EXPECT_EQ(StateDifferences(before, ReadStates(m_Device.m_pDevice)), "") << "code " << c.code << " value " << value;
    }
    for (const uint32_t code : {static_cast<uint32_t>(kStageStateCount), 28u, 64u, 0xFFFFFFFFu}) {
        EXPECT_EQ(m_Device.SetTextureStageState(1, code, 1), 1);
        EXPECT_EQ(StateDifferences(before, ReadStates(m_Device.m_pDevice)), "") << "code " << code;
    }
}

// --- Transforms -------------------------------------------------------------------------------

TEST_F(RenderDeviceDX9, ViewProjectionAndWorldGoStraightToTheDevice) {
    const struct {
        uint32_t kind;
        D3DTRANSFORMSTATETYPE state;
    } cases[] = {{0, D3DTS_VIEW}, {1, D3DTS_PROJECTION}, {2, D3DTS_WORLD}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const CMatrix m = Numbered(10.0f * static_cast<float>(c.kind + 1));
        EXPECT_EQ(m_Device.SetTransform(c.kind, &m), 1);
        D3DMATRIX onDevice{};
        ASSERT_EQ(m_Device.m_pDevice->GetTransform(c.state, &onDevice), D3D_OK);
        EXPECT_EQ(Elements(onDevice), Elements(m));
        CMatrix back;
        ASSERT_EQ(m_Device.GetTransform(c.kind, &back), 1);
        EXPECT_EQ(Elements(back), Elements(m));
    }
}

TEST_F(RenderDeviceDX9, TextureTransformMovesTheTranslationToTheThirdRowOnTheDevice) {
    // A translation of (0.25, 0.5) for two-component coordinates, as the shaders give it.
    CMatrix scroll;
    scroll.SetTranslation(0.25f, 0.5f, 0.0f);
    ASSERT_EQ(m_Device.SetTransform(kTransformTexture0, &scroll), 1);
    D3DMATRIX onDevice{};
    ASSERT_EQ(m_Device.m_pDevice->GetTransform(D3DTS_TEXTURE0, &onDevice), D3D_OK);
    const std::vector<float> expected = {1, 0, 0, 0, 0, 1, 0, 0, 0.25f, 0.5f, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(Elements(onDevice), expected);
    CMatrix back;
    ASSERT_EQ(m_Device.GetTransform(kTransformTexture0, &back), 1);
    EXPECT_EQ(Elements(back), Elements(scroll));
}

TEST_F(RenderDeviceDX9, EveryTextureTransformKindReachesItsStageRewrittenAndIsReturnedAsGiven) {
    for (uint32_t kind = 3; kind <= 10; ++kind) {
        SCOPED_TRACE(kind);
        const CMatrix m = Numbered(100.0f * static_cast<float>(kind));
        EXPECT_EQ(m_Device.SetTransform(kind, &m), 1);
    }
    for (uint32_t kind = 3; kind <= 10; ++kind) {
        SCOPED_TRACE(kind);
        const CMatrix m = Numbered(100.0f * static_cast<float>(kind));
        std::vector<float> expected = Elements(m);
        expected[8] = m.m_f[12];
        expected[9] = m.m_f[13];
        expected[12] = 0.0f;
        expected[13] = 0.0f;
        D3DMATRIX onDevice{};
        ASSERT_EQ(m_Device.m_pDevice->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + kind - 3),
                                                   &onDevice),
                  D3D_OK);
        EXPECT_EQ(Elements(onDevice), expected);
        CMatrix back;
        ASSERT_EQ(m_Device.GetTransform(kind, &back), 1);
        EXPECT_EQ(Elements(back), Elements(m));
    }
}

TEST_F(RenderDeviceDX9, TransformKindsAbove10AreRefusedAndTouchNothing) {
    std::vector<std::vector<float>> before;
    const D3DTRANSFORMSTATETYPE states[] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_WORLD};
    auto all = [&] {
        std::vector<std::vector<float>> out;
        D3DMATRIX m{};
        for (const D3DTRANSFORMSTATETYPE state : states) {
            m_Device.m_pDevice->GetTransform(state, &m);
            out.push_back(Elements(m));
        }
        for (DWORD stage = 0; stage < 8; ++stage) {
            m_Device.m_pDevice->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &m);
            out.push_back(Elements(m));
        }
        return out;
    };
    before = all();
    const CMatrix m = Numbered(7.0f);
    for (const uint32_t kind : {11u, 12u, 0xFFFFFFFFu}) {
        EXPECT_EQ(m_Device.SetTransform(kind, &m), 0) << kind;
        CMatrix out = Numbered(-1.0f);
        EXPECT_EQ(m_Device.GetTransform(kind, &out), 0) << kind;
    }
    EXPECT_EQ(all(), before);
}

// --- Lights, viewport, material ---------------------------------------------------------------

CLight SampleLight(uint32_t type) {
    CLight light{};
    light.nType = type;
    light.Diffuse = CColorValue{0.5f, 0.25f, 0.125f, 1.0f};
    light.Specular = CColorValue{0.1f, 0.2f, 0.3f, 0.4f};
    light.Ambient = CColorValue{0.05f, 0.06f, 0.07f, 0.08f};
    light.vPosition = CVector3(1.0f, 2.0f, 3.0f);
    light.vDirection = CVector3(0.0f, -1.0f, 0.0f);
    light.fRange = 50.0f;
    light.fFalloff = 1.5f;
    light.fAttenuation0 = 1.0f;
    light.fAttenuation1 = 0.1f;
    light.fAttenuation2 = 0.01f;
    light.fTheta = 0.3f;
    light.fPhi = 0.6f;
    return light;
}

TEST_F(RenderDeviceDX9, LightTypeGoesThroughItsTableWhileTheCacheKeepsTheEngineCode) {
    const struct {
        uint32_t type;
        D3DLIGHTTYPE d3dType;
    } cases[] = {{kLightPoint, D3DLIGHT_POINT}, {kLightSpot, D3DLIGHT_SPOT}, {kLightDirectional, D3DLIGHT_DIRECTIONAL}};
    for (const uint32_t index : {0u, 7u}) {
        for (const auto& c : cases) {
            SCOPED_TRACE("light " + std::to_string(index) + ", type " + std::to_string(c.type));
            const CLight light = SampleLight(c.type);
            ASSERT_EQ(m_Device.SetLight(index, &light), 1);
            D3DLIGHT9 onDevice{};
            ASSERT_EQ(m_Device.m_pDevice->GetLight(index, &onDevice), D3D_OK);
            EXPECT_EQ(onDevice.Type, c.d3dType);
            // Everything after the type is passed as it is.
            EXPECT_EQ(memcmp(reinterpret_cast<const uint8_t*>(&onDevice) + 4, reinterpret_cast<const uint8_t*>(&light) + 4,
                             sizeof(CLight) - 4),
                      0);
            CLight cached{};
            ASSERT_EQ(m_Device.GetLight(index, &cached), 1);
            EXPECT_EQ(cached.nType, c.type);
            EXPECT_EQ(memcmp(&cached, &light, sizeof(CLight)), 0);
        }
    }
}

TEST_F(RenderDeviceDX9, LightsBeyondTheEighthOrWithoutARecordAreRefused) {
    const CLight light = SampleLight(kLightPoint);
    CLight out{};
    int enabled = 0;
    EXPECT_EQ(m_Device.SetLight(8, &light), 0);
    EXPECT_EQ(m_Device.SetLight(0, nullptr), 0);
    EXPECT_EQ(m_Device.GetLight(8, &out), 0);
    EXPECT_EQ(m_Device.GetLight(0, nullptr), 0);
    EXPECT_EQ(m_Device.LightEnable(8, 1), 0);
    EXPECT_EQ(m_Device.GetLightEnable(8, &enabled), 0);
    D3DLIGHT9 onDevice{};
    EXPECT_NE(m_Device.m_pDevice->GetLight(8, &onDevice), D3D_OK);
}

TEST_F(RenderDeviceDX9, LightEnableReachesTheDeviceAndIsReadBack) {
    const int requests[8] = {1, 0, 5, 0, 0, 1, 1, 0};
    for (uint32_t index = 0; index < 8; ++index)
        ASSERT_EQ(m_Device.LightEnable(index, requests[index]), 1);
    for (uint32_t index = 0; index < 8; ++index) {
        SCOPED_TRACE(index);
        BOOL onDevice = -1;
        ASSERT_EQ(m_Device.m_pDevice->GetLightEnable(index, &onDevice), D3D_OK);
        EXPECT_EQ(onDevice != FALSE, requests[index] != 0);
        int enabled = -1;
        ASSERT_EQ(m_Device.GetLightEnable(index, &enabled), 1);
        EXPECT_EQ(enabled != 0, requests[index] != 0);
    }
    // Switched off again.
    ASSERT_EQ(m_Device.LightEnable(2, 0), 1);
    int enabled = -1;
    ASSERT_EQ(m_Device.GetLightEnable(2, &enabled), 1);
    EXPECT_EQ(enabled, 0);
}

TEST_F(RenderDeviceDX9, ViewportIsCachedAndPassedOn) {
    const CRenderViewport viewport{10, 20, 100, 50, 0.25f, 0.75f};
    ASSERT_EQ(m_Device.SetViewport(&viewport), 1);
    D3DVIEWPORT9 onDevice{};
    ASSERT_EQ(m_Device.m_pDevice->GetViewport(&onDevice), D3D_OK);
    EXPECT_EQ(onDevice.X, 10u);
    EXPECT_EQ(onDevice.Y, 20u);
    EXPECT_EQ(onDevice.Width, 100u);
    EXPECT_EQ(onDevice.Height, 50u);
    EXPECT_EQ(onDevice.MinZ, 0.25f);
    EXPECT_EQ(onDevice.MaxZ, 0.75f);
    CRenderViewport back{};
    ASSERT_EQ(m_Device.GetViewport(&back), 1);
    EXPECT_EQ(memcmp(&back, &viewport, sizeof viewport), 0);
    EXPECT_EQ(m_Device.SetViewport(nullptr), 0);
    EXPECT_EQ(m_Device.GetViewport(nullptr), 0);
}

TEST_F(RenderDeviceDX9, MaterialReachesTheDeviceAndIsReadBackIntoTheCallersRecord) {
    const CMaterial material{{0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 1.0f, 0.0f, 0.5f},
                             {0.25f, 0.125f, 0.0625f, 1.0f}, 12.0f};
    ASSERT_EQ(m_Device.SetMaterial(&material), 1);
    D3DMATERIAL9 onDevice{};
    ASSERT_EQ(m_Device.m_pDevice->GetMaterial(&onDevice), D3D_OK);
    EXPECT_EQ(memcmp(&onDevice, &material, sizeof material), 0);
    CMaterial back;
    memset(&back, 0xCD, sizeof back);
    ASSERT_EQ(m_Device.GetMaterial(&back), 1);
    EXPECT_EQ(memcmp(&back, &material, sizeof material), 0);
    EXPECT_EQ(m_Device.SetMaterial(nullptr), 0);
    EXPECT_EQ(m_Device.GetMaterial(nullptr), 0);
}

// --- Handle tables ----------------------------------------------------------------------------

TEST_F(RenderDeviceDX9, ReleasedTextureSlotIsGivenOutAgain) {
    CTexture2D* first = MakeTexture(4, 4, 0, kFormatA8R8G8B8);
    CTexture2D* second = MakeTexture(4, 4, 0, kFormatA8R8G8B8);
    CTexture2D* third = MakeTexture(4, 4, 0, kFormatA8R8G8B8);
    EXPECT_EQ(first->GetHandle(), 1u);
    EXPECT_EQ(second->GetHandle(), 2u);
    EXPECT_EQ(third->GetHandle(), 3u);
    Destroy(first);
    Destroy(third);
    // The most recently freed slot first.
    EXPECT_EQ(MakeTexture(4, 4, 0, kFormatA8R8G8B8)->GetHandle(), 3u);
    CTexture2D* reused = MakeTexture(8, 8, 0, kFormatA8R8G8B8, Pattern(8, 8, 4));
    EXPECT_EQ(reused->GetHandle(), 1u);
    EXPECT_EQ(MakeTexture(4, 4, 0, kFormatA8R8G8B8)->GetHandle(), 4u);
    EXPECT_EQ(m_Device.m_pTextures->size(), 4u);
    // The reused record belongs to its new owner only.
    EXPECT_EQ(Record(reused).owner, reused);
    EXPECT_EQ(Record(reused).bUploaded, 0u);
    EXPECT_EQ(Record(reused).texture, nullptr);
    EXPECT_EQ(reused->Unlock(1), 1);
    EXPECT_EQ(Record(reused).bUploaded, 1u);
}

TEST_F(RenderDeviceDX9, BufferSlotsAreNeverGivenOutTwice) {
    const size_t vertexRecords = m_Device.m_pVertexBuffers->size();
    CVertexBuffer* vertices = MakeVertexBuffer(64, kScreenVertexFormat, kPoolManaged);
    const uint32_t vertexHandle = vertices->GetHandle();
    EXPECT_EQ(vertexHandle, vertexRecords + 1);
    Destroy(vertices);
    EXPECT_EQ((*m_Device.m_pVertexBuffers)[vertexHandle - 1].buffer, nullptr);
    EXPECT_EQ(MakeVertexBuffer(64, kScreenVertexFormat, kPoolManaged)->GetHandle(), vertexHandle + 1);

    CIndexBuffer* indices = MakeIndexBuffer(12);
    const uint32_t indexHandle = indices->GetHandle();
    EXPECT_EQ(indexHandle, 1u);
    Destroy(indices);
    EXPECT_EQ((*m_Device.m_pIndexBuffers)[indexHandle - 1].buffer, nullptr);
    EXPECT_EQ(MakeIndexBuffer(12)->GetHandle(), 2u);
}

TEST_F(RenderDeviceDX9, HandleZeroAndHandlesBeyondTheTablesAreNone) {
    CVertexBuffer* vertices = MakeVertexBuffer(64, kScreenVertexFormat, kPoolManaged);
    CIndexBuffer* indices = MakeIndexBuffer(12);
    const uint32_t beyondVertices = static_cast<uint32_t>(m_Device.m_pVertexBuffers->size()) + 1;
    const uint32_t beyondIndices = static_cast<uint32_t>(m_Device.m_pIndexBuffers->size()) + 1;
    void* data = nullptr;
    for (const uint32_t handle : {0u, beyondVertices, 0xFFFFFFFFu}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(m_Device.LockVertexBuffer(handle, 0, 0, &data, 0), 0);
        EXPECT_EQ(m_Device.UnlockVertexBuffer(handle), 0);
        m_Device.ReleaseVertexBuffer(handle);
    }
    for (const uint32_t handle : {0u, beyondIndices, 0xFFFFFFFFu}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(m_Device.LockIndexBuffer(handle, 0, 0, &data, 0), 0);
        EXPECT_EQ(m_Device.UnlockIndexBuffer(handle), 0);
        m_Device.ReleaseIndexBuffer(handle);
    }
    const std::vector<uint8_t> pixels = Pattern(4, 4, 4);
    for (const uint32_t handle : {0u, 1u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(m_Device.CreateTexture(handle, 4, 4, 0, 0, kFormatA8R8G8B8, 0, pixels.data(), 1), 0);
        m_Device.ReleaseTexture(handle);
    }
    // Nothing was freed by those releases: the real resources still work and a new texture
    // takes a new slot.
    EXPECT_EQ(vertices->Lock(0, 0, &data, 0), 1);
    EXPECT_EQ(vertices->Unlock(), 1);
    EXPECT_EQ(indices->Lock(0, 0, &data, 0), 1);
    EXPECT_EQ(indices->Unlock(), 1);
    EXPECT_TRUE(m_Device.m_pFreeTextureSlots->empty());
    EXPECT_EQ(MakeTexture(4, 4, 0, kFormatA8R8G8B8)->GetHandle(), 1u);
    EXPECT_EQ(MakeTexture(4, 4, 0, kFormatA8R8G8B8)->GetHandle(), 2u);
    // A texture without a handle binds as none.
    CTexture2D unregistered;
    EXPECT_EQ(m_Device.SetTexture(0, &unregistered), 1);
}

// --- Texture upload ---------------------------------------------------------------------------

TEST_F(RenderDeviceDX9, UnlockUploadsTheTexture) {
    ASSERT_EQ(m_Device.Present(), 1);
    ASSERT_EQ(m_Device.Present(), 1);
    CTexture2D* texture = MakeTexture(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));
    EXPECT_EQ(Record(texture).bUploaded, 0u);
    EXPECT_EQ(Record(texture).texture, nullptr);
    ASSERT_EQ(texture->Unlock(1), 1);
    const CRenderDeviceDX9::TextureRecord& record = Record(texture);
    EXPECT_EQ(record.owner, texture);
    EXPECT_EQ(record.bUploaded, 1u);
    ASSERT_NE(record.texture, nullptr);
    EXPECT_EQ(record.nLastUse, 2u);
    EXPECT_EQ(record.nChainSize, (16u + 4u + 1u) * 4u);
    EXPECT_EQ(ReadLevel(record.texture, 0).bytes, SwapRedBlue(Pattern(4, 4, 4)));
}

TEST_F(RenderDeviceDX9, TextureOfSizeNotAPowerOfTwoStaysNotUploadedAndEveryBindTriesAgain) {
    auto* texture = MakeTexture<CCountingTexture>(3, 4, 0, kFormatA8R8G8B8, Pattern(3, 4, 4));
    EXPECT_EQ(texture->Unlock(1), 0);
    EXPECT_EQ(Record(texture).bUploaded, 0u);
    EXPECT_EQ(Record(texture).texture, nullptr);
    const int unlocks = texture->m_nUnlocks;
    for (int bind = 1; bind <= 3; ++bind) {
        ASSERT_EQ(m_Device.Present(), 1);
        EXPECT_EQ(m_Device.SetTexture(0, texture), 1);
        EXPECT_EQ(texture->m_nUnlocks, unlocks + bind);
        EXPECT_EQ(Record(texture).bUploaded, 0u);
        EXPECT_EQ(Record(texture).texture, nullptr);
        EXPECT_EQ(Record(texture).nLastUse, m_Device.m_nFrame);
    }
}

TEST_F(RenderDeviceDX9, UploadedTextureIsNotUploadedAgainWhenBound) {
    auto* texture = MakeTexture<CCountingTexture>(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));
    ASSERT_EQ(texture->Unlock(1), 1);
    IDirect3DTexture9* uploaded = Record(texture).texture;
    const int unlocks = texture->m_nUnlocks;
    ASSERT_EQ(m_Device.Present(), 1);
    EXPECT_EQ(m_Device.SetTexture(0, texture), 1);
    EXPECT_EQ(m_Device.SetTexture(1, texture), 1);
    EXPECT_EQ(texture->m_nUnlocks, unlocks);
    EXPECT_EQ(Record(texture).texture, uploaded);
    EXPECT_EQ(Record(texture).nLastUse, 1u);
}

TEST_F(RenderDeviceDX9, TextureThatFailedToUploadOnUnlockIsUploadedWhenFirstBound) {
    CTexture2D* texture = MakeTexture(2, 2, 0, kFormatA8R8G8B8, QuadrantPixels());
    // Memory runs out with nothing else to make room from.
    winapi::d3d::SetOutOfVideoMemory(1);
    EXPECT_EQ(texture->Unlock(1), 0);
    EXPECT_EQ(Record(texture).bUploaded, 0u);
    EXPECT_EQ(Record(texture).texture, nullptr);
    const Frame frame = DrawTexturedQuad(texture);
    EXPECT_EQ(Record(texture).bUploaded, 1u);
    EXPECT_NE(Record(texture).texture, nullptr);
    ExpectQuadrants(frame);
}

TEST_F(RenderDeviceDX9, EachBindRetriesTheUploadUntilItSucceeds) {
    CTexture2D* texture = MakeTexture(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));
    winapi::d3d::SetOutOfVideoMemory(3);
    EXPECT_EQ(texture->Unlock(1), 0);
    for (int bind = 0; bind < 2; ++bind) {
        m_Device.SetTexture(0, texture);
        EXPECT_EQ(Record(texture).bUploaded, 0u) << "bind " << bind;
    }
    m_Device.SetTexture(0, texture);
    EXPECT_EQ(Record(texture).bUploaded, 1u);
    ASSERT_NE(Record(texture).texture, nullptr);
    EXPECT_EQ(ReadLevel(Record(texture).texture, 0).bytes, SwapRedBlue(Pattern(4, 4, 4)));
}

TEST_F(RenderDeviceDX9, RunningOutOfVideoMemoryEvictsTheLeastRecentlyUsedTexturesFirst) {
    struct Case {
        int exhausted;                 // texture creations that find memory exhausted
        std::vector<bool> keptABC;     // which of A, B, C still hold their texture
        bool newUploaded;
    };
    // A, B, C uploaded at frame 0, then A used at frame 1 and C at frame 2: B, A, C is the
    // order of eviction.
    const Case cases[] = {
        {1, {true, false, true}, true},
        {2, {false, false, true}, true},
        {3, {false, false, false}, true},
        {4, {false, false, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("memory exhausted " + std::to_string(c.exhausted) + " times");
        ASSERT_EQ(InitWindowed(), 1);
        CTexture2D* abc[3];
        for (CTexture2D*& texture : abc) {
            texture = MakeTexture(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));
            ASSERT_EQ(texture->Unlock(1), 1);
        }
        ASSERT_EQ(m_Device.Present(), 1);
        m_Device.SetTexture(0, abc[0]);
        ASSERT_EQ(m_Device.Present(), 1);
        m_Device.SetTexture(0, abc[2]);
        CTexture2D* fresh = MakeTexture(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));

        winapi::d3d::SetOutOfVideoMemory(c.exhausted);
        EXPECT_EQ(fresh->Unlock(1), c.newUploaded ? 1 : 0);
        EXPECT_EQ(Record(fresh).bUploaded, c.newUploaded ? 1u : 0u);
        EXPECT_EQ(Record(fresh).texture != nullptr, c.newUploaded);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(std::string(1, static_cast<char>('A' + i)));
            EXPECT_EQ(Record(abc[i]).texture != nullptr, c.keptABC[i]);
            EXPECT_EQ(Record(abc[i]).bUploaded, c.keptABC[i] ? 1u : 0u);
        }
        // An evicted texture comes back when it is bound.
        winapi::d3d::SetOutOfVideoMemory(0);
        m_Device.SetTexture(0, abc[1]);
        EXPECT_EQ(Record(abc[1]).bUploaded, 1u);
        ASSERT_NE(Record(abc[1]).texture, nullptr);
        EXPECT_EQ(ReadLevel(Record(abc[1]).texture, 0).bytes, SwapRedBlue(Pattern(4, 4, 4)));
        m_Resources.clear();
        m_Device.Shutdown();
    }
}

TEST_F(RenderDeviceDX9, ExhaustedMemoryWithNothingToEvictGivesUpAtOnce) {
    // The only texture, not uploaded yet.
    CTexture2D* texture = MakeTexture(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));
    winapi::d3d::SetOutOfVideoMemory(100);
    EXPECT_EQ(texture->Unlock(1), 0);
    EXPECT_EQ(Record(texture).bUploaded, 0u);
    EXPECT_EQ(Record(texture).texture, nullptr);
    winapi::d3d::SetOutOfVideoMemory(0);
    m_Device.SetTexture(0, texture);
    EXPECT_EQ(Record(texture).bUploaded, 1u);
    EXPECT_NE(Record(texture).texture, nullptr);
}

TEST_F(RenderDeviceDX9, FailedReuploadOfTheOnlyTextureLeavesItNotUploadedForTheNextBind) {
    CTexture2D* texture = MakeQuadrantTexture();
    ASSERT_EQ(Record(texture).bUploaded, 1u);
    winapi::d3d::SetOutOfVideoMemory(100);
    EXPECT_EQ(texture->Unlock(1), 0);
    winapi::d3d::SetOutOfVideoMemory(0);
    // The record must not claim an upload it no longer has: the next bind makes it again.
    EXPECT_EQ(Record(texture).texture != nullptr, Record(texture).bUploaded != 0);
    const Frame frame = DrawTexturedQuad(texture);
    EXPECT_EQ(Record(texture).bUploaded, 1u);
    EXPECT_NE(Record(texture).texture, nullptr);
    ExpectQuadrants(frame);
}

TEST_F(RenderDeviceDX9, EveryLevelTheTextureReportsHoldsTheTwoByTwoMeansOfTheLevelAbove) {
    struct Case {
        uint32_t width, height, levels;
        DWORD d3dLevels;
        uint32_t chainSize;  // bytes at four per pixel, down to a smaller side of 1
    };
    const Case cases[] = {
        {256, 64, 0, 9, (16384 + 4096 + 1024 + 256 + 64 + 16 + 4) * 4},
        {64, 256, 0, 9, (16384 + 4096 + 1024 + 256 + 64 + 16 + 4) * 4},
        {8, 8, 0, 4, (64 + 16 + 4 + 1) * 4},
        {8, 8, 2, 4, (64 + 16) * 4},
        {8, 8, 1, 1, 64 * 4},
        {1, 8, 0, 4, 8 * 4},
        {16, 2, 0, 5, (32 + 8) * 4},
        {1, 1, 0, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " levels " + std::to_string(c.levels));
        CTexture2D* texture = MakeTexture(c.width, c.height, c.levels, kFormatA8R8G8B8, Pattern(c.width, c.height, 4));
        ASSERT_EQ(texture->Unlock(1), 1);
        IDirect3DTexture9* d3d = Record(texture).texture;
        ASSERT_NE(d3d, nullptr);
        EXPECT_EQ(Record(texture).nChainSize, c.chainSize);
        ASSERT_EQ(d3d->GetLevelCount(), c.d3dLevels);
        std::vector<uint8_t> expected = SwapRedBlue(Pattern(c.width, c.height, 4));
        uint32_t w = c.width;
        uint32_t h = c.height;
        for (DWORD level = 0; level < c.d3dLevels; ++level) {
            SCOPED_TRACE("level " + std::to_string(level));
            const Level got = ReadLevel(d3d, level);
            EXPECT_EQ(got.desc.Width, w);
            EXPECT_EQ(got.desc.Height, h);
            EXPECT_EQ(FirstDifference(expected, got.bytes), "");
            expected = Halve(expected, w, h, 4);
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
        Destroy(texture);
    }
}

TEST_F(RenderDeviceDX9, TextureFormatsAreUploadedInTheDevicesLayout) {
    struct Case {
        const char* name;
        uint32_t format;
        std::vector<uint8_t> pixels;  // 2 x 1 texels, as the owner holds them
        D3DFORMAT d3dFormat;
        std::vector<uint8_t> expected;  // the top level as the Direct3D texture holds it
    };
    const Case cases[] = {
        {"R8G8B8 gains an opaque alpha", kFormatR8G8B8, {10, 20, 30, 40, 50, 60}, D3DFMT_X8R8G8B8,
         {30, 20, 10, 255, 60, 50, 40, 255}},
        {"A8R8G8B8 swaps red and blue", kFormatA8R8G8B8, {10, 20, 30, 40, 50, 60, 70, 80}, D3DFMT_A8R8G8B8,
         {30, 20, 10, 40, 70, 60, 50, 80}},
        {"X8R8G8B8 swaps red and blue", kFormatX8R8G8B8, {10, 20, 30, 40, 50, 60, 70, 80}, D3DFMT_X8R8G8B8,
         {30, 20, 10, 40, 70, 60, 50, 80}},
        {"A8 stays one byte a texel", kFormatA8, {7, 200}, D3DFMT_A8, {7, 200}},
        // Words 0xFFFF and 0x7C00 (red only, no alpha), low byte first.
        {"A1R5G5B5 expands to eight bits a channel", kFormatA1R5G5B5, {0xFF, 0xFF, 0x00, 0x7C}, D3DFMT_A8R8G8B8,
         {255, 255, 255, 255, 0, 0, 255, 0}},
        {"A1R5G5B5 green and blue with alpha", kFormatA1R5G5B5, {0xE0, 0x83, 0x1F, 0x00}, D3DFMT_A8R8G8B8,
         {0, 255, 0, 255, 255, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTexture2D* texture = MakeTexture(2, 1, 1, c.format, c.pixels);
        ASSERT_EQ(texture->Unlock(1), 1);
        ASSERT_NE(Record(texture).texture, nullptr);
        const Level level = ReadLevel(Record(texture).texture, 0);
        EXPECT_EQ(level.desc.Format, c.d3dFormat);
        EXPECT_EQ(level.bytes, c.expected);
        Destroy(texture);
    }
}

TEST_F(RenderDeviceDX9, FiveBitChannelsScaleToTheFullByteRange) {
    // Red 16, green 8, blue 1 with alpha; and every channel at 31 without alpha.
    const uint16_t words[2] = {static_cast<uint16_t>(0x8000 | (16 << 10) | (8 << 5) | 1), 0x7FFF};
    std::vector<uint8_t> pixels;
    for (const uint16_t word : words) {
        pixels.push_back(static_cast<uint8_t>(word & 0xFF));
        pixels.push_back(static_cast<uint8_t>(word >> 8));
    }
    CTexture2D* texture = MakeTexture(2, 1, 1, kFormatA1R5G5B5, pixels);
    ASSERT_EQ(texture->Unlock(1), 1);
    const Level level = ReadLevel(Record(texture).texture, 0);
    ASSERT_EQ(level.bytes.size(), 8u);
    const double scale = 255.0 / 31.0;
    EXPECT_NEAR(level.bytes[0], 1 * scale, 1.0);   // blue
    EXPECT_NEAR(level.bytes[1], 8 * scale, 1.0);   // green
    EXPECT_NEAR(level.bytes[2], 16 * scale, 1.0);  // red
    EXPECT_EQ(level.bytes[3], 255);
    EXPECT_EQ(std::vector<uint8_t>(level.bytes.begin() + 4, level.bytes.end()), (std::vector<uint8_t>{255, 255, 255, 0}));
}

TEST_F(RenderDeviceDX9, AlphaTextureChainAveragesSingleBytes) {
    CTexture2D* texture = MakeTexture(4, 1, 0, kFormatA8, {10, 20, 31, 41});
    ASSERT_EQ(texture->Unlock(1), 1);
    IDirect3DTexture9* d3d = Record(texture).texture;
    ASSERT_NE(d3d, nullptr);
    ASSERT_EQ(d3d->GetLevelCount(), 3u);
    EXPECT_EQ(ReadLevel(d3d, 0).bytes, (std::vector<uint8_t>{10, 20, 31, 41}));
    EXPECT_EQ(ReadLevel(d3d, 1).bytes, (std::vector<uint8_t>{15, 36}));
    EXPECT_EQ(ReadLevel(d3d, 2).bytes, (std::vector<uint8_t>{25}));
}

TEST_F(RenderDeviceDX9, FormatsWithoutAnUploadLayoutAreNotUploaded) {
    for (const uint32_t format : {kFormatR5G6B5, kFormatX1R5G5B5, kFormatA4R4G4B4, kFormatR3G3B2, kFormatA8R3G3B2,
                                  kFormatX4R4G4B4, kFormatP8, kFormatL8, kFormatA8L8, kFormatA4L4}) {
        SCOPED_TRACE(format);
        const uint32_t bytes = CRenderDevice::GetBytesPerPixel(format) * 4 * 4;
        CTexture2D* texture = MakeTexture(4, 4, 0, format, std::vector<uint8_t>(bytes, 0x5A));
        EXPECT_EQ(texture->Unlock(1), 0);
        EXPECT_EQ(Record(texture).bUploaded, 0u);
        EXPECT_EQ(Record(texture).texture, nullptr);
        Destroy(texture);
    }
}

TEST_F(RenderDeviceDX9, TextureLevelOfDetailReachesEveryUploadedTexture) {
    CTexture2D* first = MakeTexture(8, 8, 0, kFormatA8R8G8B8, Pattern(8, 8, 4));
    CTexture2D* second = MakeTexture(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));
    ASSERT_EQ(first->Unlock(1), 1);
    ASSERT_EQ(second->Unlock(1), 1);
    EXPECT_EQ(m_Device.SetTextureLOD(1), 1);
    EXPECT_EQ(m_Device.m_nTextureLOD, 1u);
    EXPECT_EQ(Record(first).texture->GetLOD(), 1u);
    EXPECT_EQ(Record(second).texture->GetLOD(), 1u);
}

TEST_F(RenderDeviceDX9, TexturedScreenQuadShowsTheTexture) {
    CTexture2D* texture = MakeQuadrantTexture();
    ExpectQuadrants(DrawTexturedQuad(texture));
}

// --- Loss and reset ---------------------------------------------------------------------------

// A green rectangle from (40, 30) to (120, 90) in a managed vertex buffer.
CVertexBuffer* FillGreenRectangle(CVertexBuffer* buffer) {
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), 1);
    const ScreenVertex strip[4] = {{40, 30, 0.5f, 1, 0xFF00FF00u},
                                   {120, 30, 0.5f, 1, 0xFF00FF00u},
                                   {40, 90, 0.5f, 1, 0xFF00FF00u},
                                   {120, 90, 0.5f, 1, 0xFF00FF00u}};
    if (data)
        memcpy(data, strip, sizeof strip);
    EXPECT_EQ(buffer->Unlock(), 1);
    return buffer;
}

TEST_F(RenderDeviceDX9, LostDeviceIsResetWithItsPoolsRecreatedAndResourcesSurvive) {
    CTexture2D* texture = MakeQuadrantTexture();
    IDirect3DTexture9* uploaded = Record(texture).texture;
    CVertexBuffer* rectangle =
        FillGreenRectangle(MakeVertexBuffer(4 * sizeof(ScreenVertex), kScreenVertexFormat, kPoolManaged));
    const uint32_t oldPoolHandle = m_Device.m_pPoolPRC2T1->GetHandle();

    winapi::d3d::LoseDevice(m_Device.m_pDevice);
    EXPECT_EQ(m_Device.CheckDevice(), 0);
    EXPECT_EQ(m_Device.CheckDevice(), -1);
    EXPECT_EQ(m_Device.CheckDevice(), 1);

    // The pools are new buffers with new handles.
    ASSERT_NE(m_Device.m_pPoolPNT1, nullptr);
    ASSERT_NE(m_Device.m_pPoolPCT2, nullptr);
    ASSERT_NE(m_Device.m_pPoolPRC2T1, nullptr);
    EXPECT_GT(m_Device.m_pPoolPRC2T1->GetHandle(), oldPoolHandle);
    EXPECT_EQ(winapi::d3d::LiveDefaultPoolResources(m_Device.m_pDevice), 3);
    EXPECT_EQ(Record(texture).bUploaded, 1u);
    EXPECT_EQ(Record(texture).texture, uploaded);

    ExpectQuadrants(DrawTexturedQuad(texture));

    ASSERT_EQ(m_Device.Clear(kClearTarget | kClearDepth, 0xFF000000u, 1.0f, 0), 1);
    ASSERT_EQ(m_Device.BeginScene(), 1);
    m_Device.SetTexture(0, nullptr);
    m_Device.SetVertexBuffer(0, rectangle, 0);
    EXPECT_EQ(m_Device.DrawPrimitive(kPrimitiveTriangleStrip, 0, 2), 1);
    ASSERT_EQ(m_Device.EndScene(), 1);
    const Frame frame = ReadFrame();
    EXPECT_EQ(Hex(frame.At(80, 60)), Hex(kGreen));
    EXPECT_EQ(Hex(frame.At(20, 60)), Hex(kBlack));
    EXPECT_EQ(Hex(frame.At(80, 100)), Hex(kBlack));
}

TEST_F(RenderDeviceDX9, ResetToAnotherSizeRebuildsBackBufferViewportAndStageDefaults) {
    struct Case {
        const char* name;
        int windowWidth, windowHeight;
        uint32_t width, height, bits;
        int bFullscreen;
    };
    const Case cases[] = {
        {"a larger window", 200, 150, 200, 150, 32, 0},
        {"full screen", kWindowWidth, kWindowHeight, 800, 600, 32, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(InitWindowed(), 1);
        CTexture2D* texture = MakeQuadrantTexture();
        m_Device.SetTextureStageState(2, kStageMinFilter, kFilterPoint);
        m_Device.SetTextureStageState(5, kStageTexCoordIndex, 3);
        const uint32_t oldPoolHandle = m_Device.m_pPoolPRC2T1->GetHandle();

        ASSERT_EQ(m_Window.Resize(c.windowWidth, c.windowHeight, 0), 1);
        ASSERT_EQ(m_Device.Reset(c.width, c.height, c.bits, c.bFullscreen, 0, 0), 1);

        const Frame frame = ReadFrame();
        EXPECT_EQ(frame.width, static_cast<int>(c.width));
        EXPECT_EQ(frame.height, static_cast<int>(c.height));
        CRenderViewport viewport{};
        ASSERT_EQ(m_Device.GetViewport(&viewport), 1);
        EXPECT_EQ(viewport.X, 0u);
        EXPECT_EQ(viewport.Y, 0u);
        EXPECT_EQ(viewport.Width, c.width);
        EXPECT_EQ(viewport.Height, c.height);
        EXPECT_EQ(m_Device.m_nWidth, c.width);
        EXPECT_EQ(m_Device.m_nHeight, c.height);
        DWORD value = 0;
        for (DWORD stage = 0; stage < 8; ++stage) {
            m_Device.m_pDevice->GetSamplerState(stage, D3DSAMP_MINFILTER, &value);
            EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR)) << "stage " << stage;
            m_Device.m_pDevice->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &value);
            EXPECT_EQ(value, 0u) << "stage " << stage;
        }
        ASSERT_NE(m_Device.m_pPoolPRC2T1, nullptr);
        EXPECT_GT(m_Device.m_pPoolPRC2T1->GetHandle(), oldPoolHandle);
        EXPECT_EQ(Record(texture).bUploaded, 1u);
        // The screen pool draws into the new back buffer.
        ASSERT_EQ(m_Device.Clear(kClearTarget | kClearDepth, 0xFF000000u, 1.0f, 0), 1);
        ASSERT_EQ(m_Device.BeginScene(), 1);
        m_Device.SetTexture(0, nullptr);
        EXPECT_EQ(m_Device.DrawQuad2D(0, 0, 0.5f, static_cast<float>(c.width), static_cast<float>(c.height),
                                      0xFF0000FFu, 0, 0, 1, 1),
                  1);
        ASSERT_EQ(m_Device.EndScene(), 1);
        const Frame drawn = ReadFrame();
        EXPECT_EQ(Hex(drawn.At(static_cast<int>(c.width) - 2, static_cast<int>(c.height) - 2)), Hex(kBlue));
        m_Resources.clear();
        m_Device.Shutdown();
        ASSERT_EQ(m_Window.Resize(kWindowWidth, kWindowHeight, 0), 1);
    }
}

TEST_F(RenderDeviceDX9, FailedPoolRecreationShutsTheDeviceDownSafely) {
    enum class Path { kReset, kCheckDevice };
    for (const Path path : {Path::kReset, Path::kCheckDevice}) {
        SCOPED_TRACE(path == Path::kReset ? "Reset" : "CheckDevice after a loss");
        winapi::d3d::ClearFailures();
        ASSERT_EQ(InitWindowed(), 1);
        CTexture2D* texture = MakeQuadrantTexture();
        CTexture2D* pending = MakeTexture(4, 4, 0, kFormatA8R8G8B8, Pattern(4, 4, 4));
        CVertexBuffer* rectangle =
            FillGreenRectangle(MakeVertexBuffer(4 * sizeof(ScreenVertex), kScreenVertexFormat, kPoolManaged));
        CIndexBuffer* indices = MakeIndexBuffer(12);

        if (path == Path::kReset) {
            winapi::d3d::SetFailure(EFailure::kCreateVertexBuffer, true);
            EXPECT_EQ(m_Device.Reset(kWindowWidth, kWindowHeight, 32, 0, 0, 0), 0);
        } else {
            winapi::d3d::LoseDevice(m_Device.m_pDevice);
            EXPECT_EQ(m_Device.CheckDevice(), 0);
            winapi::d3d::SetFailure(EFailure::kCreateVertexBuffer, true);
            EXPECT_EQ(m_Device.CheckDevice(), 0);
        }
        EXPECT_EQ(m_Device.m_pDevice, nullptr);
        winapi::d3d::SetFailure(EFailure::kCreateVertexBuffer, false);

        EXPECT_EQ(m_Device.CheckDevice(), 0);
        EXPECT_EQ(m_Device.Clear(kClearTarget, 0, 1.0f, 0), 0);
        EXPECT_EQ(m_Device.BeginScene(), 0);
        m_Device.SetTexture(0, texture);
        m_Device.SetTexture(1, pending);
        m_Device.SetTexture(0, nullptr);
        m_Device.SetVertexBuffer(0, rectangle, 0);
        m_Device.SetRenderState(kRenderCullMode, kCullNone);
        m_Device.SetTextureStageState(0, kStageMinFilter, kFilterPoint);
        EXPECT_EQ(m_Device.DrawQuad2D(0, 0, 0.5f, 10, 10, 0xFFFFFFFFu, 0, 0, 1, 1), 0);
        EXPECT_EQ(m_Device.DrawPrimitive(kPrimitiveTriangleStrip, 0, 2), 0);
        EXPECT_EQ(m_Device.EndScene(), 0);
        EXPECT_EQ(m_Device.Present(), 0);
        EXPECT_EQ(m_Device.Reset(kWindowWidth, kWindowHeight, 32, 0, 0, 0), 0);
        EXPECT_EQ(pending->Unlock(1), 0);
        void* data = nullptr;
        EXPECT_EQ(rectangle->Lock(0, 0, &data, 0), 0);
        EXPECT_EQ(indices->Lock(0, 0, &data, 0), 0);
        CTexture2D late;
        EXPECT_EQ(late.Create(4, 4, 0, kFormatA8R8G8B8, 0, 0, &m_Device), 0);
        CVertexBuffer lateBuffer;
        EXPECT_EQ(lateBuffer.Create(64, kScreenVertexFormat, kPoolManaged, 0, &m_Device), 0);
        // The resources go after their device has.
        m_Resources.clear();
        m_Device.Shutdown();
    }
}

}  // namespace
