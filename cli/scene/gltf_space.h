#pragma once
// Affine maps and their glTF form for the glTF writers: the host is z-up with row-vector
// matrices, glTF y-up with column vectors. A host point (x, y, z) is the glTF point (x, z, -y).

#include <array>

#include "host/sdk/matrix3.h"
#include "host/sdk/point3.h"

// A 3×4 affine map acting on column vectors, in double precision: p' = L·p + t, with
// m[r][c] for c < 3 the linear part and m[r][3] the translation.
struct Affine {
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

  // The same map as a host matrix (p' = p · M): the matrix's rows are the columns here.
  static Affine FromMatrix3(const Matrix3& matrix);
  // From a 3×4 float matrix of the same layout (the skin's frames).
  static Affine FromRows(const float (&rows)[3][4]);
  Point3 Apply(const Point3& p) const;
  double Determinant() const;
  // The general inverse; a singular map gives the identity.
  Affine Inverse() const;
  // glTF's 16 floats, column-major.
  std::array<float, 16> ColumnMajor() const;
};

// a · b: b applied first.
Affine operator*(const Affine& a, const Affine& b);

// The host map in glTF space: A · h · A⁻¹ with A the axis change.
Affine ToGltfSpace(const Affine& host);
inline Point3 ToGltfPoint(const Point3& p) { return Point3(p.x, p.z, -p.y); }

// A node's transform as glTF stores it: translation, rotation quaternion (x, y, z, w, unit length)
// and scale.
struct Trs {
  std::array<float, 3> translation = {0, 0, 0};
  std::array<float, 4> rotation = {0, 0, 0, 1};
  std::array<float, 3> scale = {1, 1, 1};
};

// Translation, rotation and scale of the map: the scale is the length of each axis column (the
// last one negative when the map mirrors), the rotation the orthonormalised axes. Shear has no
// place in a TRS and is dropped.
Trs Decompose(const Affine& map);
// The map of a TRS: T · R · S.
Affine Compose(const Trs& trs);
