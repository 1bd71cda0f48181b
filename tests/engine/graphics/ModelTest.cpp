#include "engine/graphics/Model.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Class.h"
#include "engine/core/Frustum.h"
#include "engine/core/LogFile.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/VertexBuffer.h"
#include "tests/engine/graphics/ModelBytes.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/TempDir.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

using BufferRecord = CRecordingRenderDevice::BufferRecord;

constexpr float kTolerance = 1e-5f;

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_device.InitForTest(64, 0, 0), 1); }

    int Load(CModel* model, const TestModel& source) {
        const std::vector<uint8_t> bytes = source.Bytes();
        return model->LoadFromMemory(&m_device, bytes.data(), bytes.size());
    }

    // Buffers the device still holds besides its own pool.
    int LiveModelBuffers() const {
        int live = 0;
        for (size_t i = 0; i < m_device.m_VertexBuffers.size(); ++i)
            live += !m_device.m_VertexBuffers[i].released && m_device.m_VertexBuffers[i].pool == kPoolManaged ? 1 : 0;
        for (const BufferRecord& record : m_device.m_IndexBuffers)
            live += record.released ? 0 : 1;
        return live;
    }

    const BufferRecord& Vertices(const CModel& model) {
        return *m_device.VertexBuffer(model.m_pVertexBuffer->GetHandle());
    }

    CRecordingRenderDevice m_device;
};

CMatrix Then(const CMatrix& first, const CMatrix& second) {
    CMatrix out;
    CMatrix::Multiply(&out, first, second);
    return out;
}

::testing::AssertionResult IsEmpty(const CModel& model) {
    const uint8_t zeros[sizeof(CModelHeader)] = {};
    if (memcmp(&model.m_Header, zeros, sizeof zeros) != 0)
        return ::testing::AssertionFailure() << "the header is not cleared";
    if (model.m_pIndexBuffer || model.m_pVertexBuffer || model.m_pTagNames || model.m_ppTagMatrices ||
        model.m_pSpheres || model.m_pBoxes || model.m_nSpheres || model.m_nBoxes)
        return ::testing::AssertionFailure() << "something is still held";
    if (model.IsValid())
        return ::testing::AssertionFailure() << "it is valid";
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> VertexBytes(const std::vector<TestVertex>& vertices) {
    std::vector<uint8_t> bytes(vertices.size() * sizeof(TestVertex));
    memcpy(bytes.data(), vertices.data(), bytes.size());
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST_F(ModelTest, ReadsEveryPartOfTheFileAsWritten) {
    const TestModel source = TwoFrameSquare();
    CModel model;
    ASSERT_EQ(Load(&model, source), 1);
    EXPECT_EQ(model.IsValid(), 1);
    EXPECT_EQ(model.GetFrameCount(), 2u);
    EXPECT_EQ(model.GetTriangleCount(), 2u);
    EXPECT_EQ(model.GetVertexCount(), 4u);
    EXPECT_EQ(model.GetTagCount(), 2u);
    // The header is kept as read, the 64 uninterpreted bytes with it.
    const std::vector<uint8_t> bytes = source.Bytes();
    EXPECT_EQ(memcmp(&model.m_Header, bytes.data(), sizeof(CModelHeader)), 0);

    ASSERT_NE(model.m_pIndexBuffer, nullptr);
    EXPECT_EQ(model.m_pIndexBuffer->GetFormat(), static_cast<uint32_t>(kFormatIndex16));
    EXPECT_EQ(model.m_pIndexBuffer->GetPool(), static_cast<uint32_t>(kPoolManaged));
    const BufferRecord* indices = m_device.IndexBuffer(model.m_pIndexBuffer->GetHandle());
    ASSERT_NE(indices, nullptr);
    const uint16_t expectedIndices[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(indices->bytes.size(), sizeof expectedIndices);
    EXPECT_EQ(memcmp(indices->bytes.data(), expectedIndices, sizeof expectedIndices), 0);
    EXPECT_FALSE(indices->locked);

    ASSERT_NE(model.m_pVertexBuffer, nullptr);
    EXPECT_EQ(model.m_pVertexBuffer->GetFormat(), 0x112u);
    EXPECT_EQ(model.m_pVertexBuffer->GetPool(), static_cast<uint32_t>(kPoolManaged));
    EXPECT_EQ(Vertices(model).bytes, VertexBytes(source.vertices));
    EXPECT_FALSE(Vertices(model).locked);

    EXPECT_STREQ(model.GetTagName(0), "Gear");
    // A name filling all 16 bytes still ends.
    EXPECT_STREQ(model.GetTagName(1), "SixteenCharsLong");
    EXPECT_STREQ(model.GetTagName(2), "");
    for (uint32_t frame = 0; frame < 2; ++frame) {
        for (uint32_t tag = 0; tag < 2; ++tag) {
            const CMatrix* matrix = model.GetTagMatrix(frame, tag);
            ASSERT_NE(matrix, nullptr);
            EXPECT_EQ(memcmp(matrix->m_f, source.tagMatrices[frame * 2 + tag].data(), 64), 0)
                << "frame " << frame << " tag " << tag;
        }
    }
    EXPECT_EQ(model.GetTagMatrix(2, 0), nullptr);
    EXPECT_EQ(model.GetTagMatrix(0, 2), nullptr);

    ASSERT_EQ(model.m_nSpheres, 1u);
    EXPECT_EQ(memcmp(model.m_pSpheres, source.spheres[0].data(), 16), 0);
    ASSERT_EQ(model.m_nBoxes, 1u);
    EXPECT_EQ(memcmp(model.m_pBoxes, source.boxes[0].data(), 60), 0);
}

TEST_F(ModelTest, VersionDecidesValidityAndWhetherVolumesFollow) {
    struct Case {
        uint32_t version;
        int valid;
        uint32_t spheres;
    };
    const Case cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 1, 1}, {7, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version));
        TestModel source = TwoFrameSquare();
        source.version = c.version;
        CModel model;
        ASSERT_EQ(Load(&model, source), 1);
        EXPECT_EQ(model.IsValid(), c.valid);
        EXPECT_EQ(model.m_nSpheres, c.spheres);
        EXPECT_EQ(model.m_nBoxes, c.spheres);
    }
}

TEST_F(ModelTest, AFileOfAnotherMagicLoadsButIsNotValid) {
    TestModel source = TwoFrameSquare();
    memcpy(source.magic, "UZQ2", 4);
    CModel model;
    ASSERT_EQ(Load(&model, source), 1);
    EXPECT_EQ(model.IsValid(), 0);
    EXPECT_EQ(model.GetTriangleCount(), 2u);
    // The bounds test validity and leave their outputs alone.
    CVector3 min(7, 7, 7);
    CVector3 max(9, 9, 9);
    model.GetBounds(&min, &max, 0);
    EXPECT_EQ(min.x, 7.0f);
    EXPECT_EQ(max.z, 9.0f);
}

TEST_F(ModelTest, WeightListsAreSkipped) {
    TestModel plain = TwoFrameSquare();
    TestModel weighted = plain;
    weighted.weightFlag = 1;
    weighted.weightWords = {0, 1, 1, 2, 2, 3, 4, 5, 6, 1, 7, 8};
    CModel a;
    CModel b;
    ASSERT_EQ(Load(&a, plain), 1);
    ASSERT_EQ(Load(&b, weighted), 1);
    EXPECT_EQ(Vertices(a).bytes, Vertices(b).bytes);
    EXPECT_EQ(m_device.IndexBuffer(a.m_pIndexBuffer->GetHandle())->bytes,
              m_device.IndexBuffer(b.m_pIndexBuffer->GetHandle())->bytes);
    ASSERT_EQ(b.m_nSpheres, 1u);
    ASSERT_EQ(b.m_nBoxes, 1u);
    EXPECT_EQ(memcmp(b.m_pBoxes, plain.boxes[0].data(), 60), 0);
}

TEST_F(ModelTest, IndicesKeepTheirLow16Bits) {
    TestModel source = TwoFrameSquare();
    source.indices = {0x10000, 0xFFFF0001, 0x20002, 2, 1, 3};
    CModel model;
    ASSERT_EQ(Load(&model, source), 1);
    const uint16_t expected[6] = {0, 1, 2, 2, 1, 3};
    EXPECT_EQ(memcmp(m_device.IndexBuffer(model.m_pIndexBuffer->GetHandle())->bytes.data(), expected, 12), 0);
}

// Files that must be refused whole: the model is left empty, nothing stays on the device.
TEST_F(ModelTest, DamagedFilesAreRefusedAndLeaveNothing) {
    struct Case {
        const char* what;
        TestModel source;
        long size;  // bytes kept when positive, taken off the end when negative, all for 0
    };
    std::vector<Case> cases;
    auto add = [&cases](const char* what, auto change, long size = 0) {
        TestModel source = TwoFrameSquare();
        change(source);
        cases.push_back({what, source, size});
    };
    constexpr long kIndicesEnd = 92 + 6 * 4;
    add("no triangles", [](TestModel& m) { m.indices.clear(); });
    add("no frames", [](TestModel& m) { m.frames = 0; });
    add("no vertices", [](TestModel& m) { m.vertexCountOverride = 0; });
    add("more triangles than the file holds", [](TestModel& m) { m.triangleCountOverride = 1000; });
    add("a triangle count whose bytes pass 32 bits", [](TestModel& m) { m.triangleCountOverride = 0x20000000; });
    add("the largest triangle count", [](TestModel& m) { m.triangleCountOverride = 0xFFFFFFFF; });
    add("more vertices than the file holds", [](TestModel& m) { m.vertexCountOverride = 0x01000000; });
    add("frames times vertices past 32 bits", [](TestModel& m) {
        m.frames = 0x10000;
        m.vertexCountOverride = 0x10000;
    });
    add("more tags than the file holds", [](TestModel& m) { m.tagCountOverride = 0x00FFFFFF; });
    add("tag names written, their matrices not", [](TestModel& m) {
        m.tagNames.resize(1000, "t");
        m.version = 1;
    });
    add("an index naming the vertex after the last", [](TestModel& m) { m.indices[4] = 4; });
    add("an index past the vertices once cut to 16 bits", [](TestModel& m) { m.indices[5] = 0x10005; });
    add("an index far past the vertices", [](TestModel& m) { m.indices[0] = 0xFFFF; });
    add("indices cut short", [](TestModel&) {}, kIndicesEnd - 2);
    add("vertices cut short", [](TestModel&) {}, kIndicesEnd + 100);
    add("tag matrices cut short", [](TestModel& m) { m.version = 1; }, -10);
    add("a weight list longer than the file", [](TestModel& m) {
        m.weightFlag = 1;
        m.weightWords = {0x40000000};
        m.version = 1;
    });
    add("weight lists missing", [](TestModel& m) {
        m.weightFlag = 1;
        m.version = 1;
    });
    add("volume counts missing", [](TestModel& m) {
        m.spheres.clear();
        m.boxes.clear();
    }, -8);
    add("more spheres than written", [](TestModel& m) { m.sphereCountOverride = 2; });
    add("more boxes than written", [](TestModel& m) { m.boxCountOverride = 2; });
    add("a sphere count past 32-bit bytes", [](TestModel& m) { m.sphereCountOverride = 0xFFFFFFFF; });
    add("a box cut short", [](TestModel&) {}, -4);

    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = c.source.Bytes();
        const size_t size = c.size > 0 ? static_cast<size_t>(c.size) : bytes.size() - static_cast<size_t>(-c.size);
        ASSERT_LE(size, bytes.size());
        CModel model;
        EXPECT_EQ(model.LoadFromMemory(&m_device, bytes.data(), size), 0);
        EXPECT_TRUE(IsEmpty(model));
        EXPECT_EQ(LiveModelBuffers(), 0);
    }
}

TEST_F(ModelTest, ShortHeadersAreRefused) {
    const std::vector<uint8_t> whole = TwoFrameSquare().Bytes();
    for (const size_t size : {size_t{0}, size_t{4}, size_t{91}, size_t{92}}) {
        SCOPED_TRACE(size);
        CModel model;
        EXPECT_EQ(model.LoadFromMemory(&m_device, whole.data(), size), 0);
        EXPECT_TRUE(IsEmpty(model));
    }
}

TEST_F(ModelTest, AFailingDeviceLeavesTheModelEmpty) {
    bool* switches[] = {&m_device.m_bFailCreateIndexBuffer, &m_device.m_bFailCreateVertexBuffer,
                        &m_device.m_bFailLock};
    for (bool* failing : switches) {
        *failing = true;
        CModel model;
        EXPECT_EQ(Load(&model, TwoFrameSquare()), 0);
        EXPECT_TRUE(IsEmpty(model));
        EXPECT_EQ(LiveModelBuffers(), 0);
        *failing = false;
    }
    CModel model;
    EXPECT_EQ(model.LoadFromMemory(nullptr, nullptr, 0), 0);
    EXPECT_EQ(model.Load(nullptr, "whatever.uzq"), 0);
}

TEST_F(ModelTest, LoadingAgainReplacesWhateverWasLoaded) {
    CModel model;
    TestModel other = TwoFrameSquare();
    memcpy(other.magic, "XXXX", 4);
    ASSERT_EQ(Load(&model, other), 1);
    ASSERT_EQ(model.IsValid(), 0);
    // Not valid, but holding buffers: the next load frees them all the same.
    TestModel square = TwoFrameSquare();
    square.frames = 1;
    square.vertices.resize(4);
    square.tagMatrices.resize(2);
    ASSERT_EQ(Load(&model, square), 1);
    EXPECT_EQ(model.GetFrameCount(), 1u);
    EXPECT_EQ(LiveModelBuffers(), 2);

    TempDir dir;
    EXPECT_EQ(model.Load(&m_device, dir.File("missing.uzq").c_str()), 0);
    EXPECT_TRUE(IsEmpty(model));
    EXPECT_EQ(LiveModelBuffers(), 0);
}

TEST_F(ModelTest, FreeReleasesEverythingAndReturnsZero) {
    CModel model;
    ASSERT_EQ(Load(&model, TwoFrameSquare()), 1);
    EXPECT_EQ(model.Free(), 0);
    EXPECT_TRUE(IsEmpty(model));
    EXPECT_EQ(LiveModelBuffers(), 0);
    EXPECT_EQ(model.Free(), 0);
}

// ---------------------------------------------------------------------------------------------
// Drawing

TEST_F(ModelTest, DrawBindsTheBuffersAndDrawsTheFrame) {
    CModel model;
    ASSERT_EQ(Load(&model, TwoFrameSquare()), 1);
    const uint32_t vb = model.m_pVertexBuffer->GetHandle();
    const uint32_t ib = model.m_pIndexBuffer->GetHandle();
    m_device.m_Calls.clear();
    EXPECT_EQ(model.Draw(&m_device, 1), 1);
    const std::vector<std::string> expected = {"SetVertexBuffer 0 " + std::to_string(vb) + " 0",
                                               "SetIndexBuffer " + std::to_string(ib),
                                               "DrawIndexedPrimitive 3 4 0 4 0 2"};
    EXPECT_EQ(m_device.m_Calls, expected);

    m_device.m_Calls.clear();
    EXPECT_EQ(model.Draw(&m_device, 2), 0);
    EXPECT_EQ(model.Draw(&m_device, 0xFFFFFFFF), 0);
    CModel empty;
    EXPECT_EQ(empty.Draw(&m_device, 0), 0);
    EXPECT_TRUE(m_device.m_Calls.empty());
}

TEST_F(ModelTest, BlendingHalfwayDrawsTheMidpointOfTheFrames) {
    const TestModel source = TwoFrameSquare();
    CModel model;
    ASSERT_EQ(Load(&model, source), 1);
    m_device.m_Calls.clear();
    ASSERT_EQ(model.BlendFrames(&m_device, 0, 1, 0.5f), 1);

    const uint32_t pool = m_device.m_pPoolPNT1->GetHandle();
    const BufferRecord* blended = m_device.VertexBuffer(pool);
    ASSERT_NE(blended, nullptr);
    EXPECT_FALSE(blended->locked);
    EXPECT_FALSE(Vertices(model).locked);
    const auto* out = reinterpret_cast<const TestVertex*>(blended->bytes.data());
    const float halfRoot = std::sqrt(0.5f);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const TestVertex& a = source.vertices[static_cast<size_t>(i)];
        const TestVertex& b = source.vertices[static_cast<size_t>(i) + 4];
        EXPECT_NEAR(out[i].x, (a.x + b.x) / 2, kTolerance);
        EXPECT_NEAR(out[i].y, (a.y + b.y) / 2, kTolerance);
        EXPECT_NEAR(out[i].z, (a.z + b.z) / 2, kTolerance);
        EXPECT_NEAR(out[i].u, (a.u + b.u) / 2, kTolerance);
        EXPECT_NEAR(out[i].v, (a.v + b.v) / 2, kTolerance);
        // (0, 0, -1) and (1, 0, 0) meet halfway as a unit vector.
        EXPECT_NEAR(out[i].nx, halfRoot, kTolerance);
        EXPECT_NEAR(out[i].ny, 0.0f, kTolerance);
        EXPECT_NEAR(out[i].nz, -halfRoot, kTolerance);
    }
    const std::string last = m_device.m_Calls.back();
    EXPECT_EQ(last, "DrawIndexedPrimitive 3 0 0 4 0 2");
    EXPECT_EQ(m_device.m_Calls[m_device.m_Calls.size() - 3], "SetVertexBuffer 0 " + std::to_string(pool) + " 0");
}

TEST_F(ModelTest, BlendingAtTheEndsDrawsEitherFrame) {
    const TestModel source = TwoFrameSquare();
    CModel model;
    ASSERT_EQ(Load(&model, source), 1);
    for (const float t : {0.0f, 1.0f}) {
        SCOPED_TRACE(t);
        ASSERT_EQ(model.BlendFrames(&m_device, 0, 1, t), 1);
        const auto* out =
            reinterpret_cast<const TestVertex*>(m_device.VertexBuffer(m_device.m_pPoolPNT1->GetHandle())->bytes.data());
        const TestVertex* expected = &source.vertices[t == 0.0f ? 0 : 4];
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(out[i].x, expected[i].x);
            EXPECT_FLOAT_EQ(out[i].y, expected[i].y);
            EXPECT_FLOAT_EQ(out[i].nz, expected[i].nz);
            EXPECT_FLOAT_EQ(out[i].u, expected[i].u);
        }
    }
}

TEST_F(ModelTest, BlendingRefusesFramesPoolsAndLocksItCannotUse) {
    CModel model;
    ASSERT_EQ(Load(&model, TwoFrameSquare()), 1);
    m_device.m_Calls.clear();
    EXPECT_EQ(model.BlendFrames(&m_device, 0, 2, 0.5f), 0);
    EXPECT_EQ(model.BlendFrames(&m_device, 2, 0, 0.5f), 0);
    EXPECT_TRUE(m_device.m_Calls.empty());

    m_device.m_bFailLock = true;
    EXPECT_EQ(model.BlendFrames(&m_device, 0, 1, 0.5f), 0);
    m_device.m_bFailLock = false;
    EXPECT_FALSE(m_device.VertexBuffer(m_device.m_pPoolPNT1->GetHandle())->locked);

    CRecordingRenderDevice small;
    ASSERT_EQ(small.InitForTest(3, 0, 0), 1);
    CModel other;
    const std::vector<uint8_t> bytes = TwoFrameSquare().Bytes();
    ASSERT_EQ(other.LoadFromMemory(&small, bytes.data(), bytes.size()), 1);
    EXPECT_EQ(other.BlendFrames(&small, 0, 1, 0.5f), 0);
    CRecordingRenderDevice none;
    ASSERT_EQ(none.InitForTest(0, 0, 0), 1);
    EXPECT_EQ(model.BlendFrames(&none, 0, 1, 0.5f), 0);
}

TEST_F(ModelTest, BoundsOfEachFrame) {
    TestModel source = TwoFrameSquare();
    source.vertices[6].z = -3.0f;
    CModel model;
    ASSERT_EQ(Load(&model, source), 1);
    struct Case {
        uint32_t frame;
        CVector3 min;
        CVector3 max;
    };
    const Case cases[] = {{0, {-1, -1, 0}, {1, 1, 0}}, {1, {1, 3, -3}, {3, 5, 6}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        CVector3 min(0, 0, 0);
        CVector3 max(0, 0, 0);
        model.GetBounds(&min, &max, c.frame);
        EXPECT_EQ(min.x, c.min.x);
        EXPECT_EQ(min.y, c.min.y);
        EXPECT_EQ(min.z, c.min.z);
        EXPECT_EQ(max.x, c.max.x);
        EXPECT_EQ(max.y, c.max.y);
        EXPECT_EQ(max.z, c.max.z);
    }
    EXPECT_FALSE(Vertices(model).locked);

    // Past the last frame, through a failing lock, or on an empty model: untouched.
    CVector3 min(8, 8, 8);
    CVector3 max(9, 9, 9);
    model.GetBounds(&min, &max, 2);
    m_device.m_bFailLock = true;
    model.GetBounds(&min, &max, 0);
    m_device.m_bFailLock = false;
    CModel empty;
    empty.GetBounds(&min, &max, 0);
    EXPECT_EQ(min.x, 8.0f);
    EXPECT_EQ(max.x, 9.0f);
}

// ---------------------------------------------------------------------------------------------
// Bounding volumes

// A sphere of radius 1 at the origin and a box of half extents (1, 2, 0.5) at x = 5.
class ModelVolumeTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(Load(&m_model, TwoFrameSquare()), 1);
    }
    CModel m_model;
};

TEST_F(ModelVolumeTest, RayPickFindsTheNearestVolume) {
    struct Case {
        const char* what;
        CVector3 origin;
        CVector3 direction;
        CMatrix matrix;
        int hit;
        float distance;
    };
    const Case cases[] = {
        {"a miss", {0, 5, -10}, {0, 0, 1}, CMatrix::Identity(), 0, FLT_MAX},
        {"the sphere head on", {0, 0, -10}, {0, 0, 1}, CMatrix::Identity(), 1, 9.0f},
        {"the box head on", {5, 0, -10}, {0, 0, 1}, CMatrix::Identity(), 1, 9.5f},
        {"both in a row: the sphere is nearer", {-10, 0, 0}, {1, 0, 0}, CMatrix::Identity(), 1, 9.0f},
        {"both in a row from the other side: the box", {10, 0, 0}, {-1, 0, 0}, CMatrix::Identity(), 1, 4.0f},
        {"from inside the box: its exit", {5, 0, 0}, {0, 1, 0}, CMatrix::Identity(), 1, 2.0f},
        {"the sphere moved away", {0, 0, -10}, {0, 0, 1}, Translation(0, 3, 0), 0, FLT_MAX},
        {"the sphere moved into the ray", {0, 3, -10}, {0, 0, 1}, Translation(0, 3, 0), 1, 9.0f},
        {"the sphere doubled", {0, 1.5f, -10}, {0, 0, 1}, Scale(2, 2, 2), 1, 10.0f - std::sqrt(4.0f - 2.25f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        float distance = -1.0f;
        EXPECT_EQ(m_model.RayPick(c.origin, c.direction, c.matrix, &distance), c.hit);
        EXPECT_NEAR(distance, c.distance, c.distance * 1e-6f);
    }
}

TEST_F(ModelVolumeTest, CollideVolumeAsksTheFrustumForEachPlacedVolume) {
    struct Case {
        const char* what;
        CPlane plane;  // the frustum's one plane; inside is in front of it
        CMatrix matrix;
        int visible;
    };
    const Case cases[] = {
        {"everything in front", {1, 0, 0, 100}, CMatrix::Identity(), 1},
        {"everything behind", {1, 0, 0, -100}, CMatrix::Identity(), 0},
        {"only the box in front", {1, 0, 0, -3}, CMatrix::Identity(), 1},
        {"only the sphere in front", {-1, 0, 0, 0.5f}, CMatrix::Identity(), 1},
        {"the sphere short of the plane", {-1, 0, 0, -2.5f}, CMatrix::Identity(), 0},
        {"the sphere grown past the plane", {-1, 0, 0, -2.5f}, Scale(3, 3, 3), 1},
        {"the sphere moved past the plane", {-1, 0, 0, -2.5f}, Translation(-2, 0, 0), 1},
        {"both moved behind", {0, 1, 0, 0}, Translation(0, -10, 0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFrustum frustum;
        frustum.m_pPlanes->Append(c.plane);
        EXPECT_EQ(m_model.CollideVolume(c.matrix, frustum), c.visible);
    }
}

TEST_F(ModelVolumeTest, CollideModelTestsEveryPairInTheBoardPlane) {
    // The other model: one volume at a time.
    struct Case {
        const char* what;
        std::vector<std::array<float, 4>> spheres;
        std::vector<std::array<float, 15>> boxes;
        CMatrix otherMatrix;
        int overlap;
    };
    const float c = std::cos(0.7853982f);
    const std::array<float, 15> unitBox = {0, 0, 0, 0.5f, 0.5f, 0.5f, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    const std::array<float, 15> turnedBox = {0, 0, 0, 0.5f, 0.5f, 0.5f, c, c, 0, -c, c, 0, 0, 0, 1};
    const std::vector<Case> cases = {
        {"spheres apart", {{0, 0, 0, 0.5f}}, {}, Translation(0, 1.6f, 0), 0},
        {"spheres touching", {{0, 0, 0, 0.5f}}, {}, Translation(0, 1.4f, 0), 1},
        {"spheres far apart in z only", {{0, 0, 0, 0.5f}}, {}, Translation(0, 0, 50), 1},
        {"spheres apart once scaled down", {{0, 0, 0, 0.5f}}, {},
         Then(Scale(0.1f, 0.1f, 0.1f), Translation(0, 1.1f, 0)), 0},
        {"the sphere and a box beside it", {}, {unitBox}, Translation(-1.6f, 0, 0), 0},
        {"the sphere and a box touching it", {}, {unitBox}, Translation(-1.4f, 0, 0), 1},
        {"a sphere touching the box", {{0, 0, 0, 0.5f}}, {}, Translation(6.4f, 0, 0), 1},
        {"a sphere beside the box", {{0, 0, 0, 0.5f}}, {}, Translation(6.6f, 0, 0), 0},
        {"boxes side by side", {}, {unitBox}, Translation(6.6f, 0, 0), 0},
        {"boxes overlapping", {}, {unitBox}, Translation(6.4f, 2.4f, 0), 1},
        {"a turned box reaching with its corner", {}, {turnedBox}, Translation(6.6f, 0, 0), 1},
        {"a turned box out of reach", {}, {turnedBox}, Translation(6.8f, 0, 0), 0},
        {"boxes apart in z only still overlap", {}, {unitBox}, Translation(5, 0, 40), 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        TestModel source = TwoFrameSquare();
        source.spheres = test.spheres;
        source.boxes = test.boxes;
        CModel other;
        ASSERT_EQ(Load(&other, source), 1);
        EXPECT_EQ(m_model.CollideModel(CMatrix::Identity(), &other, test.otherMatrix), test.overlap);
        EXPECT_EQ(other.CollideModel(test.otherMatrix, &m_model, CMatrix::Identity()), test.overlap);
    }
    EXPECT_EQ(m_model.CollideModel(CMatrix::Identity(), nullptr, CMatrix::Identity()), 0);
}

TEST_F(ModelVolumeTest, AModelWithoutVolumesIsNeverHitSeenOrTouched) {
    TestModel source = TwoFrameSquare();
    source.version = 1;
    CModel bare;
    ASSERT_EQ(Load(&bare, source), 1);
    ASSERT_EQ(bare.IsValid(), 1);
    float distance = 0.0f;
    EXPECT_EQ(bare.RayPick(CVector3(0, 0, -10), CVector3(0, 0, 1), CMatrix::Identity(), &distance), 0);
    EXPECT_EQ(distance, FLT_MAX);
    CFrustum everything;
    EXPECT_EQ(bare.CollideVolume(CMatrix::Identity(), everything), 0);
    EXPECT_EQ(bare.CollideModel(CMatrix::Identity(), &m_model, CMatrix::Identity()), 0);
    EXPECT_EQ(m_model.CollideModel(CMatrix::Identity(), &bare, CMatrix::Identity()), 0);
}

// ---------------------------------------------------------------------------------------------
// Through the render device

TEST(ModelDeviceTest, LoadModelLogsAndHandsTheModelOver) {
    TempDir dir;
    const std::string good = dir.File("square.uzq");
    const std::vector<uint8_t> bytes = TwoFrameSquare().Bytes();
    WriteBytes(good, bytes.data(), bytes.size());
    const std::string bad = dir.File("cut.uzq");
    WriteBytes(bad, bytes.data(), 100);
    const std::string logPath = dir.File("device.log");
    {
        CLogFile log(logPath.c_str());
        CRecordingRenderDevice device;
        ASSERT_EQ(device.InitForTest(0, 0, 0, &log), 1);

        CModel* model = nullptr;
        ASSERT_EQ(device.LoadModel(good.c_str(), &model), 1);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->IsValid(), 1);
        EXPECT_EQ(model->m_pClass, CModel::GetStaticClass());
        device.FreeModel(model);

        CModel* failed = nullptr;
        EXPECT_EQ(device.LoadModel(bad.c_str(), &failed), 0);
        ASSERT_NE(failed, nullptr);
        EXPECT_EQ(failed->IsValid(), 0);
        device.FreeModel(failed);
    }
    EXPECT_EQ(ReadText(logPath), "loading " + good + "... ok\nloading " + bad + "... failed\n");
}

TEST_F(ModelTest, AModelNeverLoadedHasNoFramesAndIsNotValid) {
    const CModel model;
    EXPECT_EQ(model.GetFrameCount(), 0u);
    EXPECT_EQ(model.IsValid(), 0);
}

}  // namespace
