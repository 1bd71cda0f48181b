// Polylines: the ribbon's vertices for straight, bent, closed and degenerate paths (written to
// the recording device's pool), its refusals, the bounds, the box test, the distance to a
// point, and what a new one does.
#include "engine/graphics/Polyline.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "engine/graphics/VertexBuffer.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

struct PoolVertex {
    float x, y, z;
    uint32_t color;
    float u, v, u1, v1;

    CVector3 Position() const { return CVector3(x, y, z); }
};

CVector3 Minus(const CVector3& a, const CVector3& b) {
    return CVector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

float Dot(const CVector3& a, const CVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

bool Finite(const CVector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

::testing::AssertionResult Near(const CVector3& actual, const CVector3& expected, float tolerance = 1e-5f) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << ") is not near (" << expected.x << ", " << expected.y << ", "
                                         << expected.z << ")";
}

void SetPoints(CPolyline* line, const std::vector<CVector3>& points) {
    line->m_Points.SetCapacity(0);
    const int first = line->m_Points.AddPoints(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i)
        line->m_Points.m_pPoints[first + i] = points[i];
}

class PolylineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_device.InitForTest(0, 80, 0), 1); }

    std::string Handle() { return std::to_string(m_device.m_pPoolPCT2->GetHandle()); }

    // Draws the line and returns the vertices it wrote; expects it to draw `count` of them.
    std::vector<PoolVertex> Ribbon(CPolyline* line, const CVector3& eye, float width, size_t count) {
        m_device.m_Calls.clear();
        EXPECT_EQ(line->Draw(&m_device, &eye, width, 0xFF336699u), 1);
        const std::vector<std::string> calls = {
            "LockVertexBuffer " + Handle() + " 0 " + std::to_string(32 * count) + " 0x2000",
            "UnlockVertexBuffer " + Handle(), "SetVertexBuffer 0 " + Handle() + " 0",
            "DrawPrimitive 4 0 " + std::to_string(count - 2)};
        EXPECT_EQ(m_device.m_Calls, calls);
        std::vector<PoolVertex> vertices(count);
        const CRecordingRenderDevice::BufferRecord* pool = m_device.VertexBuffer(m_device.m_pPoolPCT2->GetHandle());
        if (pool && pool->bytes.size() >= count * sizeof(PoolVertex))
            memcpy(vertices.data(), pool->bytes.data(), count * sizeof(PoolVertex));
        return vertices;
    }

    CRecordingRenderDevice m_device;
};

// --- the ribbon ---------------------------------------------------------------------------------------

TEST_F(PolylineTest, StraightRibbonHasItsWidthAcrossTheViewAndULengthAlong) {
    CPolyline line;
    SetPoints(&line, {{-2.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {3.0f, 1.0f, 0.0f}});
    const std::vector<PoolVertex> v = Ribbon(&line, CVector3(0.0f, 1.0f, -10.0f), 0.5f, 6);
    const float xs[] = {-2.0f, 0.0f, 3.0f};
    const float us[] = {0.0f, 2.0f, 5.0f};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "point " << i);
        // Seen from -z the side runs along y: first vertex below (v 1), second above (v 0).
        EXPECT_TRUE(Near(v[2 * i].Position(), CVector3(xs[i], 0.75f, 0.0f)));
        EXPECT_TRUE(Near(v[2 * i + 1].Position(), CVector3(xs[i], 1.25f, 0.0f)));
        EXPECT_EQ(v[2 * i].u, us[i]);
        EXPECT_EQ(v[2 * i + 1].u, us[i]);
        EXPECT_EQ(v[2 * i].v, 1.0f);
        EXPECT_EQ(v[2 * i + 1].v, 0.0f);
        EXPECT_EQ(v[2 * i].color, 0xFF336699u);
        EXPECT_EQ(v[2 * i + 1].color, 0xFF336699u);
    }
}

TEST_F(PolylineTest, RibbonSidesFaceTheEyeAndBisectBends) {
    struct Case {
        const char* name;
        std::vector<CVector3> points;
        CVector3 eye;
        int bClosed;
    };
    const Case cases[] = {
        {"right angle", {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}}, {1, 1, -8}, 0},
        {"zigzag in depth", {{0, 0, 0}, {1, 1, 1}, {2, 0, 2}, {3, 1, 1}}, {0, 5, -6}, 0},
        {"square, closed", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0.5f, 0.5f, -4}, 1},
        {"sharp hairpin", {{0, 0, 0}, {4, 0, 0}, {0, 0.2f, 0}}, {0, 0, -9}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPolyline line;
        SetPoints(&line, c.points);
        line.m_bClosed = c.bClosed;
        const int n = static_cast<int>(c.points.size());
        const size_t count = 2 * n + (c.bClosed ? 2 : 0);
        const std::vector<PoolVertex> v = Ribbon(&line, c.eye, 0.3f, count);
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(testing::Message() << "point " << i);
            const CVector3& p = c.points[i];
            const CVector3 side = Minus(v[2 * i + 1].Position(), p);
            EXPECT_TRUE(Near(Minus(p, v[2 * i].Position()), side)) << "the point is the middle";
            EXPECT_NEAR(side.Length(), 0.15f, 1e-5f);
            EXPECT_NEAR(Dot(side, Minus(c.eye, p)), 0.0f, 1e-4f) << "across the line of sight";
            // Across the path: perpendicular to the sum of the unit directions in and out.
            CVector3 in(0, 0, 0);
            CVector3 out(0, 0, 0);
            if (i > 0 || c.bClosed)
                Minus(p, c.points[(i + n - 1) % n]).Normalize(&in);
            if (i < n - 1 || c.bClosed)
                Minus(c.points[(i + 1) % n], p).Normalize(&out);
            EXPECT_NEAR(Dot(side, CVector3(in.x + out.x, in.y + out.y, in.z + out.z)), 0.0f, 1e-4f);
        }
        if (c.bClosed) {
            EXPECT_TRUE(Near(v[2 * n].Position(), v[0].Position(), 0.0f));
            EXPECT_TRUE(Near(v[2 * n + 1].Position(), v[1].Position(), 0.0f));
            EXPECT_EQ(v[2 * n].u, 0.0f);
        }
    }
}

TEST_F(PolylineTest, ClosedBeltOf32PointsIs66Vertices) {
    CPolyline belt;
    std::vector<CVector3> circle;
    for (int i = 0; i < 32; ++i) {
        const float angle = 2.0f * kPi * static_cast<float>(i) / 32.0f;
        circle.push_back(CVector3(std::cos(angle), std::sin(angle), 0.0f));
    }
    SetPoints(&belt, circle);
    belt.m_bClosed = 1;
    const std::vector<PoolVertex> v = Ribbon(&belt, CVector3(0.0f, 0.0f, -10.0f), 0.2f, 66);
    for (int i = 0; i < 32; ++i) {
        SCOPED_TRACE(testing::Message() << "point " << i);
        // A ring 0.9 to 1.1 about the centre (the sides lean a little towards the eye), outer
        // edge first at every point, so the strip fills the ring.
        const CVector3 a = v[2 * i].Position();
        const CVector3 b = v[2 * i + 1].Position();
        EXPECT_NEAR(a.Length(), 1.1f, 1e-3f);
        EXPECT_NEAR(b.Length(), 0.9f, 1e-3f);
    }
}

TEST_F(PolylineTest, DegeneratePathsGiveFiniteRibbons) {
    struct Case {
        const char* name;
        std::vector<CVector3> points;
        int bClosed;
        bool bWide;  // whether every point still has the full width
    };
    const Case cases[] = {
        {"a repeated point", {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 1, 0}}, 0, true},
        {"a repeated first point", {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}}, 0, true},
        {"a repeated last point", {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}}, 0, true},
        {"turning straight back", {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}}, 0, true},
        {"closed and turning back", {{0, 0, 0}, {1, 0, 0}}, 1, true},
        // Where the path runs along the line of sight, the side of the nearest point that has one.
        {"seen end-on towards the end", {{-1, 0, 2}, {0, 0, 2}, {0, 0, 0}, {0, 0, -2}}, 0, true},
        {"seen end-on at the start", {{0, 0, 2}, {0, 0, 0}, {0, 0, -2}, {1, 0, -2}}, 0, true},
        {"zero length", {{1, 2, 3}, {1, 2, 3}}, 0, false},
        {"all one point, closed", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, 1, false},
        {"wholly end-on", {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}}, 0, false},
    };
    const CVector3 eye(0.0f, 0.0f, -10.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPolyline line;
        SetPoints(&line, c.points);
        line.m_bClosed = c.bClosed;
        const size_t n = c.points.size();
        const std::vector<PoolVertex> v = Ribbon(&line, eye, 0.5f, 2 * n + (c.bClosed ? 2 : 0));
        for (size_t i = 0; i < n; ++i) {
            SCOPED_TRACE(testing::Message() << "point " << i);
            ASSERT_TRUE(Finite(v[2 * i].Position()));
            ASSERT_TRUE(Finite(v[2 * i + 1].Position()));
            ASSERT_TRUE(std::isfinite(v[2 * i].u));
            const CVector3 side = Minus(v[2 * i + 1].Position(), c.points[i]);
            EXPECT_NEAR(side.Length(), c.bWide ? 0.25f : 0.0f, 1e-5f);
        }
    }
}

TEST_F(PolylineTest, NothingIsDrawnWithoutTwoPointsOrRoomInThePool) {
    const CVector3 eye(0.0f, 0.0f, -10.0f);
    m_device.m_Calls.clear();
    CPolyline line;
    EXPECT_EQ(line.Draw(&m_device, &eye, 1.0f, 0xFFFFFFFFu), 0) << "no points";
    SetPoints(&line, {{0, 0, 0}});
    EXPECT_EQ(line.Draw(&m_device, &eye, 1.0f, 0xFFFFFFFFu), 0) << "one point";
    EXPECT_TRUE(m_device.m_Calls.empty());

    // The pool holds 80 vertices: 40 open points, or 39 closed ones.
    std::vector<CVector3> points;
    for (int i = 0; i < 41; ++i)
        points.push_back(CVector3(static_cast<float>(i), 0.0f, 0.0f));
    struct Case {
        int count;
        int bClosed;
        int result;
    };
    const Case cases[] = {{40, 0, 1}, {41, 0, 0}, {39, 1, 1}, {40, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " points, closed " << c.bClosed);
        SetPoints(&line, std::vector<CVector3>(points.begin(), points.begin() + c.count));
        line.m_bClosed = c.bClosed;
        m_device.m_Calls.clear();
        EXPECT_EQ(line.Draw(&m_device, &eye, 1.0f, 0xFFFFFFFFu), c.result);
        EXPECT_EQ(m_device.m_Calls.empty(), c.result == 0);
    }

    line.m_bClosed = 0;
    SetPoints(&line, {{0, 0, 0}, {1, 0, 0}});
    m_device.m_bFailLock = true;
    m_device.m_Calls.clear();
    EXPECT_EQ(line.Draw(&m_device, &eye, 1.0f, 0xFFFFFFFFu), 0);
    EXPECT_EQ(m_device.m_Calls.size(), 1u) << "the lock, and no draw";
    m_device.m_bFailLock = false;
    EXPECT_EQ(line.Draw(nullptr, &eye, 1.0f, 0xFFFFFFFFu), 0);
    EXPECT_EQ(line.Draw(&m_device, nullptr, 1.0f, 0xFFFFFFFFu), 0);
}

// --- bounds, boxes and distances ------------------------------------------------------------------------

TEST_F(PolylineTest, BoundsSpanThePointsInXAndY) {
    CPolyline line;
    line.m_vMin = CVector3(7, 7, 7);
    line.ComputeBounds();
    EXPECT_TRUE(Near(line.m_vMin, CVector3(7, 7, 7), 0.0f)) << "no points, no change";
    SetPoints(&line, {{1, 2, 5}, {-3, 4, -9}, {2, -1, 8}});
    line.ComputeBounds();
    EXPECT_TRUE(Near(line.m_vMin, CVector3(-3, -1, 5), 0.0f)) << "z that of the first point";
    EXPECT_TRUE(Near(line.m_vMax, CVector3(2, 4, 5), 0.0f));
}

TEST_F(PolylineTest, BoxOverlapCountsTouching) {
    CPolyline line;
    SetPoints(&line, {{0, 0, 0}, {4, 2, 0}});
    line.ComputeBounds();
    struct Case {
        CVector3 a, b;
        int expected;
    };
    const Case cases[] = {
        {{1, 1, 0}, {2, 1.5f, 0}, 1},   // inside
        {{-1, -1, 0}, {5, 3, 0}, 1},    // around
        {{5, 3, 0}, {-1, -1, 0}, 1},    // corners given the other way
        {{4, 2, 0}, {6, 5, 0}, 1},      // touching a corner
        {{-2, 0.5f, 0}, {0, 1, 0}, 1},  // touching the left side
        {{4.01f, 0, 0}, {6, 1, 0}, 0},  // right of it
        {{-3, 0, 0}, {-0.01f, 1, 0}, 0},
        {{1, 2.01f, 0}, {2, 3, 0}, 0},  // above
        {{1, -3, 0}, {2, -0.01f, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.a.x << ", " << c.a.y << ") to (" << c.b.x << ", " << c.b.y << ")");
        EXPECT_EQ(line.OverlapsBox(&c.a, &c.b), c.expected);
    }
}

TEST_F(PolylineTest, DistanceToPointIsTheSquaredDistanceToTheNearestSegment) {
    struct Case {
        const char* name;
        std::vector<CVector3> points;
        int bClosed;
        float x, y;
        float expected;
    };
    const std::vector<CVector3> hook = {{0, 0, 5}, {4, 0, -5}, {4, 3, 0}};
    const Case cases[] = {
        {"no points", {}, 0, 1, 1, FLT_MAX},
        {"one point, open", {{1, 1, 0}}, 0, 1, 1, FLT_MAX},
        {"one point, closed", {{1, 1, 0}}, 1, 4, 5, 25.0f},
        {"above the middle of a segment", hook, 0, 2, 1.5f, 2.25f},
        {"before the start", hook, 0, -3, -4, 25.0f},
        {"past the end", hook, 0, 4, 5, 4.0f},
        {"beside the second segment", hook, 0, 5, 2, 1.0f},
        {"on the path", hook, 0, 4, 1, 0.0f},
        {"near the closing segment, open", hook, 0, 1, 1.5f, 2.25f},
        {"near the closing segment, closed", hook, 1, 1, 1.5f, 0.36f},
        {"a repeated point", {{0, 0, 0}, {0, 0, 0}, {2, 0, 0}}, 0, -1, 0, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPolyline line;
        SetPoints(&line, c.points);
        line.m_bClosed = c.bClosed;
        if (c.expected == FLT_MAX)
            EXPECT_EQ(line.DistanceToPoint(c.x, c.y), FLT_MAX);
        else
            EXPECT_NEAR(line.DistanceToPoint(c.x, c.y), c.expected, 1e-5f);
    }
}

TEST_F(PolylineTest, ANewPolylineDrawsNothingAndGrowsByItsStep) {
    CPolyline line;
    const CVector3 eye(0.0f, 0.0f, -10.0f);
    m_device.m_Calls.clear();
    EXPECT_EQ(line.Draw(&m_device, &eye, 1.0f, 0xFFFFFFFFu), 0);
    EXPECT_TRUE(m_device.m_Calls.empty());
    EXPECT_EQ(line.DistanceToPoint(0.0f, 0.0f), FLT_MAX);

    // Appended point by point, the points move only when the step's room is used up.
    line.m_Points.AddPoints(1);
    const CVector3* first = line.m_Points.m_pPoints;
    ASSERT_NE(first, nullptr);
    for (int count = 2; count <= 9; ++count) {
        line.m_Points.AddPoints(1);
        EXPECT_EQ(line.m_Points.m_pPoints, first) << count << " points";
    }
    EXPECT_EQ(line.m_Points.m_nCapacity, 9);

    // Two points make an open ribbon: two vertices each, none repeated to close it.
    SetPoints(&line, {{0, 0, 0}, {1, 0, 0}});
    Ribbon(&line, eye, 1.0f, 4);
}

}  // namespace
