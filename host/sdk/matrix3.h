#pragma once
// Affine 4×3 matrix of the host: rows 0..2 are the axes, row 3 the translation. A point is a row
// vector, p' = p · M; A * B applies A first, then B. The flags word marks identity parts.

#include "host/sdk/point3.h"
#include "host/sdk/quat.h"
#include "host/sdk/windefs.h"

inline constexpr DWORD POS_IDENT = 1;
inline constexpr DWORD ROT_IDENT = 2;
inline constexpr DWORD SCL_IDENT = 4;
inline constexpr DWORD MAT_IDENT = POS_IDENT | ROT_IDENT | SCL_IDENT;

class Matrix3 {
public:
  float m[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
  DWORD flags = MAT_IDENT;

  Matrix3() = default;
  // A matrix from its four rows; the flags are derived from the values.
  Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& r3);
  // Matrix3(true) is the identity, Matrix3(false) all zeros (kept for host-style call sites).
  explicit Matrix3(bool identity);

  void IdentityMatrix();
  void Zero();
  // Exact comparison of the values with the identity (the flags are not trusted).
  bool IsIdentity() const;
  // Recomputes the flags from the values.
  void ValidateFlags();
  DWORD GetIdentFlags() const { return flags; }
  void SetIdentFlags(DWORD f) { flags = f; }
  void ClearIdentFlag(DWORD f) { flags &= ~f; }

  Point3 GetRow(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
  void SetRow(int i, const Point3& p);
  Point3 GetTrans() const { return GetRow(3); }
  void SetTrans(const Point3& p);
  void NoTrans();
  // Replaces the axes by the coordinate axes, each keeping its length.
  void NoRot();
  // Normalises each axis row; a zero row stays zero.
  void NoScale();
  // Gram-Schmidt on the three axis rows, keeping each row's length. A row that lies in the span
  // of the rows before it is given a perpendicular direction; a zero row stays zero.
  void Orthogonalize();

  // Post-multiplies by a translation / scale / rotation (the new transform is applied last).
  // Every operation that changes values recomputes the flags.
  void Translate(const Point3& p);
  // Scales the axis rows; the translation row too only when trans is TRUE.
  void Scale(const Point3& s, BOOL trans = FALSE);
  void RotateX(float angle);
  void RotateY(float angle);
  void RotateZ(float angle);
  // Pre-multiplies by a translation (applied first).
  void PreTranslate(const Point3& p);

  Point3 PointTransform(const Point3& p) const;
  Point3 VectorTransform(const Point3& v) const;
  // The 3×3 part's determinant.
  float Determinant() const;

  Matrix3 operator*(const Matrix3& b) const;
  Matrix3& operator*=(const Matrix3& b) { return *this = *this * b; }
  bool operator==(const Matrix3& b) const;
  bool Equals(const Matrix3& b, float epsilon = 1e-6f) const;
};

inline Point3 operator*(const Point3& p, const Matrix3& a) { return a.PointTransform(p); }
inline Point3 VectorTransform(const Matrix3& a, const Point3& v) { return a.VectorTransform(v); }

// The inverse of the affine matrix a; the identity when a's 3×3 part is singular.
Matrix3 Inverse(const Matrix3& a);
Matrix3 TransMatrix(const Point3& p);
Matrix3 ScaleMatrix(const Point3& s);
Matrix3 RotateXMatrix(float angle);
Matrix3 RotateYMatrix(float angle);
Matrix3 RotateZMatrix(float angle);
// Right-handed rotation by angle (radians) about axis, for row vectors: the axis is kept, and a
// vector perpendicular to it turns counter-clockwise as seen from the axis tip. So for unit a, b
// with axis = a × b and angle = acos(a · b), a · R = b. A zero axis gives the identity.
Matrix3 RotAngleAxisMatrix(const Point3& axis, float angle);

// A scale along the axes of a rotated frame: q is the frame, s the factors.
struct ScaleValue {
  Point3 s{1.0f, 1.0f, 1.0f};
  Quat q;
  ScaleValue() = default;
  ScaleValue(const Point3& as, const Quat& aq) : s(as), q(aq) {}
};

// Post-multiplies m by the scaling v: a scale by v.s along the axes of the rotation v.q,
// m = m · (R⁻¹ · S(v.s) · R) with R = v.q's matrix.
void ApplyScaling(Matrix3& m, const ScaleValue& v);

// Decomposition of an affine matrix for row vectors, applied left to right:
//   A = U⁻¹ · diag(k) · U · (f·I) · Q · T(t)
// with U = u.MakeMatrix(), Q = q.MakeMatrix(), T(t) = TransMatrix(t); k ≥ 0, f = ±1. So
// ApplyScaling(I, ScaleValue(k · f, u)) · Q · T(t) rebuilds A. For ScaleMatrix(s) · rotation,
// k = |s| and u is the identity up to rounding (where factors of s are equal, u may turn freely
// within their plane, which leaves the stretch unchanged).
struct AffineParts {
  Point3 t;        // translation
  Quat q;          // essential rotation
  Quat u;          // stretch rotation (the frame of k)
  Point3 k;        // stretch factors
  float f = 1.0f;  // sign of the determinant (+1 or -1)
};

void decomp_affine(const Matrix3& a, AffineParts* parts);
