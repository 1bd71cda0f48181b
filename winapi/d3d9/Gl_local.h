// OpenGL for the layer's Direct3D 9 device: the compatibility profile's entry points, linked
// from the system's GL library.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
