#pragma once
// The skin's own affine frames and bone ellipsoids. An AffineFrame is a 3×4 matrix acting on
// column vectors: row r = (r0, r1, r2, tr), p'r = r0·px + r1·py + r2·pz + tr. Column c (0..2) is
// the frame's c-th axis, column 3 its origin. A·B applies B first, then A.

#include <algorithm>
#include <cmath>

#include "host/sdk/matrix3.h"

struct AffineFrame {
  float m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
};

// An ellipsoid in world space: orthonormal frame (origin at the centre) and the three radii
// along the frame's x, y and z axes. 60 bytes when stored.
struct BoneShape {
  AffineFrame frame;
  float radius[3] = {0.001f, 0.001f, 0.001f};
};

AffineFrame IdentityFrame();
AffineFrame Multiply(const AffineFrame& a, const AffineFrame& b);
// Inline: the blend and the weights call it in their innermost loops.
inline Point3 Transform(const AffineFrame& f, const Point3& p) {
  return {f.m[0][0] * p.x + f.m[0][1] * p.y + f.m[0][2] * p.z + f.m[0][3],
          f.m[1][0] * p.x + f.m[1][1] * p.y + f.m[1][2] * p.z + f.m[1][3],
          f.m[2][0] * p.x + f.m[2][1] * p.y + f.m[2][2] * p.z + f.m[2][3]};
}
// Inverse of a frame whose 3×3 part is a rotation: axes transposed, origin −Rᵀ·t.
AffineFrame RigidInverse(const AffineFrame& f);
// Rows of the Matrix3 become the frame's columns; its translation row the origin column.
AffineFrame FrameFromMatrix(const Matrix3& m);
Matrix3 MatrixFromFrame(const AffineFrame& f);
// Multiplies axis column c by s[c].
AffineFrame ScaleAxes(const AffineFrame& f, const Point3& s);
Point3 GetAxis(const AffineFrame& f, int c);
void SetAxis(AffineFrame& f, int c, const Point3& axis);
Point3 GetOrigin(const AffineFrame& f);
void SetOrigin(AffineFrame& f, const Point3& origin);
// A frame with axes x, z × x, z and the given origin.
AffineFrame FrameFromAxes(const Point3& xAxis, const Point3& zAxis, const Point3& origin);

// Coordinates of world point p along the axes of an orthonormal frame, relative to its origin
// (the rigid inverse applied to p).
Point3 ToLocal(const AffineFrame& f, const Point3& p);

// Twice the largest radius of the shape.
inline float TwiceLargestRadius(const BoneShape& s) { return 2.0f * std::max({s.radius[0], s.radius[1], s.radius[2]}); }

// The signed radial distance of world point p outside the ellipsoid's surface, measured along the
// ray from the centre through p and reduced by the strength term max(strength, 0) × 0.13 × 2R
// (R the largest radius). Negative inside; −12 exactly at the centre. Double precision.
double RadialDistance(const BoneShape& s, const Point3& p, float strength);
// The strength term of RadialDistance: a constant of the bone, so that a loop over many points
// computes it once.
inline double StrengthTerm(const BoneShape& s, float strength) {
  constexpr float kStrengthScale = 0.13f;
  return static_cast<double>(std::max(strength, 0.0f)) * static_cast<double>(kStrengthScale) *
         static_cast<double>(TwiceLargestRadius(s));
}
// RadialDistance for l, the point already expressed in the shape's frame (ToLocal), and the
// shape's strength term. Inline: the weight computation calls it for every bone in reach of
// every vertex.
inline double RadialDistanceOfLocal(const BoneShape& s, const Point3& l, double strengthTerm) {
  const double lx = l.x, ly = l.y, lz = l.z;
  const double u = std::sqrt(lx * lx + ly * ly + lz * lz);
  if (u < 1e-12) return -12.0;
  const double ex = lx / s.radius[0], ey = ly / s.radius[1], ez = lz / s.radius[2];
  double b = std::sqrt(ex * ex + ey * ey + ez * ez);
  if (b <= u * 1e-12) b = 1e-12;
  // u / b is the distance from the centre to the surface along the ray through p.
  return u - u / b - strengthTerm;
}
