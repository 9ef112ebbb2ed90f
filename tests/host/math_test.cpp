// Host value types: Matrix3, Quat, Box3, Interval.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "host/sdk/box3.h"
#include "host/sdk/interval.h"
#include "host/sdk/matrix3.h"
#include "host/sdk/quat.h"
#include "support/tolerance.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kHalfPi = kPi / 2.0f;

Matrix3 Rows(Point3 r0, Point3 r1, Point3 r2, Point3 r3 = {}) { return Matrix3(r0, r1, r2, r3); }

Matrix3 ThreeByThree(const Matrix3& a) {
  Matrix3 r = a;
  r.NoTrans();
  return r;
}

// A few general affine matrices used by several tests.
struct NamedMatrix {
  std::string name;
  Matrix3 m;
};

std::vector<NamedMatrix> GeneralMatrices() {
  Matrix3 rotTrans = RotateXMatrix(0.3f) * RotateYMatrix(-1.1f) * TransMatrix({4, -5, 6});
  Matrix3 scaled = ScaleMatrix({2.0f, 0.5f, 3.0f}) * RotAngleAxisMatrix({1, 2, 3}, 0.8f) * TransMatrix({-1, 2, 7});
  Matrix3 shear = Rows({1, 0.5f, 0}, {0, 1, 0.25f}, {0.1f, 0, 1}, {3, 3, 3});
  Matrix3 mirrored = ScaleMatrix({-1.5f, 1, 2}) * RotateZMatrix(2.0f) * TransMatrix({0, 1, -2});
  return {{"identity", Matrix3()},
          {"translation", TransMatrix({1, 2, 3})},
          {"rotation_translation", rotTrans},
          {"scale_rotation_translation", scaled},
          {"shear", shear},
          {"negative_determinant", mirrored}};
}

// ---------------------------------------------------------------------------------------------
// Flags

struct FlagCase {
  std::string name;
  Matrix3 m;
  DWORD flags;
};

TEST(Matrix3Flags, DerivedFromValues) {
  Matrix3 zero(false);
  Matrix3 backToIdentity = TransMatrix({1, 0, 0});
  backToIdentity.SetTrans({0, 0, 0});
  const std::vector<FlagCase> cases = {
      {"default", Matrix3(), MAT_IDENT},
      {"identity_ctor", Matrix3(true), MAT_IDENT},
      {"zero", zero, POS_IDENT},
      {"translation", TransMatrix({0, 0, 1}), ROT_IDENT | SCL_IDENT},
      {"scale", ScaleMatrix({1, 2, 1}), POS_IDENT},
      {"unit_scale", ScaleMatrix({1, 1, 1}), MAT_IDENT},
      {"rotation", RotateZMatrix(0.5f), POS_IDENT},
      {"rows_identity", Rows({1, 0, 0}, {0, 1, 0}, {0, 0, 1}), MAT_IDENT},
      {"translation_removed", backToIdentity, MAT_IDENT},
      {"product_to_identity", RotateXMatrix(0.0f) * TransMatrix({2, 0, 0}) * TransMatrix({-2, 0, 0}), MAT_IDENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.m.GetIdentFlags() & MAT_IDENT, c.flags);
    EXPECT_EQ(c.m.IsIdentity(), c.flags == MAT_IDENT);
  }
}

TEST(Matrix3Flags, OperationsClearTheChangedParts) {
  Matrix3 t;
  t.Translate({0, 1, 0});
  EXPECT_EQ(t.GetIdentFlags() & MAT_IDENT, ROT_IDENT | SCL_IDENT);
  Matrix3 s;
  s.Scale({2, 2, 2});
  EXPECT_EQ(s.GetIdentFlags() & MAT_IDENT, POS_IDENT);
  Matrix3 r;
  r.RotateY(0.1f);
  EXPECT_EQ(r.GetIdentFlags() & MAT_IDENT, POS_IDENT);
  Matrix3 row;
  row.SetRow(1, {0, 2, 0});
  EXPECT_EQ(row.GetIdentFlags() & MAT_IDENT, POS_IDENT);
}

TEST(Matrix3Flags, IsIdentityReadsValuesNotStaleFlags) {
  Matrix3 m;
  m.m[3][1] = 1.0f;  // written directly: the flags still claim identity
  EXPECT_EQ(m.GetIdentFlags(), MAT_IDENT);
  EXPECT_FALSE(m.IsIdentity());
  m.ValidateFlags();
  EXPECT_EQ(m.GetIdentFlags() & MAT_IDENT, ROT_IDENT | SCL_IDENT);
}

// ---------------------------------------------------------------------------------------------
// Products and post-multiplying operations

TEST(Matrix3Product, LeftFactorAppliesFirst) {
  const Matrix3 t = TransMatrix({1, 0, 0});
  const Matrix3 r = RotateZMatrix(kHalfPi);
  EXPECT_TRUE(ExpectPoint3Near(Point3() * (t * r), {0, 1, 0}, 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(Point3() * (r * t), {1, 0, 0}, 1e-6f));
}

TEST(Matrix3Product, MatchesSuccessiveTransforms) {
  const auto ms = GeneralMatrices();
  const Point3 p(0.3f, -2.0f, 1.5f);
  for (const auto& a : ms)
    for (const auto& b : ms) {
      SCOPED_TRACE(a.name + " * " + b.name);
      EXPECT_TRUE(ExpectPoint3Near(p * (a.m * b.m), (p * a.m) * b.m, 1e-4f));
    }
}

TEST(Matrix3Product, MemberOperationsPostMultiply) {
  const Matrix3 base = ScaleMatrix({2, 3, 4}) * RotateXMatrix(0.4f) * TransMatrix({1, 2, 3});
  const Point3 v(0.5f, -1.0f, 2.0f);
  struct Case {
    std::string name;
    Matrix3 got, want;
  };
  auto apply = [&](auto op) {
    Matrix3 m = base;
    op(m);
    return m;
  };
  const std::vector<Case> cases = {
      {"Translate", apply([&](Matrix3& m) { m.Translate(v); }), base * TransMatrix(v)},
      {"RotateX", apply([](Matrix3& m) { m.RotateX(0.7f); }), base * RotateXMatrix(0.7f)},
      {"RotateY", apply([](Matrix3& m) { m.RotateY(0.7f); }), base * RotateYMatrix(0.7f)},
      {"RotateZ", apply([](Matrix3& m) { m.RotateZ(0.7f); }), base * RotateZMatrix(0.7f)},
      {"Scale_with_translation", apply([&](Matrix3& m) { m.Scale(v, TRUE); }), base * ScaleMatrix(v)},
      {"PreTranslate", apply([&](Matrix3& m) { m.PreTranslate(v); }), TransMatrix(v) * base},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(ExpectMatrix3Near(c.got, c.want, 1e-5f));
  }
  Matrix3 axesOnly = base;
  axesOnly.Scale(v);
  EXPECT_EQ(axesOnly.GetTrans(), base.GetTrans());
  EXPECT_TRUE(ExpectMatrix3Near(ThreeByThree(axesOnly), ThreeByThree(base * ScaleMatrix(v)), 1e-5f));
}

TEST(Matrix3Product, VectorTransformIgnoresTranslation) {
  const Matrix3 m = RotateZMatrix(kHalfPi) * TransMatrix({5, 5, 5});
  EXPECT_TRUE(ExpectPoint3Near(m.VectorTransform({1, 0, 0}), {0, 1, 0}, 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(m.PointTransform({1, 0, 0}), {5, 6, 5}, 1e-6f));
}

// ---------------------------------------------------------------------------------------------
// Inverse and determinant

TEST(Matrix3Inverse, RoundTripsBothWays) {
  for (const auto& c : GeneralMatrices()) {
    SCOPED_TRACE(c.name);
    const Matrix3 inv = Inverse(c.m);
    EXPECT_TRUE(ExpectMatrix3Near(c.m * inv, Matrix3(), 1e-5f));
    EXPECT_TRUE(ExpectMatrix3Near(inv * c.m, Matrix3(), 1e-5f));
  }
}

TEST(Matrix3Inverse, SingularGivesIdentity) {
  const Matrix3 flat = ScaleMatrix({1, 0, 1}) * TransMatrix({1, 2, 3});
  EXPECT_TRUE(Inverse(flat).IsIdentity());
}

TEST(Matrix3Determinant, OfTheThreeByThreePart) {
  EXPECT_FLOAT_EQ(ScaleMatrix({2, 3, 4}).Determinant(), 24.0f);
  EXPECT_FLOAT_EQ((ScaleMatrix({2, -3, 4}) * TransMatrix({9, 9, 9})).Determinant(), -24.0f);
  EXPECT_NEAR(RotAngleAxisMatrix({1, 1, 0}, 1.3f).Determinant(), 1.0f, 1e-6f);
}

// ---------------------------------------------------------------------------------------------
// Rotations

struct RotationCase {
  std::string name;
  Matrix3 r;
  Point3 from, to;
};

TEST(Matrix3Rotation, RightHandedForRowVectors) {
  const std::vector<RotationCase> cases = {
      {"X", RotateXMatrix(kHalfPi), {0, 1, 0}, {0, 0, 1}},
      {"Y", RotateYMatrix(kHalfPi), {0, 0, 1}, {1, 0, 0}},
      {"Z", RotateZMatrix(kHalfPi), {1, 0, 0}, {0, 1, 0}},
      {"axis_X", RotAngleAxisMatrix({2, 0, 0}, kHalfPi), {0, 1, 0}, {0, 0, 1}},
      {"axis_Y", RotAngleAxisMatrix({0, 3, 0}, kHalfPi), {0, 0, 1}, {1, 0, 0}},
      {"axis_Z", RotAngleAxisMatrix({0, 0, 1}, kHalfPi), {1, 0, 0}, {0, 1, 0}},
      {"diagonal_third_turn", RotAngleAxisMatrix({1, 1, 1}, 2.0f * kPi / 3.0f), {1, 0, 0}, {0, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(ExpectPoint3Near(c.from * c.r, c.to, 1e-6f));
  }
}

TEST(Matrix3Rotation, AngleAxisAgreesWithCoordinateRotations) {
  for (float a : {0.0f, 0.3f, -1.7f, 3.0f}) {
    SCOPED_TRACE(a);
    EXPECT_TRUE(ExpectMatrix3Near(RotAngleAxisMatrix({1, 0, 0}, a), RotateXMatrix(a), 1e-6f));
    EXPECT_TRUE(ExpectMatrix3Near(RotAngleAxisMatrix({0, 1, 0}, a), RotateYMatrix(a), 1e-6f));
    EXPECT_TRUE(ExpectMatrix3Near(RotAngleAxisMatrix({0, 0, 1}, a), RotateZMatrix(a), 1e-6f));
  }
}

struct MappingCase {
  std::string name;
  Point3 a, b;
};

// Axis a × b and the angle between â and b̂. The angle is taken by atan2: a float acos of a dot
// product near ±1 is off by ~1e-4 rad for vectors 1e-3 rad apart, which is not the matrix's fault.
TEST(Matrix3Rotation, AngleAxisFromCrossProductMapsAToB) {
  const std::vector<MappingCase> cases = {
      {"general", {1, 2, 3}, {-2, 0.5f, 1}},
      {"perpendicular", {1, 0, 0}, {0, 0, 4}},
      {"near_parallel", {1, 0, 0}, {1, 1e-3f, 0}},
      {"near_antiparallel", {1, 0, 0}, {-1, 1e-3f, 0}},
      {"long_vectors", {100, 0, 50}, {0, -30, 30}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Point3 a = Normalize(c.a), b = Normalize(c.b);
    const float angle = std::atan2((a ^ b).Length(), DotProd(a, b));
    const Matrix3 r = RotAngleAxisMatrix(Normalize(a ^ b), angle);
    EXPECT_TRUE(ExpectPoint3Near(a * r, b, 1e-5f));
    EXPECT_NEAR(r.Determinant(), 1.0f, 1e-5f);
  }
}

TEST(Matrix3Rotation, HalfTurnAboutAGivenAxis) {
  const Matrix3 r = RotAngleAxisMatrix({0, 0, 1}, kPi);
  EXPECT_TRUE(ExpectPoint3Near(Point3(1, 0, 0) * r, {-1, 0, 0}, 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(Point3(0, 0, 1) * r, {0, 0, 1}, 1e-6f));
}

TEST(Matrix3Rotation, ZeroAxisIsNoRotation) {
  // Parallel or anti-parallel vectors have a zero cross product.
  EXPECT_TRUE(RotAngleAxisMatrix({0, 0, 0}, 0.0f).IsIdentity());
  EXPECT_TRUE(RotAngleAxisMatrix({0, 0, 0}, kPi).IsIdentity());
}

// ---------------------------------------------------------------------------------------------
// Scale and axis clean-up

TEST(Matrix3Axes, NoScaleNormalisesRowsAndKeepsZeroRows) {
  Matrix3 m = Rows({3, 0, 4}, {0, 0, 0}, {0, -2, 0}, {7, 8, 9});
  m.NoScale();
  EXPECT_TRUE(ExpectMatrix3Near(m, Rows({0.6f, 0, 0.8f}, {0, 0, 0}, {0, -1, 0}, {7, 8, 9}), 1e-6f));
}

TEST(Matrix3Axes, NoRotKeepsAxisLengths) {
  Matrix3 m = ScaleMatrix({2, 3, 4}) * RotateYMatrix(0.9f) * TransMatrix({1, 1, 1});
  m.NoRot();
  EXPECT_TRUE(ExpectMatrix3Near(m, ScaleMatrix({2, 3, 4}) * TransMatrix({1, 1, 1}), 1e-5f));
}

struct OrthoCase {
  std::string name;
  Matrix3 m;
};

TEST(Matrix3Axes, OrthogonalizeKeepsFirstAxisAndLengths) {
  const std::vector<OrthoCase> cases = {
      {"shear", Rows({2, 0, 0}, {1, 3, 0}, {1, 1, 0.5f}, {4, 5, 6})},
      {"rotated_shear", Rows({1, 1, 0}, {0, 2, 0}, {0.2f, 0.3f, 3}) * RotateXMatrix(1.0f)},
      {"parallel_rows", Rows({1, 0, 0}, {2, 0, 0}, {0, 0, 3})},
      {"three_coplanar_rows", Rows({1, 0, 0}, {0, 1, 0}, {1, 1, 0})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Matrix3 o = c.m;
    o.Orthogonalize();
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(o.GetRow(i).Length(), c.m.GetRow(i).Length(), 1e-5f) << "row " << i;
    EXPECT_NEAR(DotProd(o.GetRow(0), o.GetRow(1)), 0.0f, 1e-5f);
    EXPECT_NEAR(DotProd(o.GetRow(0), o.GetRow(2)), 0.0f, 1e-5f);
    EXPECT_NEAR(DotProd(o.GetRow(1), o.GetRow(2)), 0.0f, 1e-5f);
    EXPECT_TRUE(ExpectPoint3Near(o.GetRow(0), c.m.GetRow(0), 1e-6f));
    EXPECT_EQ(o.GetTrans(), c.m.GetTrans());
  }
}

TEST(Matrix3Axes, OrthogonalizeLeavesZeroRowZero) {
  Matrix3 m = Rows({1, 0, 0}, {0, 0, 0}, {1, 0, 1});
  m.Orthogonalize();
  EXPECT_TRUE(ExpectMatrix3Near(m, Rows({1, 0, 0}, {0, 0, 0}, {0, 0, std::sqrt(2.0f)}), 1e-6f));
}

TEST(Matrix3Equality, ExactAndWithinEpsilon) {
  Matrix3 a = RotateXMatrix(0.5f), b = a;
  EXPECT_TRUE(a == b);
  b.m[2][1] += 1e-7f;
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a.Equals(b));
  EXPECT_FALSE(a.Equals(b, 0.0f));
}

// ---------------------------------------------------------------------------------------------
// ApplyScaling

TEST(ApplyScaling, ScalesAlongTheFrameAxes) {
  struct Case {
    std::string name;
    ScaleValue v;
    Matrix3 want;
  };
  const std::vector<Case> cases = {
      {"unrotated", ScaleValue({2, 3, 4}, Quat()), ScaleMatrix({2, 3, 4})},
      // The frame's x axis is world +Y.
      {"quarter_turn", ScaleValue({2, 1, 1}, QFromAngAxis(kHalfPi, {0, 0, 1})), ScaleMatrix({1, 2, 1})},
      // Stretch 3 along (1, 1, 0)/√2: I + 2·n·nᵀ.
      {"eighth_turn", ScaleValue({3, 1, 1}, QFromAngAxis(kPi / 4.0f, {0, 0, 1})),
       Rows({2, 1, 0}, {1, 2, 0}, {0, 0, 1})},
      {"mirror", ScaleValue({-1, -1, -1}, QFromAngAxis(0.7f, {1, 2, 3})), ScaleMatrix({-1, -1, -1})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Matrix3 m;
    ApplyScaling(m, c.v);
    EXPECT_TRUE(ExpectMatrix3Near(m, c.want, 1e-5f));
  }
}

TEST(ApplyScaling, PostMultiplies) {
  const ScaleValue v({2, 1, 0.5f}, QFromAngAxis(0.6f, {1, 0, 1}));
  Matrix3 stretch;
  ApplyScaling(stretch, v);
  Matrix3 m = RotateXMatrix(0.3f) * TransMatrix({1, 2, 3});
  const Matrix3 want = m * stretch;
  ApplyScaling(m, v);
  EXPECT_TRUE(ExpectMatrix3Near(m, want, 1e-5f));
}

// ---------------------------------------------------------------------------------------------
// Quat

struct QuatCase {
  std::string name;
  Matrix3 r;
};

// Half turns and near-half turns exercise every branch of the matrix conversion.
std::vector<QuatCase> Rotations() {
  return {{"identity", Matrix3()},
          {"small", RotAngleAxisMatrix({1, -2, 0.5f}, 1e-3f)},
          {"general", RotAngleAxisMatrix({0.3f, 0.4f, -0.8f}, 2.2f)},
          {"half_turn_x", RotateXMatrix(kPi)},
          {"half_turn_y", RotateYMatrix(kPi)},
          {"half_turn_z", RotateZMatrix(kPi)},
          {"half_turn_diagonal", RotAngleAxisMatrix({1, 1, 0}, kPi)},
          {"nearly_half_turn_z", RotAngleAxisMatrix({0.1f, 0.2f, 1}, 3.1f)},
          {"nearly_half_turn_y", RotAngleAxisMatrix({0.2f, -1, 0.1f}, -3.1f)}};
}

TEST(QuatConversion, MatrixRoundTrip) {
  for (const auto& c : Rotations()) {
    SCOPED_TRACE(c.name);
    const Quat q(c.r);
    EXPECT_NEAR(QDot(q, q), 1.0f, 1e-6f);
    Matrix3 back;
    q.MakeMatrix(back);
    EXPECT_TRUE(ExpectMatrix3Near(back, c.r, 1e-5f));
  }
}

TEST(QuatConversion, IgnoresScaleAndTranslation) {
  const Matrix3 r = RotAngleAxisMatrix({1, 2, 2}, 0.9f);
  const Quat q(ScaleMatrix({2, 3, 0.5f}) * r * TransMatrix({4, 4, 4}));
  EXPECT_TRUE(ExpectQuatNear(q, Quat(r), 1e-6f));
}

TEST(QuatConversion, AngleAxisIsRightHanded) {
  const Quat q = QFromAngAxis(kHalfPi, {0, 0, 2});
  EXPECT_TRUE(ExpectQuatNear(q, Quat(0, 0, std::sqrt(0.5f), std::sqrt(0.5f)), 1e-6f));
  Matrix3 m;
  q.MakeMatrix(m);
  EXPECT_TRUE(ExpectPoint3Near(Point3(1, 0, 0) * m, {0, 1, 0}, 1e-6f));
  for (float a : {0.4f, -2.0f, 3.0f}) {
    SCOPED_TRACE(a);
    QFromAngAxis(a, {1, -1, 2}).MakeMatrix(m);
    EXPECT_TRUE(ExpectMatrix3Near(m, RotAngleAxisMatrix({1, -1, 2}, a), 1e-6f));
  }
}

TEST(QuatConversion, AngleAxisRoundTrip) {
  struct Case {
    float angle;
    Point3 axis;
  };
  for (const Case& c : {Case{0.5f, {0, 1, 0}}, Case{3.0f, {1, 2, 3}}, Case{5.0f, {-1, 0, 1}}, Case{1e-4f, {0, 0, 1}}}) {
    SCOPED_TRACE(c.angle);
    const Quat q = QFromAngAxis(c.angle, c.axis);
    float angle = 0.0f;
    Point3 axis;
    AngAxisFromQ(q, &angle, axis);
    EXPECT_TRUE(ExpectQuatNear(QFromAngAxis(angle, axis), q, 1e-6f));
    EXPECT_NEAR(axis.Length(), 1.0f, 1e-6f);
  }
  float angle = 1.0f;
  Point3 axis;
  AngAxisFromQ(Quat(), &angle, axis);
  EXPECT_EQ(angle, 0.0f);
  EXPECT_EQ(axis, Point3(1, 0, 0));
}

TEST(QuatProduct, RightFactorAppliesFirst) {
  const Quat p = QFromAngAxis(0.7f, {1, 0, 0});
  const Quat q = QFromAngAxis(-1.2f, {0, 1, 1});
  Matrix3 mp, mq, mpq;
  p.MakeMatrix(mp);
  q.MakeMatrix(mq);
  (p * q).MakeMatrix(mpq);
  EXPECT_TRUE(ExpectMatrix3Near(mpq, mq * mp, 1e-6f));
  EXPECT_TRUE(ExpectQuatNear(p * p.Conjugate(), Quat(), 1e-6f));
}

TEST(QuatBasics, NormalizeAndDot) {
  const Quat n = Quat(0, 3, 0, 4).Normalize();
  EXPECT_TRUE(ExpectQuatNear(n, Quat(0, 0.6f, 0, 0.8f), 1e-7f));
  EXPECT_TRUE(Quat(0, 0, 0, 0).Normalize().IsIdentity());
  EXPECT_FLOAT_EQ(QDot(Quat(1, 2, 3, 4), Quat(5, 6, 7, 8)), 70.0f);
  Matrix3 m;
  Quat(0, 0, 2, 2).MakeMatrix(m);  // unnormalised input still gives a rotation
  EXPECT_TRUE(ExpectMatrix3Near(m, RotateZMatrix(kHalfPi), 1e-6f));
}

// ---------------------------------------------------------------------------------------------
// Box3

TEST(Box3Transform, BoxAroundTransformedCorners) {
  const Box3 b({0, 0, 0}, {1, 2, 3});
  const Box3 r = b * (RotateZMatrix(kHalfPi) * TransMatrix({10, 0, 0}));
  EXPECT_TRUE(ExpectPoint3Near(r.Min(), {8, 0, 0}, 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(r.Max(), {10, 1, 3}, 1e-5f));
  // A 45° turn grows the box: the corners reach further out than the old faces.
  const Box3 d = Box3({-1, -1, -1}, {1, 1, 1}) * RotateZMatrix(kPi / 4.0f);
  EXPECT_TRUE(ExpectPoint3Near(d.Max(), {std::sqrt(2.0f), std::sqrt(2.0f), 1}, 1e-5f));
  const Box3 mirrored = b * ScaleMatrix({-1, 1, 1});
  EXPECT_TRUE(ExpectPoint3Near(mirrored.Min(), {-1, 0, 0}, 0.0f));
}

TEST(Box3Transform, EmptyStaysEmpty) {
  EXPECT_TRUE((Box3() * TransMatrix({1, 1, 1})).IsEmpty());
  EXPECT_TRUE((Box3() * ScaleMatrix({-1, -1, -1})).IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// Interval

TEST(IntervalOps, Intersection) {
  struct Case {
    std::string name;
    Interval a, b, want;
  };
  const std::vector<Case> cases = {
      {"overlap", {0, 10}, {5, 20}, {5, 10}},
      {"inside", {0, 10}, {2, 3}, {2, 3}},
      {"touching", {0, 10}, {10, 20}, {10, 10}},
      {"disjoint", {0, 10}, {11, 20}, NEVER},
      {"with_forever", {-5, 5}, FOREVER, {-5, 5}},
      {"with_empty", FOREVER, NEVER, NEVER},
      {"forever_with_forever", FOREVER, FOREVER, FOREVER},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.a & c.b, c.want);
    EXPECT_EQ(c.b & c.a, c.want);
    Interval n = c.a;
    n &= c.b;
    EXPECT_EQ(n, c.want);
  }
}

TEST(IntervalOps, EmptyInstantAndForever) {
  EXPECT_TRUE(NEVER.Empty());
  EXPECT_FALSE(NEVER.InInterval(0));
  EXPECT_TRUE(FOREVER.InInterval(TIME_NegInfinity));
  EXPECT_TRUE(FOREVER.InInterval(TIME_PosInfinity));
  Interval i;
  i.SetInfinite();
  EXPECT_EQ(i, FOREVER);
  i.SetInstant(160);
  EXPECT_FALSE(i.Empty());
  EXPECT_TRUE(i.InInterval(160));
  EXPECT_FALSE(i.InInterval(161));
  i.SetEmpty();
  EXPECT_TRUE(i.Empty());
}

}  // namespace
