#include "tests/game/app/SceneObjectFixture.h"

#include <cmath>
#include <cstring>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/Model.h"
#include "game/flow/ConnectorKinds.h"
#include "tests/support/ToolModel.h"

void SceneObjectTest::SetUp() {
    ASSERT_EQ(m_Device.InitForTest(64, 0, 0), 1);
    ASSERT_EQ(m_Gfx.Init(&m_Device), 1);
    ASSERT_EQ(RegisterConnectorKinds(&m_Entries), 1);
}

CGfx* SceneObjectTest::AddResource(const char* name, uint32_t kind, CModel* model) {
    auto* gfx = new CGfx;
    gfx->m_sName.Assign(name, static_cast<uint32_t>(strlen(name)));
    gfx->m_pDevice = &m_Device;
    gfx->m_nKind = kind;
    gfx->m_pResource = model;
    gfx->m_bLoaded = kind == kGfxModel ? 1 : 0;
    m_Gfx.m_pResources->Append(gfx);
    return gfx;
}

CGfx* SceneObjectTest::AddModel(const char* name, const std::string& text) {
    std::string error;
    CGfx* gfx = AddToolModelResource(&m_Gfx, &m_Device, name, text, &error);
    if (!gfx)
        ADD_FAILURE() << name << ": " << error;
    return gfx;
}

CGfx* SceneObjectTest::AddTexture(const char* name) {
    return AddResource(name, kGfxTexture, nullptr);
}

CGfx* SceneObjectTest::AddEmptyModel(const char* name) {
    return AddResource(name, kGfxModel, new CModel);
}

std::string OneTagModel(const char* tag) {
    return std::string("frames 10\n"
                       "part box size 1 1 1\n"
                       "end\n"
                       "tag ") +
           tag +
           "\n"
           "end\n"
           "sphere 0 0 0 0.5\n"
           "box 0 0 0 0.5 0.5 0.5\n";
}

void ExpectNear(const CVector3& actual, const CVector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

CVector3 TurnByHand(const CVector3& v, const CVector3& scale, const CVector3& rot) {
    double x = v.x * scale.x, y = v.y * scale.y, z = v.z * scale.z;
    // About x: y towards z.
    double c = std::cos(rot.x), s = std::sin(rot.x);
    double ny = y * c - z * s, nz = y * s + z * c;
    y = ny;
    z = nz;
    // About z: x towards y.
    c = std::cos(rot.z);
    s = std::sin(rot.z);
    double nx = x * c - y * s;
    ny = x * s + y * c;
    x = nx;
    y = ny;
    // About y: z towards x.
    c = std::cos(rot.y);
    s = std::sin(rot.y);
    nx = x * c + z * s;
    nz = -x * s + z * c;
    return CVector3(static_cast<float>(nx), static_cast<float>(y), static_cast<float>(nz));
}
