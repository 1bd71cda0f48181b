// Building a body's shapes from its model's bounding spheres and boxes.
#include <cmath>
#include <cstdlib>

#include "engine/core/OutOfMemory.h"
#include "engine/graphics/Model.h"
#include "game/machines/GeomTransform_local.h"
#include "game/machines/PhysicsBody.h"
#include "game/machines/PhysicsMath_local.h"
#include "game/machines/PhysicsWorld.h"

namespace {

// Every box is this deep in z: the machines lie in the board plane.
constexpr dReal kBoxDepth = 1.0;

dGeomID* AllocateGeoms(uint32_t count) {
    const size_t bytes = sizeof(dGeomID) * count;
    auto* geoms = static_cast<dGeomID*>(calloc(count, sizeof(dGeomID)));
    if (!geoms)
        OutOfMemory(bytes);
    return geoms;
}

bool IsUsableMass(const dMass& mass) {
    if (!(mass.mass > 0.0) || !std::isfinite(mass.mass))
        return false;
    for (int i = 0; i < 12; ++i) {
        if (!std::isfinite(mass.I[i]))
            return false;
    }
    return mass.I[0] > 0.0 && mass.I[5] > 0.0 && mass.I[10] > 0.0;
}

// A model box placed by the matrix, reduced to what a board-plane box needs.
struct PlacedBox {
    CVector3 centre;
    float halfX;
    float halfY;
    float angle;  // of its turned second axis
};

// False for a box that has no area in the plane or does not place to finite numbers.
bool PlaceBox(const COrientedBox& box, const CMatrix& matrix, PlacedBox* out) {
    matrix.TransformPoint(&out->centre, box.vCentre);
    CVector3 axis0;
    CVector3 axis1;
    matrix.TransformVector(&axis0, box.vAxes[0]);
    matrix.TransformVector(&axis1, box.vAxes[1]);
    out->halfX = box.vHalfExtents.x * axis0.Length();
    out->halfY = box.vHalfExtents.y * axis1.Length();
    out->angle = physics::AngleOfYAxis(axis1.x, axis1.y, axis1.z);
    return physics::IsFinite(out->centre) && std::isfinite(out->halfX) && std::isfinite(out->halfY) &&
           out->halfX > 0.0f && out->halfY > 0.0f;
}

}  // namespace

void CPhysicsBody::Build(CModel* model, void* owner, int bStatic, const CMatrix* transform, dWorldID world,
                         dSpaceID space, int category) {
    // Built twice, the body starts over rather than leaking its first ODE parts.
    ReleaseOde();
    m_pModel = model;
    m_pOwner = owner;
    m_bStatic = bStatic;
    m_mTransform = transform ? *transform : CMatrix::Identity();
    m_World = world;
    m_Space = space;
    m_nCategory = category;
    if (!world)
        return;
    m_Body = dBodyCreate(world);
    BuildShapes();
}

void CPhysicsBody::Rebuild(int bStatic, const CMatrix* transform) {
    if (!m_Body || (m_pWorld && m_pWorld->m_bStepping))
        return;
    DestroyShapes();
    m_bStatic = bStatic;
    if (transform)
        m_mTransform = *transform;
    if (m_pWorld)
        m_pWorld->UpdateActive();
    BuildShapes();
}

void CPhysicsBody::SetDensity(float density) {
    if (!m_Body || (m_pWorld && m_pWorld->m_bStepping) || !(density > 0.0f) || !std::isfinite(density))
        return;
    DestroyShapes();
    m_fDensity = density;
    BuildShapes();
}

void CPhysicsBody::BuildShapes() {
    const CMatrix& m = m_mTransform;
    CVector3 centre;
    CVector3 yImage;
    m.TransformPoint(&centre, CVector3(0.0f, 0.0f, 0.0f));
    m.TransformPoint(&yImage, CVector3(0.0f, 1.0f, 0.0f));
    // A placement that is not finite would hand ODE a position it cannot use: such a body
    // gets no shapes and stays where ODE made it.
    if (!physics::IsFinite(centre) || !physics::IsFinite(yImage)) {
        dBodyDisable(m_Body);
        return;
    }
    // Measured over the axis's whole length, as GetAngleZ measures it, so that a placement
    // tilted out of the board plane turns the body by its tilt too.
    const float theta = physics::AngleOfYAxis(yImage.x - centre.x, yImage.y - centre.y, yImage.z - centre.z);
    dMatrix3 rotation;
    physics::RotationAboutZ(rotation, theta);
    const bool dynamic = !m_bStatic;
    const dReal cosTheta = rotation[0];
    const dReal sinTheta = rotation[1];

    // The offset of a world point on the body: in the body's own frame for a dynamic body
    // (turned back by its rotation), the point itself for static scenery whose holders stay
    // at the origin.
    auto place = [&](dGeomID shape, const CVector3& point) {
        if (!dynamic) {
            dGeomSetPosition(shape, point.x, point.y, 0.0);
            return;
        }
        const dReal dx = static_cast<dReal>(point.x) - centre.x;
        const dReal dy = static_cast<dReal>(point.y) - centre.y;
        dGeomSetPosition(shape, cosTheta * dx - sinTheta * dy, sinTheta * dx + cosTheta * dy, 0.0);
    };

    const uint32_t spheres = m_pModel ? m_pModel->m_nSpheres : 0;
    const uint32_t boxes = m_pModel ? m_pModel->m_nBoxes : 0;
    const uint32_t capacity = spheres + boxes;
    dMass total;
    dMassSetZero(&total);
    const bool densityUsable = m_fDensity > 0.0f && std::isfinite(m_fDensity);
    if (capacity > 0 && densityUsable) {
        m_pGeoms = AllocateGeoms(capacity);
        m_pTransforms = AllocateGeoms(capacity);
    }
    if (densityUsable && spheres > 0 && m_pModel->m_pSpheres) {
        CVector3 unitX;
        m.TransformVector(&unitX, CVector3(1.0f, 0.0f, 0.0f));
        const float scale = unitX.Length();
        for (uint32_t i = 0; i < spheres; ++i) {
            const CModelSphere& sphere = m_pModel->m_pSpheres[i];
            CVector3 worldCentre;
            m.TransformPoint(&worldCentre, sphere.vCentre);
            const float radius = sphere.fRadius * scale;
            // A sphere without size has no mass and would only upset ODE's checks.
            if (!physics::IsFinite(worldCentre) || !(radius > 0.0f) || !std::isfinite(radius))
                continue;
            dMass mass;
            dMassSetSphere(&mass, m_fDensity, radius);
            dMassAdd(&total, &mass);
            dGeomID shape = dCreateSphere(nullptr, radius);
            m_pGeoms[m_nGeoms] = shape;
            m_pTransforms[m_nGeoms] = physics::CreateShapeHolder(m_Space, shape);
            ++m_nGeoms;
            place(shape, worldCentre);
        }
    }
    if (densityUsable && boxes > 0 && m_pModel->m_pBoxes) {
        for (uint32_t i = 0; i < boxes; ++i) {
            PlacedBox box;
            if (!PlaceBox(m_pModel->m_pBoxes[i], m, &box))
                continue;
            const dReal lengthX = 2.0 * box.halfX;
            const dReal lengthY = 2.0 * box.halfY;
            dMass mass;
            dMassSetBox(&mass, m_fDensity, lengthX, lengthY, kBoxDepth);
            dMassAdd(&total, &mass);
            dGeomID shape = dCreateBox(nullptr, lengthX, lengthY, kBoxDepth);
            m_pGeoms[m_nGeoms] = shape;
            m_pTransforms[m_nGeoms] = physics::CreateShapeHolder(m_Space, shape);
            ++m_nGeoms;
            place(shape, box.centre);
            dMatrix3 boxRotation;
            physics::RotationAboutZ(boxRotation, dynamic ? box.angle - theta : box.angle);
            dGeomSetRotation(shape, boxRotation);
        }
    }
    // Shapes too large for a finite mass go again: ODE refuses such a mass.
    if (m_nGeoms == 0 || !IsUsableMass(total))
        DestroyShapes();

    for (uint32_t i = 0; i < m_nGeoms; ++i)
        dGeomSetData(m_pTransforms[i], this);
    dBodySetPosition(m_Body, centre.x, centre.y, 0.0);
    dBodySetRotation(m_Body, rotation);
    if (m_nGeoms > 0)
        dBodySetMass(m_Body, &total);
    const unsigned long category =
        m_nCategory == -1 ? (m_bStatic ? 0ul : 1ul) : static_cast<unsigned long>(static_cast<unsigned>(m_nCategory));
    for (uint32_t i = 0; i < m_nGeoms; ++i) {
        dGeomSetBody(m_pTransforms[i], m_bStatic ? nullptr : m_Body);
        dGeomSetCategoryBits(m_pTransforms[i], category);
    }
    // A dynamic body without shapes is left out of the simulation too, so that it does not
    // fall forever with ODE's default mass.
    if (m_bStatic || m_nGeoms == 0)
        dBodyDisable(m_Body);
    else
        dBodyEnable(m_Body);
}

void CPhysicsBody::DestroyShapes() {
    // Destroying a holder destroys the shape it holds.
    for (uint32_t i = 0; i < m_nGeoms; ++i)
        dGeomDestroy(m_pTransforms[i]);
    free(m_pGeoms);
    free(m_pTransforms);
    m_pGeoms = nullptr;
    m_pTransforms = nullptr;
    m_nGeoms = 0;
}

void CPhysicsBody::ReleaseOde() {
    DestroyShapes();
    if (m_PinJoint)
        dJointDestroy(m_PinJoint);
    m_PinJoint = nullptr;
    if (m_Body)
        dBodyDestroy(m_Body);
    m_Body = nullptr;
    m_World = nullptr;
    m_Space = nullptr;
}
