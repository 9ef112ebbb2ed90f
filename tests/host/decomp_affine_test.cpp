// decomp_affine: A = [stretch k along frame u] · [sign f] · [rotation q] · [translation t].

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "host/sdk/matrix3.h"
#include "host/sdk/quat.h"
#include "support/tolerance.h"

namespace {

// Rebuilds A from its parts the way callers do: ApplyScaling on the identity, then q, then t.
Matrix3 Recompose(const AffineParts& p) {
  Matrix3 m;
  ApplyScaling(m, ScaleValue(p.k * p.f, p.u));
  Matrix3 r;
  p.q.MakeMatrix(r);
  return m * r * TransMatrix(p.t);
}

Matrix3 Stretch(const Point3& s, const Quat& frame) {
  Matrix3 m;
  ApplyScaling(m, ScaleValue(s, frame));
  return m;
}

Matrix3 Rotation(float angle, const Point3& axis) { return RotAngleAxisMatrix(axis, angle); }

std::array<float, 3> SortedAbs(const Point3& p) {
  std::array<float, 3> a = {std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)};
  std::sort(a.begin(), a.end());
  return a;
}

struct Case {
  std::string name;
  Matrix3 a;
  Point3 stretch;     // expected stretch factors, up to order and sign
  bool known = true;  // whether stretch is known
};

std::vector<Case> Cases() {
  const Quat frame = QFromAngAxis(0.9f, {1, 2, -1});
  return {
      {"identity", Matrix3(), {1, 1, 1}},
      {"translation", TransMatrix({10, -20, 30}), {1, 1, 1}},
      {"pure_rotation", Rotation(2.5f, {0.2f, -1, 0.4f}), {1, 1, 1}},
      {"half_turn", Rotation(std::numbers::pi_v<float>, {1, 1, 0}), {1, 1, 1}},
      {"uniform_scale", ScaleMatrix({3, 3, 3}) * Rotation(0.4f, {0, 0, 1}), {3, 3, 3}},
      {"axis_scale_rotation", ScaleMatrix({2, 0.5f, 4}) * Rotation(1.0f, {1, 1, 1}) * TransMatrix({1, 2, 3}),
       {2, 0.5f, 4}},
      {"stretch_along_rotated_axes", Stretch({2, 0.5f, 4}, frame) * Rotation(-0.7f, {3, 0, 1}) * TransMatrix({5, 0, -5}),
       {2, 0.5f, 4}},
      {"two_equal_factors", Stretch({2, 2, 0.25f}, frame) * Rotation(1.9f, {0, 1, 0}), {2, 2, 0.25f}},
      {"negative_determinant", Stretch({-1.5f, 2, 3}, frame) * Rotation(0.3f, {1, 0, 0}) * TransMatrix({0, 7, 0}),
       {1.5f, 2, 3}},
      {"point_mirror", ScaleMatrix({-1, -1, -1}) * TransMatrix({1, 1, 1}), {1, 1, 1}},
      {"large_ratio", Stretch({1000, 1, 0.01f}, frame) * Rotation(2.0f, {1, -1, 0}), {1000, 1, 0.01f}},
      {"shear", Matrix3(Point3(1, 0.5f, 0), Point3(0, 1, 0.3f), Point3(0.2f, 0, 1), Point3(4, 5, 6)), {}, false},
      {"singular", ScaleMatrix({2, 0, 3}) * Rotation(0.8f, {1, 2, 3}) * TransMatrix({1, 0, 0}), {0, 2, 3}},
      {"rank_one", ScaleMatrix({0, 0, 5}) * Rotation(0.8f, {1, 2, 3}), {0, 0, 5}},
      {"zero", Matrix3(false), {0, 0, 0}},
  };
}

TEST(DecompAffine, RecompositionGivesTheMatrixBack) {
  for (const auto& c : Cases()) {
    SCOPED_TRACE(c.name);
    AffineParts p;
    decomp_affine(c.a, &p);
    // Absolute for unit-sized matrices, relative for large stretches.
    const float scale = std::max({1.0f, p.k.x, p.k.y, p.k.z});
    EXPECT_TRUE(ExpectMatrix3Near(Recompose(p), c.a, 1e-4f * scale));
    EXPECT_EQ(p.t, c.a.GetTrans());
    EXPECT_NEAR(QDot(p.q, p.q), 1.0f, 1e-6f);
    EXPECT_NEAR(QDot(p.u, p.u), 1.0f, 1e-6f);
    EXPECT_GE(std::min({p.k.x, p.k.y, p.k.z}), 0.0f);
    EXPECT_EQ(p.f, c.a.Determinant() < 0.0f ? -1.0f : 1.0f);
    if (c.known) {
      // Rounding the float matrix moves every factor by up to ~1e-7 of the largest one.
      const auto got = SortedAbs(p.k), want = SortedAbs(c.stretch);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-5f * std::max(1.0f, want[2]));
    }
  }
}

TEST(DecompAffine, AxisScalesKeepAnUnrotatedFrame) {
  const Point3 s(2, 0.5f, 4);
  const Matrix3 r = Rotation(1.2f, {1, -2, 0.5f});
  AffineParts p;
  decomp_affine(ScaleMatrix(s) * r * TransMatrix({3, 2, 1}), &p);
  EXPECT_TRUE(ExpectPoint3Near(p.k, s, 1e-5f));
  EXPECT_TRUE(ExpectQuatNear(p.u, Quat(), 1e-5f));
  EXPECT_TRUE(ExpectQuatNear(p.q, Quat(r), 1e-5f));
  EXPECT_EQ(p.f, 1.0f);
}

TEST(DecompAffine, MirrorIsCarriedBySign) {
  const Matrix3 r = Rotation(0.6f, {0, 1, 1});
  AffineParts p;
  decomp_affine(ScaleMatrix({1, 1, -2}) * r, &p);
  EXPECT_EQ(p.f, -1.0f);
  // The stretch with the sign applied is the mirror scale along the frame u.
  const Matrix3 signedStretch = Stretch(p.k * p.f, p.u);
  EXPECT_NEAR(signedStretch.Determinant(), -2.0f, 1e-5f);
  Matrix3 mq;
  p.q.MakeMatrix(mq);
  EXPECT_NEAR(mq.Determinant(), 1.0f, 1e-6f);
}

}  // namespace
