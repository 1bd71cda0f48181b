// The model writer: what its texts build, read back through the engine's model reader.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/VertexBuffer.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"
#include "tools/model/ModelBuilder.h"
#include "tools/model/ModelText.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

constexpr float kTolerance = 1e-5f;

// A tool-made model loaded into the recording device, with its index and vertex data.
class ToolModel {
public:
    bool Make(const std::string& text, std::string* error = nullptr) {
        std::vector<uint8_t> bytes;
        std::string message;
        if (!MakeModelFromText(text, &bytes, &message)) {
            if (error)
                *error = message;
            ADD_FAILURE() << message;
            return false;
        }
        return Load(bytes);
    }

    bool Load(const std::vector<uint8_t>& bytes) {
        if (!m_device.m_pPoolPNT1 && !m_device.InitForTest(8192, 0, 0))
            return false;
        return m_model.LoadFromMemory(&m_device, bytes.data(), bytes.size()) == 1;
    }

    const CModelVertex* Vertices(uint32_t frame) {
        const auto& bytes = m_device.VertexBuffer(m_model.m_pVertexBuffer->GetHandle())->bytes;
        return reinterpret_cast<const CModelVertex*>(bytes.data()) + size_t{frame} * m_model.GetVertexCount();
    }
    const uint16_t* Indices() {
        const auto& bytes = m_device.IndexBuffer(m_model.m_pIndexBuffer->GetHandle())->bytes;
        return reinterpret_cast<const uint16_t*>(bytes.data());
    }
    CVector3 Position(uint32_t frame, uint32_t index) {
        const CModelVertex& v = Vertices(frame)[index];
        return CVector3(v.x, v.y, v.z);
    }
    // The triangles of a frame that have an area.
    int VisibleTriangles(uint32_t frame) {
        int count = 0;
        for (uint32_t t = 0; t < m_model.GetTriangleCount(); ++t) {
            CVector3 a = Position(frame, Indices()[3 * t]);
            CVector3 b = Position(frame, Indices()[3 * t + 1]);
            CVector3 c = Position(frame, Indices()[3 * t + 2]);
            CVector3 ab, ac, face;
            b.Subtract(&ab, a);
            c.Subtract(&ac, a);
            ab.Cross(&face, ac);
            count += face.Length() > 1e-9f ? 1 : 0;
        }
        return count;
    }

    CRecordingRenderDevice m_device;
    CModel m_model;
};

float Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// ---------------------------------------------------------------------------------------------
// Reading back what was written

TEST(ModelToolTest, FramesTagsAndVolumesReadBackAsWritten) {
    ToolModel tool;
    ASSERT_TRUE(tool.Make(
        "frames 3\n"
        "part box size 2 2 2\n"
        "    frame 1 translate 0 1 0\n"
        "    frame 2 translate 0 2 0\n"
        "    frame 2 scale 0.5\n"
        "end\n"
        "tag b\n    translate 1 2 3\nend\n"
        "tag A\n    rotate z 90\n    frame 1-2 translate 0 0 5\nend\n"
        "tag c\n    matrix 1 0 0 0  0 2 0 0  0 0 3 0  4 5 6 1\nend\n"
        "sphere 1 2 3 0.5\n"
        "box 0 0 0 1.5 0.1 0.25 90\n"
        "box 1 1 0 1 2 3\n"));
    CModel& model = tool.m_model;
    EXPECT_EQ(model.IsValid(), 1);
    EXPECT_EQ(model.m_Header.nVersion, 2u);
    EXPECT_EQ(model.m_Header.nWeights, 0u);
    EXPECT_EQ(model.GetFrameCount(), 3u);
    EXPECT_EQ(model.GetTriangleCount(), 12u);
    EXPECT_EQ(model.GetVertexCount(), 24u);

    struct Bounds {
        uint32_t frame;
        CVector3 min;
        CVector3 max;
    };
    const Bounds bounds[] = {{0, {-1, -1, -1}, {1, 1, 1}}, {1, {-1, 0, -1}, {1, 2, 1}},
                             {2, {-0.5f, 0.5f, -0.5f}, {0.5f, 1.5f, 0.5f}}};
    for (const Bounds& b : bounds) {
        SCOPED_TRACE(b.frame);
        CVector3 min, max;
        model.GetBounds(&min, &max, b.frame);
        EXPECT_EQ(min.x, b.min.x);
        EXPECT_EQ(min.y, b.min.y);
        EXPECT_EQ(min.z, b.min.z);
        EXPECT_EQ(max.x, b.max.x);
        EXPECT_EQ(max.y, b.max.y);
        EXPECT_EQ(max.z, b.max.z);
    }

    // Sorted by name without regard to case.
    ASSERT_EQ(model.GetTagCount(), 3u);
    EXPECT_STREQ(model.GetTagName(0), "A");
    EXPECT_STREQ(model.GetTagName(1), "b");
    EXPECT_STREQ(model.GetTagName(2), "c");
    const float turned[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float turnedAndMoved[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1};
    const float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    const float given[16] = {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 4, 5, 6, 1};
    for (uint32_t frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        EXPECT_EQ(memcmp(model.GetTagMatrix(frame, 0)->m_f, frame == 0 ? turned : turnedAndMoved, 64), 0);
        EXPECT_EQ(memcmp(model.GetTagMatrix(frame, 1)->m_f, moved, 64), 0);
        EXPECT_EQ(memcmp(model.GetTagMatrix(frame, 2)->m_f, given, 64), 0);
    }

    ASSERT_EQ(model.m_nSpheres, 1u);
    EXPECT_EQ(model.m_pSpheres[0].vCentre.z, 3.0f);
    EXPECT_EQ(model.m_pSpheres[0].fRadius, 0.5f);
    ASSERT_EQ(model.m_nBoxes, 2u);
    // Boxes lie in the board plane: turned about z, the third axis on z.
    const float quarterTurned[15] = {0, 0, 0, 1.5f, 0.1f, 0.25f, 0, 1, 0, -1, 0, 0, 0, 0, 1};
    const float upright[15] = {1, 1, 0, 1, 2, 3, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(memcmp(&model.m_pBoxes[0], quarterTurned, 60), 0);
    EXPECT_EQ(memcmp(&model.m_pBoxes[1], upright, 60), 0);
}

TEST(ModelToolTest, BlendingTwoWrittenFramesGivesTheirMidpoint) {
    ToolModel tool;
    ASSERT_TRUE(tool.Make(
        "frames 2\n"
        "part cylinder radius 0.5 length 1 segments 12\n"
        "    frame 1 translate 2 4 -6\n"
        "    frame 1 rotate z 90\n"
        "end\n"));
    ASSERT_EQ(tool.m_model.BlendFrames(&tool.m_device, 0, 1, 0.5f), 1);
    const auto* blended = reinterpret_cast<const CModelVertex*>(
        tool.m_device.VertexBuffer(tool.m_device.m_pPoolPNT1->GetHandle())->bytes.data());
    const CModelVertex* a = tool.Vertices(0);
    const CModelVertex* b = tool.Vertices(1);
    for (uint32_t i = 0; i < tool.m_model.GetVertexCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(blended[i].x, (a[i].x + b[i].x) / 2, kTolerance);
        EXPECT_NEAR(blended[i].y, (a[i].y + b[i].y) / 2, kTolerance);
        EXPECT_NEAR(blended[i].z, (a[i].z + b[i].z) / 2, kTolerance);
        EXPECT_EQ(blended[i].u, a[i].u);
        CVector3 normal(blended[i].nx, blended[i].ny, blended[i].nz);
        EXPECT_NEAR(normal.Length(), 1.0f, kTolerance);
    }
}

// ---------------------------------------------------------------------------------------------
// The shapes

struct ShapeCase {
    const char* text;
    bool convex;  // every face looks away from the origin
};

const ShapeCase kShapes[] = {
    {"part box size 1 2 3\nend\n", true},
    {"part plank size 3 0.25 0.5 bevel 0.04\nend\n", true},
    {"part plank size 3 0.25 0.5 bevel 0\nend\n", true},
    {"part sphere radius 0.7 segments 16 rings 9\nend\n", true},
    {"part sphere radius 0.7 segments 3 rings 2\nend\n", true},
    {"part cylinder radius 0.5 length 2 segments 20\nend\n", true},
    {"part cylinder radius 0.5 length 0.2 segments 20 hole 0.2\nend\n", false},
    {"part cone radius 0.5 length 1 segments 16\nend\n", true},
    {"part torus radius 0.5 tube 0.1 segments 20 sides 8\nend\n", false},
    {"part gear radius 0.6 teeth 16 depth 0.12 length 0.25\nend\n", false},
    {"part gear radius 0.6 teeth 5 depth 0.2 length 0.25 hole 0.1\nend\n", false},
    {"part arrow length 2 radius 0.05 head 0.4 headradius 0.12 segments 10\nend\n", false},
    {"part box\n    scale -1 1 1\n    rotate y 30\nend\n", true},
};

// Every shape is closed, wound the same way all round (each edge met once in each direction),
// with unit normals on the side its triangles face and texture coordinates inside 0..1.
TEST(ModelToolTest, ShapesAreClosedOutwardFacingAndMapped) {
    for (const ShapeCase& shape : kShapes) {
        SCOPED_TRACE(shape.text);
        ToolModel tool;
        ASSERT_TRUE(tool.Make(shape.text));
        const uint16_t* indices = tool.Indices();
        const CModelVertex* vertices = tool.Vertices(0);
        using Point = std::tuple<float, float, float>;
        std::map<std::pair<Point, Point>, int> edges;
        int wrongNormals = 0;
        int inwardFaces = 0;
        for (uint32_t t = 0; t < tool.m_model.GetTriangleCount(); ++t) {
            const CModelVertex* corner[3];
            for (int c = 0; c < 3; ++c)
                corner[c] = &vertices[indices[3 * t + c]];
            for (int c = 0; c < 3; ++c) {
                const CModelVertex& from = *corner[c];
                const CModelVertex& to = *corner[(c + 1) % 3];
                ++edges[{Point{from.x, from.y, from.z}, Point{to.x, to.y, to.z}}];
            }
            CVector3 ab(corner[1]->x - corner[0]->x, corner[1]->y - corner[0]->y, corner[1]->z - corner[0]->z);
            CVector3 ac(corner[2]->x - corner[0]->x, corner[2]->y - corner[0]->y, corner[2]->z - corner[0]->z);
            CVector3 face;
            ab.Cross(&face, ac);
            for (const CModelVertex* v : corner) {
                const CVector3 normal(v->nx, v->ny, v->nz);
                wrongNormals += std::fabs(normal.Length() - 1.0f) > kTolerance || Dot(normal, face) <= 0.0f ? 1 : 0;
                EXPECT_TRUE(v->u >= 0.0f && v->u <= 1.0f && v->v >= 0.0f && v->v <= 1.0f);
            }
            const CVector3 centre((corner[0]->x + corner[1]->x + corner[2]->x) / 3,
                                  (corner[0]->y + corner[1]->y + corner[2]->y) / 3,
                                  (corner[0]->z + corner[1]->z + corner[2]->z) / 3);
            inwardFaces += shape.convex && Dot(face, centre) <= 0.0f ? 1 : 0;
        }
        EXPECT_EQ(wrongNormals, 0);
        EXPECT_EQ(inwardFaces, 0);
        int unmatched = 0;
        for (const auto& [edge, count] : edges) {
            const auto reverse = edges.find({edge.second, edge.first});
            unmatched += count != 1 || reverse == edges.end() || reverse->second != 1 ? 1 : 0;
        }
        EXPECT_EQ(unmatched, 0);
    }
}

// Corners are welded only when they agree in everything, so hard edges keep flat normals.
TEST(ModelToolTest, OnlyExactDuplicateVerticesAreWelded) {
    struct Case {
        const char* text;
        uint32_t vertices;
        uint32_t triangles;
    };
    const Case cases[] = {
        // 4 corners on each of 6 faces: the edges keep a normal per face.
        {"part box\nend\n", 24, 12},
        // The same box twice is the same vertices twice.
        {"part box\nend\npart box\nend\n", 24, 24},
        {"part box\nend\npart box\n    translate 0 0 0.001\nend\n", 48, 24},
        // Rows of a smooth sphere share their corners, the seam column twice, a pole per column.
        {"part sphere segments 8 rings 4\nend\n", 3 * 9 + 2 * 8, 2 * 8 * 3},
        // A smooth side (a ring of 13 twice) and two flat caps (a centre and 12 rim corners).
        {"part cylinder segments 12\nend\n", 2 * 13 + 2 * 13, 4 * 12},
        // Flat sides: 4 corners an edge.
        {"part gear teeth 3\nend\n", 12 * 4 + 2 * 13, 4 * 12},
        // Two frames that move the corners apart unequally keep them apart.
        {"frames 2\npart box\nend\npart box\n    frame 1 translate 1 0 0\nend\n", 48, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ToolModel tool;
        ASSERT_TRUE(tool.Make(c.text));
        EXPECT_EQ(tool.m_model.GetVertexCount(), c.vertices);
        EXPECT_EQ(tool.m_model.GetTriangleCount(), c.triangles);
    }
}

TEST(ModelToolTest, TexturesStartAtTheTopLeftAsSeenFromTheFront) {
    ToolModel tool;
    ASSERT_TRUE(tool.Make("part box size 2 2 2\nend\n"));
    // The front face looks at the viewer (its normal is -z); its top-left corner is (0, 0).
    const CModelVertex* vertices = tool.Vertices(0);
    int frontCorners = 0;
    for (uint32_t i = 0; i < tool.m_model.GetVertexCount(); ++i) {
        const CModelVertex& v = vertices[i];
        if (v.nz != -1.0f)
            continue;
        ++frontCorners;
        EXPECT_EQ(v.u, v.x < 0 ? 0.0f : 1.0f);
        EXPECT_EQ(v.v, v.y > 0 ? 0.0f : 1.0f);
    }
    EXPECT_EQ(frontCorners, 4);
}

TEST(ModelToolTest, HiddenPartsDrawNothingInTheirFrames) {
    ToolModel tool;
    ASSERT_TRUE(tool.Make(
        "frames 4\n"
        "part box\nend\n"
        "part box\n    translate 3 0 0\n    hide 1,3\nend\n"
        "part box\n    translate 6 0 0\n    hide all\nend\n"));
    EXPECT_EQ(tool.VisibleTriangles(0), 24);
    EXPECT_EQ(tool.VisibleTriangles(1), 12);
    EXPECT_EQ(tool.VisibleTriangles(2), 24);
    EXPECT_EQ(tool.VisibleTriangles(3), 12);
    // A hidden part shrinks onto its own origin.
    CVector3 min, max;
    tool.m_model.GetBounds(&min, &max, 1);
    EXPECT_EQ(max.x, 6.0f);
}

// ---------------------------------------------------------------------------------------------
// Refused texts

TEST(ModelToolTest, MalformedTextsAreRefusedNamingTheLine) {
    struct Case {
        const char* text;
        const char* message;  // the start of the error
    };
    // Digits enough to overflow a double.
    const std::string nines(400, '9');
    const std::string overflowing = "part box\n  translate 1 2 " + nines + "\nend\n";
    const std::string overflowingMessage = "line 2: \"" + nines + "\" is larger than a million";
    const Case cases[] = {
        {"", "the model has no triangles"},
        {"tag A\nend\n", "the model has no triangles"},
        {"shape box\nend\n", "line 1: \"shape\" is not a statement"},
        {"part box\n", "line 1: part has no \"end\""},
        {"tag A\n  translate 1 2 3\n", "line 1: tag has no \"end\""},
        {"part box\nend\nframes 2\n", "line 3: \"frames\" comes once"},
        {"frames 2\nframes 2\n", "line 2: \"frames\" comes once"},
        {"frames 0\n", "line 1: \"frames\" takes a whole number from 1 to 256"},
        {"frames 257\n", "line 1: \"frames\" takes"},
        {"frames 1.5\n", "line 1: \"frames\" takes"},
        {"part blob\nend\n", "line 1: \"part\" takes a primitive"},
        {"part box radius 1\nend\n", "line 1: a box has no parameter \"radius\""},
        {"part box size 1 2\nend\n", "line 1: \"size\" takes 3 numbers"},
        {"part sphere segments 2\nend\n", "line 1: \"segments\" must be a whole number from 3 to 256"},
        {"part gear teeth 12.5\nend\n", "line 1: \"teeth\" must be a whole number"},
        {"part box size 1 0 1\nend\n", "line 1: \"size\" must be"},
        {"part box\n  translate 1 2\nend\n", "line 2: \"translate\" takes 3 numbers"},
        {"part box\n  translate 1 2 3x\nend\n", "line 2: \"3x\" is not a number"},
        {"part box\n  translate 1 2 nan\nend\n", "line 2: \"nan\" is not a number"},
        {"part box\n  translate 1 2 inf\nend\n", "line 2: \"inf\" is not a number"},
        {"part box\n  translate 1 2 1e9\nend\n", "line 2: \"1e9\" is not a number"},
        {"part box\n  translate 1 2 1e2\nend\n", "line 2: \"1e2\" is not a number (numbers are plain decimals)"},
        {"part box\n  translate 0x10 2 3\nend\n", "line 2: \"0x10\" is not a number"},
        {"part box\n  rotate z 1.5.0\nend\n", "line 2: \"1.5.0\" is not a number"},
        {"part box\n  scale -\nend\n", "line 2: \"-\" is not a number"},
        {"part box size 1 1 1e2\nend\n", "line 1: \"1e2\" is not a number (numbers are plain decimals)"},
        {"part box\n  translate 1 2 1000000.5\nend\n", "line 2: \"1000000.5\" is larger than a million"},
        {"sphere 0 0 -2000000 1\n", "line 1: \"-2000000\" is larger than a million"},
        {"part box size 1 2000000 1\nend\n", "line 1: \"2000000\" is larger than a million"},
        {"part box\n  matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1e400\nend\n", "line 2: \"1e400\" is not a number"},
        {overflowing.c_str(), overflowingMessage.c_str()},
        {"part box size 1 1 1 size 2 2 2\nend\n", "line 1: \"size\" is given twice in one part (first at line 1)"},
        {"part cylinder radius 0.5\n  translate 0 0 1\n  radius 0.4\nend\n",
         "line 3: \"radius\" is given twice in one part (first at line 1)"},
        {"part box\n  rotate w 90\nend\n", "line 2: \"rotate\" takes an axis"},
        {"part box\n  matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0\nend\n", "line 2: \"matrix\" takes 16 numbers"},
        {"part box\n  hide 1\nend\n", "line 2: \"1\" is not a list of frames from 0 to 0"},
        {"frames 3\npart box\n  hide 2-1\nend\n", "line 3: \"2-1\" is not a list of frames"},
        {"frames 3\npart box\n  hide 0,,1\nend\n", "line 3: \"0,,1\" is not a list of frames"},
        {"frames 3\npart box\n  frame 1 wobble\nend\n", "line 3: \"wobble\" is not a placement"},
        {"frames 3\npart box\n  frame 1\nend\n", "line 3: \"frame\" takes frames and a placement"},
        {"part box\nend extra\n", "line 2: \"end\" takes nothing"},
        {"tag A\n  hide 0\nend\n", "line 2: \"hide\" is not a placement"},
        {"tag SeventeenCharsXYZ\nend\n", "line 1: a tag name has at most 16 characters"},
        {"tag A B\nend\n", "line 1: \"tag\" takes one name"},
        {"tag \xC3\xA4\nend\n", "line 1: a tag name is made of visible ASCII characters"},
        {"sphere 0 0 0 0\n", "line 1: a sphere's radius must be above 0"},
        {"sphere 0 0 0\n", "line 1: \"sphere\" takes 4 numbers"},
        {"box 0 0 0 1 1 0\n", "line 1: a box's half extents must be above 0"},
        {"box 0 0 0 1 1\n", "line 1: \"box\" takes 6 numbers"},
        {"part gear radius 0.5 depth 0.2 hole 0.4\nend\n", "part at line 1: the teeth must be shallower"},
        {"part cylinder radius 0.5 hole 0.5\nend\n", "part at line 1: the hole must be smaller"},
        {"part plank size 1 0.2 1 bevel 0.1\nend\n", "part at line 1: the bevel must be less"},
        {"part torus radius 0.5 tube 0.5\nend\n", "part at line 1: the tube must be thinner"},
        {"part arrow length 1 head 1\nend\n", "part at line 1: the head must be shorter"},
        {"frames 2\npart box\n  frame 1 scale -1 1 1\nend\n", "part at line 2: a part cannot be mirrored"},
        {"part box\n  matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 0\nend\n", "part at line 1: its placement gives a point"},
        {"part sphere segments 256 rings 256\nend\n", "the model has more than 65536 distinct vertices"},
        {"frames 200\npart sphere segments 100 rings 100\nend\n", "part at line 2: the model has more than"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(MakeModelFromText(c.text, &bytes, &error));
        EXPECT_EQ(error.compare(0, strlen(c.message), c.message), 0) << error;
    }
}

TEST(ModelToolTest, CommentsAndLayoutAreFree) {
    std::vector<uint8_t> plain;
    std::vector<uint8_t> spaced;
    std::string error;
    ASSERT_TRUE(MakeModelFromText("part box size 1 2 3\nend\ntag A\ntranslate 1 0 0\nend\n", &plain, &error));
    ASSERT_TRUE(MakeModelFromText("# a box\r\n\r\n  part   box\t# the shape\r\n    size 1 2 3\r\n  end\r\n"
                                  "tag A # a tag\r\n    translate 1 0 0\r\nend",
                                  &spaced, &error))
        << error;
    EXPECT_EQ(plain, spaced);
}

// ---------------------------------------------------------------------------------------------
// The tool program and its golden output

std::string Golden(const char* name) {
    return std::string(MODEL_GOLDEN_DIR) + "/" + name;
}

// The tool run on a text, its messages written to `messages`; the exit status.
int RunMakeModel(const std::string& text, const std::string& out, const std::string& messages = "/dev/null") {
    return RunRecipeTool(MAKE_MODEL, text, out, messages);
}

// The golden file was written by the tool and checked by hand; a change to the tool that
// changes these bytes must be looked at.
TEST(ModelToolProgramTest, WritesTheGoldenBytesForASmallModel) {
    const std::vector<unsigned char> golden = ReadBytes(Golden("small.uzq"));
    ASSERT_EQ(golden.size(), 2144u);
    TempDir dir;
    const std::string out = dir.File("small.uzq");
    ASSERT_EQ(RunMakeModel(Golden("small.txt"), out), 0);
    EXPECT_EQ(ReadBytes(out), golden);

    // What the bytes say, field by field.
    auto u32 = [&golden](size_t at) {
        uint32_t value;
        memcpy(&value, &golden[at], 4);
        return value;
    };
    auto f32 = [&golden](size_t at) {
        float value;
        memcpy(&value, &golden[at], 4);
        return value;
    };
    EXPECT_EQ(memcmp(golden.data(), "UZQ1", 4), 0);
    EXPECT_EQ(u32(4), 2u);
    EXPECT_EQ(std::vector<unsigned char>(golden.begin() + 8, golden.begin() + 72), std::vector<unsigned char>(64, 0));
    EXPECT_EQ(u32(72), 2u);   // frames
    EXPECT_EQ(u32(76), 12u);  // triangles
    EXPECT_EQ(u32(80), 24u);  // vertices
    EXPECT_EQ(u32(84), 2u);   // tags
    EXPECT_EQ(u32(88), 0u);   // no weights
    // The first triangle: the front face's top-left, top-right and bottom-left corners.
    EXPECT_EQ(u32(92), 0u);
    EXPECT_EQ(u32(96), 1u);
    EXPECT_EQ(u32(100), 2u);
    const size_t vertices = 92 + 36 * 4;
    const float first[8] = {-0.5f, 0.5f, -0.125f, 0, 0, -1, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(f32(vertices + 4 * i), first[i]) << i;
    // Frame 1 holds the same corner moved by one along x.
    EXPECT_EQ(f32(vertices + 24 * 32), 0.5f);
    const size_t names = vertices + 2 * 24 * 32;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&golden[names])), "Axle");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&golden[names + 16])), "top");
    const size_t volumes = names + 32 + 2 * 2 * 64;
    EXPECT_EQ(u32(volumes), 1u);
    EXPECT_EQ(u32(volumes + 4), 1u);
    EXPECT_EQ(f32(volumes + 8 + 12), 0.6f);
    const float box[15] = {0, 0.25f, 0, 0.5f, 0.25f, 0.125f, 0, 1, 0, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(f32(volumes + 24 + 4 * i), box[i]) << i;
    EXPECT_EQ(volumes + 24 + 60, golden.size());
}

TEST(ModelToolProgramTest, ABadTextLeavesNoFile) {
    TempDir dir;
    WriteText(dir.File("bad.txt"), "part box\n");
    const std::string out = dir.File("bad.uzq");
    const std::string messages = dir.File("messages.txt");
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {dir.File("bad.txt"), "make_model: " + dir.File("bad.txt") + ": line 1: part has no \"end\"\n"},
        {dir.File("none.txt"), "make_model: cannot read " + dir.File("none.txt") + ": " + strerror(ENOENT) + "\n"},
        {dir.Path(), "make_model: cannot read " + dir.Path() + ": " + strerror(EISDIR) + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RunMakeModel(c.text, out, messages), 1);
        EXPECT_EQ(ReadText(messages), c.message);
        EXPECT_FALSE(FileExists(out));
    }
}

// ---------------------------------------------------------------------------------------------
// The default data set's models, as the build wrote them

TEST(ContentModelTest, TheDefaultModelsLoadWithTheirVolumes) {
    struct Case {
        const char* file;
        uint32_t frames;
        uint32_t tags;
        uint32_t spheres;
        uint32_t boxes;
    };
    const Case cases[] = {
        {"ball.uzq", 1, 0, 1, 0},
        {"gear.uzq", 1, 1, 1, 0},
        {"plank.uzq", 1, 2, 0, 1},
        {"digit_wheel.uzq", 10, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ToolModel tool;
        ASSERT_TRUE(tool.Load(ReadBytes(std::string(GAME_MODELS_DIR) + "/" + c.file)));
        EXPECT_EQ(tool.m_model.IsValid(), 1);
        EXPECT_EQ(tool.m_model.GetFrameCount(), c.frames);
        EXPECT_EQ(tool.m_model.GetTagCount(), c.tags);
        EXPECT_EQ(tool.m_model.m_nSpheres, c.spheres);
        EXPECT_EQ(tool.m_model.m_nBoxes, c.boxes);
    }
}

TEST(ContentModelTest, TheDigitWheelShowsEachDigitInItsFrame) {
    ToolModel tool;
    ASSERT_TRUE(tool.Load(ReadBytes(std::string(GAME_MODELS_DIR) + "/digit_wheel.uzq")));
    // The lit segments of a seven-segment digit, 12 triangles each, over the disc.
    const int segments[10] = {6, 2, 5, 5, 4, 5, 6, 3, 7, 6};
    const int disc = tool.VisibleTriangles(8) - 7 * 12;
    EXPECT_GT(disc, 0);
    for (uint32_t digit = 0; digit < 10; ++digit)
        EXPECT_EQ(tool.VisibleTriangles(digit), disc + 12 * segments[digit]) << "digit " << digit;
}

TEST(ContentModelTest, ThePlankHangsARopeFromEachEnd) {
    ToolModel tool;
    ASSERT_TRUE(tool.Load(ReadBytes(std::string(GAME_MODELS_DIR) + "/plank.uzq")));
    ASSERT_EQ(tool.m_model.GetTagCount(), 2u);
    EXPECT_STREQ(tool.m_model.GetTagName(0), "Rope");
    EXPECT_STREQ(tool.m_model.GetTagName(1), "Rope");
    EXPECT_EQ(tool.m_model.GetTagMatrix(0, 0)->m_f[12], -1.4f);
    EXPECT_EQ(tool.m_model.GetTagMatrix(0, 1)->m_f[12], 1.4f);
    // Its box is the plank's outline: a ray down the middle hits its top face.
    float distance = 0.0f;
    EXPECT_EQ(tool.m_model.RayPick(CVector3(1.2f, 5, 0), CVector3(0, -1, 0), CMatrix::Identity(), &distance), 1);
    EXPECT_FLOAT_EQ(distance, 4.9f);
}

}  // namespace
