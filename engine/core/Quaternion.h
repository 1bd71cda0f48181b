// A rotation as a unit quaternion (x, y, z, w).
#pragma once

struct CQuaternion {
    float x;
    float y;
    float z;
    float w;
};
