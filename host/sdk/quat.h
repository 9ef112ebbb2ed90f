#pragma once
// Unit quaternions of the host. A quaternion q = (x, y, z, w) rotates a row vector by the
// right-handed rotation it encodes: axis (x, y, z) / sin(θ/2), angle θ, counter-clockwise when
// looking from the tip of the axis towards the origin.

#include "host/sdk/point3.h"

class Matrix3;

class Quat {
public:
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;

  constexpr Quat() = default;
  constexpr Quat(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}
  // The rotation part of a matrix (the axes are assumed orthogonal; they are normalised here).
  explicit Quat(const Matrix3& m);

  constexpr void Identity() { x = y = z = 0.0f; w = 1.0f; }
  constexpr bool IsIdentity() const { return x == 0.0f && y == 0.0f && z == 0.0f && w == 1.0f; }
  // The rotation matrix of this quaternion for row vectors (p' = p · M), translation zero.
  void MakeMatrix(Matrix3& m) const;
  Quat Conjugate() const { return {-x, -y, -z, w}; }
  // Unit length; the zero quaternion becomes the identity.
  Quat Normalize() const;
  // Hamilton product: (*this · q) applies q first, then *this.
  Quat operator*(const Quat& q) const;
  constexpr bool operator==(const Quat&) const = default;
};

// Right-handed rotation by angle (radians) about axis (need not be unit; zero gives identity).
Quat QFromAngAxis(float angle, const Point3& axis);
// The inverse of QFromAngAxis: angle in [0, 2π], unit axis; +X when there is no rotation.
void AngAxisFromQ(const Quat& q, float* angle, Point3& axis);
float QDot(const Quat& a, const Quat& b);
