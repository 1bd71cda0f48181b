// ODE's geom transforms hold the shapes of a compound body. ODE marks them deprecated, so
// their calls are kept in one file that silences that warning alone.
#pragma once

#include <ode/ode.h>

namespace physics {

// A transform in the space holding the shape (which must be in no space); destroying the
// transform destroys the shape with it.
dGeomID CreateShapeHolder(dSpaceID space, dGeomID shape);

}  // namespace physics
