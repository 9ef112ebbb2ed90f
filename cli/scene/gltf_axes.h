#pragma once
// glTF is y-up, the host z-up: a glTF point (x, y, z) is the host point (x, -z, y). The mapping is
// a proper rotation, so rotations keep their angle and turn their axis the same way; the .glb
// writer maps back with its exact inverse.

#include "host/sdk/matrix3.h"

inline Point3 HostPoint(double x, double y, double z) { return Point3(float(x), float(-z), float(y)); }
inline Quat HostQuat(double x, double y, double z, double w) {
  return Quat(float(x), float(-z), float(y), float(w)).Normalize();
}
// Scale factors along the node's own axes: the host's y axis is glTF's z axis and the other way.
inline Point3 HostScale(double x, double y, double z) { return Point3(float(x), float(z), float(y)); }
// A glTF matrix (16 numbers, column-major, column vectors) as a host matrix (row vectors).
Matrix3 HostMatrix(const double* m);
