#include "engine/graphics/BoundingVolumes.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <initializer_list>

#include "engine/core/Matrix.h"
#include "engine/core/OrientedBox.h"
#include "engine/core/Vector3.h"

#include "tests/support/MatrixBuilders.h"
namespace {

constexpr float kTolerance = 1e-4f;
constexpr float kPi = 3.14159265f;
const float kRootHalf = std::sqrt(0.5f);
const float kRootTwo = std::sqrt(2.0f);
// What an out distance holds before a call, to see whether the call wrote it.
constexpr float kUntouched = -12345.0f;

CVector3 V(float x, float y, float z) {
    return CVector3(x, y, z);
}

COrientedBox Box(const CVector3& centre, const CVector3& halfExtents, const CVector3& axis0, const CVector3& axis1,
                 const CVector3& axis2) {
    COrientedBox box;
    box.vCentre = centre;
    box.vHalfExtents = halfExtents;
    box.vAxes[0] = axis0;
    box.vAxes[1] = axis1;
    box.vAxes[2] = axis2;
    return box;
}

COrientedBox AlignedBox(const CVector3& centre, const CVector3& halfExtents) {
    return Box(centre, halfExtents, V(1, 0, 0), V(0, 1, 0), V(0, 0, 1));
}

// A box turned about z by the angle: its first axis is (cos, sin, 0).
COrientedBox TurnedBox(const CVector3& centre, const CVector3& halfExtents, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return Box(centre, halfExtents, V(c, s, 0), V(-s, c, 0), V(0, 0, 1));
}

// The matrices applied in the order given.
CMatrix Chain(std::initializer_list<CMatrix> steps) {
    CMatrix out = CMatrix::Identity();
    for (const CMatrix& step : steps)
        CMatrix::Multiply(&out, out, step);
    return out;
}

::testing::AssertionResult VectorNear(const CVector3& actual, const CVector3& expected,
                                      float tolerance = kTolerance) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << "), expected (" << expected.x << ", " << expected.y << ", "
                                         << expected.z << ")";
}

// ---------------------------------------------------------------------------------------------
// ClipRaySlab

struct SlabCase {
    const char* what;
    float denominator;
    float numerator;
    float enterIn;
    float exitIn;
    int result;
    float enterOut;
    float exitOut;
};

TEST(BoundingVolumesSlab, NarrowsTheEndThatTheDenominatorSignSelects) {
    const SlabCase cases[] = {
        // Positive denominator: the slab starts at numerator / denominator.
        {"enter moved forward", 2.0f, 3.0f, 0.0f, 4.0f, 1, 1.5f, 4.0f},
        {"enter already past the slab", 2.0f, 1.0f, 1.0f, 4.0f, 1, 1.0f, 4.0f},
        {"slab starts exactly at the exit", 2.0f, 8.0f, 0.0f, 4.0f, 1, 4.0f, 4.0f},
        {"slab starts after the exit", 2.0f, 10.0f, 0.0f, 4.0f, 0, 0.0f, 0.0f},
        // Negative denominator: the slab ends at numerator / denominator.
        {"exit moved back", -2.0f, -6.0f, 1.0f, 4.0f, 1, 1.0f, 3.0f},
        {"exit already before the slab end", -2.0f, -10.0f, 1.0f, 4.0f, 1, 1.0f, 4.0f},
        {"slab ends exactly at the enter", -2.0f, -2.0f, 1.0f, 4.0f, 1, 1.0f, 1.0f},
        {"slab ends before the enter", -2.0f, -1.0f, 1.0f, 4.0f, 0, 0.0f, 0.0f},
        // Zero denominator: the ray runs parallel to the planes; inside (numerator <= 0) or not.
        {"parallel inside", 0.0f, -1.0f, 1.0f, 4.0f, 1, 1.0f, 4.0f},
        {"parallel on the plane", 0.0f, 0.0f, 1.0f, 4.0f, 1, 1.0f, 4.0f},
        {"parallel outside", 0.0f, 1.0f, 1.0f, 4.0f, 0, 0.0f, 0.0f},
        {"parallel, negative zero", -0.0f, 0.5f, 1.0f, 4.0f, 0, 0.0f, 0.0f},
    };
    for (const SlabCase& c : cases) {
        SCOPED_TRACE(c.what);
        float enter = c.enterIn;
        float exit = c.exitIn;
        EXPECT_EQ(ClipRaySlab(c.denominator, c.numerator, &enter, &exit), c.result);
        if (c.result) {
            EXPECT_NEAR(enter, c.enterOut, kTolerance);
            EXPECT_NEAR(exit, c.exitOut, kTolerance);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// RayIntersectsBox

struct RayBoxCase {
    const char* what;
    COrientedBox box;
    CVector3 origin;
    CVector3 direction;
    int result;
    float t;
};

TEST(BoundingVolumesRayBox, GivesTheEntryOrExitDistanceOrAMiss) {
    const COrientedBox aligned = AlignedBox(V(0, 0, 0), V(1, 2, 3));
    const COrientedBox unitCube = AlignedBox(V(0, 0, 0), V(1, 1, 1));
    // Centre (1, 1, 0), 2 by 1 in its plane, turned 45 degrees about z.
    const COrientedBox turned = TurnedBox(V(1, 1, 0), V(2, 1, 1), kPi / 4);
    const RayBoxCase cases[] = {
        {"from outside along +x", aligned, V(-5, 0, 0), V(1, 0, 0), 1, 4.0f},
        {"from outside along -z", aligned, V(0.5f, -1, 10), V(0, 0, -1), 1, 7.0f},
        {"from outside, oblique", aligned, V(-3, -5, 0), V(1, 1, 0), 1, 3.0f},
        {"starting inside gives the exit", aligned, V(0, 0, 0), V(1, 0, 0), 1, 1.0f},
        {"starting inside off centre", aligned, V(0.5f, 0, 0), V(-1, 0, 0), 1, 1.5f},
        {"starting on the entry face", aligned, V(-1, 0, 0), V(1, 0, 0), 1, 2.0f},
        {"parallel to a slab and outside it", aligned, V(-5, 3, 0), V(1, 0, 0), 0, 0.0f},
        {"parallel, outside in z", aligned, V(-5, 0, -3.5f), V(1, 0, 0), 0, 0.0f},
        {"pointing away", aligned, V(-5, 0, 0), V(-1, 0, 0), 0, 0.0f},
        {"pointing away from beyond", aligned, V(0, 5, 0), V(0, 1, 0), 0, 0.0f},
        {"passing beside", aligned, V(-5, 0, 0), V(1, 1, 0), 0, 0.0f},
        {"grazing a face", aligned, V(-5, 2, 0), V(1, 0, 0), 1, 4.0f},
        {"grazing an edge", aligned, V(-5, 2, 3), V(1, 0, 0), 1, 4.0f},
        {"touching an edge in one point", unitCube, V(-3, -1, 0), V(1, 1, 0), 1, 2.0f},
        {"direction of length 2 halves the distance", aligned, V(-5, 0, 0), V(2, 0, 0), 1, 2.0f},
        {"direction of length 0.5 doubles it", aligned, V(-5, 0, 0), V(0.5f, 0, 0), 1, 8.0f},
        {"zero-length direction outside", aligned, V(-5, 0, 0), V(0, 0, 0), 0, 0.0f},
        {"zero-length direction inside", aligned, V(0, 0, 0), V(0, 0, 0), 0, 0.0f},
        // The turned box across its centre line: |u| <= 2 for t in [6 - 2 sqrt 2, 6 + 2 sqrt 2],
        // |v| <= 1 for t in [6 - sqrt 2, 6 + sqrt 2].
        {"turned box along +x", turned, V(-5, 1, 0), V(1, 0, 0), 1, 6.0f - kRootTwo},
        {"turned box from its centre", turned, V(1, 1, 0), V(1, 0, 0), 1, kRootTwo},
        {"turned box along its own long axis", turned, V(1 - 10 * kRootHalf, 1 - 10 * kRootHalf, 0),
         V(kRootHalf, kRootHalf, 0), 1, 8.0f},
        // (1.9, 0.9) from the centre lies inside the turned box, (1.9, -0.9) only inside the
        // unturned one.
        {"turned box, corner region inside", turned, V(2.9f, 1.9f, -10), V(0, 0, 1), 1, 9.0f},
        {"turned box, corner region cut away", turned, V(2.9f, 0.1f, -10), V(0, 0, 1), 0, 0.0f},
    };
    for (const RayBoxCase& c : cases) {
        SCOPED_TRACE(c.what);
        float t = kUntouched;
        EXPECT_EQ(RayIntersectsBox(c.box, c.origin, c.direction, &t), c.result);
        if (c.result)
            EXPECT_NEAR(t, c.t, kTolerance);
        else
            EXPECT_EQ(t, kUntouched);
    }
}

// ---------------------------------------------------------------------------------------------
// RayIntersectsSphere

struct RaySphereCase {
    const char* what;
    float radius;
    CVector3 centre;
    CVector3 origin;
    CVector3 direction;
    int result;
    float t;
};

TEST(BoundingVolumesRaySphere, GivesTheNearerCrossingAndATangentOnlyAhead) {
    const RaySphereCase cases[] = {
        {"hit in front", 1.0f, V(5, 0, 0), V(0, 0, 0), V(1, 0, 0), 1, 4.0f},
        {"hit in front, off axis", 5.0f, V(0, 3, 10), V(0, 0, 0), V(0, 0, 1), 1, 6.0f},
        {"direction of length 2", 1.0f, V(5, 0, 0), V(0, 0, 0), V(2, 0, 0), 1, 2.0f},
        {"origin at the centre gives the root behind", 2.0f, V(0, 0, 0), V(0, 0, 0), V(1, 0, 0), 1, -2.0f},
        {"origin inside off centre", 2.0f, V(1, 0, 0), V(0, 0, 0), V(1, 0, 0), 1, -1.0f},
        {"sphere wholly behind", 1.0f, V(-5, 0, 0), V(0, 0, 0), V(1, 0, 0), 1, -6.0f},
        {"tangent in front", 1.0f, V(5, 1, 0), V(0, 0, 0), V(1, 0, 0), 1, 5.0f},
        {"tangent behind", 1.0f, V(-5, 1, 0), V(0, 0, 0), V(1, 0, 0), 0, 0.0f},
        {"miss", 1.0f, V(5, 2, 0), V(0, 0, 0), V(1, 0, 0), 0, 0.0f},
        {"miss behind", 1.0f, V(-5, -2, 0), V(0, 0, 0), V(1, 0, 0), 0, 0.0f},
        {"zero radius on the ray", 0.0f, V(5, 0, 0), V(0, 0, 0), V(1, 0, 0), 1, 5.0f},
        {"zero radius beside the ray", 0.0f, V(5, 0.5f, 0), V(0, 0, 0), V(1, 0, 0), 0, 0.0f},
        {"zero radius behind the ray", 0.0f, V(-5, 0, 0), V(0, 0, 0), V(1, 0, 0), 0, 0.0f},
        {"zero radius at the origin", 0.0f, V(0, 0, 0), V(0, 0, 0), V(1, 0, 0), 1, 0.0f},
        {"zero-length direction outside", 1.0f, V(5, 0, 0), V(0, 0, 0), V(0, 0, 0), 0, 0.0f},
        {"zero-length direction inside", 1.0f, V(0, 0, 0), V(0, 0, 0), V(0, 0, 0), 0, 0.0f},
        {"zero-length direction on the surface", 1.0f, V(1, 0, 0), V(0, 0, 0), V(0, 0, 0), 0, 0.0f},
    };
    for (const RaySphereCase& c : cases) {
        SCOPED_TRACE(c.what);
        float t = kUntouched;
        EXPECT_EQ(RayIntersectsSphere(c.radius, c.centre, c.origin, c.direction, &t), c.result);
        if (c.result)
            EXPECT_NEAR(t, c.t, kTolerance);
        else
            EXPECT_EQ(t, kUntouched);
    }
}

// ---------------------------------------------------------------------------------------------
// RayPickSphere

struct PickSphereCase {
    const char* what;
    float radius;
    CVector3 centre;
    CMatrix matrix;
    CVector3 origin;
    CVector3 direction;
    int result;
    float t;
};

TEST(BoundingVolumesPickSphere, PlacesTheSphereAndScalesItsRadiusByTheImageOfX) {
    const PickSphereCase cases[] = {
        {"identity", 1.0f, V(5, 0, 0), CMatrix::Identity(), V(0, 0, 0), V(1, 0, 0), 1, 4.0f},
        // Centre (1, 0, 0) -> scaled (2, 0, 0) -> turned (0, 2, 0) -> moved (10, 2, 0); radius 2.
        {"scaled, turned and moved", 1.0f, V(1, 0, 0),
         Chain({Scale(2, 2, 2), RotationZ(kPi / 2), Translation(10, 0, 0)}), V(0, 2, 0), V(1, 0, 0), 1, 8.0f},
        {"scaled, turned and moved, missed above", 1.0f, V(1, 0, 0),
         Chain({Scale(2, 2, 2), RotationZ(kPi / 2), Translation(10, 0, 0)}), V(0, 4.5f, 0), V(1, 0, 0), 0, 0.0f},
        // Only the x scale reaches the radius.
        {"x stretched", 1.0f, V(0, 0, 0), Chain({Scale(3, 1, 1), Translation(0, 10, 0)}), V(0, 0, 0), V(0, 1, 0),
         1, 7.0f},
        {"y stretched", 1.0f, V(0, 0, 0), Chain({Scale(1, 3, 1), Translation(0, 10, 0)}), V(0, 0, 0), V(0, 1, 0),
         1, 9.0f},
        // Turned first, x lands on y and takes the y scale.
        {"turned then y stretched", 1.0f, V(0, 0, 0),
         Chain({RotationZ(kPi / 2), Scale(1, 3, 1), Translation(0, 10, 0)}), V(0, 0, 0), V(0, 1, 0), 1, 7.0f},
        {"moved behind the ray", 1.0f, V(0, 0, 0), Translation(-5, 0, 0), V(0, 0, 0), V(1, 0, 0), 1, -6.0f},
    };
    for (const PickSphereCase& c : cases) {
        SCOPED_TRACE(c.what);
        float t = kUntouched;
        EXPECT_EQ(RayPickSphere(c.radius, c.centre, c.matrix, c.origin, c.direction, &t), c.result);
        if (c.result)
            EXPECT_NEAR(t, c.t, kTolerance);
        else
            EXPECT_EQ(t, kUntouched);
    }
}

// ---------------------------------------------------------------------------------------------
// TransformBox

struct TransformBoxCase {
    const char* what;
    COrientedBox box;
    CMatrix matrix;
    COrientedBox expected;
};

TEST(BoundingVolumesTransformBox, MovesTheCentreKeepsUnitAxesAndScalesTheExtents) {
    const COrientedBox box = AlignedBox(V(1, 2, 3), V(1, 2, 3));
    // Stretched along x, the turned axes (±1, 1)/sqrt 2 become (±2, 1)/sqrt 2 of length sqrt 2.5.
    const float stretched = std::sqrt(2.5f);
    const float ax = 2.0f * kRootHalf / stretched;
    const float ay = kRootHalf / stretched;
    const TransformBoxCase cases[] = {
        {"identity", box, CMatrix::Identity(), box},
        {"moved", box, Translation(10, 20, 30), AlignedBox(V(11, 22, 33), V(1, 2, 3))},
        {"uniform scale", box, Scale(2, 2, 2), AlignedBox(V(2, 4, 6), V(2, 4, 6))},
        {"non-uniform scale and move", box, Chain({Scale(2, 3, 4), Translation(10, 20, 30)}),
         AlignedBox(V(12, 26, 42), V(2, 6, 12))},
        {"turned a quarter about z and moved", box, Chain({RotationZ(kPi / 2), Translation(10, 0, 0)}),
         Box(V(8, 1, 3), V(1, 2, 3), V(0, 1, 0), V(-1, 0, 0), V(0, 0, 1))},
        {"turned box stretched along x", TurnedBox(V(1, 1, 0), V(1, 2, 3), kPi / 4), Scale(2, 1, 1),
         Box(V(2, 1, 0), V(stretched, 2 * stretched, 3), V(ax, ay, 0), V(-ax, ay, 0), V(0, 0, 1))},
        {"mirrored", box, Scale(-2, 1, 1), Box(V(-2, 2, 3), V(2, 2, 3), V(-1, 0, 0), V(0, 1, 0), V(0, 0, 1))},
    };
    for (const TransformBoxCase& c : cases) {
        SCOPED_TRACE(c.what);
        COrientedBox out = AlignedBox(V(-99, -99, -99), V(-99, -99, -99));
        TransformBox(&out, c.box, c.matrix);
        EXPECT_TRUE(VectorNear(out.vCentre, c.expected.vCentre));
        EXPECT_TRUE(VectorNear(out.vHalfExtents, c.expected.vHalfExtents));
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(k);
            EXPECT_TRUE(VectorNear(out.vAxes[k], c.expected.vAxes[k]));
            EXPECT_NEAR(out.vAxes[k].Length(), 1.0f, kTolerance);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// RayPickBox

TEST(BoundingVolumesPickBox, TestsTheRayAgainstThePlacedBox) {
    const COrientedBox cube = AlignedBox(V(0, 0, 0), V(1, 1, 1));
    const COrientedBox slab = AlignedBox(V(0, 0, 0), V(2, 1, 1));
    struct Case {
        const char* what;
        COrientedBox box;
        CMatrix matrix;
        CVector3 origin;
        CVector3 direction;
        int result;
        float t;
    };
    const Case cases[] = {
        {"identity", cube, CMatrix::Identity(), V(-5, 0, 0), V(1, 0, 0), 1, 4.0f},
        // Doubled and moved: the cube spans x 8..12.
        {"scaled and moved", cube, Chain({Scale(2, 2, 2), Translation(10, 0, 0)}), V(0, 0, 0), V(1, 0, 0), 1,
         8.0f},
        {"scaled and moved, passing above", cube, Chain({Scale(2, 2, 2), Translation(10, 0, 0)}), V(0, 2.5f, 0),
         V(1, 0, 0), 0, 0.0f},
        {"scaled and moved, hit inside the scaled extent", cube, Chain({Scale(2, 2, 2), Translation(10, 0, 0)}),
         V(0, 1.5f, 0), V(1, 0, 0), 1, 8.0f},
        {"non-uniform scale, along the stretched side", cube, Chain({Scale(1, 4, 1), Translation(0, 10, 0)}),
         V(0, 0, 0), V(0, 1, 0), 1, 6.0f},
        // The same turned box as in the ray-box table, placed by the matrix instead.
        {"turned and moved", slab, Chain({RotationZ(kPi / 4), Translation(1, 1, 0)}), V(-5, 1, 0), V(1, 0, 0), 1,
         6.0f - kRootTwo},
        {"turned and moved, starting inside", slab, Chain({RotationZ(kPi / 4), Translation(1, 1, 0)}),
         V(1, 1, 0), V(1, 0, 0), 1, kRootTwo},
        {"moved out of the ray's way", cube, Translation(0, 0, 5), V(-5, 0, 0), V(1, 0, 0), 0, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        float t = kUntouched;
        EXPECT_EQ(RayPickBox(c.box, c.matrix, c.origin, c.direction, &t), c.result);
        if (c.result)
            EXPECT_NEAR(t, c.t, kTolerance);
        else
            EXPECT_EQ(t, kUntouched);
    }
}

// ---------------------------------------------------------------------------------------------
// CircleOverlapsBoxXY

struct CircleCase {
    const char* what;
    COrientedBox box;
    float radius;
    CVector3 point;
    int result;
};

TEST(BoundingVolumesCircleBox, ComparesTheDistanceToTheRectangleWithTheRadius) {
    // x 0..4, y 2..4; the z extent plays no part.
    const COrientedBox aligned = AlignedBox(V(2, 3, 0), V(2, 1, 0.1f));
    // The same rectangle about the origin turned a quarter: x -1..1, y -2..2.
    const COrientedBox quarter = TurnedBox(V(0, 0, 0), V(2, 1, 1), kPi / 2);
    const COrientedBox plus45 = TurnedBox(V(0, 0, 0), V(2, 1, 1), kPi / 4);
    const COrientedBox minus45 = TurnedBox(V(0, 0, 0), V(2, 1, 1), -kPi / 4);
    // Only the direction of the second axis sets the angle.
    const COrientedBox longSecondAxis = Box(V(2, 3, 0), V(2, 1, 1), V(1, 0, 0), V(0, 3, 0), V(0, 0, 1));
    const float d = 2.5f * kRootHalf;  // 2.5 along a diagonal
    const CircleCase cases[] = {
        {"centre inside", aligned, 0.1f, V(2.5f, 3.2f, 0), 1},
        {"inside with zero radius", aligned, 0.0f, V(1, 2.5f, 0), 1},
        {"inside, far off in z", aligned, 0.0f, V(1, 2.5f, 100), 1},
        {"outside to the right", aligned, 1.0f, V(6, 3, 0), 0},
        {"outside below", aligned, 0.5f, V(2, 1, 0), 0},
        {"touching exactly at the radius", aligned, 2.0f, V(6, 3, 0), 1},
        {"reaching over the left side", aligned, 1.5f, V(-1, 3, 0), 1},
        // Beyond the corner (4, 4) by (1, 1): within 1.4 of both side lines, not of the corner.
        {"near a corner, short of it", aligned, 1.4f, V(5, 5, 0), 0},
        {"near a corner, reaching it", aligned, 1.5f, V(5, 5, 0), 1},
        {"zero radius on the edge", aligned, 0.0f, V(4, 3.5f, 0), 1},
        {"zero radius on a corner", aligned, 0.0f, V(0, 2, 0), 1},
        {"zero radius just off the edge", aligned, 0.0f, V(4.01f, 3.5f, 0), 0},
        {"long second axis, inside", longSecondAxis, 0.0f, V(3.9f, 3.9f, 0), 1},
        {"long second axis, outside", longSecondAxis, 0.5f, V(2, 4.6f, 0), 0},
        {"quarter turn, inside along y", quarter, 0.0f, V(0, 1.8f, 0), 1},
        {"quarter turn, outside along x", quarter, 0.5f, V(1.8f, 0, 0), 0},
        {"quarter turn, reaching from along x", quarter, 0.9f, V(1.8f, 0, 0), 1},
        // 2.5 along the first axis: 0.5 beyond the end.
        {"+45, along the first axis, reaching", plus45, 0.6f, V(d, d, 0), 1},
        {"+45, along the first axis, short", plus45, 0.4f, V(d, d, 0), 0},
        // 2.5 along the negative second axis: 1.5 beyond the side.
        {"+45, along the second axis", plus45, 0.6f, V(d, -d, 0), 0},
        {"-45, along the first axis, reaching", minus45, 0.6f, V(d, -d, 0), 1},
        {"-45, along the first axis, short", minus45, 0.4f, V(d, -d, 0), 0},
        {"-45, along the second axis", minus45, 0.6f, V(d, d, 0), 0},
    };
    for (const CircleCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CircleOverlapsBoxXY(c.box, c.radius, c.point), c.result);
    }
}

// ---------------------------------------------------------------------------------------------
// BoxesOverlapXY

struct BoxPairCase {
    const char* what;
    COrientedBox a;
    COrientedBox b;
    int result;
};

TEST(BoundingVolumesBoxPair, SeparatesOnAnyOfTheFourPlaneAxes) {
    const CVector3 wide(2, 1, 1);
    const CVector3 square(1, 1, 1);
    const COrientedBox a = AlignedBox(V(0, 0, 0), wide);
    const COrientedBox aSquare = AlignedBox(V(0, 0, 0), square);
    const COrientedBox aDiamond = TurnedBox(V(0, 0, 0), square, kPi / 4);
    const BoxPairCase cases[] = {
        {"identical", a, a, 1},
        {"overlapping", a, AlignedBox(V(2.5f, 0.5f, 0), square), 1},
        {"apart along x", a, AlignedBox(V(3.5f, 0, 0), square), 0},
        {"apart along -x", a, AlignedBox(V(-3.5f, 0, 0), square), 0},
        {"apart along y", a, AlignedBox(V(0, 2.5f, 0), square), 0},
        {"touching sides", a, AlignedBox(V(3, 0, 0), square), 1},
        {"touching corners", a, AlignedBox(V(-3, 2, 0), square), 1},
        {"just apart", a, AlignedBox(V(3.01f, 0, 0), square), 0},
        // A turned square (a diamond reaching sqrt 2 along x and y) on the diagonal: at 2 only
        // its own first axis separates; its bounding square would still overlap.
        {"diamond apart along its first axis", aSquare, TurnedBox(V(2, 2, 0), square, kPi / 4), 0},
        {"diamond apart along its second axis", aSquare, TurnedBox(V(-2, 2, 0), square, kPi / 4), 0},
        {"diamond close on the diagonal", aSquare, TurnedBox(V(1.6f, 1.6f, 0), square, kPi / 4), 1},
        {"square apart along the diamond's first axis", aDiamond, AlignedBox(V(2, 2, 0), square), 0},
        {"square apart along the diamond's second axis", aDiamond, AlignedBox(V(-2, 2, 0), square), 0},
        {"square close to the diamond", aDiamond, AlignedBox(V(1.6f, -1.6f, 0), square), 1},
        // A quarter-turned copy of the wide box reaches 1 along x and 2 along y.
        {"crossed boxes overlapping", a, TurnedBox(V(2.9f, 2.9f, 0), wide, kPi / 2), 1},
        {"crossed boxes apart along x", a, TurnedBox(V(3.1f, 0, 0), wide, kPi / 2), 0},
        {"crossed boxes apart along y", a, TurnedBox(V(0, 3.1f, 0), wide, kPi / 2), 0},
        {"z distance ignored", a, AlignedBox(V(1, 0, 100), square), 1},
        {"z extents ignored", AlignedBox(V(0, 0, 0), V(2, 1, 0)), AlignedBox(V(3.5f, 0, 0), V(1, 1, 1000)), 0},
        {"third axis ignored", a, Box(V(2.5f, 0, 0), square, V(1, 0, 0), V(0, 1, 0), V(7, -3, 5)), 1},
    };
    for (const BoxPairCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BoxesOverlapXY(c.a, c.b), c.result);
        EXPECT_EQ(BoxesOverlapXY(c.b, c.a), c.result) << "with the boxes swapped";
    }
}

}  // namespace
