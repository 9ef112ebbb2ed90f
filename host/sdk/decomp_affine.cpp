// Polar and spectral decomposition of an affine matrix for row vectors.
//
// With M the 3×3 part of A (rows are the images of the axes), we look for
//   M = Mu⁻¹ · K · Mu · (f·I) · Mq
// where Mu = u.MakeMatrix() and Mq = q.MakeMatrix() are rotations, K = diag(k) with k ≥ 0 and
// f = ±1. The factor S = Mu⁻¹ · K · Mu is the symmetric stretch of the left polar decomposition
// M = S · Qf (Qf = f·Mq orthogonal), so S² = M · Mᵀ. Its eigenvectors, found by Jacobi rotations
// in double precision, are the rows of Mu. Then W = Mu · M = K · (Mu · Qf): row i of W has
// length k[i], and the normalised rows form the orthogonal matrix N = Mu · Qf. Taking k as row
// lengths (rather than square roots of eigenvalues) keeps small stretch factors accurate, and it
// needs no inverse, so singular matrices decompose too.

#include <algorithm>
#include <cmath>

#include "host/sdk/matrix3.h"

namespace {

using Mat = double[3][3];

// Eigen-decomposition of the symmetric 3×3 matrix a (overwritten; its diagonal ends up holding
// the eigenvalues): on return a_in = v · diag · vᵀ, the columns of v being the eigenvectors.
void JacobiEigen(Mat a, Mat v) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) v[i][j] = i == j ? 1.0 : 0.0;
  for (int sweep = 0; sweep < 50; ++sweep) {
    const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
    const double diag = a[0][0] * a[0][0] + a[1][1] * a[1][1] + a[2][2] * a[2][2];
    if (!(off > 1e-32 * diag)) break;
    for (int p = 0; p < 2; ++p) {
      for (int q = p + 1; q < 3; ++q) {
        if (a[p][q] == 0.0) continue;
        // Rotation J (J_pp = J_qq = c, J_pq = s, J_qp = −s) that zeroes a_pq in Jᵀ·a·J.
        const double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
        const double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0);
        const double s = t * c;
        for (int k = 0; k < 3; ++k) {  // a = a · J
          const double akp = a[k][p], akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (int k = 0; k < 3; ++k) {  // a = Jᵀ · a
          const double apk = a[p][k], aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        a[p][q] = a[q][p] = 0.0;
        for (int k = 0; k < 3; ++k) {  // v = v · J
          const double vkp = v[k][p], vkq = v[k][q];
          v[k][p] = c * vkp - s * vkq;
          v[k][q] = s * vkp + c * vkq;
        }
      }
    }
  }
}

double Det(const Mat a) {
  return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
         a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const double* a, const double* b, double* r) {
  r[0] = a[1] * b[2] - a[2] * b[1];
  r[1] = a[2] * b[0] - a[0] * b[2];
  r[2] = a[0] * b[1] - a[1] * b[0];
}

Quat QuatOf(const Mat r) {
  Matrix3 m(Point3(r[0][0], r[0][1], r[0][2]), Point3(r[1][0], r[1][1], r[1][2]),
            Point3(r[2][0], r[2][1], r[2][2]), Point3());
  return Quat(m);
}

}  // namespace

void decomp_affine(const Matrix3& a, AffineParts* parts) {
  if (!parts) return;
  Mat m;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = a.m[i][j];

  // Spectral part: S² = M · Mᵀ = v · Λ · vᵀ, so Mu = vᵀ; keep Mu a proper rotation.
  Mat b, v;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) b[i][j] = Dot(m[i], m[j]);
  JacobiEigen(b, v);
  if (Det(v) < 0.0)
    for (int i = 0; i < 3; ++i) v[i][2] = -v[i][2];
  Mat mu;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) mu[i][j] = v[j][i];

  // W = Mu · M; k = its row lengths; N = its normalised rows.
  Mat w;
  double k[3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) w[i][j] = mu[i][0] * m[0][j] + mu[i][1] * m[1][j] + mu[i][2] * m[2][j];
    k[i] = std::sqrt(Dot(w[i], w[i]));
  }
  // Orthonormalise N starting from the longest rows, which are the best determined; a row whose
  // stretch is (nearly) zero carries no direction and is completed below.
  int order[3] = {0, 1, 2};
  std::sort(order, order + 3, [&](int x, int y) { return k[x] > k[y]; });
  Mat n = {};
  bool have[3] = {false, false, false};
  for (int oi = 0; oi < 3; ++oi) {
    const int i = order[oi];
    if (k[i] == 0.0) continue;
    double r[3] = {w[i][0] / k[i], w[i][1] / k[i], w[i][2] / k[i]};
    for (int oj = 0; oj < oi; ++oj) {
      const int j = order[oj];
      if (!have[j]) continue;
      const double d = Dot(r, n[j]);
      for (int c = 0; c < 3; ++c) r[c] -= d * n[j][c];
    }
    const double len = std::sqrt(Dot(r, r));
    if (len < 0.5) continue;  // a true row is already of unit length and orthogonal
    for (int c = 0; c < 3; ++c) n[i][c] = r[c] / len;
    have[i] = true;
  }
  const int known = int(have[0]) + int(have[1]) + int(have[2]);
  if (known == 0) {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) n[i][j] = i == j ? 1.0 : 0.0;
  } else if (known == 1) {
    // Second row: perpendicular to the known one, from the least aligned coordinate axis.
    const int i = have[0] ? 0 : (have[1] ? 1 : 2);
    const int j = (i + 1) % 3;
    int axis = 0;
    for (int c = 1; c < 3; ++c)
      if (std::fabs(n[i][c]) < std::fabs(n[i][axis])) axis = c;
    double r[3] = {0.0, 0.0, 0.0};
    r[axis] = 1.0;
    const double d = Dot(r, n[i]);
    for (int c = 0; c < 3; ++c) r[c] -= d * n[i][c];
    const double len = std::sqrt(Dot(r, r));
    for (int c = 0; c < 3; ++c) n[j][c] = r[c] / len;
    have[j] = true;
  }
  // The last missing row (if any) makes N a proper rotation: row i = row i+1 × row i+2.
  for (int i = 0; i < 3; ++i)
    if (!have[i]) Cross(n[(i + 1) % 3], n[(i + 2) % 3], n[i]);

  // Qf = Mu⁻¹ · N; its determinant's sign is f, and Mq = f · Qf is a rotation.
  const double f = Det(n) < 0.0 ? -1.0 : 1.0;
  Mat q;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) q[i][j] = f * (mu[0][i] * n[0][j] + mu[1][i] * n[1][j] + mu[2][i] * n[2][j]);

  parts->t = a.GetTrans();
  parts->q = QuatOf(q);
  parts->u = QuatOf(mu);
  parts->k = Point3(k[0], k[1], k[2]);
  parts->f = static_cast<float>(f);
}
