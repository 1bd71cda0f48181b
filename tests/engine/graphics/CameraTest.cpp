// The camera's view and projection, the quaternion helpers it builds them with, and the pick
// ray and pick volume the render device derives from an applied camera.
#include "engine/graphics/Camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Frustum.h"
#include "engine/core/PlaneList.h"
#include "engine/graphics/BoundingVolumes.h"
#include "engine/graphics/QuaternionOps.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/MatrixBuilders.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

constexpr float kFieldOfView = 0.5235988f;  // 30 degrees
constexpr float kAspect = 1.3333334f;
constexpr float kNear = 0.1f;
constexpr float kFar = 1000.0f;
// cot(15 degrees) = 2 + sqrt(3) and tan(15 degrees) = 2 - sqrt(3), for the field of view above.
constexpr float kCotHalfFov = 3.7320508f;
constexpr float kTanHalfFov = 0.26794919f;
const float kRootHalf = std::sqrt(0.5f);

// The game's camera: set up far away, then moved to look at the origin from straight in front.
void SetUpGameCamera(CCamera* camera) {
    camera->Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 0);
    camera->SetEye(CVector3(0.0f, 0.0f, -12.8f));
    camera->SetTarget(CVector3(0.0f, 0.0f, 0.0f));
}

// A quarter turn about y: with the camera's conventions the camera then looks along +x.
constexpr CQuaternion kQuarterTurnY{0.0f, 0.70710678f, 0.0f, 0.70710678f};

CMatrix FromElements(const float (&elements)[16]) {
    CMatrix m;
    for (int i = 0; i < 16; ++i)
        m.m_f[i] = elements[i];
    return m;
}

::testing::AssertionResult MatrixNear(const CMatrix& actual, const CMatrix& expected, float tolerance = 1e-5f) {
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(actual.m_f[i] - expected.m_f[i]) <= tolerance)) {
            auto failure = ::testing::AssertionFailure();
            failure << "element " << i << " (row " << i / 4 << ", column " << i % 4 << ") is " << actual.m_f[i]
                    << ", expected " << expected.m_f[i] << "\nactual:";
            for (int k = 0; k < 16; ++k)
                failure << (k % 4 == 0 ? "\n  " : " ") << actual.m_f[k];
            return failure;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult VectorNear(const CVector3& actual, const CVector3& expected, float tolerance) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
                                         << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

// Equal as rotations: q or -q.
::testing::AssertionResult QuaternionNear(const CQuaternion& actual, const CQuaternion& expected,
                                          float tolerance = 1e-5f) {
    for (const float sign : {1.0f, -1.0f}) {
        if (std::fabs(actual.x - sign * expected.x) <= tolerance && std::fabs(actual.y - sign * expected.y) <= tolerance &&
            std::fabs(actual.z - sign * expected.z) <= tolerance && std::fabs(actual.w - sign * expected.w) <= tolerance)
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ", " << actual.w
                                         << "), expected (" << expected.x << ", " << expected.y << ", " << expected.z
                                         << ", " << expected.w << ")";
}

CVector3 Transformed(const CMatrix& m, const CVector3& p) {
    CVector3 out;
    m.TransformPoint(&out, p);
    return out;
}

// --- Construction and set-up ------------------------------------------------------------------

TEST(CameraTest, StartsWithIdentityMatricesAndAnEmptyFrustum) {
    CCamera camera;
    EXPECT_TRUE(MatrixNear(camera.m_View, CMatrix::Identity(), 0.0f));
    EXPECT_TRUE(MatrixNear(camera.m_Projection, CMatrix::Identity(), 0.0f));
    EXPECT_EQ(camera.m_bDirty, 0u);
    EXPECT_EQ(camera.m_bBuilt, 0u);
    ASSERT_NE(camera.m_pFrustum, nullptr);
    EXPECT_EQ(camera.m_pFrustum->m_pPlanes->m_pHead, nullptr);
    EXPECT_EQ(camera.m_pFrustum->IsSphereVisible(1e6f, -1e6f, 1e6f, 0.0f), 1);
}

TEST(CameraTest, SetupStoresTheValuesResetsTargetAndUpAndBuildsAtOnce) {
    CCamera camera;
    // A target set before Setup is forgotten: Setup keeps the orientation it is given.
    camera.SetTarget(CVector3(5.0f, 6.0f, 7.0f));
    camera.m_vUp = CVector3(1.0f, 0.0f, 0.0f);
    camera.Setup(1.0f, 2.0f, 3.0f, kQuarterTurnY.x, kQuarterTurnY.y, kQuarterTurnY.z, kQuarterTurnY.w, 0.5f, 250.0f,
                 40.0f, 0.8f, 1.5f, 0);

    EXPECT_TRUE(VectorNear(camera.m_vPosition, CVector3(1.0f, 2.0f, 3.0f), 0.0f));
    EXPECT_TRUE(VectorNear(camera.m_vTarget, CVector3(0.0f, 0.0f, 1.0f), 0.0f));
    EXPECT_TRUE(VectorNear(camera.m_vUp, CVector3(0.0f, 1.0f, 0.0f), 0.0f));
    EXPECT_TRUE(QuaternionNear(camera.m_qOrientation, kQuarterTurnY, 0.0f));
    EXPECT_EQ(camera.m_fNear, 0.5f);
    EXPECT_EQ(camera.m_fFar, 250.0f);
    EXPECT_EQ(camera.m_fTargetDistance, 40.0f);
    EXPECT_EQ(camera.m_fFieldOfView, 0.8f);
    EXPECT_EQ(camera.m_fAspect, 1.5f);
    EXPECT_EQ(camera.m_nProjection, 0u);
    EXPECT_EQ(camera.m_bTargetChanged, 0u);
    EXPECT_EQ(camera.m_bDirty, 0u);
    EXPECT_EQ(camera.m_bBuilt, 1u);
    // Built: the eye maps to the origin of the view.
    EXPECT_TRUE(VectorNear(Transformed(camera.m_View, CVector3(1.0f, 2.0f, 3.0f)), CVector3(0.0f, 0.0f, 0.0f), 1e-6f));
}

// --- The view -----------------------------------------------------------------------------------

TEST(CameraTest, IdentityOrientationGivesAPureTranslationView) {
    CCamera camera;
    camera.Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 0);
    EXPECT_TRUE(MatrixNear(camera.m_View, Translation(-10.0f, -10.0f, 100.0f), 0.0f));
}

TEST(CameraTest, ViewMovesTheEyeToTheOriginThenTurnsByTheOrientation) {
    CCamera camera;
    camera.Setup(10.0f, 10.0f, -100.0f, kQuarterTurnY.x, kQuarterTurnY.y, kQuarterTurnY.z, kQuarterTurnY.w, kNear,
                 kFar, 40.0f, kFieldOfView, kAspect, 0);
    // Turned a quarter about y, the camera looks along +x with +y up and -z to its right.
    struct Case {
        CVector3 world;
        CVector3 view;
    };
    const Case cases[] = {
        {{10.0f, 10.0f, -100.0f}, {0.0f, 0.0f, 0.0f}},
        {{11.0f, 10.0f, -100.0f}, {0.0f, 0.0f, 1.0f}},
        {{10.0f, 11.0f, -100.0f}, {0.0f, 1.0f, 0.0f}},
        {{10.0f, 10.0f, -101.0f}, {1.0f, 0.0f, 0.0f}},
        {{15.0f, 12.0f, -103.0f}, {3.0f, 2.0f, 5.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "world (" << c.world.x << ", " << c.world.y << ", " << c.world.z << ")");
        EXPECT_TRUE(VectorNear(Transformed(camera.m_View, c.world), c.view, 1e-4f));
    }
}

TEST(CameraTest, MovingTheEyeKeepsTheOrientation) {
    CCamera camera;
    camera.Setup(10.0f, 10.0f, -100.0f, kQuarterTurnY.x, kQuarterTurnY.y, kQuarterTurnY.z, kQuarterTurnY.w, kNear,
                 kFar, 40.0f, kFieldOfView, kAspect, 0);
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);

    camera.SetEye(CVector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(camera.m_bDirty, 1u);
    EXPECT_EQ(camera.m_bTargetChanged, 0u);
    ASSERT_EQ(camera.Apply(&device), 1);

    EXPECT_TRUE(QuaternionNear(camera.m_qOrientation, kQuarterTurnY, 0.0f));
    EXPECT_EQ(camera.m_fTargetDistance, 40.0f);
    // Still looking along +x, now from the new eye.
    EXPECT_TRUE(VectorNear(Transformed(camera.m_View, CVector3(1.0f, 2.0f, 3.0f)), CVector3(0, 0, 0), 1e-5f));
    EXPECT_TRUE(VectorNear(Transformed(camera.m_View, CVector3(5.0f, 2.0f, 3.0f)), CVector3(0, 0, 4), 1e-5f));
    EXPECT_TRUE(VectorNear(Transformed(camera.m_View, CVector3(1.0f, 2.0f, 1.0f)), CVector3(2, 0, 0), 1e-5f));
}

TEST(CameraTest, SettingTheTargetTurnsTheCameraOnTheNextApply) {
    CCamera camera;
    // Set up turned away, then moved straight in front of the target, as the game does.
    camera.Setup(10.0f, 10.0f, -100.0f, kQuarterTurnY.x, kQuarterTurnY.y, kQuarterTurnY.z, kQuarterTurnY.w, kNear,
                 kFar, 40.0f, kFieldOfView, kAspect, 0);
    camera.SetEye(CVector3(0.0f, 0.0f, -12.8f));
    camera.SetTarget(CVector3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(camera.m_bDirty, 1u);
    EXPECT_EQ(camera.m_bTargetChanged, 1u);
    EXPECT_TRUE(QuaternionNear(camera.m_qOrientation, kQuarterTurnY, 0.0f));
    EXPECT_EQ(camera.m_fTargetDistance, 40.0f);

    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    ASSERT_EQ(camera.Apply(&device), 1);
    // Looking from straight in front along +z needs no rotation at all.
    EXPECT_TRUE(QuaternionNear(camera.m_qOrientation, CQuaternion{0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_FLOAT_EQ(camera.m_fTargetDistance, 12.8f);
    EXPECT_EQ(camera.m_bTargetChanged, 0u);
    EXPECT_EQ(camera.m_bDirty, 0u);
    EXPECT_TRUE(MatrixNear(camera.m_View, Translation(0.0f, 0.0f, 12.8f)));
}

TEST(CameraTest, OrientationFromATargetLooksStraightAtIt) {
    struct Case {
        const char* name;
        CVector3 eye;
        CVector3 target;
        CQuaternion orientation;
        float distance;
    };
    // A target 45 degrees to the right needs the view turned by 45 degrees about y; the
    // stored quaternion is the one that builds that turn back into the view matrix.
    const Case cases[] = {
        {"the game's camera", {0.0f, 0.0f, -12.8f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 12.8f},
        {"straight ahead elsewhere", {3.0f, -2.0f, -20.0f}, {3.0f, -2.0f, 5.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 25.0f},
        {"45 degrees to the right", {1.0f, 1.0f, 1.0f}, {4.0f, 1.0f, 4.0f}, {0.0f, 0.38268343f, 0.0f, 0.92387953f},
         std::sqrt(18.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCamera camera;
        camera.Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 0);
        camera.SetEye(c.eye);
        camera.SetTarget(c.target);
        camera.BuildMatrices();
        EXPECT_TRUE(QuaternionNear(camera.m_qOrientation, c.orientation));
        EXPECT_NEAR(camera.m_fTargetDistance, c.distance, 1e-5f);
        EXPECT_TRUE(VectorNear(Transformed(camera.m_View, c.target), CVector3(0.0f, 0.0f, c.distance), 1e-4f));
    }
    // Off every axis, the target still lands in the middle of the view.
    CCamera camera;
    camera.Setup(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 0);
    camera.SetEye(CVector3(-3.0f, 5.0f, -7.0f));
    camera.SetTarget(CVector3(2.0f, -1.0f, 4.0f));
    camera.BuildMatrices();
    EXPECT_TRUE(VectorNear(Transformed(camera.m_View, CVector3(2.0f, -1.0f, 4.0f)),
                           CVector3(0.0f, 0.0f, camera.m_fTargetDistance), 1e-4f));
    // ...and up stays up.
    EXPECT_GT(Transformed(camera.m_View, CVector3(2.0f, 0.0f, 4.0f)).y, 0.0f);
}

TEST(CameraTest, TargetAtThePositionGivesTargetDistanceZero) {
    CCamera camera;
    camera.Setup(10.0f, 10.0f, -100.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 0);
    camera.SetTarget(CVector3(10.0f, 10.0f, -100.0f));
    camera.BuildMatrices();
    EXPECT_EQ(camera.m_fTargetDistance, 0.0f);
    EXPECT_EQ(camera.m_bTargetChanged, 0u);
}

// --- Apply --------------------------------------------------------------------------------------

TEST(CameraTest, ApplyHandsTheDeviceItsViewThenItsProjection) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    CCamera camera;
    SetUpGameCamera(&camera);
    device.m_Calls.clear();

    ASSERT_EQ(camera.Apply(&device), 1);
    EXPECT_EQ(device.m_Calls, (std::vector<std::string>{"SetTransform 0", "SetTransform 1"}));
    EXPECT_TRUE(MatrixNear(device.m_Transforms[kTransformView], Translation(0.0f, 0.0f, 12.8f)));
    EXPECT_TRUE(MatrixNear(device.m_Transforms[kTransformProjection], camera.m_Projection, 0.0f));
    EXPECT_EQ(camera.Apply(nullptr), 0);
}

TEST(CameraTest, ApplyRebuildsOnlyADirtyCamera) {
    CRecordingRenderDevice device;
    ASSERT_EQ(device.InitForTest(0, 0, 0), 1);
    CCamera camera;
    camera.Setup(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 0);
    const CMatrix built = camera.m_Projection;

    // A field written without marking the camera dirty waits for the next rebuild.
    camera.m_fFieldOfView = 1.2f;
    ASSERT_EQ(camera.Apply(&device), 1);
    EXPECT_TRUE(MatrixNear(device.m_Transforms[kTransformProjection], built, 0.0f));

    camera.SetEye(CVector3(0.0f, 0.0f, 0.0f));
    ASSERT_EQ(camera.Apply(&device), 1);
    CMatrix wider;
    wider.SetPerspective(1.2f, kAspect, kNear, kFar, 1);
    EXPECT_TRUE(MatrixNear(device.m_Transforms[kTransformProjection], wider, 0.0f));
}

// --- Projections --------------------------------------------------------------------------------

TEST(CameraTest, PerspectiveProjectionIsTheLeftHandedPerspective) {
    CCamera camera;
    SetUpGameCamera(&camera);
    camera.BuildMatrices();

    CMatrix perspective;
    perspective.SetPerspective(kFieldOfView, kAspect, kNear, kFar, 1);
    EXPECT_TRUE(MatrixNear(camera.m_Projection, perspective, 0.0f));
    // cot(15 degrees) / aspect, cot(15 degrees), depth 0 at near and 1 at far, w = z.
    const float far = kFar / (kFar - kNear);
    const float expected[16] = {kCotHalfFov / kAspect, 0, 0, 0, 0, kCotHalfFov, 0, 0, 0, 0, far, 1,
                                0, 0, -kNear * far, 0};
    EXPECT_TRUE(MatrixNear(camera.m_Projection, FromElements(expected), 1e-5f));
}

TEST(CameraTest, OrthographicProjectionHasOnlyItsFiveElements) {
    CCamera camera;
    camera.Setup(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 1);
    // q = cot(fov / 2), r = q / aspect: (0, 0) = 2 / r, (1, 1) = 2 / q, (2, 2) = 1 / (far - near),
    // (2, 3) = far / (far - near), (3, 3) = 1.
    const float r = kCotHalfFov / kAspect;
    const float expected[16] = {2.0f / r, 0, 0, 0, 0, 2.0f / kCotHalfFov, 0, 0, 0, 0, 1.0f / (kFar - kNear),
                                kFar / (kFar - kNear), 0, 0, 0, 1};
    EXPECT_TRUE(MatrixNear(camera.m_Projection, FromElements(expected), 1e-6f));
    EXPECT_NEAR(camera.m_Projection.At(0, 0), 0.7145312f, 1e-6f);
    EXPECT_NEAR(camera.m_Projection.At(1, 1), 0.5358984f, 1e-6f);
}

// --- Quaternion helpers -------------------------------------------------------------------------

TEST(CameraQuaternionTest, QuaternionToMatrixMatchesHandValues) {
    const float n = 1.0f / std::sqrt(30.0f);
    struct Case {
        const char* name;
        CQuaternion q;
        float rows[9];
    };
    const Case cases[] = {
        {"identity", {0, 0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
        // x goes to -y: the opposite turn of CMatrix::SetRotationZ(pi / 2).
        {"quarter turn about z", {0, 0, kRootHalf, kRootHalf}, {0, -1, 0, 1, 0, 0, 0, 0, 1}},
        {"quarter turn about y", {0, kRootHalf, 0, kRootHalf}, {0, 0, 1, 0, 1, 0, -1, 0, 0}},
        {"quarter turn about x", {kRootHalf, 0, 0, kRootHalf}, {1, 0, 0, 0, 0, -1, 0, 1, 0}},
        {"half turn about y", {0, 1, 0, 0}, {-1, 0, 0, 0, 1, 0, 0, 0, -1}},
        {"(1, 2, 3, 4) / sqrt 30",
         {n, 2 * n, 3 * n, 4 * n},
         {2.0f / 15, -10.0f / 15, 11.0f / 15, 14.0f / 15, 5.0f / 15, 2.0f / 15, -5.0f / 15, 10.0f / 15, 10.0f / 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMatrix actual;
        actual.SetTranslation(7.0f, 8.0f, 9.0f);  // every element is written
        EXPECT_EQ(QuaternionToMatrix(&actual, c.q), &actual);
        const float expected[16] = {c.rows[0], c.rows[1], c.rows[2], 0, c.rows[3], c.rows[4], c.rows[5], 0,
                                    c.rows[6], c.rows[7], c.rows[8], 0, 0,         0,         0,         1};
        EXPECT_TRUE(MatrixNear(actual, FromElements(expected), 1e-6f));

        // The same rotation as CMatrix::SetFromQuaternion, turning the other way.
        CMatrix fromQuaternion;
        fromQuaternion.SetFromQuaternion(c.q);
        fromQuaternion.Transpose();
        EXPECT_TRUE(MatrixNear(actual, fromQuaternion, 1e-6f));
    }
}

TEST(CameraQuaternionTest, QuaternionMultiplyIsTheHamiltonProduct) {
    struct Case {
        const char* name;
        CQuaternion a;
        CQuaternion b;
        CQuaternion product;
    };
    const CQuaternion one{0, 0, 0, 1};
    const CQuaternion i{1, 0, 0, 0};
    const CQuaternion j{0, 1, 0, 0};
    const CQuaternion k{0, 0, 1, 0};
    const Case cases[] = {
        {"i j = k", i, j, k},
        {"j i = -k", j, i, {0, 0, -1, 0}},
        {"j k = i", j, k, i},
        {"k i = j", k, i, j},
        {"i i = -1", i, i, {0, 0, 0, -1}},
        {"1 q = q", one, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"q 1 = q", {1, 2, 3, 4}, one, {1, 2, 3, 4}},
        {"general", {1, 2, 3, 4}, {5, 6, 7, 8}, {24, 48, 48, -6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CQuaternion out{9, 9, 9, 9};
        EXPECT_EQ(QuaternionMultiply(c.a, &out, c.b), &out);
        EXPECT_EQ(out.x, c.product.x);
        EXPECT_EQ(out.y, c.product.y);
        EXPECT_EQ(out.z, c.product.z);
        EXPECT_EQ(out.w, c.product.w);

        // The result may be written over either factor.
        CQuaternion first = c.a;
        QuaternionMultiply(first, &first, c.b);
        EXPECT_TRUE(QuaternionNear(first, c.product, 0.0f));
        CQuaternion second = c.b;
        QuaternionMultiply(c.a, &second, second);
        EXPECT_TRUE(QuaternionNear(second, c.product, 0.0f));
    }
}

TEST(CameraQuaternionTest, MatrixOfAProductIsTheProductOfTheMatrices) {
    const float s = std::sin(0.3f);
    const float c = std::cos(0.3f);
    const CQuaternion pairs[][2] = {
        {{0, kRootHalf, 0, kRootHalf}, {kRootHalf, 0, 0, kRootHalf}},
        {{s, 0, 0, c}, {0, 0, s, c}},
        {{0.5f, 0.5f, 0.5f, 0.5f}, {0, s, 0, c}},
    };
    for (const auto& pair : pairs) {
        CQuaternion product;
        QuaternionMultiply(pair[0], &product, pair[1]);
        CMatrix ofProduct;
        QuaternionToMatrix(&ofProduct, product);
        CMatrix a;
        CMatrix b;
        CMatrix expected;
        CMatrix::Multiply(&expected, *QuaternionToMatrix(&a, pair[0]), *QuaternionToMatrix(&b, pair[1]));
        EXPECT_TRUE(MatrixNear(ofProduct, expected, 1e-5f));
    }
}

// --- Picking through the Direct3D 9 device ------------------------------------------------------

constexpr int kPickWidth = 640;
constexpr int kPickHeight = 480;

class CameraPickingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_viewport.Create(nullptr, kPickWidth, kPickHeight, 0), 1);
        ASSERT_EQ(m_device.Init(&m_viewport, kPickWidth, kPickHeight, 32, 0, 0, 0, 16, 16, 16, nullptr, 0), 1);
        ASSERT_EQ(m_device.m_Viewport.Width, static_cast<uint32_t>(kPickWidth));
        ASSERT_EQ(m_device.m_Viewport.Height, static_cast<uint32_t>(kPickHeight));
        SetUpGameCamera(&m_camera);
        ASSERT_EQ(m_camera.Apply(&m_device), 1);
    }

    void TearDown() override {
        m_device.Shutdown();
        m_viewport.Close();
    }

    CViewportWin32 m_viewport;
    CRenderDeviceDX9 m_device;
    CCamera m_camera;
};

TEST_F(CameraPickingTest, RayThroughTheCentreStartsAtTheEyeAndPointsAlongZ) {
    CVector3 origin(9, 9, 9);
    CVector3 direction(9, 9, 9);
    ASSERT_EQ(m_device.GetPickRay(&m_camera, 320.0f, 240.0f, &origin, &direction), 1);
    EXPECT_TRUE(VectorNear(origin, CVector3(0.0f, 0.0f, -12.8f), 0.0f));
    EXPECT_NEAR(direction.x, 0.0f, 1e-6f);
    EXPECT_NEAR(direction.y, 0.0f, 1e-6f);
    EXPECT_GT(direction.z, 0.0f);
}

TEST_F(CameraPickingTest, RayThroughTheCentreHitsASphereAtTheTarget) {
    CVector3 origin;
    CVector3 direction;
    ASSERT_EQ(m_device.GetPickRay(&m_camera, 320.0f, 240.0f, &origin, &direction), 1);
    float t = -1.0f;
    ASSERT_EQ(RayIntersectsSphere(1.0f, CVector3(0.0f, 0.0f, 0.0f), origin, direction, &t), 1);
    // The near side of the sphere, in front of the eye.
    EXPECT_GT(t, 0.0f);
    const CVector3 hit(origin.x + t * direction.x, origin.y + t * direction.y, origin.z + t * direction.z);
    EXPECT_TRUE(VectorNear(hit, CVector3(0.0f, 0.0f, -1.0f), 1e-3f));

    // A ray through a corner of the screen passes it by.
    ASSERT_EQ(m_device.GetPickRay(&m_camera, 0.0f, 0.0f, &origin, &direction), 1);
    EXPECT_EQ(RayIntersectsSphere(1.0f, CVector3(0.0f, 0.0f, 0.0f), origin, direction, &t), 0);
}

TEST_F(CameraPickingTest, RaysThroughScreenPointsFollowTheFieldOfView) {
    // The direction over its z: x spans tan(15 degrees) x aspect, y spans tan(15 degrees),
    // screen y growing downwards.
    const float sx = kTanHalfFov * kAspect;
    const float sy = kTanHalfFov;
    struct Case {
        float x;
        float y;
        float dx;
        float dy;
    };
    const Case cases[] = {
        {0.0f, 0.0f, -sx, sy},           {640.0f, 0.0f, sx, sy},
        {0.0f, 480.0f, -sx, -sy},        {640.0f, 480.0f, sx, -sy},
        {160.0f, 360.0f, -sx / 2, -sy / 2}, {480.0f, 240.0f, sx / 2, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "screen (" << c.x << ", " << c.y << ")");
        CVector3 origin;
        CVector3 direction;
        ASSERT_EQ(m_device.GetPickRay(&m_camera, c.x, c.y, &origin, &direction), 1);
        EXPECT_TRUE(VectorNear(origin, CVector3(0.0f, 0.0f, -12.8f), 0.0f));
        ASSERT_GT(direction.z, 0.0f);
        EXPECT_NEAR(direction.x / direction.z, c.dx, 1e-4f);
        EXPECT_NEAR(direction.y / direction.z, c.dy, 1e-4f);
    }
}

TEST_F(CameraPickingTest, OrthographicCameraGivesTheUnprojectedPointAndLeavesTheDirection) {
    CCamera camera;
    camera.Setup(2.0f, 3.0f, -5.0f, 0.0f, 0.0f, 0.0f, 1.0f, kNear, kFar, 40.0f, kFieldOfView, kAspect, 1);
    ASSERT_EQ(camera.Apply(&m_device), 1);
    // At depth 0 the point lies in the eye's plane; the screen spans r / 2 = cot(15) / aspect / 2
    // either side horizontally and q / 2 = cot(15) / 2 vertically.
    const float halfX = kCotHalfFov / kAspect / 2.0f;
    const float halfY = kCotHalfFov / 2.0f;
    struct Case {
        float x;
        float y;
        CVector3 origin;
    };
    const Case cases[] = {
        {320.0f, 240.0f, {2.0f, 3.0f, -5.0f}},
        {0.0f, 0.0f, {2.0f - halfX, 3.0f + halfY, -5.0f}},
        {640.0f, 480.0f, {2.0f + halfX, 3.0f - halfY, -5.0f}},
        {480.0f, 120.0f, {2.0f + halfX / 2, 3.0f + halfY / 2, -5.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "screen (" << c.x << ", " << c.y << ")");
        CVector3 origin(99, 99, 99);
        CVector3 direction(7.0f, 8.0f, 9.0f);
        ASSERT_EQ(m_device.GetPickRay(&camera, c.x, c.y, &origin, &direction), 1);
        EXPECT_TRUE(VectorNear(origin, c.origin, 1e-4f));
        EXPECT_TRUE(VectorNear(direction, CVector3(7.0f, 8.0f, 9.0f), 0.0f));
    }
}

TEST_F(CameraPickingTest, WithoutACameraNothingIsPicked) {
    CVector3 origin(1, 2, 3);
    CVector3 direction(4, 5, 6);
    EXPECT_EQ(m_device.GetPickRay(nullptr, 320.0f, 240.0f, &origin, &direction), 0);
    EXPECT_TRUE(VectorNear(origin, CVector3(1, 2, 3), 0.0f));
    EXPECT_TRUE(VectorNear(direction, CVector3(4, 5, 6), 0.0f));

    CPlaneList planes(8, 8);
    EXPECT_EQ(m_device.GetPickVolume(nullptr, 100.0f, 100.0f, 200.0f, 200.0f, &planes), 0);
    EXPECT_EQ(planes.m_pHead, nullptr);
}

TEST_F(CameraPickingTest, PickVolumeHoldsWhatTheRectangleShowsAndNothingElse) {
    // The rectangle from (400, 60) to (560, 180) spans device x 0.25 to 0.75 and device y 0.25
    // to 0.75; at view depth d that is x from 0.25 sx d to 0.75 sx d, likewise for y.
    CFrustum volume;
    ASSERT_EQ(m_device.GetPickVolume(&m_camera, 400.0f, 60.0f, 560.0f, 180.0f, volume.m_pPlanes), 1);
    int count = 0;
    for (auto* node = volume.m_pPlanes->m_pHead; node; node = node->m_pNext)
        ++count;
    EXPECT_EQ(count, 6);

    const float sx = kTanHalfFov * kAspect;
    const float sy = kTanHalfFov;
    // A point at view depth d and device coordinates (nx, ny), in the world (the eye at z -12.8).
    auto at = [&](float nx, float ny, float d) { return CVector3(nx * sx * d, ny * sy * d, d - 12.8f); };
    struct Case {
        const char* name;
        CVector3 point;
        int visible;
    };
    const float mid = (kNear + kFar) / 2.0f;
    const Case cases[] = {
        {"middle at mid depth", at(0.5f, 0.5f, mid), 1},
        {"middle near the eye", at(0.5f, 0.5f, 1.0f), 1},
        {"middle near the far end", at(0.5f, 0.5f, 990.0f), 1},
        {"inside a corner", at(0.3f, 0.7f, mid), 1},
        {"left of it", at(0.2f, 0.5f, mid), 0},
        {"right of it", at(0.8f, 0.5f, mid), 0},
        {"below it", at(0.5f, 0.2f, mid), 0},
        {"above it", at(0.5f, 0.8f, mid), 0},
        {"the screen centre", at(0.0f, 0.0f, mid), 0},
        {"before the near end", at(0.5f, 0.5f, 0.05f), 0},
        {"beyond the far end", at(0.5f, 0.5f, 1010.0f), 0},
        {"behind the eye", at(0.5f, 0.5f, -mid), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(volume.IsSphereVisible(c.point.x, c.point.y, c.point.z, 1e-3f), c.visible);
    }
}

TEST_F(CameraPickingTest, PickVolumeEndsAreTheNearAndFarPlanesAfterTheSides) {
    CPlaneList planes(8, 8);
    ASSERT_EQ(m_device.GetPickVolume(&m_camera, 100.0f, 100.0f, 300.0f, 400.0f, &planes), 1);
    std::vector<CPlane> list;
    for (auto* node = planes.m_pHead; node; node = node->m_pNext)
        list.push_back(node->m_data);
    ASSERT_EQ(list.size(), 6u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(testing::Message() << "side " << i);
        // The sides run through the eye and have unit normals across the view axis.
        EXPECT_NEAR(std::sqrt(list[i].a * list[i].a + list[i].b * list[i].b + list[i].c * list[i].c), 1.0f, 1e-4f);
        EXPECT_NEAR(list[i].c * -12.8f + list[i].d, 0.0f, 1e-2f);
    }
    // Near end at view depth 0.1 (world z -12.7) facing +z, far end at 1000 (world z 987.2)
    // facing -z.
    EXPECT_NEAR(list[4].a, 0.0f, 1e-4f);
    EXPECT_NEAR(list[4].b, 0.0f, 1e-4f);
    EXPECT_NEAR(list[4].c, 1.0f, 1e-4f);
    EXPECT_NEAR(list[4].d, 12.7f, 1e-3f);
    EXPECT_NEAR(list[5].a, 0.0f, 1e-4f);
    EXPECT_NEAR(list[5].b, 0.0f, 1e-4f);
    EXPECT_NEAR(list[5].c, -1.0f, 1e-4f);
    EXPECT_NEAR(list[5].d, 987.2f, 0.5f);
}

}  // namespace
