#pragma once
// Plain double-precision glTF maths for tests and test data: column-vector 4x4 matrices stored
// column-major (as glTF stores them), unit quaternions (x, y, z, w) and TRS composition. Kept
// apart from the importer on purpose, so that tests check it against an independent evaluation.

#include <array>
#include <cmath>

namespace gltf_math {

using Vec3 = std::array<double, 3>;
using Vec4 = std::array<double, 4>;  // quaternions: x, y, z, w
using Mat4 = std::array<double, 16>;  // column-major: element (row r, column c) at c * 4 + r

inline Mat4 Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

inline Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 m{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double s = 0.0;
      for (int k = 0; k < 4; ++k) s += a[k * 4 + r] * b[c * 4 + k];
      m[c * 4 + r] = s;
    }
  return m;
}

inline Vec3 TransformPoint(const Mat4& m, const Vec3& p) {
  Vec3 out{};
  for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
  return out;
}

// Rotation matrix of a unit quaternion.
inline Mat4 FromQuat(const Vec4& q) {
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  Mat4 m = Identity();
  m[0] = 1 - 2 * (y * y + z * z);
  m[1] = 2 * (x * y + z * w);
  m[2] = 2 * (x * z - y * w);
  m[4] = 2 * (x * y - z * w);
  m[5] = 1 - 2 * (x * x + z * z);
  m[6] = 2 * (y * z + x * w);
  m[8] = 2 * (x * z + y * w);
  m[9] = 2 * (y * z - x * w);
  m[10] = 1 - 2 * (x * x + y * y);
  return m;
}

// T * R * S, the glTF node transform.
inline Mat4 Compose(const Vec3& t, const Vec4& r, const Vec3& s) {
  Mat4 m = FromQuat(r);
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 3; ++k) m[c * 4 + k] *= s[c];
  m[12] = t[0];
  m[13] = t[1];
  m[14] = t[2];
  return m;
}

// General inverse of an affine matrix (last row 0 0 0 1).
inline Mat4 InverseAffine(const Mat4& m) {
  const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
  const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  const double inv = 1.0 / det;
  Mat4 r = Identity();
  r[0] = (e * i - f * h) * inv;
  r[4] = (c * h - b * i) * inv;
  r[8] = (b * f - c * e) * inv;
  r[1] = (f * g - d * i) * inv;
  r[5] = (a * i - c * g) * inv;
  r[9] = (c * d - a * f) * inv;
  r[2] = (d * h - e * g) * inv;
  r[6] = (b * g - a * h) * inv;
  r[10] = (a * e - b * d) * inv;
  for (int row = 0; row < 3; ++row)
    r[12 + row] = -(r[row] * m[12] + r[4 + row] * m[13] + r[8 + row] * m[14]);
  return r;
}

inline Vec4 AxisAngle(const Vec3& axis, double degrees) {
  const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const double h = degrees * 3.14159265358979323846 / 360.0;
  const double s = std::sin(h) / len;
  return {axis[0] * s, axis[1] * s, axis[2] * s, std::cos(h)};
}

inline Vec4 QuatMultiply(const Vec4& a, const Vec4& b) {
  return {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1], a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
          a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3], a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

inline Vec4 Normalized(const Vec4& q) {
  const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  return {q[0] / n, q[1] / n, q[2] / n, q[3] / n};
}

// Spherical interpolation along the shorter arc, as glTF prescribes for LINEAR rotations.
inline Vec4 Slerp(const Vec4& a, Vec4 b, double s) {
  double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  if (dot < 0.0) {
    dot = -dot;
    for (double& v : b) v = -v;
  }
  if (dot > 0.9999999) {
    Vec4 q{};
    for (int i = 0; i < 4; ++i) q[i] = a[i] + (b[i] - a[i]) * s;
    return Normalized(q);
  }
  const double theta = std::acos(dot), sn = std::sin(theta);
  const double wa = std::sin((1.0 - s) * theta) / sn, wb = std::sin(s * theta) / sn;
  return {wa * a[0] + wb * b[0], wa * a[1] + wb * b[1], wa * a[2] + wb * b[2], wa * a[3] + wb * b[3]};
}

}  // namespace gltf_math
