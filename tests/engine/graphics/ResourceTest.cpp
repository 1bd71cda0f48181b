#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/Class.h"
#include "engine/core/CoreClasses.h"
#include "engine/core/LogFile.h"
#include "engine/graphics/GraphicsClasses.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RendererResource.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"
#include "tests/support/TempDir.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

using Calls = std::vector<std::string>;
using BufferRecord = CRecordingRenderDevice::BufferRecord;

int CountCalls(const CRecordingRenderDevice& device, const std::string& name) {
    int count = 0;
    for (const std::string& line : device.m_Calls)
        count += line.compare(0, name.size() + 1, name + " ") == 0 ? 1 : 0;
    return count;
}

class ResourceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_device.InitForTest(0, 0, 0), 1);
        m_device.m_Calls.clear();
    }

    CRecordingRenderDevice m_device;
};

// ---------------------------------------------------------------------------------------------
// What vertex and index buffers share

struct VertexBufferKind {
    using Buffer = CVertexBuffer;
    static constexpr const char* kName = "VertexBuffer";
    static constexpr uint32_t kFormat = kVertexFormatPNT1;
    static BufferRecord* Record(CRecordingRenderDevice& device, uint32_t handle) { return device.VertexBuffer(handle); }
    static std::vector<BufferRecord>& Table(CRecordingRenderDevice& device) { return device.m_VertexBuffers; }
    static bool& FailCreate(CRecordingRenderDevice& device) { return device.m_bFailCreateVertexBuffer; }
};

struct IndexBufferKind {
    using Buffer = CIndexBuffer;
    static constexpr const char* kName = "IndexBuffer";
    static constexpr uint32_t kFormat = kFormatIndex16;
    static BufferRecord* Record(CRecordingRenderDevice& device, uint32_t handle) { return device.IndexBuffer(handle); }
    static std::vector<BufferRecord>& Table(CRecordingRenderDevice& device) { return device.m_IndexBuffers; }
    static bool& FailCreate(CRecordingRenderDevice& device) { return device.m_bFailCreateIndexBuffer; }
};

template <typename Kind>
class ResourceBufferTest : public ResourceFixture {
protected:
    using Buffer = typename Kind::Buffer;

    static std::string Call(const char* verb, const std::string& arguments) {
        return std::string(verb) + Kind::kName + " " + arguments;
    }
    int Count(const char* verb) { return CountCalls(m_device, std::string(verb) + Kind::kName); }
};

struct BufferKindNames {
    template <typename Kind>
    static std::string GetName(int) {
        return Kind::kName;
    }
};

using BufferKinds = ::testing::Types<VertexBufferKind, IndexBufferKind>;
TYPED_TEST_SUITE(ResourceBufferTest, BufferKinds, BufferKindNames);

TYPED_TEST(ResourceBufferTest, CreateRegistersAZeroedRecordWithTheDevice) {
    typename TypeParam::Buffer buffer;
    EXPECT_EQ(buffer.GetHandle(), 0u);
    ASSERT_EQ(buffer.Create(96, TypeParam::kFormat, kPoolManaged, 0x8, &this->m_device), 1);

    EXPECT_EQ(buffer.GetHandle(), 1u);
    EXPECT_EQ(buffer.GetSize(), 96u);
    EXPECT_EQ(buffer.GetFormat(), TypeParam::kFormat);
    EXPECT_EQ(buffer.GetPool(), static_cast<uint32_t>(kPoolManaged));
    EXPECT_EQ(buffer.GetUsage(), 0x8u);
    CRenderDevice* device = nullptr;
    EXPECT_EQ(buffer.GetDevice(&device), 1);
    EXPECT_EQ(device, &this->m_device);

    const BufferRecord* record = TypeParam::Record(this->m_device, buffer.GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->bytes, std::vector<uint8_t>(96, 0));
    EXPECT_EQ(record->format, TypeParam::kFormat);
    EXPECT_EQ(record->pool, static_cast<uint32_t>(kPoolManaged));
    EXPECT_EQ(record->usage, 0x8u);
    EXPECT_FALSE(record->locked);
    EXPECT_EQ(this->m_device.m_Calls.size(), 1u);
    EXPECT_EQ(this->Count("Create"), 1);
}

TYPED_TEST(ResourceBufferTest, EachBufferGetsItsOwnHandleAndMemory) {
    typename TypeParam::Buffer first, second;
    ASSERT_EQ(first.Create(8, TypeParam::kFormat, kPoolDefault, 0, &this->m_device), 1);
    ASSERT_EQ(second.Create(16, TypeParam::kFormat, kPoolDefault, 0, &this->m_device), 1);
    EXPECT_EQ(first.GetHandle(), 1u);
    EXPECT_EQ(second.GetHandle(), 2u);
    EXPECT_EQ(TypeParam::Record(this->m_device, 1)->bytes.size(), 8u);
    EXPECT_EQ(TypeParam::Record(this->m_device, 2)->bytes.size(), 16u);
}

TYPED_TEST(ResourceBufferTest, LockAndUnlockReachTheDeviceMemory) {
    typename TypeParam::Buffer buffer;
    ASSERT_EQ(buffer.Create(32, TypeParam::kFormat, kPoolDefault, 0, &this->m_device), 1);
    this->m_device.m_Calls.clear();

    void* data = nullptr;
    ASSERT_EQ(buffer.Lock(8, 16, &data, kLockDiscard), 1);
    ASSERT_NE(data, nullptr);
    const BufferRecord* record = TypeParam::Record(this->m_device, buffer.GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->locked);
    for (int i = 0; i < 16; ++i)
        static_cast<uint8_t*>(data)[i] = static_cast<uint8_t>(0xA0 + i);
    EXPECT_EQ(buffer.Unlock(), 1);
    EXPECT_FALSE(record->locked);

    for (size_t i = 0; i < record->bytes.size(); ++i) {
        const uint8_t expected = i >= 8 && i < 24 ? static_cast<uint8_t>(0xA0 + i - 8) : 0;
        EXPECT_EQ(record->bytes[i], expected) << "byte " << i;
    }
    EXPECT_EQ(this->m_device.m_Calls,
              (Calls{TestFixture::Call("Lock", "1 8 16 0x2000"), TestFixture::Call("Unlock", "1")}));
}

TYPED_TEST(ResourceBufferTest, LockPassesOnTheDeviceRefusal) {
    typename TypeParam::Buffer buffer;
    ASSERT_EQ(buffer.Create(32, TypeParam::kFormat, kPoolDefault, 0, &this->m_device), 1);
    void* data = nullptr;
    EXPECT_EQ(buffer.Lock(16, 17, &data, 0), 0);  // past the end of the buffer
    this->m_device.m_bFailLock = true;
    EXPECT_EQ(buffer.Lock(0, 32, &data, 0), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(this->Count("Lock"), 2);
}

TYPED_TEST(ResourceBufferTest, DestructorGivesTheHandleBack) {
    {
        typename TypeParam::Buffer buffer;
        ASSERT_EQ(buffer.Create(32, TypeParam::kFormat, kPoolDefault, 0, &this->m_device), 1);
        this->m_device.m_Calls.clear();
    }
    EXPECT_EQ(this->m_device.m_Calls, Calls{TestFixture::Call("Release", "1")});
    ASSERT_EQ(TypeParam::Table(this->m_device).size(), 1u);
    EXPECT_TRUE(TypeParam::Table(this->m_device)[0].released);
    EXPECT_EQ(TypeParam::Record(this->m_device, 1), nullptr);
}

TYPED_TEST(ResourceBufferTest, CreatingAgainGivesTheFirstHandleBack) {
    typename TypeParam::Buffer buffer;
    ASSERT_EQ(buffer.Create(32, TypeParam::kFormat, kPoolDefault, 0, &this->m_device), 1);
    ASSERT_EQ(buffer.Create(64, TypeParam::kFormat, kPoolDefault, 0, &this->m_device), 1);
    EXPECT_EQ(buffer.GetHandle(), 2u);
    EXPECT_EQ(buffer.GetSize(), 64u);
    EXPECT_TRUE(TypeParam::Table(this->m_device)[0].released);
    EXPECT_NE(TypeParam::Record(this->m_device, 2), nullptr);
    EXPECT_EQ(this->Count("Release"), 1);
}

TYPED_TEST(ResourceBufferTest, WithoutADeviceNothingIsCreatedOrCalled) {
    {
        typename TypeParam::Buffer buffer;
        EXPECT_EQ(buffer.Create(32, TypeParam::kFormat, kPoolDefault, 0, nullptr), 0);
        EXPECT_EQ(buffer.GetHandle(), 0u);
        CRenderDevice* device = &this->m_device;
        EXPECT_EQ(buffer.GetDevice(&device), 1);
        EXPECT_EQ(device, nullptr);
        void* data = nullptr;
        EXPECT_EQ(buffer.Lock(0, 4, &data, 0), 0);
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(buffer.Unlock(), 0);
    }
    EXPECT_EQ(this->m_device.m_Calls, Calls{});
}

// The device refuses through its switch, and for a byte size or format of 0. The buffer keeps
// handle 0 and makes no further device call: no lock, no unlock, no release.
TYPED_TEST(ResourceBufferTest, RefusedCreationKeepsHandle0AndCallsTheDeviceNoMore) {
    struct Refusal {
        const char* what;
        uint32_t size;
        uint32_t format;
        bool failSwitch;
    };
    for (const Refusal& refusal : {Refusal{"switch", 32, TypeParam::kFormat, true},
                                   Refusal{"size 0", 0, TypeParam::kFormat, false},
                                   Refusal{"format 0", 32, 0, false}}) {
        SCOPED_TRACE(refusal.what);
        this->m_device.m_Calls.clear();
        TypeParam::FailCreate(this->m_device) = refusal.failSwitch;
        {
            typename TypeParam::Buffer buffer;
            EXPECT_EQ(buffer.Create(refusal.size, refusal.format, kPoolDefault, 0, &this->m_device), 0);
            EXPECT_EQ(buffer.GetHandle(), 0u);
            void* data = nullptr;
            EXPECT_EQ(buffer.Lock(0, 4, &data, 0), 0);
            EXPECT_EQ(data, nullptr);
            EXPECT_EQ(buffer.Unlock(), 0);
        }
        EXPECT_EQ(this->m_device.m_Calls.size(), 1u);
        EXPECT_EQ(this->Count("Create"), 1);
    }
    EXPECT_TRUE(TypeParam::Table(this->m_device).empty());
}

// ---------------------------------------------------------------------------------------------
// Vertex and index sizes

struct VertexSizeCase {
    uint32_t format;
    uint32_t vertexSize;
};

void PrintTo(const VertexSizeCase& c, std::ostream* out) {
    *out << "format 0x" << std::hex << c.format;
}

class ResourceVertexBufferTest : public ResourceFixture, public ::testing::WithParamInterface<VertexSizeCase> {};

TEST_P(ResourceVertexBufferTest, VertexSizeAndCountFollowTheFormat) {
    CVertexBuffer buffer;
    ASSERT_EQ(buffer.Create(96, GetParam().format, kPoolDefault, kUsageDynamicWriteOnly, &m_device), 1);
    EXPECT_EQ(buffer.GetVertexSize(), GetParam().vertexSize);
    EXPECT_EQ(buffer.GetVertexCount(), 96u / GetParam().vertexSize);
    const BufferRecord* record = m_device.VertexBuffer(buffer.GetHandle());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->format, GetParam().format);
    EXPECT_EQ(record->usage, static_cast<uint32_t>(kUsageDynamicWriteOnly));
}

INSTANTIATE_TEST_SUITE_P(Formats, ResourceVertexBufferTest,
                         ::testing::Values(VertexSizeCase{kVertexFormatPNT1, 32}, VertexSizeCase{kVertexFormatPCT2, 32},
                                           VertexSizeCase{kVertexFormatPRC2T1, 32},
                                           VertexSizeCase{0x002, 12},    // position
                                           VertexSizeCase{0x012, 24},    // position, normal
                                           VertexSizeCase{0x142, 24},    // position, diffuse, one set
                                           VertexSizeCase{0x0C4, 24}));  // screen position, two colours

struct IndexCountCase {
    uint32_t byteSize;
    uint32_t format;
    uint32_t indexCount;
};

void PrintTo(const IndexCountCase& c, std::ostream* out) {
    *out << c.byteSize << " bytes of format " << c.format;
}

class ResourceIndexBufferTest : public ResourceFixture, public ::testing::WithParamInterface<IndexCountCase> {};

TEST_P(ResourceIndexBufferTest, IndexCountFollowsTheFormat) {
    CIndexBuffer buffer;
    ASSERT_EQ(buffer.Create(GetParam().byteSize, GetParam().format, kPoolManaged, 0, &m_device), 1);
    EXPECT_EQ(buffer.GetFormat(), GetParam().format);
    EXPECT_EQ(buffer.GetIndexCount(), GetParam().indexCount);
    EXPECT_EQ(m_device.IndexBuffer(buffer.GetHandle())->format, GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(Formats, ResourceIndexBufferTest,
                         ::testing::Values(IndexCountCase{12, kFormatIndex16, 6}, IndexCountCase{12, kFormatIndex32, 3},
                                           IndexCountCase{2, kFormatIndex16, 1}, IndexCountCase{4, kFormatIndex32, 1},
                                           IndexCountCase{14, kFormatIndex32, 3}));

// ---------------------------------------------------------------------------------------------
// Textures

struct TextureFormatCase {
    uint32_t format;
    uint32_t bytesPerPixel;
};

void PrintTo(const TextureFormatCase& c, std::ostream* out) {
    *out << "format " << c.format;
}

class ResourceTexture2DFormatTest : public ResourceFixture, public ::testing::WithParamInterface<TextureFormatCase> {};

TEST_P(ResourceTexture2DFormatTest, CreateRegistersTheTextureAndAZeroFilledBuffer) {
    CTexture2D texture;
    ASSERT_EQ(texture.Create(5, 3, 2, GetParam().format, 77, 0x200, &m_device), 1);
    EXPECT_EQ(texture.GetHandle(), 1u);
    EXPECT_EQ(texture.GetWidth(), 5u);
    EXPECT_EQ(texture.GetHeight(), 3u);
    EXPECT_EQ(texture.GetLevels(), 2u);
    EXPECT_EQ(texture.GetFormat(), GetParam().format);
    EXPECT_EQ(texture.GetUserValue(), 77u);
    EXPECT_EQ(texture.GetUsage(), 0x200u);

    const CRecordingRenderDevice::TextureRecord* record = m_device.Texture(1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->width, 5u);
    EXPECT_EQ(record->height, 3u);
    EXPECT_EQ(record->levels, 2u);
    EXPECT_EQ(record->format, GetParam().format);
    EXPECT_EQ(record->userValue, 77u);
    EXPECT_EQ(record->usage, 0x200u);
    EXPECT_EQ(record->owner, &texture);
    EXPECT_EQ(record->uploads, 0);
    EXPECT_EQ(m_device.m_Calls.size(), 1u);

    uint8_t* pixels = nullptr;
    ASSERT_EQ(texture.Lock(&pixels), 1);
    ASSERT_NE(pixels, nullptr);
    const size_t size = size_t{GetParam().bytesPerPixel} * 5 * 3;
    EXPECT_EQ(std::vector<uint8_t>(pixels, pixels + size), std::vector<uint8_t>(size, 0));
}

TEST_P(ResourceTexture2DFormatTest, RecreatingGivesTheHandleBackAndAFreshZeroFilledBuffer) {
    CTexture2D texture;
    ASSERT_EQ(texture.Create(7, 9, 0, GetParam().format, 0, 0, &m_device), 1);
    const size_t size = size_t{GetParam().bytesPerPixel} * 7 * 9;
    uint8_t* pixels = nullptr;
    ASSERT_EQ(texture.Lock(&pixels), 1);
    memset(pixels, 0xAB, size);

    ASSERT_EQ(texture.Create(7, 9, 0, GetParam().format, 0, 0, &m_device), 1);
    EXPECT_EQ(texture.GetHandle(), 2u);
    EXPECT_TRUE(m_device.m_Textures[0].released);
    EXPECT_EQ(CountCalls(m_device, "ReleaseTexture"), 1);
    ASSERT_EQ(texture.Lock(&pixels), 1);
    EXPECT_EQ(std::vector<uint8_t>(pixels, pixels + size), std::vector<uint8_t>(size, 0));
}

INSTANTIATE_TEST_SUITE_P(Formats, ResourceTexture2DFormatTest,
                         ::testing::Values(TextureFormatCase{kFormatR8G8B8, 3}, TextureFormatCase{kFormatA8R8G8B8, 4},
                                           TextureFormatCase{kFormatA8, 1}, TextureFormatCase{kFormatA1R5G5B5, 2}));

class ResourceTexture2DTest : public ResourceFixture {};

TEST_F(ResourceTexture2DTest, LockHandsOutTheSameBufferAndNeedsAnOutPointer) {
    CTexture2D texture;
    ASSERT_EQ(texture.Create(2, 2, 0, kFormatA8R8G8B8, 0, 0, &m_device), 1);
    EXPECT_EQ(texture.Lock(nullptr), 0);
    uint8_t* first = nullptr;
    uint8_t* second = nullptr;
    EXPECT_EQ(texture.Lock(&first), 1);
    EXPECT_EQ(texture.Lock(&second), 1);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(m_device.m_Calls.size(), 1u);  // locking is the texture's own business
}

TEST_F(ResourceTexture2DTest, UnlockUploadsThePixelsWithTheTextureDescription) {
    CTexture2D texture;
    ASSERT_EQ(texture.Create(3, 2, 1, kFormatR8G8B8, 41, 0x200, &m_device), 1);
    uint8_t* pixels = nullptr;
    ASSERT_EQ(texture.Lock(&pixels), 1);
    std::vector<uint8_t> written;
    for (int i = 0; i < 18; ++i)
        written.push_back(pixels[i] = static_cast<uint8_t>(i * 13 + 1));
    m_device.m_Calls.clear();

    EXPECT_EQ(texture.Unlock(1), 1);
    EXPECT_EQ(m_device.m_Calls, Calls{"CreateTexture 1 3 2 1 512 1 41 1"});
    const CRecordingRenderDevice::TextureRecord* record = m_device.Texture(1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->uploads, 1);
    EXPECT_EQ(record->lastFlag, 1);
    EXPECT_EQ(record->uploadedPixels, written);

    // The flag goes through as given, and the device's answer comes back.
    EXPECT_EQ(texture.Unlock(0), 1);
    EXPECT_EQ(record->uploads, 2);
    EXPECT_EQ(record->lastFlag, 0);
    m_device.m_bFailCreateTexture = true;
    EXPECT_EQ(texture.Unlock(1), 0);
    EXPECT_EQ(record->uploads, 2);
}

TEST_F(ResourceTexture2DTest, DestructorGivesTheHandleBack) {
    {
        CTexture2D texture;
        ASSERT_EQ(texture.Create(4, 4, 0, kFormatA8, 0, 0, &m_device), 1);
        m_device.m_Calls.clear();
    }
    EXPECT_EQ(m_device.m_Calls, Calls{"ReleaseTexture 1"});
    ASSERT_EQ(m_device.m_Textures.size(), 1u);
    EXPECT_TRUE(m_device.m_Textures[0].released);
    EXPECT_EQ(m_device.m_Textures[0].owner, nullptr);
    EXPECT_EQ(m_device.Texture(1), nullptr);
}

// The device refuses through its switch, and for a width, height or format of 0: no handle,
// no pixel buffer, and no further device call.
TEST_F(ResourceTexture2DTest, RefusedCreationLeavesNoHandleAndNoPixelBuffer) {
    struct Refusal {
        const char* what;
        uint32_t width;
        uint32_t height;
        uint32_t format;
        bool failSwitch;
    };
    for (const Refusal& refusal : {Refusal{"switch", 4, 4, kFormatA8R8G8B8, true},
                                   Refusal{"width 0", 0, 4, kFormatA8R8G8B8, false},
                                   Refusal{"height 0", 4, 0, kFormatA8R8G8B8, false},
                                   Refusal{"format 0", 4, 4, kFormatUnknown, false}}) {
        SCOPED_TRACE(refusal.what);
        m_device.m_Calls.clear();
        m_device.m_bFailAddTexture = refusal.failSwitch;
        {
            CTexture2D texture;
            EXPECT_EQ(texture.Create(refusal.width, refusal.height, 0, refusal.format, 0, 0, &m_device), 0);
            EXPECT_EQ(texture.GetHandle(), 0u);
            uint8_t* pixels = nullptr;
            EXPECT_EQ(texture.Lock(&pixels), 0);
            EXPECT_EQ(pixels, nullptr);
            EXPECT_EQ(texture.Unlock(1), 0);
        }
        EXPECT_EQ(m_device.m_Calls.size(), 1u);
        EXPECT_EQ(CountCalls(m_device, "AddTexture"), 1);
    }
    EXPECT_TRUE(m_device.m_Textures.empty());
}

TEST_F(ResourceTexture2DTest, WithoutADeviceNothingIsCreatedOrCalled) {
    {
        CTexture2D texture;
        EXPECT_EQ(texture.Create(4, 4, 0, kFormatA8R8G8B8, 0, 0, nullptr), 0);
        EXPECT_EQ(texture.GetHandle(), 0u);
        uint8_t* pixels = nullptr;
        EXPECT_EQ(texture.Lock(&pixels), 0);
        EXPECT_EQ(texture.Unlock(1), 0);
    }
    EXPECT_EQ(m_device.m_Calls, Calls{});
}

TEST_F(ResourceTexture2DTest, DeviceIsKeptAndHandedOutByTheBase) {
    CTexture2D texture;
    CRendererResource& resource = texture;
    EXPECT_EQ(resource.GetDevice(nullptr), 0);
    CRenderDevice* device = &m_device;
    EXPECT_EQ(resource.GetDevice(&device), 1);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(resource.SetDevice(&m_device), 1);
    EXPECT_EQ(resource.GetDevice(&device), 1);
    EXPECT_EQ(device, &m_device);
    EXPECT_EQ(resource.SetDevice(nullptr), 0);
    EXPECT_EQ(resource.GetDevice(&device), 1);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(resource.Reserved(), 0);
    EXPECT_EQ(m_device.m_Calls, Calls{});
}

// ---------------------------------------------------------------------------------------------
// The texture holder

// A 2x1 true-colour file, stored B, G, R.
const std::vector<uint8_t> kSmallTga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0,
                                        0x30, 0x20, 0x10, 0x60, 0x50, 0x40};

class ResourceTextureHolderTest : public ResourceFixture {
protected:
    std::string WriteSmallTga() {
        const std::string path = m_dir.File("small.tga");
        WriteBytes(path, kSmallTga.data(), kSmallTga.size());
        return path;
    }

    TempDir m_dir;
};

TEST_F(ResourceTextureHolderTest, LoadsThroughTheDeviceAndReleasesWhenDestroyed) {
    const std::string path = WriteSmallTga();
    const std::string logPath = m_dir.File("log.txt");
    CLogFile log(logPath.c_str());
    ASSERT_EQ(m_device.InitForTest(0, 0, 0, &log), 1);
    {
        CTexture holder;
        ASSERT_EQ(holder.Load(&m_device, path.c_str()), 1);
        ASSERT_NE(holder.m_pTexture, nullptr);
        EXPECT_EQ(holder.m_pTexture->GetWidth(), 2u);
        EXPECT_EQ(holder.m_pTexture->GetHeight(), 1u);
        const CRecordingRenderDevice::TextureRecord* record = m_device.Texture(holder.m_pTexture->GetHandle());
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->owner, holder.m_pTexture);
        EXPECT_EQ(record->uploadedPixels, (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60}));
        EXPECT_EQ(ReadText(logPath), "loading " + path + "... ok\n");
        m_device.m_Calls.clear();
    }
    EXPECT_EQ(m_device.m_Calls, Calls{"ReleaseTexture 1"});
    EXPECT_EQ(m_device.Texture(1), nullptr);
}

TEST_F(ResourceTextureHolderTest, LoadingAgainReplacesTheFirstTexture) {
    const std::string path = WriteSmallTga();
    CTexture holder;
    ASSERT_EQ(holder.Load(&m_device, path.c_str()), 1);
    ASSERT_EQ(holder.Load(&m_device, path.c_str()), 1);
    ASSERT_NE(holder.m_pTexture, nullptr);
    EXPECT_EQ(holder.m_pTexture->GetHandle(), 2u);
    EXPECT_TRUE(m_device.m_Textures[0].released);
    EXPECT_NE(m_device.Texture(2), nullptr);
}

TEST_F(ResourceTextureHolderTest, MissingFileFailsAndNeedsNoRelease) {
    {
        CTexture holder;
        EXPECT_EQ(holder.Load(&m_device, m_dir.File("missing.tga").c_str()), 0);
    }
    EXPECT_EQ(m_device.m_Calls, Calls{});
}

TEST_F(ResourceTextureHolderTest, WithoutADeviceOrNameNothingIsLoaded) {
    const std::string path = WriteSmallTga();
    CTexture holder;
    EXPECT_EQ(holder.Load(nullptr, path.c_str()), 0);
    EXPECT_EQ(holder.m_pTexture, nullptr);
    EXPECT_EQ(holder.Load(&m_device, nullptr), 0);
    EXPECT_EQ(holder.m_pTexture, nullptr);
    EXPECT_EQ(m_device.m_Calls, Calls{});
}

// ---------------------------------------------------------------------------------------------
// Run-time classes

class ResourceClassesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterCoreClasses();
        RegisterGraphicsClasses();
    }
};

TEST_F(ResourceClassesTest, AFactoryMadeTextureStartsEmpty) {
    std::unique_ptr<CObject> object(CClass::FindClass("CTexture2D")->CreateObject());
    auto* texture = dynamic_cast<CTexture2D*>(object.get());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetHandle(), 0u);
    EXPECT_EQ(texture->GetWidth(), 0u);
    uint8_t* pixels = nullptr;
    EXPECT_EQ(texture->Lock(&pixels), 0);
    CRenderDevice* device = nullptr;
    EXPECT_EQ(texture->GetDevice(&device), 1);
    EXPECT_EQ(device, nullptr);
}

}  // namespace
