#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/core/Matrix.h"
#include "engine/core/MatrixStack.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

#include "tests/support/MatrixBuilders.h"
namespace {

constexpr float kTolerance = 1e-5f;
constexpr float kPi = 3.14159265f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kRootHalf = std::sqrt(0.5f);

CMatrix FromValues(const float (&values)[16]) {
    CMatrix m;
    for (int i = 0; i < 16; ++i)
        m.m_f[i] = values[i];
    return m;
}

// A matrix whose every element is garbage, to show that setters write all sixteen.
CMatrix Garbage() {
    CMatrix m;
    for (float& f : m.m_f)
        f = kNaN;
    return m;
}

CMatrix Product(const CMatrix& a, const CMatrix& b) {
    CMatrix out;
    CMatrix::Multiply(&out, a, b);
    return out;
}

::testing::AssertionResult MatrixNear(const CMatrix& actual, const float (&expected)[16],
                                      float tolerance = kTolerance) {
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(actual.m_f[i] - expected[i]) <= tolerance)) {
            ::testing::AssertionResult failure = ::testing::AssertionFailure();
            failure << "element " << i << " is " << actual.m_f[i] << ", expected " << expected[i]
                    << "\nactual:";
            for (int r = 0; r < 4; ++r) {
                failure << "\n ";
                for (int c = 0; c < 4; ++c)
                    failure << ' ' << actual.m_f[4 * r + c];
            }
            return failure;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult MatrixNear(const CMatrix& actual, const CMatrix& expected,
                                      float tolerance = kTolerance) {
    return MatrixNear(actual, expected.m_f, tolerance);
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

// q and -q stand for the same rotation.
::testing::AssertionResult SameRotation(const CQuaternion& actual, const CQuaternion& expected,
                                        float tolerance = 1e-5f) {
    const float sign = actual.x * expected.x + actual.y * expected.y + actual.z * expected.z +
                                   actual.w * expected.w <
                               0.0f
                           ? -1.0f
                           : 1.0f;
    if (std::fabs(actual.x - sign * expected.x) <= tolerance &&
        std::fabs(actual.y - sign * expected.y) <= tolerance &&
        std::fabs(actual.z - sign * expected.z) <= tolerance &&
        std::fabs(actual.w - sign * expected.w) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ", "
                                         << actual.w << "), expected +/-(" << expected.x << ", "
                                         << expected.y << ", " << expected.z << ", " << expected.w << ")";
}

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// ---------------------------------------------------------------------------------------------
// CVector3

TEST(MathVector3, AddAndSubtractWriteOutAndLeaveOperandsAlone) {
    const CVector3 a(1.0f, 2.0f, 3.0f);
    const CVector3 b(4.0f, -5.0f, 6.5f);
    CVector3 out(9.0f, 9.0f, 9.0f);

    EXPECT_EQ(a.Add(&out, b), &out);
    EXPECT_TRUE(VectorNear(out, CVector3(5.0f, -3.0f, 9.5f)));
    EXPECT_EQ(a.Subtract(&out, b), &out);
    EXPECT_TRUE(VectorNear(out, CVector3(-3.0f, 7.0f, -3.5f)));
    EXPECT_EQ(b.Subtract(&out, a), &out);
    EXPECT_TRUE(VectorNear(out, CVector3(3.0f, -7.0f, 3.5f)));
    EXPECT_TRUE(VectorNear(a, CVector3(1.0f, 2.0f, 3.0f)));
    EXPECT_TRUE(VectorNear(b, CVector3(4.0f, -5.0f, 6.5f)));
}

TEST(MathVector3, AssigningOperationsChangeThisAndCopyItToOut) {
    CVector3 v(1.0f, 2.0f, 3.0f);
    CVector3 out(0.0f, 0.0f, 0.0f);

    EXPECT_EQ(v.AddAssign(&out, CVector3(0.5f, -4.0f, 10.0f)), &out);
    EXPECT_TRUE(VectorNear(v, CVector3(1.5f, -2.0f, 13.0f)));
    EXPECT_TRUE(VectorNear(out, CVector3(1.5f, -2.0f, 13.0f)));

    EXPECT_EQ(v.ScaleAssign(&out, -2.0f), &out);
    EXPECT_TRUE(VectorNear(v, CVector3(-3.0f, 4.0f, -26.0f)));
    EXPECT_TRUE(VectorNear(out, CVector3(-3.0f, 4.0f, -26.0f)));

    // The out vector may be the vector itself.
    EXPECT_EQ(v.ScaleAssign(&v, 0.5f), &v);
    EXPECT_TRUE(VectorNear(v, CVector3(-1.5f, 2.0f, -13.0f)));
}

TEST(MathVector3, CrossFollowsTheRightHandRuleAndAnticommutes) {
    struct Case {
        CVector3 a, b, expected;
    };
    const Case cases[] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}},
        {{4, 5, 6}, {1, 2, 3}, {3, -6, 3}},
        {{2, -1, 0.5f}, {4, -2, 1}, {0, 0, 0}},  // parallel
    };
    for (const Case& c : cases) {
        CVector3 out(7.0f, 7.0f, 7.0f);
        EXPECT_EQ(c.a.Cross(&out, c.b), &out);
        EXPECT_TRUE(VectorNear(out, c.expected))
            << "(" << c.a.x << ", " << c.a.y << ", " << c.a.z << ") x (" << c.b.x << ", " << c.b.y << ", "
            << c.b.z << ")";
    }
}

TEST(MathVector3, CrossIntoOneOfItsOperandsUsesTheOriginalValues) {
    CVector3 a(1.0f, 2.0f, 3.0f);
    a.Cross(&a, CVector3(4.0f, 5.0f, 6.0f));
    EXPECT_TRUE(VectorNear(a, CVector3(-3.0f, 6.0f, -3.0f)));
}

TEST(MathVector3, LengthIsEuclidean) {
    EXPECT_NEAR(CVector3(2.0f, 3.0f, 6.0f).Length(), 7.0f, kTolerance);
    EXPECT_NEAR(CVector3(-3.0f, 0.0f, -4.0f).Length(), 5.0f, kTolerance);
    EXPECT_EQ(CVector3(0.0f, 0.0f, 0.0f).Length(), 0.0f);
}

TEST(MathVector3, NormalizeScalesToUnitLengthAndLeavesZeroAlone) {
    struct Case {
        CVector3 input, expected;
    };
    const Case cases[] = {
        {{3, 4, 0}, {0.6f, 0.8f, 0}},
        {{0, 0, -2}, {0, 0, -1}},
        {{-2, 3, 6}, {-2.0f / 7, 3.0f / 7, 6.0f / 7}},
        {{1e-20f, 0, 0}, {1, 0, 0}},  // tiny but positive length
        {{0, 0, 0}, {0, 0, 0}},       // no direction: unchanged
    };
    for (const Case& c : cases) {
        CVector3 v = c.input;
        CVector3 out(9.0f, 9.0f, 9.0f);
        EXPECT_EQ(v.Normalize(&out), &out);
        EXPECT_TRUE(VectorNear(v, c.expected)) << "input (" << c.input.x << ", " << c.input.y << ", " << c.input.z << ")";
        EXPECT_TRUE(VectorNear(out, c.expected));
    }
}

// ---------------------------------------------------------------------------------------------
// CMatrix: builders

TEST(MathMatrix, IdentityIsSharedAndHoldsTheIdentity) {
    EXPECT_EQ(&CMatrix::Identity(), &CMatrix::Identity());
    EXPECT_TRUE(MatrixNear(CMatrix::Identity(), kIdentity, 0.0f));
    CMatrix m = Garbage();
    m.SetIdentity();
    EXPECT_TRUE(MatrixNear(m, kIdentity, 0.0f));
}

TEST(MathMatrix, SimpleBuildersWriteEveryElement) {
    CMatrix m = Garbage();
    m.SetScale(2.0f, -3.0f, 0.5f);
    EXPECT_TRUE(MatrixNear(m, {2, 0, 0, 0, 0, -3, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1}, 0.0f));

    m = Garbage();
    m.SetTranslation(4.0f, -5.0f, 6.0f);
    EXPECT_TRUE(MatrixNear(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 4, -5, 6, 1}, 0.0f));

    m = Garbage();
    m.SetTranslationVector(CVector3(-1.0f, 2.5f, 7.0f));
    EXPECT_TRUE(MatrixNear(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, 2.5f, 7, 1}, 0.0f));
}

TEST(MathMatrix, RotationBuildersPlaceSinesAndCosines) {
    const float a = 0.3f;
    const float c = std::cos(a);
    const float s = std::sin(a);
    CMatrix m = Garbage();
    m.SetRotationX(a);
    EXPECT_TRUE(MatrixNear(m, {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}));
    m = Garbage();
    m.SetRotationY(a);
    EXPECT_TRUE(MatrixNear(m, {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}));
    m = Garbage();
    m.SetRotationZ(a);
    EXPECT_TRUE(MatrixNear(m, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
}

TEST(MathMatrix, QuarterTurnsMoveAxesRightHanded) {
    struct Case {
        const char* name;
        void (CMatrix::*set)(float);
        CVector3 input, expected;
    };
    const Case cases[] = {
        {"Z", &CMatrix::SetRotationZ, {1, 0, 0}, {0, 1, 0}},
        {"Z", &CMatrix::SetRotationZ, {0, 1, 0}, {-1, 0, 0}},
        {"X", &CMatrix::SetRotationX, {0, 1, 0}, {0, 0, 1}},
        {"X", &CMatrix::SetRotationX, {0, 0, 1}, {0, -1, 0}},
        {"Y", &CMatrix::SetRotationY, {0, 0, 1}, {1, 0, 0}},
        {"Y", &CMatrix::SetRotationY, {1, 0, 0}, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        CMatrix m;
        (m.*c.set)(kPi / 2);
        CVector3 out;
        EXPECT_EQ(m.TransformPoint(&out, c.input), &out);
        EXPECT_TRUE(VectorNear(out, c.expected))
            << c.name << " quarter turn of (" << c.input.x << ", " << c.input.y << ", " << c.input.z << ")";
    }
}

TEST(MathMatrix, TransposeSwapsRowsAndColumnsInPlace) {
    CMatrix m = FromValues({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    m.Transpose();
    EXPECT_TRUE(MatrixNear(m, {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15}, 0.0f));
}

// ---------------------------------------------------------------------------------------------
// CMatrix: products

const float kGeneralA[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const float kGeneralB[16] = {0, 1, 0, 0, 2, 0, 0, 0, 0, 0, 3, 0, 1, 0, 0, 1};

TEST(MathMatrix, MultiplyIsRowByColumnInOperandOrder) {
    const CMatrix a = FromValues(kGeneralA);
    const CMatrix b = FromValues(kGeneralB);
    CMatrix out = Garbage();
    EXPECT_EQ(CMatrix::Multiply(&out, a, b), &out);
    EXPECT_TRUE(MatrixNear(out, {8, 1, 9, 4, 20, 5, 21, 8, 32, 9, 33, 12, 44, 13, 45, 16}, 0.0f));
    CMatrix::Multiply(&out, b, a);
    EXPECT_TRUE(MatrixNear(out, {5, 6, 7, 8, 2, 4, 6, 8, 27, 30, 33, 36, 14, 16, 18, 20}, 0.0f));
}

TEST(MathMatrix, MultiplyMayWriteIntoEitherOperand) {
    CMatrix a = FromValues(kGeneralA);
    CMatrix b = FromValues(kGeneralB);
    CMatrix::Multiply(&a, a, b);
    EXPECT_TRUE(MatrixNear(a, {8, 1, 9, 4, 20, 5, 21, 8, 32, 9, 33, 12, 44, 13, 45, 16}, 0.0f));

    a = FromValues(kGeneralA);
    CMatrix::Multiply(&b, b, a);
    EXPECT_TRUE(MatrixNear(b, {5, 6, 7, 8, 2, 4, 6, 8, 27, 30, 33, 36, 14, 16, 18, 20}, 0.0f));

    a = FromValues(kGeneralA);
    b = FromValues(kGeneralB);
    CMatrix::Multiply(&b, a, b);
    EXPECT_TRUE(MatrixNear(b, {8, 1, 9, 4, 20, 5, 21, 8, 32, 9, 33, 12, 44, 13, 45, 16}, 0.0f));
}

TEST(MathMatrix, ProductAppliesTheLeftOperandFirst) {
    struct Case {
        const char* name;
        CMatrix a, b;
        CVector3 point, expected;
    };
    const Case cases[] = {
        {"translate then scale", Translation(1, 2, 3), Scale(2, 3, 4), {0, 0, 0}, {2, 6, 12}},
        {"scale then translate", Scale(2, 3, 4), Translation(1, 2, 3), {0, 0, 0}, {1, 2, 3}},
        {"scale then translate", Scale(2, 3, 4), Translation(1, 2, 3), {1, 1, 1}, {3, 5, 7}},
        {"rotate then translate", RotationZ(kPi / 2), Translation(5, 0, 0), {1, 0, 0}, {5, 1, 0}},
        {"translate then rotate", Translation(5, 0, 0), RotationZ(kPi / 2), {1, 0, 0}, {0, 6, 0}},
    };
    for (const Case& c : cases) {
        CVector3 out;
        Product(c.a, c.b).TransformPoint(&out, c.point);
        EXPECT_TRUE(VectorNear(out, c.expected)) << c.name;
    }
    // Whole matrix of translate-then-scale: the translation is scaled too.
    EXPECT_TRUE(MatrixNear(Product(Translation(1, 2, 3), Scale(2, 3, 4)),
                           {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 2, 6, 12, 1}, 0.0f));
}

// ---------------------------------------------------------------------------------------------
// CMatrix: transforming points and vectors

// Translation (1, 2, 3) with a w column of (0.5, 0, 0.25, 1).
const float kProjective[16] = {1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0.25f, 1, 2, 3, 1};

TEST(MathMatrix, TransformPointDividesByW) {
    struct Case {
        CVector3 point;
        CVector3 unprojected;
        float w;
    };
    const Case cases[] = {
        {{2, 0, 4}, {3, 2, 7}, 3.0f},
        {{0, 0, 0}, {1, 2, 3}, 1.0f},
        {{-4, 6, 0}, {-3, 8, 3}, -1.0f},
        {{6, 1, -4}, {7, 3, -1}, 3.0f},
    };
    const CMatrix m = FromValues(kProjective);
    for (const Case& c : cases) {
        const CVector3 expected(c.unprojected.x / c.w, c.unprojected.y / c.w, c.unprojected.z / c.w);
        CVector3 out;
        EXPECT_EQ(m.TransformPoint(&out, c.point), &out);
        EXPECT_TRUE(VectorNear(out, expected)) << "member, point x = " << c.point.x;
        CVector3 freeOut;
        EXPECT_EQ(TransformPoint(&freeOut, c.point, m), &freeOut);
        EXPECT_TRUE(VectorNear(freeOut, expected)) << "free, point x = " << c.point.x;

        float w = kNaN;
        CVector3 raw;
        EXPECT_EQ(m.TransformPointW(&raw, c.point, &w), &raw);
        EXPECT_TRUE(VectorNear(raw, c.unprojected)) << "without division, point x = " << c.point.x;
        EXPECT_NEAR(w, c.w, kTolerance);
    }
}

TEST(MathMatrix, TransformPointMayWriteOverItsInput) {
    const CMatrix m = FromValues(kProjective);
    CVector3 p(2.0f, 0.0f, 4.0f);
    m.TransformPoint(&p, p);
    EXPECT_TRUE(VectorNear(p, CVector3(1.0f, 2.0f / 3.0f, 7.0f / 3.0f)));
    CVector3 q(2.0f, 0.0f, 4.0f);
    TransformPoint(&q, q, m);
    EXPECT_TRUE(VectorNear(q, CVector3(1.0f, 2.0f / 3.0f, 7.0f / 3.0f)));
    float w;
    CVector3 r(2.0f, 0.0f, 4.0f);
    m.TransformPointW(&r, r, &w);
    EXPECT_TRUE(VectorNear(r, CVector3(3.0f, 2.0f, 7.0f)));
    EXPECT_NEAR(w, 3.0f, kTolerance);
}

TEST(MathMatrix, TransformVectorTurnsAndScalesButDoesNotMove) {
    struct Case {
        const char* name;
        CMatrix m;
        CVector3 v, expected;
    };
    const Case cases[] = {
        {"rotate then translate", Product(RotationZ(kPi / 2), Translation(10, 20, 30)), {1, 0, 0}, {0, 1, 0}},
        {"scale then translate", Product(Scale(2, 3, 4), Translation(10, 20, 30)), {1, 1, -1}, {2, 3, -4}},
        {"projective", FromValues(kProjective), {2, 0, 4}, {2, 0, 4}},
        {"general", FromValues(kGeneralA), {1, 0, -1}, {-8, -8, -8}},
    };
    for (const Case& c : cases) {
        CVector3 out;
        EXPECT_EQ(c.m.TransformVector(&out, c.v), &out);
        EXPECT_TRUE(VectorNear(out, c.expected)) << c.name;
    }
}

// ---------------------------------------------------------------------------------------------
// CMatrix: inverse

TEST(MathMatrix, InverseOfGeneralMatrixMatchesHandComputedValues) {
    struct Case {
        const char* name;
        float m[16];
        float expected[16];
    };
    const Case cases[] = {
        {"with zeros",
         {2, 1, 0, 1, 0, 1, 3, 0, 1, 0, 1, 2, 4, 0, -1, 1},
         {-0.15f, 0.15f, -0.1f, 0.35f, 1.05f, -0.05f, -0.3f, -0.45f, -0.35f, 0.35f, 0.1f, 0.15f, 0.25f, -0.25f,
          0.5f, -0.25f}},
        {"dense",
         {-2, 1, 2, -3, -3, 1, 3, -3, -2, 2, -1, -2, 3, -3, 2, 2},
         {5, -3, -7, -4, 9, -5, -15, -9, 4, -2, -7, -4, 2, -1, -5, -3}},
    };
    for (const Case& c : cases) {
        const CMatrix m = FromValues(c.m);
        CMatrix inverse = Garbage();
        ASSERT_EQ(m.Inverse(&inverse), 1) << c.name;
        EXPECT_TRUE(MatrixNear(inverse, c.expected, 1e-4f)) << c.name;
        EXPECT_TRUE(MatrixNear(Product(m, inverse), kIdentity, 1e-4f)) << c.name;
        EXPECT_TRUE(MatrixNear(Product(inverse, m), kIdentity, 1e-4f)) << c.name;
    }
}

TEST(MathMatrix, InverseUndoesTransforms) {
    struct Case {
        const char* name;
        CMatrix m;
        CMatrix expected;
    };
    const Case cases[] = {
        {"translation", Translation(1, -2, 3), Translation(-1, 2, -3)},
        {"scale", Scale(2, 4, -8), Scale(0.5f, 0.25f, -0.125f)},
        {"rotation", RotationZ(0.7f), RotationZ(-0.7f)},
        {"rotate then translate", Product(RotationZ(kPi / 2), Translation(1, 2, 3)),
         Product(Translation(-1, -2, -3), RotationZ(-kPi / 2))},
        {"asymmetric", FromValues({3, 0, 2, 0, 2, 0, -2, 0, 0, 1, 1, 0, 0, 0, 0, 1}),
         FromValues({0.2f, 0.2f, 0, 0, -0.2f, 0.3f, 1, 0, 0.2f, -0.3f, 0, 0, 0, 0, 0, 1})},
    };
    for (const Case& c : cases) {
        CMatrix inverse = Garbage();
        ASSERT_EQ(c.m.Inverse(&inverse), 1) << c.name;
        EXPECT_TRUE(MatrixNear(inverse, c.expected)) << c.name;
        EXPECT_TRUE(MatrixNear(Product(c.m, inverse), kIdentity)) << c.name;
        EXPECT_TRUE(MatrixNear(Product(inverse, c.m), kIdentity)) << c.name;
    }
}

TEST(MathMatrix, InverseMayWriteOverItself) {
    CMatrix m = Translation(4.0f, 5.0f, 6.0f);
    EXPECT_EQ(m.Inverse(&m), 1);
    EXPECT_TRUE(MatrixNear(m, Translation(-4.0f, -5.0f, -6.0f)));
}

TEST(MathMatrix, InverseOfDegenerateMatrixGivesIdentityAndZero) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        CMatrix m;
    };
    const Case cases[] = {
        {"rank two", FromValues(kGeneralA)},
        {"flattening scale", Scale(1, 0, 1)},
        {"zero", FromValues({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"NaN element", FromValues({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, kNaN, 0, 0, 0, 0, 1})},
        {"NaN translation", Translation(kNaN, 0, 0)},
        {"infinite element", FromValues({inf, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})},
        {"determinant overflows", Scale(1e20f, 1e20f, 1e20f)},
    };
    for (const Case& c : cases) {
        CMatrix inverse = FromValues(kGeneralA);
        EXPECT_EQ(c.m.Inverse(&inverse), 0) << c.name;
        EXPECT_TRUE(MatrixNear(inverse, kIdentity, 0.0f)) << c.name;
    }
}

// ---------------------------------------------------------------------------------------------
// CMatrix: projection and view

TEST(MathMatrix, PerspectiveMatchesHandComputedMatrices) {
    // fov 60 degrees: cot(30 degrees) = sqrt(3); near 2, far 10.
    const float h = std::sqrt(3.0f);
    struct Case {
        int bLeftHanded;
        float expected[16];
    };
    const Case cases[] = {
        {1, {h / 1.5f, 0, 0, 0, 0, h, 0, 0, 0, 0, 1.25f, 1, 0, 0, -2.5f, 0}},
        {7, {h / 1.5f, 0, 0, 0, 0, h, 0, 0, 0, 0, 1.25f, 1, 0, 0, -2.5f, 0}},
        {0, {h / 1.5f, 0, 0, 0, 0, h, 0, 0, 0, 0, -1.25f, -1, 0, 0, -2.5f, 0}},
    };
    for (const Case& c : cases) {
        CMatrix m = Garbage();
        m.SetPerspective(kPi / 3, 1.5f, 2.0f, 10.0f, c.bLeftHanded);
        EXPECT_TRUE(MatrixNear(m, c.expected)) << "handedness flag " << c.bLeftHanded;
    }
}

TEST(MathMatrix, PerspectiveMapsNearAndFarToDepthZeroAndOne) {
    struct Case {
        int bLeftHanded;
        CVector3 point, expected;
    };
    // fov 90 degrees (cot 45 = 1), aspect 2, near 1, far 11.
    const Case cases[] = {
        {1, {0, 0, 1}, {0, 0, 0}},
        {1, {0, 0, 11}, {0, 0, 1}},
        {1, {4, 4, 4}, {0.5f, 1, 1.1f - 1.1f / 4}},
        {0, {0, 0, -1}, {0, 0, 0}},
        {0, {0, 0, -11}, {0, 0, 1}},
        {0, {4, 4, -4}, {0.5f, 1, 1.1f - 1.1f / 4}},
    };
    for (const Case& c : cases) {
        CMatrix m;
        m.SetPerspective(kPi / 2, 2.0f, 1.0f, 11.0f, c.bLeftHanded);
        CVector3 out;
        m.TransformPoint(&out, c.point);
        EXPECT_TRUE(VectorNear(out, c.expected))
            << "handedness flag " << c.bLeftHanded << ", point z = " << c.point.z;
    }
}

TEST(MathMatrix, LookAtMatchesHandComputedMatrices) {
    struct Case {
        const char* name;
        CVector3 eye, at, up;
        int bLeftHanded;
        float expected[16];
    };
    const Case cases[] = {
        {"left, down +z", {0, 0, -5}, {0, 0, 0}, {0, 1, 0}, 1, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1}},
        {"right, down +z", {0, 0, -5}, {0, 0, 0}, {0, 1, 0}, 0, {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, -5, 1}},
        // A long up vector that is not perpendicular to the view direction.
        {"left, slanted up", {0, 0, -5}, {0, 0, 7}, {0, 3, 2}, 1, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1}},
        {"left, down -x", {3, 0, 0}, {0, 0, 0}, {0, 1, 0}, 1, {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 3, 1}},
        {"left, skew",
         {1, 2, 3},
         {4, -2, 3},
         {0, 0, 1},
         1,
         {0.8f, 0, 0.6f, 0, 0.6f, 0, -0.8f, 0, 0, 1, 0, 0, -2, -3, 1, 1}},
        {"right, skew",
         {1, 2, 3},
         {4, -2, 3},
         {0, 0, 1},
         0,
         {-0.8f, 0, -0.6f, 0, -0.6f, 0, 0.8f, 0, 0, 1, 0, 0, 2, -3, -1, 1}},
    };
    for (const Case& c : cases) {
        CMatrix m = Garbage();
        m.SetLookAt(c.eye, c.at, c.up, c.bLeftHanded);
        EXPECT_TRUE(MatrixNear(m, c.expected)) << c.name;
    }
}

TEST(MathMatrix, LookAtPutsTheEyeAtTheOriginAndTheTargetOnTheDepthAxis) {
    struct Case {
        CVector3 eye, at, up;
        int bLeftHanded;
        float depth;
    };
    const Case cases[] = {
        {{0, 0, -5}, {0, 0, 0}, {0, 1, 0}, 1, 5},
        {{0, 0, -5}, {0, 0, 0}, {0, 1, 0}, 0, -5},
        {{1, 2, 3}, {4, -2, 3}, {0, 0, 1}, 1, 5},
        {{1, 2, 3}, {4, -2, 3}, {0, 0, 1}, 0, -5},
        {{-2, 7, 1}, {10, 3, -5}, {0, 1, 0}, 1, 14},
        {{-2, 7, 1}, {10, 3, -5}, {0, 1, 0}, 0, -14},
    };
    for (const Case& c : cases) {
        CMatrix m;
        m.SetLookAt(c.eye, c.at, c.up, c.bLeftHanded);
        CVector3 out;
        m.TransformPoint(&out, c.eye);
        EXPECT_TRUE(VectorNear(out, CVector3(0, 0, 0), 1e-4f)) << "eye x = " << c.eye.x << ", flag " << c.bLeftHanded;
        m.TransformPoint(&out, c.at);
        EXPECT_TRUE(VectorNear(out, CVector3(0, 0, c.depth), 1e-4f))
            << "eye x = " << c.eye.x << ", flag " << c.bLeftHanded;
        // The up vector ends up in the upper half of the view plane.
        m.TransformVector(&out, c.up);
        EXPECT_GT(out.y, 0.0f);
        EXPECT_NEAR(out.x, 0.0f, 1e-5f);
    }
}

// ---------------------------------------------------------------------------------------------
// Quaternions

CQuaternion AxisAngle(float ax, float ay, float az, float angle) {
    const float length = std::sqrt(ax * ax + ay * ay + az * az);
    const float s = std::sin(angle / 2) / length;
    return CQuaternion{ax * s, ay * s, az * s, std::cos(angle / 2)};
}

TEST(MathQuaternion, SetFromQuaternionBuildsTheRotationMatrix) {
    CMatrix m = Garbage();
    m.SetFromQuaternion(CQuaternion{0.5f, 0.5f, 0.5f, 0.5f});
    // 120 degrees about (1, 1, 1): x goes to y, y to z, z to x.
    EXPECT_TRUE(MatrixNear(m, {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));

    const CQuaternion q{0.1f, -0.3f, 0.5f, std::sqrt(1.0f - 0.35f)};
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    m = Garbage();
    m.SetFromQuaternion(q);
    EXPECT_TRUE(MatrixNear(m, {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,  //
                               2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,  //
                               2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,  //
                               0, 0, 0, 1}));
}

TEST(MathQuaternion, AxisRotationsHaveTheAxisAngleQuaternion) {
    struct Axis {
        const char* name;
        void (CMatrix::*set)(float);
        float x, y, z;
    };
    const Axis axes[] = {
        {"X", &CMatrix::SetRotationX, 1, 0, 0},
        {"Y", &CMatrix::SetRotationY, 0, 1, 0},
        {"Z", &CMatrix::SetRotationZ, 0, 0, 1},
    };
    const float angles[] = {0.0f, 0.3f, 1.0f, kPi / 2, 2.0f, 2 * kPi / 3, 2.5f, 3 * kPi / 4, 3.0f, kPi,
                            -0.4f, -2.2f, -kPi};
    for (const Axis& axis : axes) {
        for (const float angle : angles) {
            CMatrix rotation;
            (rotation.*axis.set)(angle);
            const CQuaternion expected = AxisAngle(axis.x, axis.y, axis.z, angle);

            // The expected quaternion really describes this rotation matrix.
            CMatrix fromExpected;
            fromExpected.SetFromQuaternion(expected);
            ASSERT_TRUE(MatrixNear(fromExpected, rotation)) << axis.name << " " << angle;

            CQuaternion q{kNaN, kNaN, kNaN, kNaN};
            rotation.GetQuaternion(&q);
            EXPECT_TRUE(SameRotation(q, expected)) << axis.name << " by " << angle;
        }
    }
}

TEST(MathQuaternion, HandBuiltRotationsGiveTheirQuaternions) {
    struct Case {
        const char* name;
        float rotation[16];
        CQuaternion expected;
    };
    const float h = kRootHalf;
    const Case cases[] = {
        {"120 about (1,1,1)", {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1}, {0.5f, 0.5f, 0.5f, 0.5f}},
        {"240 about (1,1,1)", {0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1}, {0.5f, 0.5f, 0.5f, -0.5f}},
        {"180 about (1,1,0)", {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, {h, h, 0, 0}},
        {"180 about (0,1,1)", {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1}, {0, h, h, 0}},
        {"180 about (1,0,1)", {0, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}, {h, 0, h, 0}},
        {"180 about (1,-1,0)", {0, -1, 0, 0, -1, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, {h, -h, 0, 0}},
        {"90 about z", {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 0, h, h}},
        {"identity", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 0, 1}},
        {"180 about x", {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, {1, 0, 0, 0}},
        {"180 about y", {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, {0, 1, 0, 0}},
        {"180 about z", {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 1, 0}},
        {"rotation with translation", {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 7, -8, 9, 1}, {0.5f, 0.5f, 0.5f, 0.5f}},
    };
    for (const Case& c : cases) {
        CMatrix check;
        check.SetFromQuaternion(c.expected);
        float rotationOnly[16];
        for (int i = 0; i < 16; ++i)
            rotationOnly[i] = i >= 12 ? (i == 15 ? 1.0f : 0.0f) : c.rotation[i];
        ASSERT_TRUE(MatrixNear(check, rotationOnly)) << c.name;

        CQuaternion q{kNaN, kNaN, kNaN, kNaN};
        FromValues(c.rotation).GetQuaternion(&q);
        EXPECT_TRUE(SameRotation(q, c.expected)) << c.name;
    }
}

TEST(MathQuaternion, RoundTripThroughMatrixReturnsTheQuaternion) {
    struct Case {
        float ax, ay, az, angle;
    };
    const Case cases[] = {
        {1, 0, 0, 0.5f},        {0, 1, 0, 1.2f},        {0, 0, 1, 2.0f},        {1, 0, 0, 2 * kPi / 3},
        {0, 1, 0, 2.3f},        {0, 0, 1, 2.9f},        {1, 0, 0, 3.1f},        {0, 1, 0, kPi},
        {0, 0, 1, kPi},         {1, 1, 1, 0.7f},        {1, 1, 1, 2 * kPi / 3}, {1, 1, 1, 2.8f},
        {1, -2, 3, 1.9f},       {1, -2, 3, 2.6f},       {-4, 1, 2, 3.0f},       {0.2f, 5, -1, 2.2f},
        {2, 1, -7, 3.1f},       {3, -3, 1, kPi},        {-1, -1, 4, 2.1f},      {0, 1, 1, 2.5f},
    };
    for (const Case& c : cases) {
        const CQuaternion q = AxisAngle(c.ax, c.ay, c.az, c.angle);
        CMatrix m;
        m.SetFromQuaternion(q);

        CQuaternion back{kNaN, kNaN, kNaN, kNaN};
        m.GetQuaternion(&back);
        EXPECT_TRUE(SameRotation(back, q))
            << "axis (" << c.ax << ", " << c.ay << ", " << c.az << "), angle " << c.angle;
        EXPECT_NEAR(back.x * back.x + back.y * back.y + back.z * back.z + back.w * back.w, 1.0f, 1e-5f);

        // The matrix keeps its axis fixed.
        const float length = std::sqrt(c.ax * c.ax + c.ay * c.ay + c.az * c.az);
        const CVector3 axis(c.ax / length, c.ay / length, c.az / length);
        CVector3 turned;
        m.TransformVector(&turned, axis);
        EXPECT_TRUE(VectorNear(turned, axis));
    }
}

// ---------------------------------------------------------------------------------------------
// CMatrixStack

TEST(MathMatrixStack, EmptyStackReadsAsTheSharedIdentity) {
    CMatrixStack stack;
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(&stack.GetTop(), &CMatrix::Identity());
    EXPECT_TRUE(MatrixNear(stack.GetTop(), kIdentity, 0.0f));
}

TEST(MathMatrixStack, ChangesToAnEmptyStackDoNothing) {
    CMatrixStack stack;
    stack.Pop();
    stack.SetTop(Translation(1, 2, 3));
    stack.Translate(4, 5, 6);
    stack.Pop();
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(&stack.GetTop(), &CMatrix::Identity());
    // The shared identity is untouched.
    EXPECT_TRUE(MatrixNear(CMatrix::Identity(), kIdentity, 0.0f));

    // A pop too many leaves the stack usable.
    stack.Push();
    EXPECT_FALSE(stack.IsEmpty());
    EXPECT_TRUE(MatrixNear(stack.GetTop(), kIdentity, 0.0f));
}

TEST(MathMatrixStack, PushCopiesTheTopIntoItsOwnEntry) {
    CMatrixStack stack;
    stack.Push();
    EXPECT_NE(&stack.GetTop(), &CMatrix::Identity());
    EXPECT_TRUE(MatrixNear(stack.GetTop(), kIdentity, 0.0f));

    const CMatrix first = FromValues(kGeneralA);
    stack.SetTop(first);
    EXPECT_TRUE(MatrixNear(stack.GetTop(), first, 0.0f));
    stack.Push();
    EXPECT_TRUE(MatrixNear(stack.GetTop(), first, 0.0f));

    // Changing the copy leaves the entry below alone.
    stack.SetTop(Scale(2, 2, 2));
    EXPECT_TRUE(MatrixNear(stack.GetTop(), Scale(2, 2, 2), 0.0f));
    stack.Pop();
    EXPECT_TRUE(MatrixNear(stack.GetTop(), first, 0.0f));

    // Popping the last entry returns to the shared identity.
    stack.Pop();
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(&stack.GetTop(), &CMatrix::Identity());
}

TEST(MathMatrixStack, PopsComeBackInReverseOrder) {
    CMatrixStack stack;
    const int depth = 10;
    for (int i = 0; i < depth; ++i) {
        stack.Push();
        stack.SetTop(Translation(static_cast<float>(i), 0, 0));
    }
    for (int i = depth - 1; i >= 0; --i) {
        EXPECT_TRUE(MatrixNear(stack.GetTop(), Translation(static_cast<float>(i), 0, 0), 0.0f)) << i;
        stack.Pop();
    }
    EXPECT_TRUE(stack.IsEmpty());
}

TEST(MathMatrixStack, PushAfterPopCopiesTheCurrentTopNotTheOldEntry) {
    CMatrixStack stack;
    stack.Push();
    stack.SetTop(Translation(1, 2, 3));
    stack.Push();
    stack.SetTop(Scale(5, 5, 5));
    stack.Pop();
    stack.Push();
    EXPECT_TRUE(MatrixNear(stack.GetTop(), Translation(1, 2, 3), 0.0f));

    stack.Pop();
    stack.Pop();
    stack.Push();
    EXPECT_TRUE(MatrixNear(stack.GetTop(), kIdentity, 0.0f));
}

TEST(MathMatrixStack, TranslateAppliesAfterTheTop) {
    struct Case {
        const char* name;
        CMatrix top;
        CVector3 point, expected;
    };
    const Case cases[] = {
        {"identity", CMatrix::Identity(), {1, 1, 1}, {2, 3, 4}},
        {"scale", Scale(2, 3, 4), {1, 1, 1}, {3, 5, 7}},
        {"quarter turn", RotationZ(kPi / 2), {1, 0, 0}, {1, 3, 3}},
    };
    for (const Case& c : cases) {
        CMatrixStack stack;
        stack.Push();
        stack.SetTop(c.top);
        stack.Translate(1, 2, 3);
        CVector3 out;
        stack.GetTop().TransformPoint(&out, c.point);
        EXPECT_TRUE(VectorNear(out, c.expected)) << c.name;
    }

    CMatrixStack stack;
    stack.Push();
    stack.SetTop(Scale(2, 3, 4));
    stack.Translate(1, 2, 3);
    EXPECT_TRUE(MatrixNear(stack.GetTop(), {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1}, 0.0f));
    stack.Translate(-1, 0.5f, 0);
    EXPECT_TRUE(MatrixNear(stack.GetTop(), {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 2.5f, 3, 1}, 0.0f));
}

TEST(MathMatrixStack, TranslateChangesOnlyTheTop) {
    CMatrixStack stack;
    stack.Push();
    stack.SetTop(Scale(2, 2, 2));
    stack.Push();
    stack.Translate(5, 0, 0);
    EXPECT_TRUE(MatrixNear(stack.GetTop(), {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 5, 0, 0, 1}, 0.0f));
    stack.Pop();
    EXPECT_TRUE(MatrixNear(stack.GetTop(), Scale(2, 2, 2), 0.0f));
}

}  // namespace
