#include "deformer/blend_bone.h"

#include <cmath>

void QuatFromColumnMatrix(const float a[3][3], float q[4]) {
  const float trace = a[0][0] + a[1][1] + a[2][2];
  if (trace > 0.0f) {
    const float s = 2.0f * std::sqrt(trace + 1.0f);
    q[0] = s / 4.0f;
    q[1] = (a[2][1] - a[1][2]) / s;
    q[2] = (a[0][2] - a[2][0]) / s;
    q[3] = (a[1][0] - a[0][1]) / s;
  } else if (a[0][0] > a[1][1] && a[0][0] > a[2][2]) {
    const float s = 2.0f * std::sqrt(1.0f + a[0][0] - a[1][1] - a[2][2]);
    q[0] = (a[2][1] - a[1][2]) / s;
    q[1] = s / 4.0f;
    q[2] = (a[0][1] + a[1][0]) / s;
    q[3] = (a[0][2] + a[2][0]) / s;
  } else if (a[1][1] > a[2][2]) {
    const float s = 2.0f * std::sqrt(1.0f + a[1][1] - a[0][0] - a[2][2]);
    q[0] = (a[0][2] - a[2][0]) / s;
    q[1] = (a[0][1] + a[1][0]) / s;
    q[2] = s / 4.0f;
    q[3] = (a[1][2] + a[2][1]) / s;
  } else {
    const float s = 2.0f * std::sqrt(1.0f + a[2][2] - a[0][0] - a[1][1]);
    q[0] = (a[1][0] - a[0][1]) / s;
    q[1] = (a[0][2] + a[2][0]) / s;
    q[2] = (a[1][2] + a[2][1]) / s;
    q[3] = s / 4.0f;
  }
}

BlendBone PrepareBlendBone(const AffineFrame& current, const AffineFrame& bind, bool dual) {
  BlendBone bone;
  bone.skin = Multiply(current, bind);
  if (!dual) return bone;

  // The rigid part: each axis column divided by its length (a zero column stays as it is).
  const auto& m = bone.skin.m;
  float a[3][3];
  for (int c = 0; c < 3; ++c) {
    const float length = std::sqrt(m[0][c] * m[0][c] + m[1][c] * m[1][c] + m[2][c] * m[2][c]);
    bone.scale[c] = length;
    for (int r = 0; r < 3; ++r) a[r][c] = length != 0.0f ? m[r][c] / length : m[r][c];
  }
  float* q = bone.real;
  QuatFromColumnMatrix(a, q);

  // dual = ½ · (0, t) ⊗ q
  const float t0 = m[0][3], t1 = m[1][3], t2 = m[2][3];
  bone.dual[0] = -0.5f * (t0 * q[1] + t1 * q[2] + t2 * q[3]);
  bone.dual[1] = 0.5f * (t0 * q[0] + t1 * q[3] - t2 * q[2]);
  bone.dual[2] = 0.5f * (t1 * q[0] + t2 * q[1] - t0 * q[3]);
  bone.dual[3] = 0.5f * (t2 * q[0] + t0 * q[2] - t1 * q[1]);
  return bone;
}
