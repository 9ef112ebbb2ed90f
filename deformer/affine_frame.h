#pragma once
// The skin's own affine frames and bone ellipsoids. An AffineFrame is a 3×4 matrix acting on
// column vectors: row r = (r0, r1, r2, tr), p'r = r0·px + r1·py + r2·pz + tr. Column c (0..2) is
// the frame's c-th axis, column 3 its origin. A·B applies B first, then A.

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
Point3 Transform(const AffineFrame& f, const Point3& p);
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
float TwiceLargestRadius(const BoneShape& s);

// The signed radial distance of world point p outside the ellipsoid's surface, measured along the
// ray from the centre through p and reduced by the strength term max(strength, 0) × 0.13 × 2R
// (R the largest radius). Negative inside; −12 exactly at the centre. Double precision.
double RadialDistance(const BoneShape& s, const Point3& p, float strength);
// The same for l, the point already expressed in the shape's frame (ToLocal).
double RadialDistanceLocal(const BoneShape& s, const Point3& l, float strength);
