// The quaternion helpers of the camera, billboards and particles.
#pragma once

#include "engine/core/Matrix.h"
#include "engine/core/Quaternion.h"

// Rows (1 - 2(y² + z²), 2(xy - wz), 2(wy + xz), 0), (2(wz + xy), 1 - 2(z² + x²), 2(zy - wx), 0),
// (2(zx - wy), 2(zy + wx), 1 - 2(y² + x²), 0), (0, 0, 0, 1): the transpose of
// CMatrix::SetFromQuaternion, so it turns by the opposite rotation. Billboards and the camera
// rely on exactly this pair.
CMatrix* QuaternionToMatrix(CMatrix* out, const CQuaternion& q);

// out = q1 x q2, the Hamilton product.
CQuaternion* QuaternionMultiply(const CQuaternion& q1, CQuaternion* out, const CQuaternion& q2);

// The turn by `angle` radians about `axis` (normalised here): (sin(angle/2) axis, cos(angle/2)).
CQuaternion* QuaternionFromAxisAngle(CQuaternion* out, const CVector3* axis, float angle);
