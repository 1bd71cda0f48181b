#include "game/machines/GeomTransform_local.h"

// Geom transforms are ODE's older way to offset shapes on a body; they still work and are
// what the compound bodies are built from.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace physics {

dGeomID CreateShapeHolder(dSpaceID space, dGeomID shape) {
    dGeomID holder = dCreateGeomTransform(space);
    dGeomTransformSetCleanup(holder, 1);
    dGeomTransformSetGeom(holder, shape);
    return holder;
}

}  // namespace physics

#pragma GCC diagnostic pop
