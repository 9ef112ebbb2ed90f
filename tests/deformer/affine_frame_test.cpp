// The frame library: products, points, rigid inverses and conversions to and from host matrices.

#include <numbers>

#include "deformer/affine_frame.h"
#include "support/tolerance.h"

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

// A rotation by 90° about Z followed by a translation, as a frame.
AffineFrame Turned() {
  Matrix3 m = RotateZMatrix(kHalfPi);
  m.SetTrans(Point3(1, 2, 3));
  return FrameFromMatrix(m);
}

TEST(AffineFrame, MatrixConversionCarriesPointsTheSameWay) {
  Matrix3 m = RotateZMatrix(kHalfPi) * ScaleMatrix(Point3(2, 3, 4));
  m.SetTrans(Point3(1, 2, 3));
  const AffineFrame f = FrameFromMatrix(m);
  const Point3 p(0.5f, -1.5f, 2.0f);
  EXPECT_TRUE(ExpectPoint3Near(Transform(f, p), p * m, 1e-5f));
  EXPECT_TRUE(ExpectMatrix3Near(MatrixFromFrame(f), m, 0.0f));
  // Rows of the matrix are the frame's axes; the translation row its origin.
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(f, 1), m.GetRow(1), 0.0f));
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(f), Point3(1, 2, 3), 0.0f));
}

TEST(AffineFrame, ProductAppliesTheRightFrameFirst) {
  AffineFrame shift;
  SetOrigin(shift, Point3(10, 0, 0));
  const AffineFrame turned = Turned();
  const Point3 p(1, 0, 0);
  EXPECT_TRUE(ExpectPoint3Near(Transform(Multiply(turned, shift), p), Transform(turned, Transform(shift, p)), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(Transform(Multiply(shift, turned), p), Transform(shift, Transform(turned, p)), 1e-5f));
}

TEST(AffineFrame, RigidInverseUndoesARotationAndShift) {
  const AffineFrame f = Turned();
  const Point3 p(4, -2, 7);
  EXPECT_TRUE(ExpectPoint3Near(Transform(RigidInverse(f), Transform(f, p)), p, 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(ToLocal(f, Transform(f, p)), p, 1e-5f));
}

TEST(AffineFrame, AxesScaleSetAndBuildFromTwoAxes) {
  AffineFrame f = ScaleAxes(Turned(), Point3(2, 3, 4));
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(f, 0), Point3(0, 2, 0), 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(f, 1), Point3(-3, 0, 0), 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(f), Point3(1, 2, 3), 0.0f));
  SetAxis(f, 2, Point3(0, 0, 9));
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(f, 2), Point3(0, 0, 9), 0.0f));

  const AffineFrame g = FrameFromAxes(Point3(1, 0, 0), Point3(0, 0, 1), Point3(5, 5, 5));
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(g, 1), Point3(0, 1, 0), 0.0f));  // y = z × x
  EXPECT_TRUE(ExpectPoint3Near(Transform(g, Point3(1, 1, 1)), Point3(6, 6, 6), 0.0f));
}

TEST(AffineFrame, RadialDistanceOfAnEllipsoid) {
  BoneShape s;
  s.frame = Turned();  // x axis along world +Y
  s.radius[0] = 4.0f;
  s.radius[1] = 1.0f;
  s.radius[2] = 1.0f;
  const Point3 centre(1, 2, 3);
  struct Case {
    const char* name;
    Point3 p;
    float strength;
    double distance;
  };
  const Case cases[] = {
      {"exact centre", centre, 1.0f, -12.0},
      {"on the surface along x", centre + Point3(0, 4, 0), 0.0f, 0.0},
      {"two outside along x", centre + Point3(0, 6, 0), 0.0f, 2.0},
      {"inside along y", centre + Point3(-0.5f, 0, 0), 0.0f, -0.5},
      // Strength pushes the boundary out by strength × 0.13 × 2R (2R = 8).
      {"strength one", centre + Point3(0, 6, 0), 1.0f, 2.0 - 0.13f * 8.0},
      {"negative strength acts as none", centre + Point3(0, 6, 0), -3.0f, 2.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(RadialDistance(s, c.p, c.strength), c.distance, 1e-5);
  }
  EXPECT_FLOAT_EQ(TwiceLargestRadius(s), 8.0f);
}

}  // namespace
