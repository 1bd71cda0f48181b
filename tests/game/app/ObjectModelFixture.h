// What the object-model tests share: a tree on the scene-object fixture's device, models and
// connector kinds, with the application's two times and the world's emitter list.
#pragma once

#include <memory>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/EmitterList.h"
#include "tests/game/app/SceneObjectFixture.h"

class ObjectModelTest : public SceneObjectTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new node of the tree linked under parent (the root for none).
    M3DOMObject* AddMO(const char* name, M3DOMObject* parent = nullptr);
    // A node holding one object of the model at position, turned by rot.
    M3DOMObject* AddElement(const char* name, const char* model, const CVector3& pos,
                            const CVector3& rot = CVector3(0.0f, 0.0f, 0.0f), M3DOMObject* parent = nullptr);
    // The number of objects in the tree's list.
    int TreeObjectCount() const;

    double m_FrameTime = 0.0;
    double m_RunTime = 0.0;
    CEmitterList m_Emitters;
    std::unique_ptr<M3DOMTree> m_pTree;
};

// Models the fixture loads: one tag each of a snap kind, a rope kind and no kind.
inline constexpr const char* kGearModel = "Gear";
inline constexpr const char* kRopeModel = "Rope";
inline constexpr const char* kHookModel = "Hook";
// One model with the tags Gear, Pipe, Power, Rope and Wheel, 0.25 apart along x.
inline constexpr const char* kKindsModel = "Kinds";
