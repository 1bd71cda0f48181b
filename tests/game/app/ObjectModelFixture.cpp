#include "tests/game/app/ObjectModelFixture.h"

#include <string>

#include "game/app/3DObjectList.h"

void ObjectModelTest::SetUp() {
    SceneObjectTest::SetUp();
    if (HasFatalFailure())
        return;
    for (const char* tag : {kGearModel, kRopeModel, kHookModel})
        ASSERT_NE(AddModel(tag, OneTagModel(tag)), nullptr);
    std::string kinds = "frames 10\npart box size 1 1 1\nend\n";
    const char* const tags[] = {"Gear", "Pipe", "Power", "Rope", "Wheel"};
    for (int i = 0; i < 5; ++i)
        kinds += std::string("tag ") + tags[i] + "\n    translate " + std::to_string(0.25 * i) + " 0 0\nend\n";
    kinds += "sphere 0 0 0 0.5\n";
    ASSERT_NE(AddModel(kKindsModel, kinds), nullptr);
    m_pTree = std::make_unique<M3DOMTree>(&m_Gfx, nullptr, &m_Device, nullptr, &m_FrameTime, &m_RunTime, &m_Entries,
                                          &m_Emitters);
}

void ObjectModelTest::TearDown() {
    m_pTree.reset();
}

M3DOMObject* ObjectModelTest::AddMO(const char* name, M3DOMObject* parent) {
    M3DOMObject* mo = m_pTree->CreateMO(name);
    M3DOMTree::Reparent(parent ? parent : m_pTree->m_pRoot, mo);
    return mo;
}

M3DOMObject* ObjectModelTest::AddElement(const char* name, const char* model, const CVector3& pos,
                                         const CVector3& rot, M3DOMObject* parent) {
    M3DOMObject* mo = AddMO(name, parent);
    mo->m_vPos = mo->m_vTarget = pos;
    mo->m_vRot = rot;
    EXPECT_NE(mo->AddO(model, CVector3(0.0f, 0.0f, 0.0f)), nullptr) << model;
    return mo;
}

int ObjectModelTest::TreeObjectCount() const {
    return m_pTree->m_pOList->m_pList->m_nCount;
}
