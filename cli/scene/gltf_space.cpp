#include "cli/scene/gltf_space.h"

#include <cmath>

namespace {

double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

Affine Affine::FromMatrix3(const Matrix3& matrix) {
  Affine a;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) a.m[r][c] = matrix.m[c][r];
  return a;
}

Affine Affine::FromRows(const float (&rows)[3][4]) {
  Affine a;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) a.m[r][c] = rows[r][c];
  return a;
}

Point3 Affine::Apply(const Point3& p) const {
  double out[3];
  for (int r = 0; r < 3; ++r) out[r] = m[r][0] * p.x + m[r][1] * p.y + m[r][2] * p.z + m[r][3];
  return Point3(out[0], out[1], out[2]);
}

double Affine::Determinant() const {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Affine Affine::Inverse() const {
  const double det = Determinant();
  if (det == 0.0 || !std::isfinite(det)) return Affine();
  Affine inv;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      // Cofactor of (c, r), divided by the determinant.
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inv.m[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
    }
  }
  for (int r = 0; r < 3; ++r) inv.m[r][3] = -(inv.m[r][0] * m[0][3] + inv.m[r][1] * m[1][3] + inv.m[r][2] * m[2][3]);
  return inv;
}

std::array<float, 16> Affine::ColumnMajor() const {
  std::array<float, 16> out{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 3; ++r) out[c * 4 + r] = float(m[r][c]);
  out[15] = 1.0f;
  return out;
}

Affine operator*(const Affine& a, const Affine& b) {
  Affine out;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      double v = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c];
      out.m[r][c] = c == 3 ? v + a.m[r][3] : v;
    }
  }
  return out;
}

Affine ToGltfSpace(const Affine& host) {
  // A maps (x, y, z) to (x, z, -y); A⁻¹ maps (x, y, z) to (x, -z, y).
  Affine axes;
  axes.m[1][1] = 0;
  axes.m[1][2] = 1;
  axes.m[2][1] = -1;
  axes.m[2][2] = 0;
  Affine back;
  back.m[1][1] = 0;
  back.m[1][2] = -1;
  back.m[2][1] = 1;
  back.m[2][2] = 0;
  return axes * host * back;
}

Trs Decompose(const Affine& map) {
  Trs out;
  for (int r = 0; r < 3; ++r) out.translation[r] = float(map.m[r][3]);
  double axis[3][3];  // axis[c] = column c
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) axis[c][r] = map.m[r][c];
  double scale[3];
  for (int c = 0; c < 3; ++c) scale[c] = std::sqrt(Dot(axis[c], axis[c]));
  if (map.Determinant() < 0.0) scale[2] = -scale[2];
  // Gram-Schmidt on the scaled-out axes gives a rotation even when shear is present.
  double rot[3][3];
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) rot[c][r] = scale[c] != 0.0 ? axis[c][r] / scale[c] : (r == c ? 1.0 : 0.0);
    for (int k = 0; k < c; ++k) {
      const double d = Dot(rot[c], rot[k]);
      for (int r = 0; r < 3; ++r) rot[c][r] -= d * rot[k][r];
    }
    const double len = std::sqrt(Dot(rot[c], rot[c]));
    if (len < 1e-12) {
      // A degenerate axis: the cross product of the others keeps the frame a rotation.
      const int a = (c + 1) % 3, b = (c + 2) % 3;
      rot[c][0] = rot[a][1] * rot[b][2] - rot[a][2] * rot[b][1];
      rot[c][1] = rot[a][2] * rot[b][0] - rot[a][0] * rot[b][2];
      rot[c][2] = rot[a][0] * rot[b][1] - rot[a][1] * rot[b][0];
    } else {
      for (int r = 0; r < 3; ++r) rot[c][r] /= len;
    }
  }
  // R(r, c) = rot[c][r]; the standard matrix-to-quaternion conversion for column vectors.
  auto R = [&](int r, int c) { return rot[c][r]; };
  double w, x, y, z;
  const double trace = R(0, 0) + R(1, 1) + R(2, 2);
  if (trace > 0.0) {
    double s = 2.0 * std::sqrt(trace + 1.0);
    w = s / 4;
    x = (R(2, 1) - R(1, 2)) / s;
    y = (R(0, 2) - R(2, 0)) / s;
    z = (R(1, 0) - R(0, 1)) / s;
  } else if (R(0, 0) > R(1, 1) && R(0, 0) > R(2, 2)) {
    double s = 2.0 * std::sqrt(1.0 + R(0, 0) - R(1, 1) - R(2, 2));
    w = (R(2, 1) - R(1, 2)) / s;
    x = s / 4;
    y = (R(0, 1) + R(1, 0)) / s;
    z = (R(0, 2) + R(2, 0)) / s;
  } else if (R(1, 1) > R(2, 2)) {
    double s = 2.0 * std::sqrt(1.0 + R(1, 1) - R(0, 0) - R(2, 2));
    w = (R(0, 2) - R(2, 0)) / s;
    x = (R(0, 1) + R(1, 0)) / s;
    y = s / 4;
    z = (R(1, 2) + R(2, 1)) / s;
  } else {
    double s = 2.0 * std::sqrt(1.0 + R(2, 2) - R(0, 0) - R(1, 1));
    w = (R(1, 0) - R(0, 1)) / s;
    x = (R(0, 2) + R(2, 0)) / s;
    y = (R(1, 2) + R(2, 1)) / s;
    z = s / 4;
  }
  const double len = std::sqrt(w * w + x * x + y * y + z * z);
  out.rotation = {float(x / len), float(y / len), float(z / len), float(w / len)};
  for (int c = 0; c < 3; ++c) out.scale[c] = float(scale[c]);
  return out;
}

Affine Compose(const Trs& trs) {
  const double x = trs.rotation[0], y = trs.rotation[1], z = trs.rotation[2], w = trs.rotation[3];
  const double rot[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                            {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                            {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
  Affine out;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) out.m[r][c] = rot[r][c] * trs.scale[c];
    out.m[r][3] = trs.translation[r];
  }
  return out;
}
