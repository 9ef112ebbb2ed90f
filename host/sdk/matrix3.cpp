#include "host/sdk/matrix3.h"

#include <cmath>

namespace {

bool IsZeroRow(const float r[3]) { return r[0] == 0.0f && r[1] == 0.0f && r[2] == 0.0f; }

bool IsIdentity3x3(const float m[4][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (m[i][j] != (i == j ? 1.0f : 0.0f)) return false;
  return true;
}

}  // namespace

Matrix3::Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& r3)
    : m{{r0.x, r0.y, r0.z}, {r1.x, r1.y, r1.z}, {r2.x, r2.y, r2.z}, {r3.x, r3.y, r3.z}} {
  ValidateFlags();
}

Matrix3::Matrix3(bool identity) {
  if (!identity) Zero();
}

void Matrix3::IdentityMatrix() { *this = Matrix3(); }

void Matrix3::Zero() {
  for (auto& row : m) row[0] = row[1] = row[2] = 0.0f;
  ValidateFlags();
}

bool Matrix3::IsIdentity() const {
  // Judged by the values: a caller may have written m[][] without touching the flags.
  return IsZeroRow(m[3]) && IsIdentity3x3(m);
}

void Matrix3::ValidateFlags() {
  flags &= ~MAT_IDENT;
  if (IsZeroRow(m[3])) flags |= POS_IDENT;
  if (IsIdentity3x3(m)) flags |= ROT_IDENT | SCL_IDENT;
}

void Matrix3::SetRow(int i, const Point3& p) {
  m[i][0] = p.x;
  m[i][1] = p.y;
  m[i][2] = p.z;
  ValidateFlags();
}

void Matrix3::SetTrans(const Point3& p) { SetRow(3, p); }

void Matrix3::NoTrans() { SetRow(3, Point3()); }

void Matrix3::NoRot() {
  // Keeps each axis' length on its own coordinate axis.
  for (int i = 0; i < 3; ++i) {
    const float len = GetRow(i).Length();
    for (int j = 0; j < 3; ++j) m[i][j] = i == j ? len : 0.0f;
  }
  ValidateFlags();
}

void Matrix3::NoScale() {
  for (int i = 0; i < 3; ++i) {
    const double x = m[i][0], y = m[i][1], z = m[i][2];
    const double len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0) continue;
    m[i][0] = static_cast<float>(x / len);
    m[i][1] = static_cast<float>(y / len);
    m[i][2] = static_cast<float>(z / len);
  }
  ValidateFlags();
}

void Matrix3::Orthogonalize() {
  // Gram-Schmidt in double; a row that collapses onto the previous ones gets a perpendicular
  // direction so that its length survives, and a zero row stays zero.
  double r[3][3], unit[3][3];
  double len[3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) r[i][j] = m[i][j];
    len[i] = std::sqrt(r[i][0] * r[i][0] + r[i][1] * r[i][1] + r[i][2] * r[i][2]);
  }
  auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  int units = 0;  // count of unit rows found so far, in unit[0..units-1]
  for (int i = 0; i < 3; ++i) {
    if (len[i] == 0.0) continue;
    double v[3] = {r[i][0], r[i][1], r[i][2]};
    for (int k = 0; k < units; ++k) {
      const double d = dot(v, unit[k]);
      for (int j = 0; j < 3; ++j) v[j] -= d * unit[k][j];
    }
    double vl = std::sqrt(dot(v, v));
    if (vl <= 1e-9 * len[i]) {
      if (units == 2) {
        v[0] = unit[0][1] * unit[1][2] - unit[0][2] * unit[1][1];
        v[1] = unit[0][2] * unit[1][0] - unit[0][0] * unit[1][2];
        v[2] = unit[0][0] * unit[1][1] - unit[0][1] * unit[1][0];
      } else {
        // Start from the coordinate axis least aligned with the first unit row.
        const double* u = unit[0];
        int a = 0;
        for (int j = 1; j < 3; ++j)
          if (std::fabs(u[j]) < std::fabs(u[a])) a = j;
        v[0] = v[1] = v[2] = 0.0;
        v[a] = 1.0;
        const double d = dot(v, u);
        for (int j = 0; j < 3; ++j) v[j] -= d * u[j];
      }
      vl = std::sqrt(dot(v, v));
    }
    for (int j = 0; j < 3; ++j) unit[units][j] = v[j] / vl;
    for (int j = 0; j < 3; ++j) m[i][j] = static_cast<float>(unit[units][j] * len[i]);
    ++units;
  }
  ValidateFlags();
}

void Matrix3::Translate(const Point3& p) {
  m[3][0] += p.x;
  m[3][1] += p.y;
  m[3][2] += p.z;
  ValidateFlags();
}

void Matrix3::Scale(const Point3& s, BOOL trans) {
  const int rows = trans ? 4 : 3;
  for (int i = 0; i < rows; ++i) {
    m[i][0] *= s.x;
    m[i][1] *= s.y;
    m[i][2] *= s.z;
  }
  ValidateFlags();
}

void Matrix3::RotateX(float angle) { *this = *this * RotateXMatrix(angle); }
void Matrix3::RotateY(float angle) { *this = *this * RotateYMatrix(angle); }
void Matrix3::RotateZ(float angle) { *this = *this * RotateZMatrix(angle); }

void Matrix3::PreTranslate(const Point3& p) { SetTrans(GetTrans() + VectorTransform(p)); }

Point3 Matrix3::PointTransform(const Point3& p) const {
  return VectorTransform(p) + GetTrans();
}

Point3 Matrix3::VectorTransform(const Point3& v) const {
  return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0],
          v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
          v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

float Matrix3::Determinant() const {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Matrix3 Matrix3::operator*(const Matrix3& b) const {
  Matrix3 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.m[i][j] = m[i][0] * b.m[0][j] + m[i][1] * b.m[1][j] + m[i][2] * b.m[2][j];
      if (i == 3) r.m[i][j] += b.m[3][j];
    }
  }
  r.ValidateFlags();
  return r;
}

bool Matrix3::operator==(const Matrix3& b) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j)
      if (m[i][j] != b.m[i][j]) return false;
  return true;
}

bool Matrix3::Equals(const Matrix3& b, float epsilon) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j)
      if (!(std::fabs(m[i][j] - b.m[i][j]) <= epsilon)) return false;
  return true;
}

Matrix3 Inverse(const Matrix3& a) {
  double s[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s[i][j] = a.m[i][j];
  // Cofactor matrix, transposed: adj[i][j] = cofactor(j, i).
  double adj[3][3];
  adj[0][0] = s[1][1] * s[2][2] - s[1][2] * s[2][1];
  adj[0][1] = s[0][2] * s[2][1] - s[0][1] * s[2][2];
  adj[0][2] = s[0][1] * s[1][2] - s[0][2] * s[1][1];
  adj[1][0] = s[1][2] * s[2][0] - s[1][0] * s[2][2];
  adj[1][1] = s[0][0] * s[2][2] - s[0][2] * s[2][0];
  adj[1][2] = s[0][2] * s[1][0] - s[0][0] * s[1][2];
  adj[2][0] = s[1][0] * s[2][1] - s[1][1] * s[2][0];
  adj[2][1] = s[0][1] * s[2][0] - s[0][0] * s[2][1];
  adj[2][2] = s[0][0] * s[1][1] - s[0][1] * s[1][0];
  const double det = s[0][0] * adj[0][0] + s[0][1] * adj[1][0] + s[0][2] * adj[2][0];
  // A singular matrix has no inverse; the identity keeps callers' results finite.
  if (det == 0.0 || !std::isfinite(det)) return Matrix3();
  Matrix3 r;
  double inv[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      inv[i][j] = adj[i][j] / det;
      r.m[i][j] = static_cast<float>(inv[i][j]);
    }
  // The translation undoes a's translation after the 3×3 inverse: t' = −t · inv.
  for (int j = 0; j < 3; ++j) {
    const double t = a.m[3][0] * inv[0][j] + a.m[3][1] * inv[1][j] + a.m[3][2] * inv[2][j];
    r.m[3][j] = static_cast<float>(-t);
  }
  r.ValidateFlags();
  return r;
}

Matrix3 TransMatrix(const Point3& p) {
  Matrix3 r;
  r.SetTrans(p);
  return r;
}

Matrix3 ScaleMatrix(const Point3& s) {
  Matrix3 r;
  r.Scale(s);
  return r;
}

// Right-handed rotations for row vectors: row i is the image of the i-th coordinate axis.
Matrix3 RotateXMatrix(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  return Matrix3(Point3(1.0f, 0.0f, 0.0f), Point3(0.0f, c, s), Point3(0.0f, -s, c), Point3());
}

Matrix3 RotateYMatrix(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  return Matrix3(Point3(c, 0.0f, -s), Point3(0.0f, 1.0f, 0.0f), Point3(s, 0.0f, c), Point3());
}

Matrix3 RotateZMatrix(float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  return Matrix3(Point3(c, s, 0.0f), Point3(-s, c, 0.0f), Point3(0.0f, 0.0f, 1.0f), Point3());
}

Matrix3 RotAngleAxisMatrix(const Point3& axis, float angle) {
  const double ax = axis.x, ay = axis.y, az = axis.z;
  const double len = std::sqrt(ax * ax + ay * ay + az * az);
  // No axis, no rotation (rather than the point reflection the formula would give at π).
  if (len == 0.0) return Matrix3();
  const double x = ax / len, y = ay / len, z = az / len;
  const double c = std::cos(static_cast<double>(angle)), s = std::sin(static_cast<double>(angle));
  const double t = 1.0 - c;
  // Transpose of the column-vector Rodrigues matrix c·I + s·[a]× + (1 − c)·a·aᵀ.
  Matrix3 r(Point3(t * x * x + c, t * x * y + s * z, t * x * z - s * y),
            Point3(t * x * y - s * z, t * y * y + c, t * y * z + s * x),
            Point3(t * x * z + s * y, t * y * z - s * x, t * z * z + c), Point3());
  return r;
}

void ApplyScaling(Matrix3& m, const ScaleValue& v) {
  Matrix3 frame, frameInv;
  v.q.MakeMatrix(frame);
  v.q.Conjugate().MakeMatrix(frameInv);
  // Into the frame's coordinates, scale there, back out.
  m = m * (frameInv * ScaleMatrix(v.s) * frame);
}
