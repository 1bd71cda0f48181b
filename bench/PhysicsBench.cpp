// The physics layer's cost over bare ODE: one fixed scene step (two half-steps with the plane
// constraint) of a heap of mixed bodies falling between two walls onto a floor, through the
// layer with an accepting contact handler, and the same scene stepped by plain ODE calls with
// the same settings, plane constraint and near callback. Every case runs the same 400 fixed
// steps from the same start, so the heap passes through the same phases in each.
#include <benchmark/benchmark.h>

#include <ode/ode.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "engine/core/Matrix.h"
#include "engine/graphics/Model.h"
#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsWorld.h"

namespace {

constexpr int kFixedSteps = 400;
constexpr double kHalfStep = 0.005;
constexpr int kColumns = 10;

// Where the scene's parts are; the same numbers feed both worlds.
struct Part {
    bool bBox;
    float x, y, angle;  // angle counter-clockwise, as the engine's matrices turn
    float halfX, halfY;  // a box's half extents; halfX is a ball's radius
};

std::vector<Part> MakeScene(int bodies) {
    std::vector<Part> parts;
    parts.push_back({true, 0.0f, -0.5f, 0.0f, 10.0f, 0.5f});  // floor
    parts.push_back({true, -2.9f, 5.0f, 0.0f, 0.2f, 6.0f});   // walls
    parts.push_back({true, 2.9f, 5.0f, 0.0f, 0.2f, 6.0f});
    // Rows staggered so that the heap does not stack up in neat columns. Nothing is turned:
    // the layer and bare ODE then start from bit-identical states and run the same heap.
    for (int i = 0; i < bodies; ++i) {
        const int row = i / kColumns;
        const float x = -2.25f + 0.5f * static_cast<float>(i % kColumns) + 0.13f * static_cast<float>(row % 3);
        const float y = 0.4f + 0.45f * static_cast<float>(row);
        if (i % 2 == 0)
            parts.push_back({false, x, y, 0.0f, 0.15f, 0.15f});
        else
            parts.push_back({true, x, y, 0.0f, i % 4 == 1 ? 0.18f : 0.22f, i % 4 == 1 ? 0.18f : 0.08f});
    }
    return parts;
}

int AcceptContact(PhysicsContactInfo*) {
    return 1;
}

// Through the layer.
void BM_LayerFixedStep(benchmark::State& state) {
    const std::vector<Part> parts = MakeScene(static_cast<int>(state.range(0)));
    std::vector<std::unique_ptr<CModel>> models;
    CPhysicsWorld world(&AcceptContact);
    for (size_t i = 0; i < parts.size(); ++i) {
        const Part& part = parts[i];
        auto model = std::make_unique<CModel>();
        if (part.bBox) {
            model->m_nBoxes = 1;
            model->m_pBoxes = new COrientedBox[1];
            model->m_pBoxes[0] = COrientedBox{CVector3(0, 0, 0), CVector3(part.halfX, part.halfY, 0.5f),
                                              {CVector3(1, 0, 0), CVector3(0, 1, 0), CVector3(0, 0, 1)}};
        } else {
            model->m_nSpheres = 1;
            model->m_pSpheres = new CModelSphere[1];
            model->m_pSpheres[0] = CModelSphere{CVector3(0, 0, 0), part.halfX};
        }
        CMatrix turn;
        turn.SetRotationZ(part.angle);
        CMatrix move;
        move.SetTranslation(part.x, part.y, 0.0f);
        CMatrix placement;
        CMatrix::Multiply(&placement, turn, move);
        CPhysicsBody* body = world.AddBody(model.get(), nullptr, i < 3 ? 1 : 0, &placement, -1, 0);
        body->m_fFriction = 0.6f;
        body->m_fBounce = 0.2f;
        models.push_back(std::move(model));
    }
    for (auto _ : state) {
        world.Step(kHalfStep);
        world.Step(kHalfStep);
    }
    state.counters["bodies"] = static_cast<double>(state.range(0));
    // Where the heap came to rest: the same in every case when they ran the same scene.
    double height = 0.0;
    for (auto* node = world.m_pBodies->m_pHead; node; node = node->m_pNext) {
        if (!node->m_data->m_bStatic)
            height += dBodyGetPosition(node->m_data->m_Body)[1];
    }
    state.counters["mean_y"] = height / static_cast<double>(state.range(0));
}

// The same scene with ODE alone. With bHolders the shapes sit in geom transforms as the
// layer's compound bodies do; without, they are attached to their bodies directly.
struct BareScene {
    dWorldID world;
    dSpaceID space;
    dJointGroupID contacts;
    std::vector<dBodyID> bodies;  // the dynamic ones
};

void BareNearCallback(void* data, dGeomID o1, dGeomID o2) {
    auto* scene = static_cast<BareScene*>(data);
    dBodyID a = dGeomGetBody(o1);
    dBodyID b = dGeomGetBody(o2);
    if (!a) {
        if (!b)
            return;
        std::swap(o1, o2);
        std::swap(a, b);
    }
    const unsigned long categoryA = dGeomGetCategoryBits(o1);
    const unsigned long categoryB = dGeomGetCategoryBits(o2);
    if ((categoryA == 0 && (categoryB == 0 || categoryB == 2)) || (categoryA == 2 && categoryB == 0))
        return;
    dContact contact[4] = {};
    for (dContact& c : contact) {
        c.surface.mode = dContactApprox1 | dContactMotion1 | dContactBounce;
        // The layer's values are floats.
        c.surface.mu = 0.6f;
        c.surface.bounce = 0.2f;
        c.surface.bounce_vel = 0.01;
    }
    const int count = dCollide(o1, o2, 4, &contact[0].geom, sizeof(dContact));
    for (int i = 0; i < count; ++i) {
        dJointID joint = dJointCreateContact(scene->world, scene->contacts, &contact[i]);
        dJointAttach(joint, a, b);
    }
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
dGeomID Held(dSpaceID space, dGeomID shape) {
    dGeomID holder = dCreateGeomTransform(space);
    dGeomTransformSetCleanup(holder, 1);
    dGeomTransformSetGeom(holder, shape);
    return holder;
}
#pragma GCC diagnostic pop

void BareFixedStep(benchmark::State& state, bool bHolders) {
    const std::vector<Part> parts = MakeScene(static_cast<int>(state.range(0)));
    dInitODE2(0);
    dRandSetSeed(0);
    BareScene scene;
    scene.world = dWorldCreate();
    scene.space = dHashSpaceCreate(nullptr);
    scene.contacts = dJointGroupCreate(0);
    dWorldSetCFM(scene.world, 1e-5);
    dWorldSetERP(scene.world, 0.2);
    dWorldSetGravity(scene.world, 0.0, -9.81f, 0.0);
    for (size_t i = 0; i < parts.size(); ++i) {
        const Part& part = parts[i];
        const bool bStatic = i < 3;
        dMass mass;
        dGeomID shape;
        if (part.bBox) {
            shape = dCreateBox(bHolders ? nullptr : scene.space, 2.0 * part.halfX, 2.0 * part.halfY, 1.0);
            dMassSetBox(&mass, 1.0, 2.0 * part.halfX, 2.0 * part.halfY, 1.0);
        } else {
            shape = dCreateSphere(bHolders ? nullptr : scene.space, part.halfX);
            dMassSetSphere(&mass, 1.0, part.halfX);
        }
        dGeomID geom = bHolders ? Held(scene.space, shape) : shape;
        dMatrix3 rotation;
        dRFromAxisAndAngle(rotation, 0.0, 0.0, 1.0, part.angle);
        dGeomSetCategoryBits(geom, bStatic ? 0 : 1);
        if (bStatic) {
            dGeomSetPosition(shape, part.x, part.y, 0.0);
            dGeomSetRotation(shape, rotation);
            continue;
        }
        dBodyID body = dBodyCreate(scene.world);
        dBodySetPosition(body, part.x, part.y, 0.0);
        dBodySetRotation(body, rotation);
        dBodySetMass(body, &mass);
        dGeomSetBody(geom, body);
        scene.bodies.push_back(body);
    }
    dWorldSetQuickStepNumIterations(scene.world, 20);
    for (auto _ : state) {
        for (int half = 0; half < 2; ++half) {
            dSpaceCollide(scene.space, &scene, &BareNearCallback);
            dWorldQuickStep(scene.world, static_cast<float>(kHalfStep));
            dJointGroupEmpty(scene.contacts);
            for (dBodyID body : scene.bodies) {
                const dReal* p = dBodyGetPosition(body);
                dBodySetPosition(body, p[0], p[1], 0.0);
                const dReal* q = dBodyGetQuaternion(body);
                const dReal norm = std::sqrt(q[0] * q[0] + q[3] * q[3]);
                const dQuaternion flat = {q[0] / norm, 0.0, 0.0, q[3] / norm};
                dBodySetQuaternion(body, flat);
                dBodySetAngularVel(body, 0.0, 0.0, dBodyGetAngularVel(body)[2]);
            }
        }
    }
    state.counters["bodies"] = static_cast<double>(state.range(0));
    double height = 0.0;
    for (dBodyID body : scene.bodies)
        height += dBodyGetPosition(body)[1];
    state.counters["mean_y"] = height / static_cast<double>(state.range(0));
    dJointGroupDestroy(scene.contacts);
    dSpaceDestroy(scene.space);
    dWorldDestroy(scene.world);
    dCloseODE();
}

void BM_BareOdeFixedStep(benchmark::State& state) {
    BareFixedStep(state, false);
}

void BM_BareOdeHeldShapesFixedStep(benchmark::State& state) {
    BareFixedStep(state, true);
}

#define PHYSICS_SCENES(bm) \
    BENCHMARK(bm)->Arg(50)->Arg(200)->Arg(500)->Iterations(kFixedSteps)->Unit(benchmark::kMicrosecond)

PHYSICS_SCENES(BM_LayerFixedStep);
PHYSICS_SCENES(BM_BareOdeFixedStep);
PHYSICS_SCENES(BM_BareOdeHeldShapesFixedStep);

}  // namespace
