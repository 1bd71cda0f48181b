#include "engine/core/Frustum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/core/OrientedBox.h"
#include "engine/core/PlaneList.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kRootHalf = std::sqrt(0.5f);

COrientedBox AxisBox(CVector3 centre, CVector3 half) {
    return COrientedBox{centre, half, {CVector3(1, 0, 0), CVector3(0, 1, 0), CVector3(0, 0, 1)}};
}

// The cube |x|, |y|, |z| <= 10, inside facing.
void AddCube(CFrustum& frustum) {
    frustum.m_pPlanes->Append(CPlane{1, 0, 0, 10});
    frustum.m_pPlanes->Append(CPlane{-1, 0, 0, 10});
    frustum.m_pPlanes->Append(CPlane{0, 1, 0, 10});
    frustum.m_pPlanes->Append(CPlane{0, -1, 0, 10});
    frustum.m_pPlanes->Append(CPlane{0, 0, 1, 10});
    frustum.m_pPlanes->Append(CPlane{0, 0, -1, 10});
}

TEST(FrustumEmpty, HoldsEveryBoxAndSphere) {
    const float inf = std::numeric_limits<float>::infinity();
    CFrustum frustum;
    EXPECT_EQ(frustum.IsSphereVisible(0, 0, 0, 1), 1);
    EXPECT_EQ(frustum.IsSphereVisible(-1e30f, 1e30f, 5, 0), 1);
    EXPECT_EQ(frustum.IsSphereVisible(1, 2, 3, -100), 1);
    EXPECT_EQ(frustum.IsSphereVisible(kNaN, kNaN, kNaN, kNaN), 1);
    EXPECT_EQ(frustum.IsSphereVisible(-inf, 0, 0, 0), 1);
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({0, 0, 0}, {1, 1, 1})), 1);
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-1e30f, 1e30f, 0}, {0, 0, 0})), 1);
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({kNaN, 0, 0}, {kNaN, 1, 1})), 1);
}

TEST(FrustumEmpty, EmptiedPlaneListHoldsEverythingAgain) {
    CFrustum frustum;
    frustum.m_pPlanes->Append(CPlane{1, 0, 0, 0});
    ASSERT_EQ(frustum.IsSphereVisible(-5, 0, 0, 1), 0);
    ASSERT_EQ(frustum.IsBoxVisible(AxisBox({-5, 0, 0}, {1, 1, 1})), 0);
    frustum.m_pPlanes->RemoveAll();
    EXPECT_EQ(frustum.IsSphereVisible(-5, 0, 0, 1), 1);
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-5, 0, 0}, {1, 1, 1})), 1);
}

TEST(FrustumSphere, AgainstOnePlane) {
    struct Case {
        const char* name;
        CPlane plane;
        float x, y, z, radius;
        int expected;
    };
    const Case cases[] = {
        {"in front", {1, 0, 0, 0}, 3, 0, 0, 1, 1},
        {"centre on plane", {1, 0, 0, 0}, 0, 7, -7, 0, 1},
        {"straddling", {1, 0, 0, 0}, -0.5f, 0, 0, 1, 1},
        {"touching from behind", {1, 0, 0, 0}, -1, 0, 0, 1, 1},
        {"just behind", {1, 0, 0, 0}, -1.0001f, 0, 0, 1, 0},
        {"far behind", {1, 0, 0, 0}, -20, 5, 5, 1, 0},
        {"point behind", {1, 0, 0, 0}, -0.001f, 0, 0, 0, 0},
        {"offset plane, touching", {0, 1, 0, -3}, 0, 1, 0, 2, 1},
        {"offset plane, behind", {0, 1, 0, -3}, 0, 1, 0, 1.9f, 0},
        {"offset plane, in front", {0, 1, 0, -3}, 0, 4, 0, 0.5f, 1},
        {"downward plane, touching", {0, 0, -1, 2}, 0, 0, 5, 3, 1},
        {"downward plane, behind", {0, 0, -1, 2}, 0, 0, 5.5f, 3, 0},
        {"slanted plane, touching", {0.5f, 0.25f, 0, 1}, -4, -4, 0, 2, 1},
        {"slanted plane, behind", {0.5f, 0.25f, 0, 1}, -4, -4, 0, 1.9f, 0},
        // The distance is taken as given, without normalising the plane.
        {"unnormalised plane", {2, 0, 0, 0}, -1, 0, 0, 1.5f, 0},
        {"unnormalised plane, inside", {2, 0, 0, 0}, -1, 0, 0, 2, 1},
    };
    for (const Case& c : cases) {
        CFrustum frustum;
        frustum.m_pPlanes->Append(c.plane);
        EXPECT_EQ(frustum.IsSphereVisible(c.x, c.y, c.z, c.radius), c.expected) << c.name;
    }
}

TEST(FrustumSphere, AgainstAClosedVolume) {
    struct Case {
        const char* name;
        float x, y, z, radius;
        int expected;
    };
    const Case cases[] = {
        {"centre", 0, 0, 0, 1, 1},
        {"larger than the volume", 0, 0, 0, 100, 1},
        {"near a corner", 9, -9, 9, 0.5f, 1},
        {"across the +x face", 10.5f, 0, 0, 1, 1},
        {"touching the -z face", 0, 0, -12, 2, 1},
        {"beyond +x", 12, 0, 0, 1, 0},
        {"beyond -x", -12, 0, 0, 1, 0},
        {"beyond +y", 0, 12, 0, 1, 0},
        {"beyond -y", 0, -12, 0, 1, 0},
        {"beyond +z", 0, 0, 12, 1, 0},
        {"beyond -z", 0, 0, -12, 1.9f, 0},
        // Outside near a corner, but not wholly behind any one face: counts as inside.
        {"off the corner", 10.9f, 10.9f, 10.9f, 1, 1},
    };
    CFrustum frustum;
    AddCube(frustum);
    for (const Case& c : cases)
        EXPECT_EQ(frustum.IsSphereVisible(c.x, c.y, c.z, c.radius), c.expected) << c.name;
}

TEST(FrustumBox, AxisAlignedAgainstAClosedVolume) {
    struct Case {
        const char* name;
        CVector3 centre, half;
        int expected;
    };
    const Case cases[] = {
        {"inside", {0, 0, 0}, {1, 2, 3}, 1},
        {"enclosing the volume", {0, 0, 0}, {50, 50, 50}, 1},
        {"across +x", {10, 0, 0}, {1, 1, 1}, 1},
        {"across -y", {0, -10.5f, 0}, {1, 1, 1}, 1},
        {"beyond +x", {12, 0, 0}, {1, 1, 1}, 0},
        {"beyond -x", {-12, 0, 0}, {1, 1, 1}, 0},
        {"beyond +y", {0, 12, 0}, {1, 1, 1}, 0},
        {"beyond -y", {0, -12, 0}, {1, 1, 1}, 0},
        {"beyond +z", {0, 0, 12}, {1, 1, 1}, 0},
        {"beyond -z", {0, 0, -12}, {1, 1, 1}, 0},
        {"long in z, beyond +x", {11, 0, 0}, {0.5f, 0.5f, 100}, 0},
        {"long in x, across +x", {11, 0, 0}, {100, 0.5f, 0.5f}, 1},
        {"flat box on the face", {10, 0, 0}, {0, 1, 1}, 1},
        {"point box inside", {3, 3, 3}, {0, 0, 0}, 1},
        {"point box outside", {0, 0, 10.5f}, {0, 0, 0}, 0},
    };
    CFrustum frustum;
    AddCube(frustum);
    for (const Case& c : cases)
        EXPECT_EQ(frustum.IsBoxVisible(AxisBox(c.centre, c.half)), c.expected) << c.name;
}

TEST(FrustumBox, CornerExactlyOnThePlaneCountsAsInside) {
    // Corners span (-2, -2, -2) to (0, 0, 0); only (0, 0, 0) lies on x + y + z = 0.
    CFrustum frustum;
    frustum.m_pPlanes->Append(CPlane{1, 1, 1, 0});
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-1, -1, -1}, {1, 1, 1})), 1);
    // Nudged a little further back, every corner is behind.
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-1.01f, -1, -1}, {1, 1, 1})), 0);

    // A whole face on the plane.
    CFrustum face;
    face.m_pPlanes->Append(CPlane{1, 0, 0, 0});
    EXPECT_EQ(face.IsBoxVisible(AxisBox({-1, 0, 0}, {1, 1, 1})), 1);
}

TEST(FrustumBox, PartlyBehindTwoPlanesButWhollyBehindNeitherCountsAsInside) {
    // Planes x >= 0 and y >= 0.
    CFrustum frustum;
    frustum.m_pPlanes->Append(CPlane{1, 0, 0, 0});
    frustum.m_pPlanes->Append(CPlane{0, 1, 0, 0});

    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-1, -1, 0}, {1.5f, 1.5f, 1})), 1);
    // A thin box along the line x + y = -2: it never enters the quadrant, yet no single plane
    // has it wholly behind.
    const COrientedBox diagonal{{-1, -1, 0},
                                {2, 0.1f, 1},
                                {CVector3(kRootHalf, -kRootHalf, 0), CVector3(kRootHalf, kRootHalf, 0),
                                 CVector3(0, 0, 1)}};
    EXPECT_EQ(frustum.IsBoxVisible(diagonal), 1);
    // Shrunk, the same box is wholly behind both.
    const COrientedBox shorter{{-1, -1, 0}, {1, 0.1f, 1}, {diagonal.vAxes[0], diagonal.vAxes[1], diagonal.vAxes[2]}};
    EXPECT_EQ(frustum.IsBoxVisible(shorter), 0);
    // Wholly behind only the second plane.
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({1, -5, 0}, {3, 1, 1})), 0);
}

TEST(FrustumBox, RotatedBoxUsesItsOwnAxes) {
    struct Case {
        const char* name;
        COrientedBox box;
        int expected;
    };
    const float h = kRootHalf;
    const Case cases[] = {
        {"axis aligned, behind", AxisBox({-1.2f, 0, 0}, {1, 1, 1}), 0},
        // Turned 45 degrees about z, the same box reaches x = -1.2 + sqrt(2).
        {"turned 45 degrees, across",
         {{-1.2f, 0, 0}, {1, 1, 1}, {CVector3(h, h, 0), CVector3(-h, h, 0), CVector3(0, 0, 1)}},
         1},
        {"turned 45 degrees, behind",
         {{-1.5f, 0, 0}, {1, 1, 1}, {CVector3(h, h, 0), CVector3(-h, h, 0), CVector3(0, 0, 1)}},
         0},
        // Long along its X axis, which points along world y: thin in world x.
        {"long axis along y, behind",
         {{-1, 0, 0}, {3, 0.5f, 0.5f}, {CVector3(0, 1, 0), CVector3(-1, 0, 0), CVector3(0, 0, 1)}},
         0},
        // Long along its Y axis, which points along world x: reaches across.
        {"middle axis along x, across",
         {{-1, 0, 0}, {0.5f, 3, 0.5f}, {CVector3(0, 1, 0), CVector3(-1, 0, 0), CVector3(0, 0, 1)}},
         1},
        // Long along its Z axis, which points along world x.
        {"last axis along x, across",
         {{-1, 0, 0}, {0.5f, 0.5f, 3}, {CVector3(0, 1, 0), CVector3(0, 0, 1), CVector3(1, 0, 0)}},
         1},
        {"last axis along y, behind",
         {{-1, 0, 0}, {0.5f, 0.5f, 3}, {CVector3(0, 0, 1), CVector3(1, 0, 0), CVector3(0, 1, 0)}},
         0},
        {"tilted about y, across",
         {{-1.2f, 0, 0}, {1, 1, 1}, {CVector3(h, 0, -h), CVector3(0, 1, 0), CVector3(h, 0, h)}},
         1},
    };
    CFrustum frustum;
    frustum.m_pPlanes->Append(CPlane{1, 0, 0, 0});
    for (const Case& c : cases)
        EXPECT_EQ(frustum.IsBoxVisible(c.box), c.expected) << c.name;
}

TEST(FrustumBox, CornerDistanceThatIsNotANumberIsNotBehind) {
    const float maxFloat = std::numeric_limits<float>::max();
    {
        // Every distance is NaN.
        CFrustum frustum;
        frustum.m_pPlanes->Append(CPlane{1, 0, 0, kNaN});
        EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-5, 0, 0}, {1, 1, 1})), 1);
    }
    {
        // Same for a box whose centre is not a number.
        CFrustum frustum;
        frustum.m_pPlanes->Append(CPlane{1, 0, 0, 0});
        EXPECT_EQ(frustum.IsBoxVisible(AxisBox({kNaN, 0, 0}, {1, 1, 1})), 1);
    }
    {
        // The half extent is finite, but twice it is not: the far corners come out as NaN
        // while the near ones lie far behind the plane.
        CFrustum frustum;
        frustum.m_pPlanes->Append(CPlane{1, 0, 0, 0});
        EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-1, 0, 0}, {maxFloat, 1, 1})), 1);
    }
    {
        // A NaN plane does not stop the later planes from rejecting the box.
        CFrustum frustum;
        frustum.m_pPlanes->Append(CPlane{kNaN, 0, 0, 0});
        frustum.m_pPlanes->Append(CPlane{0, 1, 0, 0});
        EXPECT_EQ(frustum.IsBoxVisible(AxisBox({0, -5, 0}, {1, 1, 1})), 0);
        EXPECT_EQ(frustum.IsBoxVisible(AxisBox({0, 5, 0}, {1, 1, 1})), 1);
    }
}

TEST(FrustumBox, ResultDoesNotDependOnPlaneOrder) {
    const CPlane planes[] = {{1, 0, 0, 10}, {-1, 0, 0, 10}, {0, 1, 0, 10}, {0, -1, 0, 10}};
    CFrustum forward;
    CFrustum backward;
    for (int i = 0; i < 4; ++i) {
        forward.m_pPlanes->Append(planes[i]);
        backward.m_pPlanes->Append(planes[3 - i]);
    }
    const COrientedBox boxes[] = {
        AxisBox({0, 0, 0}, {1, 1, 1}), AxisBox({12, 0, 0}, {1, 1, 1}), AxisBox({0, -12, 0}, {1, 1, 1}),
        AxisBox({10.5f, 10.5f, 0}, {1, 1, 1}), AxisBox({0, 0, 500}, {1, 1, 1})};
    const int expected[] = {1, 0, 0, 1, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(forward.IsBoxVisible(boxes[i]), expected[i]) << i;
        EXPECT_EQ(backward.IsBoxVisible(boxes[i]), expected[i]) << i;
    }
}

TEST(FrustumBox, ManyPlanesBeyondTheFirstBlockAreAllConsulted) {
    // More planes than the list holds at first; only the last one rejects.
    CFrustum frustum;
    for (int i = 0; i < 11; ++i)
        frustum.m_pPlanes->Append(CPlane{0, 0, 1, 100.0f + static_cast<float>(i)});
    frustum.m_pPlanes->Append(CPlane{1, 0, 0, 0});
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({-5, 0, 0}, {1, 1, 1})), 0);
    EXPECT_EQ(frustum.IsSphereVisible(-5, 0, 0, 1), 0);
    EXPECT_EQ(frustum.IsBoxVisible(AxisBox({5, 0, 0}, {1, 1, 1})), 1);
    EXPECT_EQ(frustum.IsSphereVisible(5, 0, 0, 1), 1);
}

}  // namespace
