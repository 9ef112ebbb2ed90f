#include "cli/scene/gltf_axes.h"

Matrix3 HostMatrix(const double* m) {
  // glTF column-major, column vectors: G. Host H = C G C^T with C(x, y, z) = (x, -z, y), stored
  // for row vectors (the transpose).
  auto g = [&](int r, int c) { return m[c * 4 + r]; };
  // Row r of C picks glTF component src[r] with sign sgn[r].
  const int src[3] = {0, 2, 1};
  const double sgn[3] = {1.0, -1.0, 1.0};
  Matrix3 out;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) out.m[c][r] = float(sgn[r] * sgn[c] * g(src[r], src[c]));
    out.m[3][r] = float(sgn[r] * g(src[r], 3));
  }
  out.ValidateFlags();
  return out;
}

