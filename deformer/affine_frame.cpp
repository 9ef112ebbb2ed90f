#include "deformer/affine_frame.h"

#include <algorithm>
#include <cmath>

AffineFrame IdentityFrame() { return AffineFrame{}; }

AffineFrame Multiply(const AffineFrame& a, const AffineFrame& b) {
  AffineFrame r;
  for (int row = 0; row < 3; ++row) {
    for (int c = 0; c < 3; ++c) r.m[row][c] = a.m[row][0] * b.m[0][c] + a.m[row][1] * b.m[1][c] + a.m[row][2] * b.m[2][c];
    r.m[row][3] = a.m[row][0] * b.m[0][3] + a.m[row][1] * b.m[1][3] + a.m[row][2] * b.m[2][3] + a.m[row][3];
  }
  return r;
}

AffineFrame RigidInverse(const AffineFrame& f) {
  AffineFrame r;
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < 3; ++c) r.m[row][c] = f.m[c][row];
  for (int row = 0; row < 3; ++row)
    r.m[row][3] = -(r.m[row][0] * f.m[0][3] + r.m[row][1] * f.m[1][3] + r.m[row][2] * f.m[2][3]);
  return r;
}

AffineFrame FrameFromMatrix(const Matrix3& m) {
  AffineFrame f;
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 3; ++row) f.m[row][c] = m.m[c][row];
  return f;
}

Matrix3 MatrixFromFrame(const AffineFrame& f) {
  Matrix3 m;
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 3; ++row) m.m[c][row] = f.m[row][c];
  m.ValidateFlags();
  return m;
}

AffineFrame ScaleAxes(const AffineFrame& f, const Point3& s) {
  AffineFrame r = f;
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < 3; ++c) r.m[row][c] *= s[c];
  return r;
}

Point3 GetAxis(const AffineFrame& f, int c) { return {f.m[0][c], f.m[1][c], f.m[2][c]}; }

void SetAxis(AffineFrame& f, int c, const Point3& axis) {
  for (int row = 0; row < 3; ++row) f.m[row][c] = axis[row];
}

Point3 GetOrigin(const AffineFrame& f) { return GetAxis(f, 3); }
void SetOrigin(AffineFrame& f, const Point3& origin) { SetAxis(f, 3, origin); }

AffineFrame FrameFromAxes(const Point3& xAxis, const Point3& zAxis, const Point3& origin) {
  AffineFrame f;
  SetAxis(f, 0, xAxis);
  SetAxis(f, 1, zAxis ^ xAxis);
  SetAxis(f, 2, zAxis);
  SetOrigin(f, origin);
  return f;
}

Point3 ToLocal(const AffineFrame& f, const Point3& p) { return Transform(RigidInverse(f), p); }

double RadialDistance(const BoneShape& s, const Point3& p, float strength) {
  return RadialDistanceOfLocal(s, ToLocal(s.frame, p), StrengthTerm(s, strength));
}
