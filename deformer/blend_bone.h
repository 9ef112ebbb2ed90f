#pragma once
// Per-bone data of one blend, prepared once per evaluation: the skin transform that carries a
// point from the bone's attachment ellipsoid to its current one and, for dual-quaternion blending,
// its axis scales and the dual quaternion of its rigid part.

#include "deformer/affine_frame.h"

struct BlendBone {
  AffineFrame skin;  // current frame · bind frame (the bind frame applies first)
  // Filled only for dual-quaternion blending.
  Point3 scale{1.0f, 1.0f, 1.0f};         // lengths of skin's three axis columns
  float real[4] = {1.0f, 0.0f, 0.0f, 0.0f};  // w, x, y, z
  float dual[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // w, x, y, z
};

// skin = current · bind; with dual set also the scales and the dual quaternion.
BlendBone PrepareBlendBone(const AffineFrame& current, const AffineFrame& bind, bool dual);

// The rotation quaternion (w, x, y, z) of a 3×3 matrix a acting on column vectors (v' = a·v),
// a[r][c] row-major. Meant for rotations; other matrices give a quaternion of another length.
void QuatFromColumnMatrix(const float a[3][3], float q[4]);

// Carries s by the rigid motion of the unit dual quaternion (real, dual): rotation, then
// translation. Inline: the blend calls it for every vertex.
inline Point3 DualQuatTransform(const float real[4], const float dual[4], const Point3& s) {
  const float rw = real[0], dw = dual[0];
  const Point3 rv(real[1], real[2], real[3]);
  const Point3 dv(dual[1], dual[2], dual[3]);
  const Point3 c = (rv ^ s) + rw * s;
  return s + 2.0f * (rv ^ c) + 2.0f * (rw * dv - dw * rv + (rv ^ dv));
}
