#include "bench/PhysicsHeap.h"

#include <ode/ode.h>

#include <cmath>
#include <utility>
#include <vector>

#include "engine/core/Matrix.h"
#include "engine/graphics/Model.h"
#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsWorld.h"

namespace {

constexpr double kHalfStep = 0.005;
constexpr int kSolverIterations = 20;
constexpr float kFriction = 0.6f;
constexpr float kBounce = 0.2f;
constexpr int kStaticParts = 3;

// The well: 24 columns of falling bodies fit between the walls, and the walls rise above the
// top row of the largest heap, so nothing spills.
constexpr int kColumns = 24;
constexpr float kColumnSpacing = 0.5f;
constexpr float kRowSpacing = 0.45f;
constexpr float kStagger = 0.13f;  // per row, in a cycle of three
constexpr float kFirstColumnX = -0.5f * (kColumnSpacing * (kColumns - 1) + 2.0f * kStagger);
constexpr float kWallX = 6.4f;
constexpr float kWallHalfWidth = 0.2f;
constexpr float kWallHalfHeight = 20.0f;
constexpr float kLargestHalfExtent = 0.22f;
static_assert(-kFirstColumnX + kLargestHalfExtent < kWallX - kWallHalfWidth, "the columns fit between the walls");
static_assert(0.4f + kRowSpacing * ((CPhysicsHeap::kMaxBodies - 1) / kColumns) + kLargestHalfExtent <
                  2.0f * kWallHalfHeight - 0.5f,
              "the walls rise above the top row");

// Where the scene's parts are; the same numbers feed every kind of heap.
struct Part {
    bool bBox;
    float x, y, angle;   // angle counter-clockwise, as the engine's matrices turn
    float halfX, halfY;  // a box's half extents; halfX is a ball's radius
};

std::vector<Part> MakeScene(int bodies) {
    std::vector<Part> parts;
    parts.push_back({true, 0.0f, -0.5f, 0.0f, 10.0f, 0.5f});  // floor
    parts.push_back({true, -kWallX, kWallHalfHeight - 0.5f, 0.0f, kWallHalfWidth, kWallHalfHeight});
    parts.push_back({true, kWallX, kWallHalfHeight - 0.5f, 0.0f, kWallHalfWidth, kWallHalfHeight});
    // Rows staggered so that the heap does not stack up in neat columns. Nothing is turned:
    // the layer and bare ODE then start from bit-identical states and run the same heap.
    for (int i = 0; i < bodies; ++i) {
        const int row = i / kColumns;
        const float x = kFirstColumnX + kColumnSpacing * static_cast<float>(i % kColumns) +
                        kStagger * static_cast<float>(row % 3);
        const float y = 0.4f + kRowSpacing * static_cast<float>(row);
        if (i % 2 == 0)
            parts.push_back({false, x, y, 0.0f, 0.15f, 0.15f});
        else
            parts.push_back({true, x, y, 0.0f, i % 4 == 1 ? 0.18f : kLargestHalfExtent, i % 4 == 1 ? 0.18f : 0.08f});
    }
    return parts;
}

double Speed(dBodyID body) {
    const dReal* v = dBodyGetLinearVel(body);
    return std::sqrt(v[0] * v[0] + v[1] * v[1]);
}

int AcceptContact(PhysicsContactInfo*) {
    return 1;
}

class CLayerHeap : public CPhysicsHeap {
public:
    explicit CLayerHeap(int bodies) : m_World(&AcceptContact) {
        const std::vector<Part> parts = MakeScene(bodies);
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
            CPhysicsBody* body =
                m_World.AddBody(model.get(), nullptr, i < kStaticParts ? 1 : 0, &placement, -1, 0);
            body->m_fFriction = kFriction;
            body->m_fBounce = kBounce;
            m_Models.push_back(std::move(model));
        }
    }

    void FixedStep() override {
        m_World.Step(kHalfStep);
        m_World.Step(kHalfStep);
    }
    double MeanHeight() const override {
        return Mean([](dBodyID body) { return static_cast<double>(dBodyGetPosition(body)[1]); });
    }
    double MeanSpeed() const override { return Mean(&Speed); }

private:
    template <typename Measure>
    double Mean(Measure measure) const {
        double sum = 0.0;
        int count = 0;
        for (auto* node = m_World.m_pBodies->m_pHead; node; node = node->m_pNext) {
            if (!node->m_data->m_bStatic) {
                sum += measure(node->m_data->m_Body);
                ++count;
            }
        }
        return count ? sum / count : 0.0;
    }

    // Before the world, which refers to them.
    std::vector<std::unique_ptr<CModel>> m_Models;
    CPhysicsWorld m_World;
};

void BareNearCallback(void* data, dGeomID o1, dGeomID o2);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
dGeomID Held(dSpaceID space, dGeomID shape) {
    dGeomID holder = dCreateGeomTransform(space);
    dGeomTransformSetCleanup(holder, 1);
    dGeomTransformSetGeom(holder, shape);
    return holder;
}
#pragma GCC diagnostic pop

class CBareOdeHeap : public CPhysicsHeap {
public:
    CBareOdeHeap(int bodies, bool bHolders) {
        dInitODE2(0);
        // As the layer's world does: the quick-step solver's row shuffle starts from seed 0.
        dRandSetSeed(0);
        m_World = dWorldCreate();
        m_Space = dHashSpaceCreate(nullptr);
        m_Contacts = dJointGroupCreate(0);
        dWorldSetCFM(m_World, 1e-5);
        dWorldSetERP(m_World, 0.2);
        dWorldSetGravity(m_World, 0.0, -9.81f, 0.0);
        dWorldSetQuickStepNumIterations(m_World, kSolverIterations);
        const std::vector<Part> parts = MakeScene(bodies);
        for (size_t i = 0; i < parts.size(); ++i) {
            const Part& part = parts[i];
            const bool bStatic = i < kStaticParts;
            dMass mass;
            dGeomID shape;
            if (part.bBox) {
                shape = dCreateBox(bHolders ? nullptr : m_Space, 2.0 * part.halfX, 2.0 * part.halfY, 1.0);
                dMassSetBox(&mass, 1.0, 2.0 * part.halfX, 2.0 * part.halfY, 1.0);
            } else {
                shape = dCreateSphere(bHolders ? nullptr : m_Space, part.halfX);
                dMassSetSphere(&mass, 1.0, part.halfX);
            }
            dGeomID geom = bHolders ? Held(m_Space, shape) : shape;
            dMatrix3 rotation;
            dRFromAxisAndAngle(rotation, 0.0, 0.0, 1.0, part.angle);
            dGeomSetCategoryBits(geom, bStatic ? 0 : 1);
            if (bStatic) {
                dGeomSetPosition(shape, part.x, part.y, 0.0);
                dGeomSetRotation(shape, rotation);
                continue;
            }
            dBodyID body = dBodyCreate(m_World);
            dBodySetPosition(body, part.x, part.y, 0.0);
            dBodySetRotation(body, rotation);
            dBodySetMass(body, &mass);
            dGeomSetBody(geom, body);
            m_Bodies.push_back(body);
        }
    }
    ~CBareOdeHeap() override {
        dJointGroupDestroy(m_Contacts);
        dSpaceDestroy(m_Space);
        dWorldDestroy(m_World);
        dCloseODE();
    }
    CBareOdeHeap(const CBareOdeHeap&) = delete;
    CBareOdeHeap& operator=(const CBareOdeHeap&) = delete;

    void FixedStep() override {
        for (int half = 0; half < 2; ++half) {
            dSpaceCollide(m_Space, this, &BareNearCallback);
            dWorldQuickStep(m_World, static_cast<float>(kHalfStep));
            dJointGroupEmpty(m_Contacts);
            for (dBodyID body : m_Bodies) {
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
    double MeanHeight() const override {
        double sum = 0.0;
        for (dBodyID body : m_Bodies)
            sum += dBodyGetPosition(body)[1];
        return m_Bodies.empty() ? 0.0 : sum / static_cast<double>(m_Bodies.size());
    }
    double MeanSpeed() const override {
        double sum = 0.0;
        for (dBodyID body : m_Bodies)
            sum += Speed(body);
        return m_Bodies.empty() ? 0.0 : sum / static_cast<double>(m_Bodies.size());
    }

    // The near callback's pair: contacts go into the world's group.
    void Touch(dGeomID o1, dGeomID o2) {
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
            c.surface.mu = kFriction;
            c.surface.bounce = kBounce;
            c.surface.bounce_vel = 0.01;
        }
        const int count = dCollide(o1, o2, 4, &contact[0].geom, sizeof(dContact));
        for (int i = 0; i < count; ++i) {
            dJointID joint = dJointCreateContact(m_World, m_Contacts, &contact[i]);
            dJointAttach(joint, a, b);
        }
    }

private:
    dWorldID m_World;
    dSpaceID m_Space;
    dJointGroupID m_Contacts;
    std::vector<dBodyID> m_Bodies;  // the dynamic ones
};

void BareNearCallback(void* data, dGeomID o1, dGeomID o2) {
    static_cast<CBareOdeHeap*>(data)->Touch(o1, o2);
}

}  // namespace

std::unique_ptr<CPhysicsHeap> MakePhysicsHeap(EHeapKind kind, int bodies) {
    if (bodies < 1 || bodies > CPhysicsHeap::kMaxBodies)
        return nullptr;
    if (kind == EHeapKind::kLayer)
        return std::make_unique<CLayerHeap>(bodies);
    return std::make_unique<CBareOdeHeap>(bodies, kind == EHeapKind::kBareOdeHeld);
}
