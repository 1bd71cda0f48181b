// Shadow volumes: the silhouette edges and the extruded quads on the recording device (a
// triangle towards, away from and edge-on to the light, a welded cube, blended frames, the
// refusals), and on the Direct3D 9 device the stencil counts that a tool-made model's volume
// leaves on a plane, drawn by the scene-object list's two-pass protocol, mirrored or not.
#include "engine/graphics/ShadowVolume.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/graphics/VertexBuffer.h"
#include "tests/engine/graphics/ModelBytes.h"
#include "tests/engine/graphics/ShaderSceneFixture.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/RayBox.h"
#include "tests/support/SceneWindow.h"
#include "tests/support/ShadowStencil.h"
#include "tests/support/ToolModel.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

using Edge = std::pair<int, int>;

CVector3 Scaled(const CVector3& v, float s) {
    return CVector3(v.x * s, v.y * s, v.z * s);
}

CVector3 Minus(const CVector3& a, const CVector3& b) {
    return CVector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

float Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// One triangle p0 (0, 0, 0), p1 (0, 1, 0), p2 (1, 0, 0): clockwise as the viewer sees it, so
// it faces -z.
TestModel Triangle() {
    TestModel model;
    model.indices = {0, 1, 2};
    model.vertices = {{0, 0, 0, 0, 0, -1, 0, 0}, {0, 1, 0, 0, 0, -1, 0, 0}, {1, 0, 0, 0, 0, -1, 0, 0}};
    return model;
}

// The unit cube with its eight corners shared by all faces (corner x + 2y + 4z), every
// triangle clockwise as seen from outside, as the engine's front faces are.
TestModel WeldedCube() {
    TestModel model;
    for (int corner = 0; corner < 8; ++corner)
        model.vertices.push_back({static_cast<float>(corner & 1), static_cast<float>((corner >> 1) & 1),
                                  static_cast<float>((corner >> 2) & 1), 0, 0, 0, 0, 0});
    const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    const CVector3 centre(0.5f, 0.5f, 0.5f);
    auto position = [&model](int i) {
        const TestVertex& v = model.vertices[static_cast<size_t>(i)];
        return CVector3(v.x, v.y, v.z);
    };
    for (const auto& face : faces) {
        for (const auto& triangle : {std::array<int, 3>{face[0], face[1], face[2]},
                                     std::array<int, 3>{face[0], face[2], face[3]}}) {
            const CVector3 p0 = position(triangle[0]), p1 = position(triangle[1]), p2 = position(triangle[2]);
            CVector3 n;
            Minus(p2, p1).Cross(&n, Minus(p1, p0));
            const CVector3 middle =
                Scaled(CVector3(p0.x + p1.x + p2.x, p0.y + p1.y + p2.y, p0.z + p1.z + p2.z), 1 / 3.0f);
            // Clockwise from outside turns this normal inwards.
            const bool clockwise = Dot(n, Minus(middle, centre)) < 0;
            model.indices.push_back(static_cast<uint32_t>(triangle[0]));
            model.indices.push_back(static_cast<uint32_t>(clockwise ? triangle[1] : triangle[2]));
            model.indices.push_back(static_cast<uint32_t>(clockwise ? triangle[2] : triangle[1]));
        }
    }
    return model;
}

// The remaining edges after a build, as unordered corner pairs.
std::set<Edge> EdgeSet(const CShadowVolume& volume, uint32_t count) {
    std::set<Edge> edges;
    for (uint32_t i = 0; i < count; ++i) {
        const int a = volume.m_pEdges[i].a;
        const int b = volume.m_pEdges[i].b;
        edges.insert({std::min(a, b), std::max(a, b)});
    }
    return edges;
}

std::string Describe(const std::set<Edge>& edges) {
    std::string out;
    for (const Edge& e : edges)
        out += "(" + std::to_string(e.first) + "," + std::to_string(e.second) + ")";
    return out;
}

class ShadowVolumeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_device.InitForTest(64, 0, 0), 1); }

    void Load(CModel* model, const TestModel& source) {
        const std::vector<uint8_t> bytes = source.Bytes();
        ASSERT_EQ(model->LoadFromMemory(&m_device, bytes.data(), bytes.size()), 1);
    }

    // The positions the last build wrote, vertex by vertex.
    std::vector<CVector3> Positions(const CShadowVolume& volume) {
        const auto* record = m_device.VertexBuffer(volume.m_pVertexBuffer->GetHandle());
        std::vector<CVector3> out;
        for (uint32_t i = 0; i < volume.GetVertexCount(); ++i) {
            float xyz[3];
            memcpy(xyz, record->bytes.data() + i * CShadowVolume::kVertexSize, sizeof xyz);
            out.emplace_back(xyz[0], xyz[1], xyz[2]);
        }
        return out;
    }

    // The edges a build extruded, read back from its quads: each begins with its edge's two
    // corners.
    std::set<Edge> BuiltEdges(const CShadowVolume& volume, const TestModel& source) {
        std::set<Edge> edges;
        const std::vector<CVector3> positions = Positions(volume);
        auto corner = [&source](const CVector3& p) {
            for (size_t i = 0; i < source.vertices.size(); ++i) {
                const TestVertex& v = source.vertices[i];
                if (v.x == p.x && v.y == p.y && v.z == p.z)
                    return static_cast<int>(i);
            }
            return -1;
        };
        for (size_t quad = 0; quad + 5 < positions.size(); quad += 6) {
            const int a = corner(positions[quad]);
            const int b = corner(positions[quad + 1]);
            edges.insert({std::min(a, b), std::max(a, b)});
        }
        return edges;
    }

    CRecordingRenderDevice m_device;
};

TEST_F(ShadowVolumeTest, CreateMakesRoomForTheWorstCase) {
    CModel cube;
    Load(&cube, WeldedCube());
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &cube), 1);
    EXPECT_EQ(volume.m_pModel, &cube);
    ASSERT_NE(volume.m_pVertexBuffer, nullptr);
    EXPECT_EQ(volume.m_pVertexBuffer->GetSize(), 12u * 288u);
    EXPECT_EQ(volume.m_pVertexBuffer->GetFormat(), 0x42u);
    EXPECT_EQ(volume.m_pVertexBuffer->GetVertexSize(), 16u);
    EXPECT_EQ(volume.m_pVertexBuffer->GetPool(), static_cast<uint32_t>(kPoolManaged));
    EXPECT_EQ(volume.m_pVertexBuffer->GetUsage(), 8u);
    EXPECT_NE(volume.m_pEdges, nullptr);
    EXPECT_EQ(volume.GetVertexCount(), 0u);

    // A second Create frees the first buffers.
    const uint32_t firstHandle = volume.m_pVertexBuffer->GetHandle();
    ASSERT_EQ(volume.Create(&m_device, &cube), 1);
    EXPECT_TRUE(m_device.m_VertexBuffers[firstHandle - 1].released);
}

TEST_F(ShadowVolumeTest, CreateRefusesAnInvalidModelOrAMissingBufferAndBuildThenFails) {
    CModel cube;
    Load(&cube, WeldedCube());
    CModel empty;
    TestModel wrongMagic = WeldedCube();
    memcpy(wrongMagic.magic, "UZQ2", 4);
    CModel unknown;
    Load(&unknown, wrongMagic);
    struct Case {
        const char* name;
        CRenderDevice* device;
        CModel* model;
        bool failBuffer;
    };
    const Case cases[] = {
        {"an empty model", &m_device, &empty, false},
        {"a model of another magic", &m_device, &unknown, false},
        {"no model", &m_device, nullptr, false},
        {"no device", nullptr, &cube, false},
        {"a buffer the device refuses", &m_device, &cube, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CShadowVolume volume;
        ASSERT_EQ(volume.Create(&m_device, &cube), 1);  // something to lose
        m_device.m_bFailCreateVertexBuffer = c.failBuffer;
        EXPECT_EQ(volume.Create(c.device, c.model), 0);
        m_device.m_bFailCreateVertexBuffer = false;
        EXPECT_EQ(volume.m_pModel, nullptr);
        EXPECT_EQ(volume.m_pVertexBuffer, nullptr);
        EXPECT_EQ(volume.m_pEdges, nullptr);
        // A volume whose creation failed builds nothing and draws nothing.
        EXPECT_EQ(volume.Build(CVector3(0, 0, 1)), 0);
        EXPECT_EQ(volume.BuildBlended(CVector3(0, 0, 1), 0, 0, 0.5f), 0);
        const size_t calls = m_device.m_Calls.size();
        EXPECT_EQ(volume.Draw(&m_device), 1);
        EXPECT_EQ(m_device.m_Calls.size(), calls);
    }
    CShadowVolume never;
    EXPECT_EQ(never.Build(CVector3(0, 0, 1)), 0);
}

TEST_F(ShadowVolumeTest, AddEdgeTogglesEdgesEitherWayRound) {
    CModel cube;
    Load(&cube, WeldedCube());
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &cube), 1);
    uint32_t count = 0;
    volume.AddEdge(&count, 1, 2);
    volume.AddEdge(&count, 3, 4);
    volume.AddEdge(&count, 5, 6);
    ASSERT_EQ(count, 3u);
    // Found the other way round: removed, the last entry takes its place.
    volume.AddEdge(&count, 2, 1);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(volume.m_pEdges[0].a, 5);
    EXPECT_EQ(volume.m_pEdges[0].b, 6);
    EXPECT_EQ(volume.m_pEdges[1].a, 3);
    // Found the same way round: removed too.
    volume.AddEdge(&count, 3, 4);
    ASSERT_EQ(count, 1u);
    volume.AddEdge(&count, 6, 5);
    EXPECT_EQ(count, 0u);
    // The list never grows past three edges a triangle.
    for (uint16_t i = 0; i < 100; ++i)
        volume.AddEdge(&count, i, static_cast<uint16_t>(i + 1000));
    EXPECT_EQ(count, 36u);
}

TEST_F(ShadowVolumeTest, ATriangleTowardsTheLightGivesThreeQuadsAndOneAwayNone) {
    CModel triangle;
    Load(&triangle, Triangle());
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &triangle), 1);
    struct Case {
        const char* name;
        CVector3 light;
        uint32_t vertices;
    };
    const Case cases[] = {
        {"towards", {0.0f, 0.0f, 0.5f}, 18},
        {"away", {0.0f, 0.0f, -0.5f}, 0},
        {"edge-on counts as towards", {0.5f, 0.0f, 0.0f}, 18},
        {"slanted towards", {-0.3f, 0.4f, 0.2f}, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(volume.Build(c.light), 1);
        ASSERT_EQ(volume.GetVertexCount(), c.vertices);
        if (c.vertices == 0)
            continue;
        // Edges (0, 1), (1, 2), (2, 0), each P, Q, P - E, Q, Q - E, P - E with E ten times the light.
        const CVector3 corners[3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
        const CVector3 e = Scaled(c.light, 10.0f);
        const std::vector<CVector3> positions = Positions(volume);
        for (int edge = 0; edge < 3; ++edge) {
            const CVector3 p = corners[edge];
            const CVector3 q = corners[(edge + 1) % 3];
            const CVector3 expected[6] = {p, q, Minus(p, e), q, Minus(q, e), Minus(p, e)};
            for (int i = 0; i < 6; ++i) {
                const CVector3& got = positions[static_cast<size_t>(edge * 6 + i)];
                EXPECT_NEAR(got.x, expected[i].x, 1e-6f) << "edge " << edge << " vertex " << i;
                EXPECT_NEAR(got.y, expected[i].y, 1e-6f) << "edge " << edge << " vertex " << i;
                EXPECT_NEAR(got.z, expected[i].z, 1e-6f) << "edge " << edge << " vertex " << i;
            }
        }
    }
}

TEST_F(ShadowVolumeTest, AClosedMeshKeepsExactlyItsOutline) {
    const TestModel source = WeldedCube();
    CModel cube;
    Load(&cube, source);
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &cube), 1);
    struct Case {
        const char* name;
        CVector3 light;
        std::set<Edge> outline;
    };
    const Case cases[] = {
        // The six edges that touch neither the corner nearest the light nor the farthest.
        {"slanted", {0.3f, 0.2f, 1.0f}, {{1, 3}, {1, 5}, {2, 3}, {2, 6}, {4, 5}, {4, 6}}},
        {"slanted the other way", {-0.3f, -0.2f, -1.0f}, {{1, 3}, {1, 5}, {2, 3}, {2, 6}, {4, 5}, {4, 6}}},
        // Along an axis the four side faces are edge-on and count as lit: the outline is the
        // far face's rim.
        {"along z", {0.0f, 0.0f, 1.0f}, {{4, 5}, {4, 6}, {5, 7}, {6, 7}}},
        {"against z", {0.0f, 0.0f, -1.0f}, {{0, 1}, {0, 2}, {1, 3}, {2, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(volume.Build(c.light), 1);
        EXPECT_EQ(volume.GetVertexCount(), c.outline.size() * 6);
        EXPECT_EQ(Describe(BuiltEdges(volume, source)), Describe(c.outline));
        EXPECT_EQ(Describe(EdgeSet(volume, volume.GetVertexCount() / 6)), Describe(c.outline));
    }
}

TEST_F(ShadowVolumeTest, BlendedFramesInterpolateAndBuildUsesFrameZero) {
    // Two frames, the second moved by (2, 4, 6).
    CModel square;
    Load(&square, TwoFrameSquare());
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &square), 1);
    const CVector3 light(0.0f, 0.0f, 1.0f);
    ASSERT_EQ(volume.Build(light), 1);
    const std::vector<CVector3> frameZero = Positions(volume);
    ASSERT_EQ(frameZero.size(), 24u);  // the square's rim

    struct Case {
        uint32_t a, b;
        float t;
        CVector3 shift;
    };
    const Case cases[] = {
        {0, 1, 0.5f, {1, 2, 3}}, {0, 1, 0.25f, {0.5f, 1, 1.5f}}, {1, 0, 0.25f, {1.5f, 3, 4.5f}},
        {1, 1, 0.7f, {2, 4, 6}}, {0, 0, 0.0f, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("frames " + std::to_string(c.a) + " and " + std::to_string(c.b) + " at " + std::to_string(c.t));
        ASSERT_EQ(volume.BuildBlended(light, c.a, c.b, c.t), 1);
        const std::vector<CVector3> blended = Positions(volume);
        ASSERT_EQ(blended.size(), frameZero.size());
        for (size_t i = 0; i < blended.size(); ++i) {
            EXPECT_NEAR(blended[i].x, frameZero[i].x + c.shift.x, 1e-5f) << "vertex " << i;
            EXPECT_NEAR(blended[i].y, frameZero[i].y + c.shift.y, 1e-5f) << "vertex " << i;
            EXPECT_NEAR(blended[i].z, frameZero[i].z + c.shift.z, 1e-5f) << "vertex " << i;
        }
    }
    // Build ignores the animation.
    ASSERT_EQ(volume.Build(light), 1);
    EXPECT_EQ(Positions(volume).front().x, frameZero.front().x);

    // Frames past the model's are refused and the last volume stays.
    for (const auto& [a, b] : {std::pair<uint32_t, uint32_t>{0, 2}, {2, 0}, {7, 9}, {0xFFFFFFFFu, 0}}) {
        EXPECT_EQ(volume.BuildBlended(light, a, b, 0.5f), 0) << a << " " << b;
        EXPECT_EQ(volume.GetVertexCount(), 24u);
    }
}

TEST_F(ShadowVolumeTest, AFailedLockBuildsNothing) {
    CModel cube;
    Load(&cube, WeldedCube());
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &cube), 1);
    m_device.m_bFailLock = true;
    EXPECT_EQ(volume.Build(CVector3(0, 0, 1)), 0);
    EXPECT_EQ(volume.BuildBlended(CVector3(0, 0, 1), 0, 0, 0.0f), 0);
    m_device.m_bFailLock = false;
    for (const auto& record : m_device.m_VertexBuffers)
        EXPECT_FALSE(record.locked);
    ASSERT_EQ(volume.Build(CVector3(0, 0, 1)), 1);
    for (const auto& record : m_device.m_VertexBuffers)
        EXPECT_FALSE(record.locked);
    for (const auto& record : m_device.m_IndexBuffers)
        EXPECT_FALSE(record.locked);
}

TEST_F(ShadowVolumeTest, DrawBindsTheBufferAndDrawsTrianglesWithoutAnyState) {
    CModel cube;
    Load(&cube, WeldedCube());
    CShadowVolume volume;
    ASSERT_EQ(volume.Create(&m_device, &cube), 1);
    // Nothing built yet: nothing drawn, and that is no failure.
    size_t first = m_device.m_Calls.size();
    EXPECT_EQ(volume.Draw(&m_device), 1);
    EXPECT_EQ(m_device.m_Calls.size(), first);

    ASSERT_EQ(volume.Build(CVector3(0.3f, 0.2f, 1.0f)), 1);
    first = m_device.m_Calls.size();
    EXPECT_EQ(volume.Draw(&m_device), 1);
    const std::vector<std::string> calls(m_device.m_Calls.begin() + static_cast<std::ptrdiff_t>(first),
                                         m_device.m_Calls.end());
    const std::string handle = std::to_string(volume.m_pVertexBuffer->GetHandle());
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "SetVertexBuffer 0 " + handle + " 0");
    EXPECT_EQ(calls[1], "DrawPrimitive 3 0 12");  // six edges, two triangles each
    EXPECT_EQ(volume.Draw(nullptr), 0);

    volume.Free();
    EXPECT_EQ(volume.m_pModel, nullptr);
    EXPECT_EQ(volume.GetVertexCount(), 0u);
    EXPECT_EQ(volume.Draw(&m_device), 1);
    EXPECT_EQ(volume.Build(CVector3(0, 0, 1)), 0);
}

// ---------------------------------------------------------------------------------------------
// Stencil counts on the Direct3D 9 device

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Two closed boxes, the smaller one nearer the camera and the light, so that their shadows on
// the plane overlap in part. In the model's own space.
const char* const kCasterText =
    "part box size 1.2 1.2 1.2\n    translate -0.5 0.4 0\nend\n"
    "part box size 0.6 1 0.6\n    translate -0.3 0.2 -1.4\nend\n";
const Box kCasterBoxes[2] = {{{-0.5f, 0.4f, 0.0f}, {0.6f, 0.6f, 0.6f}}, {{-0.3f, 0.2f, -1.4f}, {0.3f, 0.5f, 0.3f}}};
// The receiving plane: a thin board whose front face lies at z = 2.95, wider than the view.
const char* const kPlaneText = "part box size 16 12 0.1\n    translate 0 0 3\nend\n";
constexpr float kPlaneZ = 2.95f;
// The scene-object list's light direction; the caster's shadow length 1 reaches the plane.
const CVector3 kLight(0.4f, -0.5f, 1.0f);

class ShadowStencilTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_scene.Start(kWidth, kHeight));
        std::string error;
        ASSERT_TRUE(MakeToolModel(&m_scene.m_Device, kCasterText, &m_caster, &error)) << error;
        ASSERT_TRUE(MakeToolModel(&m_scene.m_Device, kPlaneText, &m_plane, &error)) << error;
        m_shaders.Init(&m_scene.m_Device);
        const std::string script = std::string(BRENLOW_CONTENT_DIR) + "/scripts/shaders/shaders.shd";
        ASSERT_EQ(m_shaders.LoadScript(script.c_str(), nullptr), 1);
        ASSERT_NE(m_shaders.GetShader("floor"), nullptr);
        ASSERT_NE(m_shaders.GetShader("red"), nullptr);
        ASSERT_EQ(m_volume.Create(&m_scene.m_Device, &m_caster), 1);
    }

    // A mirrored object's faces turn the other way: it is drawn with clockwise culling.
    void DrawModel(CModel* model, const char* shaderName, const CMatrix& world, bool bMirrored) {
        CRenderDevice& device = m_scene.m_Device;
        CShader* shader = m_shaders.GetShader(shaderName);
        device.SetTransform(kTransformWorld, &world);
        for (uint32_t i = 0; i < shader->GetPassCount(); ++i) {
            shader->Apply(shader->GetPass(i), nullptr);
            if (bMirrored)
                device.SetRenderState(kRenderCullMode, kCullClockwise);
            model->Draw(&device, 0);
            if (bMirrored)
                device.SetRenderState(kRenderCullMode, kCullCounterClockwise);
            shader->ResetShaderStates(shader->GetPass(i));
        }
    }

    // Renders the plane and the caster, its shadow pass and the darkening; the darkened frame,
    // then the stencil values.
    void Render(const CMatrix& world, bool bMirroredOrder, PixelFrame* darkened, std::vector<int>* stencil) {
        CRenderDeviceDX9& device = m_scene.m_Device;
        device.Clear(kClearTarget | kClearDepth | kClearStencil, 0xFF000000, 1.0f, 0);
        device.BeginScene();
        device.SetLight(0, &device.m_Lights[0]);
        device.LightEnable(0, 1);
        DrawModel(&m_plane, "floor", CMatrix::Identity(), false);
        DrawModel(&m_caster, "red", world, world.m_f[0] < 0.0f);
        EXPECT_TRUE(DrawShadowVolumes(&device, {CShadowCaster{&m_volume, world, bMirroredOrder}}, 1.0f));
        DarkenShadows(&device, kWidth, kHeight);
        device.EndScene();
        *darkened = m_scene.Grab();
        device.BeginScene();
        *stencil = ReadStencil(&m_scene);
    }

    CSceneWindow m_scene;
    CModel m_caster;
    CModel m_plane;
    CShaderHandler m_shaders;
    CShadowVolume m_volume;
};

// The caster's boxes in world space under a world matrix that moves and maybe mirrors x.
std::vector<Box> WorldBoxes(const CMatrix& world) {
    std::vector<Box> boxes;
    for (const Box& box : kCasterBoxes) {
        CVector3 centre;
        world.TransformPoint(&centre, box.centre);
        boxes.push_back({centre, box.half});
    }
    return boxes;
}

// What the stencil should hold at a window point: kStencilUnknown where the caster itself is
// seen, else how many of its boxes lie between the plane point and the light.
int ExpectedCount(const CSceneWindow& scene, const std::vector<Box>& boxes, float x, float y) {
    CVector3 origin, direction;
    scene.PixelRay(x, y, &origin, &direction);
    for (const Box& box : boxes) {
        if (RayBox(origin, direction, box).t >= 0.0f)
            return kStencilUnknown;
    }
    const float t = (kPlaneZ - origin.z) / direction.z;
    const CVector3 onPlane(origin.x + t * direction.x, origin.y + t * direction.y, kPlaneZ);
    const CVector3 towardsLight = Scaled(kLight, -1.0f);
    int count = 0;
    for (const Box& box : boxes)
        count += RayBox(onPlane, towardsLight, box).t >= 0.0f ? 1 : 0;
    return count;
}

struct Tally {
    int checked[3] = {};
    int wrong = 0;
    std::string firstWrong;
};

TEST_F(ShadowStencilTest, TheVolumeCountsOneInsideTheShadowAndTheDarkeningFollows) {
    CMatrix move, mirror, mirroredWorld;
    move.SetTranslation(-0.8f, 0.6f, 0.0f);
    mirror.SetScale(-1.0f, 1.0f, 1.0f);
    CMatrix::Multiply(&mirroredWorld, mirror, move);
    struct Case {
        const char* name;
        CMatrix world;
        bool mirroredOrder;
    };
    const Case cases[] = {
        {"an ordinary object", move, false},
        {"a mirrored object, culls swapped", mirroredWorld, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PixelFrame darkened;
        std::vector<int> stencil;
        Render(c.world, c.mirroredOrder, &darkened, &stencil);
        const std::vector<Box> boxes = WorldBoxes(c.world);
        // The plane's lit colour, far from any shadow.
        const uint32_t lit = darkened.At(2, 2);
        ASSERT_EQ(ExpectedCount(m_scene, boxes, 2.5f, 2.5f), 0);
        ASSERT_GT(lit & 0xFF, 0x40u);

        Tally tally;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                // Only where the neighbourhood agrees: edges may fall either way.
                const float cx = static_cast<float>(x) + 0.5f;
                const float cy = static_cast<float>(y) + 0.5f;
                const int expected = ExpectedCount(m_scene, boxes, cx, cy);
                if (expected == kStencilUnknown)
                    continue;
                bool stable = true;
                for (const auto& [dx, dy] : {std::pair{1.5f, 0.0f}, {-1.5f, 0.0f}, {0.0f, 1.5f}, {0.0f, -1.5f}})
                    stable = stable && ExpectedCount(m_scene, boxes, cx + dx, cy + dy) == expected;
                if (!stable)
                    continue;
                ++tally.checked[std::min(expected, 2)];
                const int got = stencil[static_cast<size_t>(y) * kWidth + x];
                // Darkened once wherever the count is 1 or more.
                const uint32_t colour = darkened.At(x, y);
                bool shaded = true;
                for (const int shift : {16, 8, 0}) {
                    const int want = expected ? static_cast<int>(((lit >> shift) & 0xFF) * 127 / 255)
                                              : static_cast<int>((lit >> shift) & 0xFF);
                    shaded = shaded && std::abs(static_cast<int>((colour >> shift) & 0xFF) - want) <= 3;
                }
                if (got != expected || !shaded) {
                    if (tally.wrong++ == 0) {
                        char line[160];
                        snprintf(line, sizeof line, "pixel (%d, %d): stencil %d, expected %d; colour %06X, lit %06X",
                                 x, y, got, expected, colour, lit);
                        tally.firstWrong = line;
                    }
                }
            }
        }
        EXPECT_EQ(tally.wrong, 0) << tally.firstWrong;
        // The scene has lit plane, shadow and the two shadows' overlap, all well inside the frame.
        EXPECT_GT(tally.checked[0], 5000);
        EXPECT_GT(tally.checked[1], 300);
        EXPECT_GT(tally.checked[2], 20);
    }
}

TEST_F(ShadowStencilTest, AMirroredObjectDrawnInTheOrdinaryOrderCountsTheWrongWay) {
    CMatrix move, mirror, mirroredWorld;
    move.SetTranslation(0.8f, 0.6f, 0.0f);
    mirror.SetScale(-1.0f, 1.0f, 1.0f);
    CMatrix::Multiply(&mirroredWorld, mirror, move);
    PixelFrame darkened;
    std::vector<int> stencil;
    Render(mirroredWorld, false, &darkened, &stencil);
    const std::vector<Box> boxes = WorldBoxes(mirroredWorld);
    int minusOne = 0;
    int shadowPixels = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (ExpectedCount(m_scene, boxes, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f) == 1) {
                ++shadowPixels;
                minusOne += stencil[static_cast<size_t>(y) * kWidth + x] == 255 ? 1 : 0;
            }
        }
    }
    ASSERT_GT(shadowPixels, 300);
    EXPECT_GT(minusOne, shadowPixels * 9 / 10);
}

}  // namespace
