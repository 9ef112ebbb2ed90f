#include "host/sdk/quat.h"

#include <algorithm>
#include <cmath>

#include "host/sdk/matrix3.h"

Quat::Quat(const Matrix3& mat) {
  // Normalised axis rows in double, so that a scaled matrix still yields its rotation.
  double r[3][3];
  for (int i = 0; i < 3; ++i) {
    const double a = mat.m[i][0], b = mat.m[i][1], c = mat.m[i][2];
    const double len = std::sqrt(a * a + b * b + c * c);
    const double inv = len == 0.0 ? 0.0 : 1.0 / len;
    r[i][0] = a * inv;
    r[i][1] = b * inv;
    r[i][2] = c * inv;
  }
  // Row-vector matrix: r is the transpose of the column-vector rotation. Pick the largest of
  // w², x², y², z² to divide by, so that the division is never by a small number.
  const double tr = r[0][0] + r[1][1] + r[2][2];
  double qx, qy, qz, qw;
  if (tr > 0.0) {
    const double s = 2.0 * std::sqrt(1.0 + tr);  // 4w
    qw = 0.25 * s;
    qx = (r[1][2] - r[2][1]) / s;
    qy = (r[2][0] - r[0][2]) / s;
    qz = (r[0][1] - r[1][0]) / s;
  } else if (r[0][0] >= r[1][1] && r[0][0] >= r[2][2]) {
    const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + r[0][0] - r[1][1] - r[2][2]));  // 4x
    qx = 0.25 * s;
    qw = (r[1][2] - r[2][1]) / s;
    qy = (r[0][1] + r[1][0]) / s;
    qz = (r[2][0] + r[0][2]) / s;
  } else if (r[1][1] >= r[2][2]) {
    const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + r[1][1] - r[0][0] - r[2][2]));  // 4y
    qy = 0.25 * s;
    qw = (r[2][0] - r[0][2]) / s;
    qx = (r[0][1] + r[1][0]) / s;
    qz = (r[1][2] + r[2][1]) / s;
  } else {
    const double s = 2.0 * std::sqrt(std::max(0.0, 1.0 + r[2][2] - r[0][0] - r[1][1]));  // 4z
    qz = 0.25 * s;
    qw = (r[0][1] - r[1][0]) / s;
    qx = (r[2][0] + r[0][2]) / s;
    qy = (r[1][2] + r[2][1]) / s;
  }
  const double len = std::sqrt(qx * qx + qy * qy + qz * qz + qw * qw);
  if (!(len > 0.0) || !std::isfinite(len)) return;  // no rotation to be read: identity
  x = static_cast<float>(qx / len);
  y = static_cast<float>(qy / len);
  z = static_cast<float>(qz / len);
  w = static_cast<float>(qw / len);
}

void Quat::MakeMatrix(Matrix3& mat) const {
  // Scaling by 2/|q|² makes the matrix a rotation even for a slightly denormalised q.
  const double qx = x, qy = y, qz = z, qw = w;
  const double n = qx * qx + qy * qy + qz * qz + qw * qw;
  if (n == 0.0) {
    mat.IdentityMatrix();
    return;
  }
  const double s = 2.0 / n;
  const double xx = qx * qx * s, yy = qy * qy * s, zz = qz * qz * s;
  const double xy = qx * qy * s, xz = qx * qz * s, yz = qy * qz * s;
  const double wx = qw * qx * s, wy = qw * qy * s, wz = qw * qz * s;
  // Transpose of the column-vector rotation matrix.
  mat = Matrix3(Point3(1.0 - yy - zz, xy + wz, xz - wy),
                Point3(xy - wz, 1.0 - xx - zz, yz + wx),
                Point3(xz + wy, yz - wx, 1.0 - xx - yy), Point3());
}

Quat Quat::Normalize() const {
  const double l = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y +
                             static_cast<double>(z) * z + static_cast<double>(w) * w);
  if (l == 0.0) return Quat();  // a zero quaternion encodes no rotation
  return {static_cast<float>(x / l), static_cast<float>(y / l), static_cast<float>(z / l),
          static_cast<float>(w / l)};
}

Quat Quat::operator*(const Quat& q) const {
  return {w * q.x + x * q.w + y * q.z - z * q.y,
          w * q.y - x * q.z + y * q.w + z * q.x,
          w * q.z + x * q.y - y * q.x + z * q.w,
          w * q.w - x * q.x - y * q.y - z * q.z};
}

Quat QFromAngAxis(float angle, const Point3& axis) {
  const double ax = axis.x, ay = axis.y, az = axis.z;
  const double len = std::sqrt(ax * ax + ay * ay + az * az);
  if (len == 0.0) return Quat();
  const double h = 0.5 * static_cast<double>(angle);
  const double s = std::sin(h) / len;
  return {static_cast<float>(ax * s), static_cast<float>(ay * s), static_cast<float>(az * s),
          static_cast<float>(std::cos(h))};
}

void AngAxisFromQ(const Quat& q, float* angle, Point3& axis) {
  // atan2 keeps small angles accurate; the angle is in [0, 2π] and QFromAngAxis(angle, axis)
  // gives q back. Without rotation the axis is +X.
  const double vx = q.x, vy = q.y, vz = q.z;
  const double vl = std::sqrt(vx * vx + vy * vy + vz * vz);
  const double a = 2.0 * std::atan2(vl, static_cast<double>(q.w));
  if (angle) *angle = static_cast<float>(a);
  if (vl == 0.0)
    axis = Point3(1.0f, 0.0f, 0.0f);
  else
    axis = Point3(vx / vl, vy / vl, vz / vl);
}

float QDot(const Quat& a, const Quat& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
