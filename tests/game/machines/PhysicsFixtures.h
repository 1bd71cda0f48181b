// Models with picking spheres and boxes made in memory, the way a model file fills them, and
// small helpers for looking at a physics world.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>

#include "engine/core/Matrix.h"
#include "engine/graphics/Model.h"
#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsWorld.h"

namespace physics_test {

struct Sphere {
    CVector3 centre;
    float radius;
};

// A box in the board plane: centre, half extents, and its turn about z.
struct Box {
    CVector3 centre;
    float halfX;
    float halfY;
    float angle = 0.0f;
};

// The volumes are owned by the model, which frees them as a loaded model does.
inline std::unique_ptr<CModel> MakeModel(std::initializer_list<Sphere> spheres, std::initializer_list<Box> boxes) {
    auto model = std::make_unique<CModel>();
    model->m_nSpheres = static_cast<uint32_t>(spheres.size());
    model->m_pSpheres = spheres.size() ? new CModelSphere[spheres.size()] : nullptr;
    uint32_t i = 0;
    for (const Sphere& s : spheres)
        model->m_pSpheres[i++] = CModelSphere{s.centre, s.radius};
    model->m_nBoxes = static_cast<uint32_t>(boxes.size());
    model->m_pBoxes = boxes.size() ? new COrientedBox[boxes.size()] : nullptr;
    i = 0;
    for (const Box& b : boxes) {
        const float c = std::cos(b.angle);
        const float s = std::sin(b.angle);
        COrientedBox& box = model->m_pBoxes[i++];
        box.vCentre = b.centre;
        box.vHalfExtents = CVector3(b.halfX, b.halfY, 0.5f);
        box.vAxes[0] = CVector3(c, s, 0.0f);
        box.vAxes[1] = CVector3(-s, c, 0.0f);
        box.vAxes[2] = CVector3(0.0f, 0.0f, 1.0f);
    }
    return model;
}

inline std::unique_ptr<CModel> SphereModel(float radius) {
    return MakeModel({{CVector3(0.0f, 0.0f, 0.0f), radius}}, {});
}

inline std::unique_ptr<CModel> BoxModel(float halfX, float halfY) {
    return MakeModel({}, {{CVector3(0.0f, 0.0f, 0.0f), halfX, halfY}});
}

inline CMatrix At(float x, float y) {
    CMatrix m;
    m.SetTranslation(x, y, 0.0f);
    return m;
}

// Turned about z (counter-clockwise, as the engine's matrices turn), then moved.
inline CMatrix TurnedAt(float angle, float x, float y) {
    CMatrix turn;
    turn.SetRotationZ(angle);
    CMatrix move;
    move.SetTranslation(x, y, 0.0f);
    CMatrix out;
    CMatrix::Multiply(&out, turn, move);
    return out;
}

// Each coordinate within the tolerance, naming both vectors when not.
inline ::testing::AssertionResult Near(const CVector3& actual, const CVector3& expected, float tolerance = 1e-5f) {
    if (!(std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
          std::fabs(actual.z - expected.z) <= tolerance))
        return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                             << ") instead of (" << expected.x << ", " << expected.y << ", "
                                             << expected.z << ")";
    return ::testing::AssertionSuccess();
}

inline CVector3 ToVectorOf(const dReal* v) {
    return CVector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

inline CVector3 PositionOf(const CPhysicsBody* body) {
    CVector3 p(NAN, NAN, NAN);
    body->GetPosition(&p);
    return p;
}

inline CVector3 VelocityOf(const CPhysicsBody* body) {
    CVector3 v(NAN, NAN, NAN);
    body->GetLinearVelocity(&v);
    return v;
}

inline int Accept(PhysicsContactInfo*) {
    return 1;
}

inline int Veto(PhysicsContactInfo*) {
    return 0;
}

inline void StepFor(CPhysicsWorld* world, int steps, double dt = 0.005) {
    for (int i = 0; i < steps; ++i)
        world->Step(dt);
}

// Every number the ODE bodies of the world's bodies hold is finite.
inline ::testing::AssertionResult AllFinite(const CPhysicsWorld& world) {
    for (auto* node = world.m_pBodies->m_pHead; node; node = node->m_pNext) {
        const CPhysicsBody* body = node->m_data;
        if (!body->m_Body)
            continue;
        const dReal* arrays[] = {dBodyGetPosition(body->m_Body), dBodyGetLinearVel(body->m_Body),
                                 dBodyGetAngularVel(body->m_Body), dBodyGetQuaternion(body->m_Body)};
        for (const dReal* values : arrays) {
            for (int k = 0; k < 3; ++k) {
                if (!std::isfinite(values[k]))
                    return ::testing::AssertionFailure() << "a body holds " << values[k];
            }
        }
        if (!std::isfinite(dBodyGetQuaternion(body->m_Body)[3]))
            return ::testing::AssertionFailure() << "a body's quaternion is broken";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace physics_test
