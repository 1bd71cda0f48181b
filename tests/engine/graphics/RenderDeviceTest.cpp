#include "engine/graphics/RenderDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/LogFile.h"
#include "engine/core/Matrix.h"
#include "engine/core/MatrixStack.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/RenderTypes.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"
#include "tests/support/TempDir.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

constexpr float kTolerance = 1e-6f;

::testing::AssertionResult IsIdentity(const CMatrix& m) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const float expected = r == c ? 1.0f : 0.0f;
            if (m.At(r, c) != expected)
                return ::testing::AssertionFailure() << "element (" << r << ", " << c << ") is " << m.At(r, c);
        }
    }
    return ::testing::AssertionSuccess();
}

void ExpectColor(const CColorValue& color, float r, float g, float b, float a) {
    EXPECT_NEAR(color.r, r, kTolerance);
    EXPECT_NEAR(color.g, g, kTolerance);
    EXPECT_NEAR(color.b, b, kTolerance);
    EXPECT_NEAR(color.a, a, kTolerance);
}

void ExpectDefaultLight(const CLight& light) {
    EXPECT_EQ(light.nType, 2u);
    ExpectColor(light.Diffuse, 1, 1, 1, 1);
    ExpectColor(light.Specular, 0, 0, 0, 0);
    ExpectColor(light.Ambient, 0, 0, 0, 0);
    EXPECT_NEAR(light.vPosition.x, 0.0f, kTolerance);
    EXPECT_NEAR(light.vPosition.y, 0.0f, kTolerance);
    EXPECT_NEAR(light.vPosition.z, 0.0f, kTolerance);
    EXPECT_NEAR(light.vDirection.x, 0.0f, kTolerance);
    EXPECT_NEAR(light.vDirection.y, 0.0f, kTolerance);
    EXPECT_NEAR(light.vDirection.z, 1.0f, kTolerance);
    EXPECT_NEAR(light.fRange, 0.0f, kTolerance);
    EXPECT_NEAR(light.fFalloff, 0.0f, kTolerance);
    EXPECT_NEAR(light.fAttenuation0, 1.0f, kTolerance);
    EXPECT_NEAR(light.fAttenuation1, 0.0f, kTolerance);
    EXPECT_NEAR(light.fAttenuation2, 0.0f, kTolerance);
    EXPECT_NEAR(light.fTheta, 0.0f, kTolerance);
    EXPECT_NEAR(light.fPhi, 0.0f, kTolerance);
}

// Puts something other than the start-up values into every cached transform and light.
void Scribble(CRenderDevice* device) {
    for (CMatrix& transform : device->m_Transforms)
        transform.SetTranslation(3, 4, 5);
    for (CLight& light : device->m_Lights) {
        light.nType = 1;
        light.Diffuse = CColorValue{0.5f, 0.25f, 0.125f, 0.0f};
        light.Specular = CColorValue{1, 1, 1, 1};
        light.Ambient = CColorValue{1, 1, 1, 1};
        light.vPosition = CVector3(7, 8, 9);
        light.vDirection = CVector3(1, 0, 0);
        light.fRange = light.fFalloff = light.fAttenuation1 = light.fAttenuation2 = 2.0f;
        light.fAttenuation0 = 0.0f;
        light.fTheta = light.fPhi = 0.5f;
    }
    device->m_Viewport = CRenderViewport{5, 6, 7, 8, 0.25f, 0.5f};
}

std::vector<std::string> CallsStartingWith(const CRecordingRenderDevice& device, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& call : device.m_Calls) {
        if (call.compare(0, prefix.size(), prefix) == 0)
            found.push_back(call);
    }
    return found;
}

// One pool as the device made it: the buffer object's fields and the device's record behind
// its handle.
void ExpectPool(CRecordingRenderDevice& device, CVertexBuffer* pool, uint32_t count, uint32_t format) {
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->m_pDevice, &device);
    EXPECT_EQ(pool->GetSize(), count * 32u);
    EXPECT_EQ(pool->GetFormat(), format);
    EXPECT_EQ(pool->GetPool(), 0u);
    EXPECT_EQ(pool->GetUsage(), 0x208u);
    EXPECT_EQ(pool->GetVertexSize(), 32u);
    EXPECT_EQ(pool->GetVertexCount(), count);
    ASSERT_NE(pool->GetHandle(), 0u);
    const CRecordingRenderDevice::BufferRecord* record = device.VertexBuffer(pool->GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->bytes.size(), count * 32u);
    EXPECT_EQ(record->usage, 0x208u);
    EXPECT_EQ(record->format, format);
    EXPECT_EQ(record->pool, 0u);
}

void ExpectShutDown(const CRenderDevice& device) {
    EXPECT_EQ(device.m_pDisplayModes, nullptr);
    EXPECT_EQ(device.m_pWorldStack, nullptr);
    EXPECT_EQ(device.m_pPoolPNT1, nullptr);
    EXPECT_EQ(device.m_pPoolPCT2, nullptr);
    EXPECT_EQ(device.m_pPoolPRC2T1, nullptr);
}

// Every vertex buffer the device ever handed out has been given back.
void ExpectAllVertexBuffersReleased(CRecordingRenderDevice& device) {
    for (size_t i = 0; i < device.m_VertexBuffers.size(); ++i)
        EXPECT_EQ(device.VertexBuffer(static_cast<uint32_t>(i + 1)), nullptr) << "buffer " << i + 1;
}

// A recording device whose n-th vertex-buffer creation fails and which counts its shutdowns.
class CFailingPoolDevice : public CRecordingRenderDevice {
public:
    uint32_t CreateVertexBuffer(uint32_t byteSize, uint32_t usage, uint32_t vertexFormat, uint32_t pool,
                                CVertexBuffer* owner) override {
        m_bFailCreateVertexBuffer = ++m_nCreations == m_nFailAt;
        return CRecordingRenderDevice::CreateVertexBuffer(byteSize, usage, vertexFormat, pool, owner);
    }
    void Shutdown() override {
        ++m_nShutdowns;
        CRecordingRenderDevice::Shutdown();
    }

    int m_nFailAt = 0;
    int m_nCreations = 0;
    int m_nShutdowns = 0;
};

// Counts its destruction, to see that a free operation destroys what it is given.
class CCountedObject : public CObject {
public:
    explicit CCountedObject(int* destroyed) : m_pDestroyed(destroyed) {}
    ~CCountedObject() override { ++*m_pDestroyed; }

private:
    int* m_pDestroyed;
};

// An uncompressed 24-bit TGA with its origin at the bottom left. Pixels are given in file
// order (bottom row first), each as B, G, R.
std::vector<uint8_t> Tga24(uint16_t width, uint16_t height, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> file(18 + pixels.size(), 0);
    file[2] = 2;  // uncompressed true colour
    file[12] = static_cast<uint8_t>(width & 0xFF);
    file[13] = static_cast<uint8_t>(width >> 8);
    file[14] = static_cast<uint8_t>(height & 0xFF);
    file[15] = static_cast<uint8_t>(height >> 8);
    file[16] = 24;
    std::copy(pixels.begin(), pixels.end(), file.begin() + 18);
    return file;
}

// 2 x 2: bottom row (1, 2, 3) (4, 5, 6), top row (7, 8, 9) (10, 11, 12), as B, G, R.
const std::vector<uint8_t> kSmallTgaPixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

// ---------------------------------------------------------------------------------------------
// Start-up state

TEST(RenderDeviceInit, ResetsTransformsLightsAndViewportAndMakesEmptyLists) {
    CRecordingRenderDevice device;
    Scribble(&device);
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);

    for (int kind = 0; kind < 11; ++kind)
        EXPECT_TRUE(IsIdentity(device.m_Transforms[kind])) << "transform " << kind;
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        ExpectDefaultLight(device.m_Lights[i]);
    }
    EXPECT_EQ(device.m_Viewport.X, 0u);
    EXPECT_EQ(device.m_Viewport.Y, 0u);
    EXPECT_EQ(device.m_Viewport.Width, 640u);
    EXPECT_EQ(device.m_Viewport.Height, 480u);
    EXPECT_NEAR(device.m_Viewport.MinZ, 0.0f, kTolerance);
    EXPECT_NEAR(device.m_Viewport.MaxZ, 1.0f, kTolerance);

    ASSERT_NE(device.m_pDisplayModes, nullptr);
    EXPECT_EQ(device.m_pDisplayModes->m_nCount, 0u);
    ASSERT_NE(device.m_pWorldStack, nullptr);
    EXPECT_TRUE(device.m_pWorldStack->IsEmpty());
    EXPECT_TRUE(IsIdentity(device.m_pWorldStack->GetTop()));
}

TEST(RenderDeviceInit, TakesTheViewportSizeAndPoolCountsButMakesNoPools) {
    struct Case {
        uint32_t width;
        uint32_t height;
        uint32_t pnt1;
        uint32_t pct2;
        uint32_t prc2t1;
    };
    const Case cases[] = {{800, 600, 8192, 2048, 8192}, {1, 1, 0, 0, 0}, {1920, 1080, 1, 2, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        CRecordingRenderDevice device;
        int windowStandIn = 0;
        CViewport* window = reinterpret_cast<CViewport*>(&windowStandIn);
        CLogFile* log = nullptr;
        ASSERT_EQ(device.Init(window, c.width, c.height, 16, 1, 2, 1, c.pnt1, c.pct2, c.prc2t1, log, 1), 1);
        EXPECT_EQ(device.m_pViewportWindow, window);
        EXPECT_EQ(device.m_pLog, log);
        EXPECT_EQ(device.m_Viewport.X, 0u);
        EXPECT_EQ(device.m_Viewport.Y, 0u);
        EXPECT_EQ(device.m_Viewport.Width, c.width);
        EXPECT_EQ(device.m_Viewport.Height, c.height);
        EXPECT_NEAR(device.m_Viewport.MinZ, 0.0f, kTolerance);
        EXPECT_NEAR(device.m_Viewport.MaxZ, 1.0f, kTolerance);
        EXPECT_EQ(device.m_nPNT1Count, c.pnt1);
        EXPECT_EQ(device.m_nPCT2Count, c.pct2);
        EXPECT_EQ(device.m_nPRC2T1Count, c.prc2t1);
        EXPECT_EQ(device.m_pPoolPNT1, nullptr);
        EXPECT_EQ(device.m_pPoolPCT2, nullptr);
        EXPECT_EQ(device.m_pPoolPRC2T1, nullptr);
        EXPECT_TRUE(device.m_Calls.empty());
    }
}

TEST(RenderDeviceInit, SecondInitStartsFromEmptyListsAgain) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    device.m_pDisplayModes->Add(CDisplayMode{640, 480, 60, 2});
    device.m_pWorldStack->Push();
    device.m_pWorldStack->Translate(1, 2, 3);
    Scribble(&device);

    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    ASSERT_NE(device.m_pDisplayModes, nullptr);
    EXPECT_EQ(device.m_pDisplayModes->m_nCount, 0u);
    ASSERT_NE(device.m_pWorldStack, nullptr);
    EXPECT_TRUE(device.m_pWorldStack->IsEmpty());
    EXPECT_TRUE(IsIdentity(device.m_Transforms[2]));
    ExpectDefaultLight(device.m_Lights[7]);
    EXPECT_EQ(device.m_Viewport.Width, 640u);
}

// ---------------------------------------------------------------------------------------------
// Dynamic vertex pools

TEST(RenderDevicePools, EachCountMakesA32ByteVertexPoolOfItsFormat) {
    struct Case {
        uint32_t pnt1;
        uint32_t pct2;
        uint32_t prc2t1;
    };
    const Case cases[] = {{8192, 2048, 8192}, {100, 50, 25}, {1, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pnt1 << " " << c.pct2 << " " << c.prc2t1);
        CRecordingRenderDevice device;
        ASSERT_EQ(device.InitForTest(c.pnt1, c.pct2, c.prc2t1), 1);
        ExpectPool(device, device.m_pPoolPNT1, c.pnt1, 0x112);
        ExpectPool(device, device.m_pPoolPCT2, c.pct2, 0x242);
        ExpectPool(device, device.m_pPoolPRC2T1, c.prc2t1, 0x1c4);
        const std::vector<std::string> expected = {
            "CreateVertexBuffer " + std::to_string(c.pnt1 * 32) + " 0x208 0x112 0",
            "CreateVertexBuffer " + std::to_string(c.pct2 * 32) + " 0x208 0x242 0",
            "CreateVertexBuffer " + std::to_string(c.prc2t1 * 32) + " 0x208 0x1c4 0",
        };
        EXPECT_EQ(device.m_Calls, expected);
    }
}

TEST(RenderDevicePools, ACountOfZeroLeavesThatPoolAbsent) {
    struct Case {
        uint32_t pnt1;
        uint32_t pct2;
        uint32_t prc2t1;
    };
    const Case cases[] = {{0, 2048, 8192}, {8192, 0, 8192}, {8192, 2048, 0}, {0, 0, 16}, {0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pnt1 << " " << c.pct2 << " " << c.prc2t1);
        CRecordingRenderDevice device;
        ASSERT_EQ(device.InitForTest(c.pnt1, c.pct2, c.prc2t1), 1);
        struct Pool {
            CVertexBuffer* buffer;
            uint32_t count;
            uint32_t format;
            const char* formatText;
        };
        const Pool pools[] = {{device.m_pPoolPNT1, c.pnt1, 0x112, "0x112"},
                              {device.m_pPoolPCT2, c.pct2, 0x242, "0x242"},
                              {device.m_pPoolPRC2T1, c.prc2t1, 0x1c4, "0x1c4"}};
        size_t made = 0;
        for (const Pool& pool : pools) {
            SCOPED_TRACE(pool.formatText);
            if (pool.count == 0) {
                EXPECT_EQ(pool.buffer, nullptr);
                for (const std::string& call : CallsStartingWith(device, "CreateVertexBuffer"))
                    EXPECT_EQ(call.find(pool.formatText), std::string::npos) << call;
            } else {
                ExpectPool(device, pool.buffer, pool.count, pool.format);
                ++made;
            }
        }
        EXPECT_EQ(CallsStartingWith(device, "CreateVertexBuffer").size(), made);
    }
}

TEST(RenderDevicePools, MakingThePoolsAgainReplacesTheOldOnes) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(10, 20, 30), 1);
    const uint32_t oldHandles[] = {device.m_pPoolPNT1->GetHandle(), device.m_pPoolPCT2->GetHandle(),
                                   device.m_pPoolPRC2T1->GetHandle()};

    device.m_nPCT2Count = 0;
    ASSERT_EQ(device.CreateDynamicBuffers(), 1);
    for (uint32_t handle : oldHandles)
        EXPECT_EQ(device.VertexBuffer(handle), nullptr) << "old handle " << handle;
    ExpectPool(device, device.m_pPoolPNT1, 10, 0x112);
    EXPECT_EQ(device.m_pPoolPCT2, nullptr);
    ExpectPool(device, device.m_pPoolPRC2T1, 30, 0x1c4);
    EXPECT_EQ(device.m_VertexBuffers.size(), 5u);
}

TEST(RenderDevicePools, AFailedPoolShutsTheDeviceDown) {
    CRecordingRenderDevice device;
    device.m_bFailCreateVertexBuffer = true;
    EXPECT_EQ(device.InitForTest(100, 50, 25), 0);
    ExpectShutDown(device);
    EXPECT_EQ(CallsStartingWith(device, "CreateVertexBuffer").size(), 1u);
}

TEST(RenderDevicePools, AFailedPoolGivesBackThoseAlreadyMade) {
    for (int failAt = 1; failAt <= 3; ++failAt) {
        SCOPED_TRACE(testing::Message() << "creation " << failAt << " fails");
        CFailingPoolDevice device;
        device.m_nFailAt = failAt;
        EXPECT_EQ(device.InitForTest(100, 50, 25), 0);
        EXPECT_EQ(device.m_nShutdowns, 1);
        ExpectShutDown(device);
        // Nothing is tried after the failure, and every pool made before it is released.
        EXPECT_EQ(device.m_nCreations, failAt);
        EXPECT_EQ(device.m_VertexBuffers.size(), static_cast<size_t>(failAt - 1));
        ExpectAllVertexBuffersReleased(device);
    }
}

TEST(RenderDevicePools, AFailedRemakeReleasesTheOldPoolsToo) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(10, 20, 30), 1);
    device.m_bFailCreateVertexBuffer = true;
    EXPECT_EQ(device.CreateDynamicBuffers(), 0);
    ExpectShutDown(device);
    EXPECT_EQ(device.m_VertexBuffers.size(), 3u);
    ExpectAllVertexBuffersReleased(device);
}

// ---------------------------------------------------------------------------------------------
// Shutdown

TEST(RenderDeviceShutdown, FreesEverythingAndIsHarmlessTwice) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(10, 20, 30), 1);
    device.m_pDisplayModes->Add(CDisplayMode{800, 600, 0, 3});
    device.m_pWorldStack->Push();

    device.Shutdown();
    ExpectShutDown(device);
    ExpectAllVertexBuffersReleased(device);
    const size_t callsAfterFirst = device.m_Calls.size();
    EXPECT_EQ(CallsStartingWith(device, "ReleaseVertexBuffer").size(), 3u);

    device.Shutdown();
    ExpectShutDown(device);
    EXPECT_EQ(device.m_Calls.size(), callsAfterFirst);

    // The device can start again after shutting down.
    ASSERT_EQ(device.InitForTest(1, 0, 0), 1);
    ExpectPool(device, device.m_pPoolPNT1, 1, 0x112);
    EXPECT_NE(device.m_pDisplayModes, nullptr);
    EXPECT_NE(device.m_pWorldStack, nullptr);
}

TEST(RenderDeviceShutdown, IsHarmlessOnADeviceNeverStarted) {
    CRecordingRenderDevice device;
    device.Shutdown();
    device.Shutdown();
    ExpectShutDown(device);
    EXPECT_TRUE(device.m_Calls.empty());
}

// ---------------------------------------------------------------------------------------------
// Vertex sizes and pixel sizes

TEST(RenderDeviceVertexSize, AddsUpTheComponentsOfTheFormatCode) {
    struct Case {
        uint32_t format;
        uint32_t size;
    };
    const Case cases[] = {
        {0x000, 0},
        // The three pool formats.
        {0x112, 32},
        {0x242, 32},
        {0x1c4, 32},
        // Position kinds.
        {0x002, 12},
        {0x004, 16},
        {0x006, 16},
        {0x008, 20},
        {0x00A, 24},
        {0x00C, 28},
        // Normal, point size, diffuse, specular.
        {0x012, 24},
        {0x022, 16},
        {0x042, 16},
        {0x082, 16},
        {0x0F2, 36},
        {0x0FC, 52},
        // Texture sets of the default size (two floats).
        {0x102, 20},
        {0x202, 28},
        {0x802, 76},
        // One set of each size code: 1 -> three floats, 2 -> four, 3 -> one.
        {0x10102, 24},
        {0x20102, 28},
        {0x30102, 16},
        // The second set's code sits two bits higher.
        {0xC0202, 24},
        {0x80202, 36},
        // Codes of sets beyond the count play no part.
        {0xC0102, 20},
        {0xFFFF0002, 12},
        // Four sets of codes 1, 2, 3, 0.
        {0x390402, 52},
        // Eight sets, all of code 3.
        {0xFFFF0802, 44},
        // Everything at once: 3 blend weights, normal, point size, both colours, two sets.
        {0xD02F8, 20 + 12 + 4 + 4 + 4 + 12 + 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CRenderDevice::GetVertexSize(c.format), c.size) << std::hex << "format 0x" << c.format;
}

TEST(RenderDeviceBytesPerPixel, FollowsTheFormatTable) {
    const uint32_t expected[34] = {
        0,                    // unknown
        3,                    // R8G8B8
        4, 4,                 // A8R8G8B8, X8R8G8B8
        2, 2, 2, 2,           // R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4
        1, 1,                 // R3G3B2, A8
        2, 2,                 // A8R3G3B2, X4R4G4B4
        4, 4,                 // A2B10G10R10, G16R16
        2,                    // A8P8
        1, 1,                 // P8, L8
        2,                    // A8L8
        1,                    // A4L4
        2, 2,                 // V8U8, L6V5U5
        4, 4, 4, 4,           // X8L8V8U8, Q8W8V8U8, V16U16, A2W10V10U10
        2,                    // D16 lockable
        4,                    // D32
        2,                    // D15S1
        4,                    // D24S8
        2,                    // D16
        4, 4,                 // D24X8, D24X4S4
        2, 4,                 // 16-bit and 32-bit indices
    };
    for (uint32_t format = 0; format < 34; ++format)
        EXPECT_EQ(CRenderDevice::GetBytesPerPixel(format), expected[format]) << "format " << format;
    for (uint32_t format : {34u, 35u, 100u, 0x80000000u, 0xFFFFFFFFu})
        EXPECT_EQ(CRenderDevice::GetBytesPerPixel(format), 0u) << "format " << format;
}

// ---------------------------------------------------------------------------------------------
// Loaders

class RenderDeviceLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_logPath = m_dir.File("device.log");
        m_log = std::make_unique<CLogFile>(m_logPath.c_str());
        ASSERT_TRUE(m_log->IsOpen());
        ASSERT_EQ(m_device.InitForTest(0, 0, 0, m_log.get()), 1);
    }

    std::string Log() const { return ReadText(m_logPath); }

    TempDir m_dir;
    std::string m_logPath;
    std::unique_ptr<CLogFile> m_log;
    CRecordingRenderDevice m_device;
};

TEST_F(RenderDeviceLoadTest, LoadTextureWithoutNameOrOutCreatesAndLogsNothing) {
    const std::string path = m_dir.File("tiny.tga");
    const std::vector<uint8_t> file = Tga24(2, 2, kSmallTgaPixels);
    WriteBytes(path, file.data(), file.size());

    CTexture2D* texture = nullptr;
    EXPECT_EQ(m_device.LoadTexture(nullptr, &texture), 0);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(m_device.LoadTexture(path.c_str(), nullptr), 0);

    EXPECT_TRUE(m_device.m_Calls.empty());
    EXPECT_TRUE(m_device.m_Textures.empty());
    EXPECT_EQ(Log(), "");
}

TEST_F(RenderDeviceLoadTest, LoadTextureReadsTheFileBetweenTheLogLines) {
    const std::string path = m_dir.File("tiny.tga");
    const std::vector<uint8_t> file = Tga24(2, 2, kSmallTgaPixels);
    WriteBytes(path, file.data(), file.size());

    CTexture2D* texture = nullptr;
    ASSERT_EQ(m_device.LoadTexture(path.c_str(), &texture), 1);
    EXPECT_EQ(Log(), "loading " + path + "... ok\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetWidth(), 2u);
    EXPECT_EQ(texture->GetHeight(), 2u);
    EXPECT_EQ(texture->GetFormat(), static_cast<uint32_t>(kFormatR8G8B8));
    // Loaded with no caller's value and no usage.
    EXPECT_EQ(texture->GetUserValue(), 0u);
    EXPECT_EQ(texture->GetUsage(), 0u);
    const CRecordingRenderDevice::TextureRecord* record = m_device.Texture(texture->GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->owner, texture);
    EXPECT_EQ(record->userValue, 0u);
    EXPECT_EQ(record->usage, 0u);
    uint8_t* pixels = nullptr;
    ASSERT_EQ(texture->Lock(&pixels), 1);
    const std::vector<uint8_t> topFirstRgb(pixels, pixels + 12);
    EXPECT_EQ(topFirstRgb, (std::vector<uint8_t>{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));

    // A second load adds its own lines.
    CTexture2D* second = nullptr;
    EXPECT_EQ(m_device.LoadTexture(path.c_str(), &second), 1);
    EXPECT_EQ(Log(), "loading " + path + "... ok\nloading " + path + "... ok\n");
    EXPECT_NE(second, texture);

    const uint32_t handle = texture->GetHandle();
    m_device.FreeTexture(texture);
    EXPECT_EQ(m_device.Texture(handle), nullptr);
    m_device.FreeTexture(second);
}

TEST_F(RenderDeviceLoadTest, FailedLoadLogsFailedAndLeavesTheTextureToTheCaller) {
    const std::string missing = m_dir.File("missing.tga");
    const std::string garbage = m_dir.File("garbage.tga");
    WriteText(garbage, "this is not a picture at all");
    // The header announces 2 x 2 pixels; the file holds one.
    const std::string truncated = m_dir.File("truncated.tga");
    const std::vector<uint8_t> file = Tga24(2, 2, {1, 2, 3});
    WriteBytes(truncated, file.data(), file.size());

    std::string expectedLog;
    for (const std::string& path : {missing, garbage, truncated}) {
        SCOPED_TRACE(path);
        CTexture2D* texture = nullptr;
        EXPECT_EQ(m_device.LoadTexture(path.c_str(), &texture), 0);
        expectedLog += "loading " + path + "... failed\n";
        EXPECT_EQ(Log(), expectedLog);
        ASSERT_NE(texture, nullptr);
        const uint32_t handle = texture->GetHandle();
        m_device.FreeTexture(texture);
        EXPECT_EQ(m_device.Texture(handle), nullptr);
    }
}

TEST(RenderDeviceLoad, LoadTextureWithoutALogStillLoads) {
    TempDir dir;
    const std::string path = dir.File("tiny.tga");
    const std::vector<uint8_t> file = Tga24(2, 2, kSmallTgaPixels);
    WriteBytes(path, file.data(), file.size());
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0, nullptr), 1);

    CTexture2D* texture = nullptr;
    EXPECT_EQ(device.LoadTexture(path.c_str(), &texture), 1);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetWidth(), 2u);
    device.FreeTexture(texture);

    CTexture2D* failed = nullptr;
    EXPECT_EQ(device.LoadTexture(dir.File("missing.tga").c_str(), &failed), 0);
    device.FreeTexture(failed);
}

TEST_F(RenderDeviceLoadTest, ModelAndFontLoadersRefuseAMissingNameOrOut) {
    CModel* model = nullptr;
    EXPECT_EQ(m_device.LoadModel(nullptr, &model), 0);
    EXPECT_EQ(model, nullptr);
    EXPECT_EQ(m_device.LoadModel("box.mdl", nullptr), 0);

    CFont* font = nullptr;
    EXPECT_EQ(m_device.LoadFont(nullptr, &font), 0);
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(m_device.LoadFont("arial.fnt", nullptr), 0);

    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(m_device.m_Calls.empty());
}

TEST(RenderDeviceFree, FreeingNoneDoesNothing) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    device.FreeTexture(nullptr);
    device.FreeModel(nullptr);
    device.FreeFont(nullptr);
    EXPECT_TRUE(device.m_Calls.empty());
}

TEST(RenderDeviceFree, FreeingAnObjectDestroysItThroughItsDestructor) {
    CRecordingRenderDevice device;
    int destroyed = 0;
    device.FreeModel(new CCountedObject(&destroyed));
    EXPECT_EQ(destroyed, 1);
    device.FreeFont(new CCountedObject(&destroyed));
    EXPECT_EQ(destroyed, 2);
}

// ---------------------------------------------------------------------------------------------
// Display-mode list

TEST(RenderDeviceDisplayModes, AddGrowsByTheStepAndKeepsTheRecords) {
    CDisplayModeList list;
    EXPECT_EQ(list.m_nCount, 0u);
    EXPECT_EQ(list.m_nCapacity, 0u);
    EXPECT_EQ(list.m_pItems, nullptr);

    list.m_nGrowStep = 3;
    for (uint32_t i = 0; i < 7; ++i) {
        list.Add(CDisplayMode{640 + i, 480 + i, 60 + i, i});
        EXPECT_EQ(list.m_nCount, i + 1);
        EXPECT_EQ(list.m_nCapacity, (i / 3 + 1) * 3) << "after " << i + 1;
    }
    ASSERT_NE(list.m_pItems, nullptr);
    for (uint32_t i = 0; i < 7; ++i) {
        EXPECT_EQ(list.m_pItems[i].nWidth, 640 + i);
        EXPECT_EQ(list.m_pItems[i].nHeight, 480 + i);
        EXPECT_EQ(list.m_pItems[i].nRefreshRate, 60 + i);
        EXPECT_EQ(list.m_pItems[i].nFormat, i);
    }

    list.Clear();
    EXPECT_EQ(list.m_nCount, 0u);
    EXPECT_EQ(list.m_nCapacity, 0u);
    EXPECT_EQ(list.m_pItems, nullptr);

    list.Add(CDisplayMode{1024, 768, 0, 2});
    EXPECT_EQ(list.m_nCount, 1u);
    EXPECT_EQ(list.m_nCapacity, 3u);
    EXPECT_EQ(list.m_pItems[0].nWidth, 1024u);
    EXPECT_EQ(list.m_pItems[0].nRefreshRate, 0u);
}

TEST(RenderDeviceDisplayModes, GrowsWhateverTheStep) {
    for (uint32_t step : {0u, 1u, 8u}) {
        SCOPED_TRACE(step);
        CDisplayModeList list;
        list.m_nGrowStep = step;
        for (uint32_t i = 0; i < 40; ++i) {
            list.Add(CDisplayMode{i, 2 * i, 3 * i, i % 34});
            ASSERT_GE(list.m_nCapacity, list.m_nCount);
        }
        EXPECT_EQ(list.m_nCount, 40u);
        for (uint32_t i = 0; i < 40; ++i) {
            EXPECT_EQ(list.m_pItems[i].nWidth, i);
            EXPECT_EQ(list.m_pItems[i].nHeight, 2 * i);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Current camera

TEST(RenderDeviceCamera, ANewDeviceHasNoneAndKeepsTheOneSetThroughStartAndShutdown) {
    CRecordingRenderDevice device;
    EXPECT_EQ(device.m_pCamera, nullptr);
    CCamera camera;
    device.m_pCamera = &camera;
    // The camera is the application's: starting and stopping the device leave it alone.
    ASSERT_EQ(device.InitForTest(1, 1, 1), 1);
    EXPECT_EQ(device.m_pCamera, &camera);
    device.Shutdown();
    EXPECT_EQ(device.m_pCamera, &camera);
}

// ---------------------------------------------------------------------------------------------
// Colour byte order

TEST(RenderDeviceColorOrder, StartsAsARGB) {
    EXPECT_EQ(g_nColorByteOrder, 0);
    // Starting a device leaves the choice to the implementation.
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(1, 1, 1), 1);
    EXPECT_EQ(g_nColorByteOrder, 0);
}

}  // namespace
