#include "engine/core/Spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/core/Class.h"
#include "engine/core/CoreClasses.h"
#include "engine/core/PointArray.h"

namespace {

constexpr float kTolerance = 1e-4f;
// Output arrays of the sampling tests start with this much room, so that those tests check
// where the points go; appending beyond the room is checked on its own.
constexpr int kRoomForSamples = 64;

::testing::AssertionResult Near(const CVector3& actual, const CVector3& expected, float tolerance = kTolerance) {
    if (std::isnan(actual.x) || std::isnan(actual.y) || std::isnan(actual.z) ||
        std::fabs(actual.x - expected.x) > tolerance || std::fabs(actual.y - expected.y) > tolerance ||
        std::fabs(actual.z - expected.z) > tolerance)
        return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                             << ") instead of (" << expected.x << ", " << expected.y << ", "
                                             << expected.z << ")";
    return ::testing::AssertionSuccess();
}

bool Same(const CVector3& a, const CVector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

const CVector3 kZero(0.0f, 0.0f, 0.0f);

// Keys with zero tangents: every segment is straight, eased at both ends.
void AddStill(CSpline* spline, const std::vector<CVector3>& positions) {
    uint32_t value = 0;
    for (const CVector3& p : positions)
        spline->AddKey(p, kZero, kZero, value++);
}

// Keys on the x axis at 0, 1, 3 and 6 with automatic tangents (0.5, 1.5, 2.5, 1.5). Every
// segment stays monotonic, so the segments are 1, 2 and 3 long.
void AddAxisKeys(CSpline* spline) {
    for (float x : {0.0f, 1.0f, 3.0f, 6.0f})
        spline->AddKey(CVector3(x, 0.0f, 0.0f), kZero, kZero, 0);
    spline->ComputeTangents();
}

// Square of side 2 in the xy plane, closed, zero tangents: 8 long, 2 per side.
void AddSquare(CSpline* spline) {
    AddStill(spline, {CVector3(0, 0, 0), CVector3(2, 0, 0), CVector3(2, 2, 0), CVector3(0, 2, 0)});
    spline->m_bClosed = 1;
}

CVector3 At(CSpline* spline, float fraction) {
    CVector3 point;
    EXPECT_EQ(spline->GetPoint(&point, fraction), &point);
    return point;
}

CVector3 OnSegment(const CSpline& spline, uint32_t segment, float s) {
    CVector3 point;
    EXPECT_EQ(spline.PointOnSegment(&point, segment, s), &point);
    return point;
}

void ExpectXs(const CPointArray& points, const std::vector<float>& expected) {
    ASSERT_EQ(points.m_nCount, static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(points.m_pPoints[i].x, expected[i], kTolerance) << "point " << i;
        EXPECT_EQ(points.m_pPoints[i].y, 0.0f) << "point " << i;
    }
}

// ---------------------------------------------------------------------------------------------
// Construction and keys

TEST(SplineTest, RegisteredClassMakesEmptySpline) {
    RegisterCoreClasses();
    CClass* record = CClass::FindClass("CSpline");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record, CSpline::GetStaticClass());
    EXPECT_EQ(record->m_pParent, CObject::GetStaticClass());
    EXPECT_EQ(record->m_nObjectSize, sizeof(CSpline));

    CObject* object = record->CreateObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->m_pClass, record);
    auto* spline = dynamic_cast<CSpline*>(object);
    ASSERT_NE(spline, nullptr);
    EXPECT_EQ(spline->m_bClosed, 0);
    EXPECT_EQ(spline->m_bDirty, 1);
    EXPECT_EQ(spline->m_nCapacity, 4u);
    EXPECT_EQ(spline->m_nKeys, 0u);
    EXPECT_NE(spline->m_pKeys, nullptr);
    EXPECT_EQ(spline->m_fLength, -1.0f);
    delete object;

    CSpline direct;
    EXPECT_EQ(direct.m_pClass, nullptr);
    EXPECT_EQ(direct.m_nCapacity, 4u);
}

TEST(SplineTest, AddKeyStoresKeyAndGrowsByOneKey) {
    CSpline spline;
    const uint32_t capacities[] = {4, 4, 4, 4, 5, 6, 7};
    for (uint32_t i = 0; i < 7; ++i) {
        const float f = static_cast<float>(i);
        EXPECT_EQ(spline.AddKey(CVector3(f, 1, 2), CVector3(3, f, 4), CVector3(5, 6, f), 100 + i), i);
        EXPECT_EQ(spline.m_nKeys, i + 1);
        EXPECT_EQ(spline.m_nCapacity, capacities[i]) << "after key " << i;
    }
    // Growing kept every key.
    for (uint32_t i = 0; i < 7; ++i) {
        const CSplineKey& key = spline.m_pKeys[i];
        const float f = static_cast<float>(i);
        EXPECT_TRUE(Same(key.m_vPosition, CVector3(f, 1, 2))) << i;
        EXPECT_TRUE(Same(key.m_vTangentIn, CVector3(3, f, 4))) << i;
        EXPECT_TRUE(Same(key.m_vTangentOut, CVector3(5, 6, f))) << i;
        EXPECT_EQ(key.m_nValue, 100 + i);
        EXPECT_EQ(key.m_nUsed, 1u);
        EXPECT_EQ(key.m_fSegmentLength, -1.0f);
    }
}

TEST(SplineTest, ComputeTangentsAveragesNeighbours) {
    CSpline spline;
    AddStill(&spline, {CVector3(0, 0, 0), CVector3(2, 4, 0), CVector3(6, 0, 2), CVector3(6, 2, 2)});
    const CVector3 expected[] = {
        CVector3(1, 2, 0),   // half the way to key 1
        CVector3(3, 0, 1),   // half of key 2 - key 0
        CVector3(2, -1, 1),  // half of key 3 - key 1
        CVector3(0, 1, 0),   // half the way from key 2
    };
    spline.ComputeTangents();
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(Near(spline.m_pKeys[i].m_vTangentIn, expected[i])) << i;
        EXPECT_TRUE(Near(spline.m_pKeys[i].m_vTangentOut, expected[i])) << i;
    }

    // A single key keeps what it was given.
    CSpline single;
    single.AddKey(CVector3(1, 1, 1), CVector3(7, 8, 9), CVector3(4, 5, 6), 0);
    single.ComputeTangents();
    EXPECT_TRUE(Same(single.m_pKeys[0].m_vTangentIn, CVector3(7, 8, 9)));
    EXPECT_TRUE(Same(single.m_pKeys[0].m_vTangentOut, CVector3(4, 5, 6)));

    CSpline empty;
    empty.ComputeTangents();
    EXPECT_EQ(empty.m_nKeys, 0u);
}

TEST(SplineTest, ChangesMarkLengthsForRebuilding) {
    CSpline spline;
    AddStill(&spline, {CVector3(0, 0, 0), CVector3(2, 0, 0)});
    EXPECT_TRUE(Near(At(&spline, 1.0f), CVector3(2, 0, 0)));
    EXPECT_EQ(spline.m_bDirty, 0);
    EXPECT_NEAR(spline.m_fLength, 2.0f, kTolerance);

    spline.AddKey(CVector3(2, 3, 0), kZero, kZero, 0);
    EXPECT_EQ(spline.m_bDirty, 1);
    EXPECT_TRUE(Near(At(&spline, 1.0f), CVector3(2, 3, 0)));
    EXPECT_NEAR(spline.m_fLength, 5.0f, kTolerance);

    spline.ComputeTangents();
    EXPECT_EQ(spline.m_bDirty, 1);
    spline.ComputeLength();
    EXPECT_EQ(spline.m_bDirty, 0);

    spline.RemoveKey(2);
    EXPECT_EQ(spline.m_bDirty, 1);
    EXPECT_TRUE(Near(At(&spline, 1.0f), CVector3(2, 0, 0)));
}

TEST(SplineTest, RemoveKeyShiftsLaterKeysDown) {
    struct Case {
        uint32_t index;
        std::vector<uint32_t> kept;  // the values of the keys left, in order
        int dirty;
    };
    const Case cases[] = {
        {2, {10, 20}, 1},                               // the last key: only the count changes
        {0, {20, 30}, 1},                               // keys 1 and 2 move down in order
        {1, {10, 30}, 1},
        {3, {10, 20, 30}, 0},                           // beyond the keys: nothing at all
        {100, {10, 20, 30}, 0},
        {UINT32_MAX, {10, 20, 30}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CSpline spline;
        for (uint32_t value : {10u, 20u, 30u}) {
            const float f = static_cast<float>(value);
            spline.AddKey(CVector3(f, f + 1, f + 2), CVector3(-f, 0, 0), CVector3(0, -f, 0), value);
        }
        spline.ComputeLength();
        CSplineKey* const keys = spline.m_pKeys;

        spline.RemoveKey(c.index);
        EXPECT_EQ(spline.m_nKeys, c.kept.size());
        EXPECT_EQ(spline.m_nCapacity, 4u);
        EXPECT_EQ(spline.m_pKeys, keys);
        EXPECT_EQ(spline.m_bDirty, c.dirty);
        for (size_t i = 0; i < c.kept.size(); ++i) {
            const CSplineKey& key = spline.m_pKeys[i];
            const float f = static_cast<float>(c.kept[i]);
            EXPECT_EQ(key.m_nValue, c.kept[i]);
            EXPECT_TRUE(Same(key.m_vPosition, CVector3(f, f + 1, f + 2))) << i;
            EXPECT_TRUE(Same(key.m_vTangentIn, CVector3(-f, 0, 0))) << i;
            EXPECT_TRUE(Same(key.m_vTangentOut, CVector3(0, -f, 0))) << i;
        }
    }

    CSpline empty;
    empty.RemoveKey(0);
    EXPECT_EQ(empty.m_nKeys, 0u);
}

// ---------------------------------------------------------------------------------------------
// Curve shape

TEST(SplineTest, HermitePointFollowsTheBasis) {
    // From the origin heading +y to (4, 0, 0) arriving heading -y: an arch of height 1.
    const CVector3 p0(0, 0, 0), t0(0, 4, 0), p1(4, 0, 0), t1(0, -4, 0);
    struct Case {
        float s;
        CVector3 expected;
    };
    const Case cases[] = {
        {0.0f, CVector3(0, 0, 0)},
        {0.25f, CVector3(0.625f, 0.75f, 0)},
        {0.5f, CVector3(2, 1, 0)},
        {0.75f, CVector3(3.375f, 0.75f, 0)},
        {1.0f, CVector3(4, 0, 0)},
    };
    for (const Case& c : cases) {
        CVector3 point;
        EXPECT_EQ(CSpline::HermitePoint(&point, p0, t0, p1, t1, c.s), &point);
        EXPECT_TRUE(Near(point, c.expected)) << "s = " << c.s;
    }
}

TEST(SplineTest, SegmentsLeaveByTangentOutAndArriveByTangentIn) {
    CSpline spline;
    // The tangents that must not be used are far off, so that using them shows.
    spline.AddKey(CVector3(0, 0, 0), CVector3(0, 0, 0), CVector3(0, 4, 0), 0);
    spline.AddKey(CVector3(4, 0, 0), CVector3(0, -4, 0), CVector3(0, 0, 8), 0);
    EXPECT_TRUE(Near(OnSegment(spline, 0, 0.5f), CVector3(2, 1, 0)));
    EXPECT_TRUE(Near(OnSegment(spline, 0, 0.0f), CVector3(0, 0, 0)));
    EXPECT_TRUE(Near(OnSegment(spline, 0, 1.0f), CVector3(4, 0, 0)));

    // The last segment closes from key 1 back to key 0.
    spline.m_pKeys[0].m_vTangentIn = CVector3(0, 0, 0);
    EXPECT_TRUE(Near(OnSegment(spline, 1, 0.5f), CVector3(2, 0, 1)));
    EXPECT_TRUE(Near(OnSegment(spline, 1, 1.0f), CVector3(0, 0, 0)));
}

TEST(SplineTest, TwoKeysWithAutomaticTangentsMakeEasedStraightSegment) {
    CSpline spline;
    const CVector3 from(1, 1, 1);
    const CVector3 delta(2, 4, 4);  // 6 long
    spline.AddKey(from, kZero, kZero, 0);
    spline.AddKey(CVector3(3, 5, 5), kZero, kZero, 0);
    spline.ComputeTangents();
    EXPECT_TRUE(Near(spline.m_pKeys[0].m_vTangentOut, CVector3(1, 2, 2)));
    EXPECT_TRUE(Near(spline.m_pKeys[1].m_vTangentIn, CVector3(1, 2, 2)));

    // With both tangents half the segment, the share of the way at s is -s^3 + 1.5 s^2 + 0.5 s:
    // slow at both ends, fast in the middle.
    struct Case {
        float fraction;
        float share;
    };
    const Case cases[] = {
        {0.0f, 0.0f}, {0.25f, 0.203125f}, {0.5f, 0.5f}, {0.75f, 0.796875f}, {1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        const CVector3 expected(from.x + c.share * delta.x, from.y + c.share * delta.y, from.z + c.share * delta.z);
        EXPECT_TRUE(Near(At(&spline, c.fraction), expected)) << "fraction " << c.fraction;
    }
    EXPECT_NEAR(spline.m_fLength, 6.0f, kTolerance);
    EXPECT_NEAR(spline.m_pKeys[0].m_fSegmentLength, 6.0f, kTolerance);
    EXPECT_EQ(spline.m_pKeys[1].m_fSegmentLength, 0.0f);
}

TEST(SplineTest, LengthFollowsCurveThatDoublesBack) {
    // From 0 to 1 on the x axis with both tangents 6: x(s) = 10 s^3 - 15 s^2 + 6 s overshoots
    // to (5 + sqrt 5) / 10, comes back to (5 - sqrt 5) / 10 and ends at 1: 1 + 0.4 sqrt 5 long.
    CSpline spline;
    spline.AddKey(CVector3(0, 0, 0), kZero, CVector3(6, 0, 0), 0);
    spline.AddKey(CVector3(1, 0, 0), CVector3(6, 0, 0), kZero, 0);
    spline.ComputeLength();
    EXPECT_NEAR(spline.m_fLength, 1.0 + 0.4 * std::sqrt(5.0), 1e-3);
    EXPECT_EQ(spline.m_bDirty, 0);
    // The parameter follows the fraction linearly within a segment.
    EXPECT_TRUE(Near(At(&spline, 0.5f), CVector3(0.5f, 0, 0)));
    EXPECT_TRUE(Near(At(&spline, 0.25f), CVector3(0.71875f, 0, 0)));
}

TEST(SplineTest, LengthsOfManyKeysAddUpPerSegment) {
    CSpline open;
    AddAxisKeys(&open);
    open.ComputeLength();
    EXPECT_EQ(open.m_bDirty, 0);
    EXPECT_NEAR(open.m_pKeys[0].m_fSegmentLength, 1.0f, kTolerance);
    EXPECT_NEAR(open.m_pKeys[1].m_fSegmentLength, 2.0f, kTolerance);
    EXPECT_NEAR(open.m_pKeys[2].m_fSegmentLength, 3.0f, kTolerance);
    EXPECT_EQ(open.m_pKeys[3].m_fSegmentLength, 0.0f);
    EXPECT_NEAR(open.m_fLength, 6.0f, kTolerance);

    CSpline square;
    AddSquare(&square);
    square.ComputeLength();
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_NEAR(square.m_pKeys[i].m_fSegmentLength, 2.0f, kTolerance) << i;  // key 3 closes
    EXPECT_NEAR(square.m_fLength, 8.0f, kTolerance);

    // Opening the path again drops the closing segment.
    square.m_bClosed = 0;
    square.ComputeLength();
    EXPECT_EQ(square.m_pKeys[3].m_fSegmentLength, 0.0f);
    EXPECT_NEAR(square.m_fLength, 6.0f, kTolerance);
}

TEST(SplineTest, GetPointWalksSegmentsByLength) {
    CSpline axis;
    AddAxisKeys(&axis);
    struct Case {
        float fraction;
        float x;
    };
    // 6 long: segment ends at 1/6 and 1/2; inside a segment the parameter is linear in length.
    const Case cases[] = {
        {0.0f, 0.0f},
        {0.05f, 0.195f},        // segment 0 at s = 0.3
        {1.0f / 6.0f, 1.0f},    // key 1
        {0.3f, 1.68f},          // segment 1 at s = 0.4
        {1.0f / 3.0f, 1.875f},  // segment 1 at s = 0.5
        {0.5f, 3.0f},           // key 2
        {0.8f, 4.968f},         // segment 2 at s = 0.6
        {1.0f, 6.0f},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(At(&axis, c.fraction), CVector3(c.x, 0, 0))) << "fraction " << c.fraction;

    CSpline square;
    AddSquare(&square);
    EXPECT_TRUE(Near(At(&square, 0.125f), CVector3(1, 0, 0)));
    EXPECT_TRUE(Near(At(&square, 0.375f), CVector3(2, 1, 0)));
    EXPECT_TRUE(Near(At(&square, 0.625f), CVector3(1, 2, 0)));
    EXPECT_TRUE(Near(At(&square, 0.875f), CVector3(0, 1, 0)));  // on the closing side
}

TEST(SplineTest, GetPointEndsAtFirstAndLastKey) {
    const std::vector<CVector3> keys = {CVector3(0, 0, 0), CVector3(2, 2, 0), CVector3(4, 0, 1)};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (int closed = 0; closed < 2; ++closed) {
        SCOPED_TRACE(closed ? "closed" : "open");
        CSpline spline;
        AddStill(&spline, keys);
        spline.ComputeTangents();
        spline.m_bClosed = closed;
        const CVector3& end = closed ? keys[0] : keys[2];
        struct Case {
            float fraction;
            const CVector3& expected;
        };
        const Case cases[] = {
            {0.0f, keys[0]}, {1.0f, end},      {-0.5f, keys[0]}, {-infinity, keys[0]},
            {nan, keys[0]},  {1.5f, end},      {infinity, end},
        };
        for (const Case& c : cases)
            EXPECT_TRUE(Near(At(&spline, c.fraction), c.expected)) << "fraction " << c.fraction;
    }
}

TEST(SplineTest, EmptySplineHasNoLengthAndAnswersWithOrigin) {
    for (int closed = 0; closed < 2; ++closed) {
        SCOPED_TRACE(closed ? "closed" : "open");
        CSpline spline;
        spline.m_bClosed = closed;
        spline.ComputeLength();
        EXPECT_EQ(spline.m_fLength, 0.0f);
        EXPECT_EQ(spline.m_bDirty, 0);

        for (float f : {0.0f, 0.5f, 1.0f}) {
            CVector3 point(9, 9, 9);
            spline.GetPoint(&point, f);
            EXPECT_TRUE(Same(point, kZero)) << f;
        }

        CPointArray points;
        points.AddPoints(2);
        spline.Sample(&points, 8);
        EXPECT_EQ(points.m_nCount, 2);
        spline.SampleRange(&points, 8, 0.0f, 1.0f);
        EXPECT_EQ(points.m_nCount, 2);
    }
}

TEST(SplineTest, SingleKeyHasNoLengthAndAnswersWithItsPosition) {
    const CVector3 position(3, -2, 5);
    CSpline spline;
    spline.AddKey(position, CVector3(1, 1, 1), CVector3(1, 1, 1), 0);
    for (float f : {0.0f, 0.25f, 0.5f, 1.0f})
        EXPECT_TRUE(Near(At(&spline, f), position, 0.0f)) << f;
    EXPECT_EQ(spline.m_fLength, 0.0f);
    EXPECT_EQ(spline.m_pKeys[0].m_fSegmentLength, 0.0f);

    CPointArray points;
    points.SetCapacity(kRoomForSamples);
    spline.Sample(&points, 8);
    ASSERT_EQ(points.m_nCount, 1);
    EXPECT_TRUE(Same(points.m_pPoints[0], position));
    spline.SampleRange(&points, 8, 0.0f, 1.0f);
    EXPECT_EQ(points.m_nCount, 1);

    // Closed onto itself with still tangents it stays a point.
    CSpline loop;
    loop.AddKey(position, kZero, kZero, 0);
    loop.m_bClosed = 1;
    for (float f : {0.0f, 0.5f, 1.0f})
        EXPECT_TRUE(Near(At(&loop, f), position, 0.0f)) << f;
    EXPECT_EQ(loop.m_fLength, 0.0f);
}

TEST(SplineTest, ZeroLengthSegmentsGiveNoInvalidPoints) {
    const CVector3 a(1, 1, 0);
    const CVector3 b(1, 5, 0);
    struct Case {
        std::vector<CVector3> keys;
        int closed;
        float length;
        float fraction;
        CVector3 expected;
    };
    const Case cases[] = {
        {{a, a, b}, 0, 4.0f, 0.0f, a},
        {{a, a, b}, 0, 4.0f, 0.5f, CVector3(1, 3, 0)},
        {{a, a, b}, 0, 4.0f, 1.0f, b},
        {{a, b, b}, 0, 4.0f, 1.0f, b},
        {{a, a, a}, 0, 0.0f, 0.7f, a},
        {{a, a, a}, 1, 0.0f, 1.0f, a},
        {{a, b, a}, 1, 8.0f, 0.25f, CVector3(1, 3, 0)},
        {{a, b, a}, 1, 8.0f, 1.0f, a},
    };
    for (const Case& c : cases) {
        CSpline spline;
        AddStill(&spline, c.keys);
        spline.m_bClosed = c.closed;
        const CVector3 point = At(&spline, c.fraction);
        EXPECT_TRUE(Near(point, c.expected)) << "case " << (&c - cases);
        EXPECT_NEAR(spline.m_fLength, c.length, kTolerance) << "case " << (&c - cases);
    }
}

// ---------------------------------------------------------------------------------------------
// Sampling

TEST(SplineTest, SampleGivesPointsPerSegmentAndTheEnd) {
    struct Case {
        int keys;
        int closed;
        uint32_t n;
        int count;
    };
    const Case cases[] = {
        {3, 0, 8, 17}, {3, 1, 8, 25}, {2, 0, 1, 2}, {2, 1, 1, 3}, {4, 0, 4, 13},
        {4, 1, 4, 17}, {1, 0, 5, 1},  {1, 1, 3, 4}, {0, 0, 8, 0}, {0, 1, 8, 0},
    };
    const std::vector<CVector3> all = {CVector3(0, 0, 0), CVector3(8, 0, 0), CVector3(8, 8, 0),
                                       CVector3(0, 8, 4)};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.keys << " keys, closed " << c.closed << ", n " << c.n);
        CSpline spline;
        AddStill(&spline, std::vector<CVector3>(all.begin(), all.begin() + c.keys));
        spline.m_bClosed = c.closed;
        CPointArray points;
        points.SetCapacity(kRoomForSamples);
        spline.Sample(&points, c.n);
        EXPECT_EQ(points.m_nCount, c.count);
        if (c.keys > 0) {
            EXPECT_TRUE(Same(points.m_pPoints[0], all[0]));
            EXPECT_TRUE(Same(points.m_pPoints[c.count - 1], all[c.closed ? 0 : c.keys - 1]));
        }
        // Sampling by parameter needs no lengths.
        EXPECT_EQ(spline.m_bDirty, 1);
    }
}

TEST(SplineTest, SamplePointsSitAtEvenParameterSteps) {
    // Still tangents: the share of a side at s is 3 s^2 - 2 s^3.
    CSpline spline;
    AddStill(&spline, {CVector3(0, 0, 0), CVector3(8, 0, 0), CVector3(8, 8, 0)});
    CPointArray points;
    points.SetCapacity(kRoomForSamples);
    points.AddPoints(3);  // sampling appends behind what is there
    points.m_pPoints[2] = CVector3(-1, -1, -1);
    spline.Sample(&points, 8);
    ASSERT_EQ(points.m_nCount, 3 + 17);
    EXPECT_TRUE(Same(points.m_pPoints[2], CVector3(-1, -1, -1)));
    const CVector3* p = points.m_pPoints + 3;
    struct Case {
        int index;
        CVector3 expected;
    };
    const Case cases[] = {
        {0, CVector3(0, 0, 0)},
        {1, CVector3(8 * 0.04296875f, 0, 0)},  // s = 1/8
        {4, CVector3(4, 0, 0)},                // s = 1/2
        {6, CVector3(8 * 0.84375f, 0, 0)},     // s = 3/4
        {8, CVector3(8, 0, 0)},                // key 1 starts segment 1
        {12, CVector3(8, 4, 0)},
        {16, CVector3(8, 8, 0)},               // the end point
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Near(p[c.index], c.expected)) << "point " << c.index;

    // Closed, the closing side follows and key 0 ends the list.
    spline.m_bClosed = 1;
    points.SetCapacity(kRoomForSamples);
    spline.Sample(&points, 8);
    ASSERT_EQ(points.m_nCount, 25);
    EXPECT_TRUE(Near(points.m_pPoints[16], CVector3(8, 8, 0)));
    EXPECT_TRUE(Near(points.m_pPoints[20], CVector3(4, 4, 0)));
    EXPECT_TRUE(Same(points.m_pPoints[24], CVector3(0, 0, 0)));
}

TEST(SplineTest, SamplingGrowsTheOutputArrayAsNeeded) {
    CSpline spline;
    AddStill(&spline, {CVector3(0, 0, 0), CVector3(8, 0, 0), CVector3(8, 8, 0)});

    // No storage at all yet.
    CPointArray empty;
    spline.Sample(&empty, 8);
    ASSERT_EQ(empty.m_nCount, 17);
    EXPECT_TRUE(Same(empty.m_pPoints[0], CVector3(0, 0, 0)));
    EXPECT_TRUE(Near(empty.m_pPoints[8], CVector3(8, 0, 0)));
    EXPECT_TRUE(Same(empty.m_pPoints[16], CVector3(8, 8, 0)));

    // Full, holding a point of its own: every append past it must reallocate and keep it.
    CPointArray full(1);
    full.SetCapacity(1);
    full.m_pPoints[full.AddPoints(1)] = CVector3(-1, -2, -3);
    spline.SampleRange(&full, 4, 0.0f, 1.0f);
    ASSERT_EQ(full.m_nCount, 1 + 10);
    EXPECT_TRUE(Same(full.m_pPoints[0], CVector3(-1, -2, -3)));
    EXPECT_TRUE(Same(full.m_pPoints[1], CVector3(0, 0, 0)));
    EXPECT_TRUE(Near(full.m_pPoints[3], CVector3(8 * 0.15625f, 0, 0)));
    EXPECT_TRUE(Near(full.m_pPoints[10], CVector3(8, 8, 0)));
}

TEST(SplineTest, SampleRangeTakesExactEndsAndStepsBetween) {
    // Axis keys: segments [0, 1], [1, 3], [3, 6] of a path 6 long.
    struct Case {
        float from;
        float to;
        std::vector<float> xs;
    };
    const Case cases[] = {
        // The whole path: exact start, then 4 steps on every segment, then the exact end.
        {0.0f, 1.0f, {0, 0, 0.15625f, 0.375f, 0.65625f,  //
                      1, 1.40625f, 1.875f, 2.40625f,        //
                      3, 3.75f, 4.625f, 5.4375f, 6}},
        // From segment 1 at s = 0.4 to segment 2 at s = 0.6.
        {0.3f, 0.8f, {1.68f, 1.875f, 2.40625f, 3, 3.75f, 4.625f, 4.968f}},
        // Within segment 0, from s = 0.3 to s = 0.6.
        {0.05f, 0.1f, {0.195f, 0.375f, 0.48f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.from << " to " << c.to);
        CSpline spline;
        AddAxisKeys(&spline);
        CPointArray points;
        points.SetCapacity(kRoomForSamples);
        spline.SampleRange(&points, 4, c.from, c.to);
        EXPECT_EQ(spline.m_bDirty, 0);
        ExpectXs(points, c.xs);
    }
}

TEST(SplineTest, SampleRangeLeavesOutClosingSegment) {
    struct Case {
        float from;
        float to;
        int count;
        CVector3 last;
    };
    // Sides of 2: s = 3/4 on a side lies at 2 * 0.84375 along it.
    const Case cases[] = {
        {0.1f, 0.6f, 10, CVector3(2 - 0.704f, 2, 0)},  // side 0 from s = 0.4 to side 2 at s = 0.4
        {0.0f, 1.0f, 13, CVector3(2 - 1.6875f, 2, 0)},  // ends on side 2 at s = 3/4
        {0.6f, 0.95f, 3, CVector3(2 - 1.6875f, 2, 0)},  // starts on side 2, ends on the closing side
        {0.9f, 1.0f, 0, kZero},                          // only the closing side
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.from << " to " << c.to);
        CSpline square;
        AddSquare(&square);
        CPointArray points;
        points.SetCapacity(kRoomForSamples);
        square.SampleRange(&points, 4, c.from, c.to);
        ASSERT_EQ(points.m_nCount, c.count);
        if (c.count > 0) {
            EXPECT_TRUE(Near(points.m_pPoints[c.count - 1], c.last));
            for (int i = 0; i < points.m_nCount; ++i)
                EXPECT_FALSE(points.m_pPoints[i].x < 1.5f && points.m_pPoints[i].y > 0.0f &&
                             points.m_pPoints[i].y < 2.0f)
                    << "point " << i << " lies on the closing side";
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Point arrays

TEST(PointArrayTest, AddPointsGrowsToCountPlusGrowthStep) {
    CPointArray points;
    EXPECT_EQ(points.m_nGrowthStep, 8);
    EXPECT_EQ(points.m_nCount, 0);
    EXPECT_EQ(points.m_nCapacity, 0);
    EXPECT_EQ(points.m_pPoints, nullptr);

    struct Step {
        int add;
        int first;
        int count;
        int capacity;
    };
    const Step steps[] = {
        {1, 0, 1, 9},     // beyond the capacity: count + 8
        {8, 1, 9, 9},     // exactly full: no growth
        {1, 9, 10, 18},
        {0, 10, 10, 18},  // nothing added
        {-3, 10, 10, 18},
        {20, 10, 30, 38},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.add);
        const int first = points.AddPoints(s.add);
        EXPECT_EQ(first, s.first);
        EXPECT_EQ(points.m_nCount, s.count);
        EXPECT_EQ(points.m_nCapacity, s.capacity);
        ASSERT_NE(points.m_pPoints, nullptr);
        for (int i = first; i < points.m_nCount; ++i)
            points.m_pPoints[i] = CVector3(static_cast<float>(i), 0, 0);
    }
    // Every point written survived the reallocations.
    for (int i = 0; i < points.m_nCount; ++i)
        EXPECT_EQ(points.m_pPoints[i].x, static_cast<float>(i)) << i;

    CPointArray stepOfThree(3);
    EXPECT_EQ(stepOfThree.AddPoints(5), 0);
    EXPECT_EQ(stepOfThree.m_nCapacity, 8);
    EXPECT_EQ(stepOfThree.AddPoints(4), 5);
    EXPECT_EQ(stepOfThree.m_nCapacity, 12);
}

TEST(PointArrayTest, SetCapacityEmptiesAndReallocatesOnlyOnChange) {
    CPointArray points;
    points.SetCapacity(5);
    EXPECT_EQ(points.m_nCount, 0);
    EXPECT_EQ(points.m_nCapacity, 5);
    ASSERT_NE(points.m_pPoints, nullptr);

    // Filling up to the capacity does not grow.
    CVector3* const block = points.m_pPoints;
    EXPECT_EQ(points.AddPoints(5), 0);
    EXPECT_EQ(points.m_nCapacity, 5);
    EXPECT_EQ(points.m_pPoints, block);
    points.m_pPoints[0] = CVector3(1, 2, 3);

    // The same capacity only empties.
    points.SetCapacity(5);
    EXPECT_EQ(points.m_nCount, 0);
    EXPECT_EQ(points.m_nCapacity, 5);
    EXPECT_EQ(points.m_pPoints, block);
    EXPECT_TRUE(Same(points.m_pPoints[0], CVector3(1, 2, 3)));

    points.AddPoints(6);
    EXPECT_EQ(points.m_nCapacity, 14);
    points.SetCapacity(2);
    EXPECT_EQ(points.m_nCount, 0);
    EXPECT_EQ(points.m_nCapacity, 2);
    ASSERT_NE(points.m_pPoints, nullptr);

    points.AddPoints(1);
    points.SetCapacity(0);
    EXPECT_EQ(points.m_nCount, 0);
    EXPECT_EQ(points.m_nCapacity, 0);
    EXPECT_EQ(points.m_pPoints, nullptr);

    // Usable again after being freed.
    EXPECT_EQ(points.AddPoints(2), 0);
    EXPECT_EQ(points.m_nCapacity, 10);
    ASSERT_NE(points.m_pPoints, nullptr);
}

}  // namespace
