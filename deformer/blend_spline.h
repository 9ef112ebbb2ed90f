#pragma once
// Spline bones in the blend: vertices bound to a spline follow its curves. The curve state of a
// spline bone is gathered once per evaluation on the calling thread; the blend's workers then
// only query the shape's curves.

#include <memory>

#include "deformer/affine_frame.h"
#include "deformer/bone_table.h"
#include "host/sdk/object.h"

// Releases a host object that the blend made by conversion.
struct HostObjectRelease {
  void operator()(Object* obj) const {
    if (obj) obj->DeleteThis();
  }
};

struct SplineBinding {
  ShapeObject* shape = nullptr;  // null: no usable shape; the bone then moves points by its skin
  Matrix3 objectTM;              // the spline node's object transform at the evaluation time
  Matrix3 inverseTM;             // its inverse
  int curveCount = 0;            // curves of the shape
  int boundCount = 0;            // vertices 0 .. boundCount − 1 are bound to the curves
  // The bone's spline arrays, boundCount entries each.
  const float* param = nullptr;
  const std::int32_t* curve = nullptr;
  const Point3* offset = nullptr;
  const Point3* tangent = nullptr;
  // A shape the node's object had to be converted into; released with the binding.
  std::unique_ptr<Object, HostObjectRelease> converted;
};

// Gathers spline bone `bone`'s curve state at t. positionCount caps the bound vertices (the
// length of the current and attachment position arrays the positions are read from).
SplineBinding PrepareSplineBinding(const BoneEntry& bone, TimeValue t, int positionCount);

// The rotation that turns the direction of tangent `from` into that of `to` (row vectors:
// from · R ∥ to). Opposite tangents turn by half a turn about an axis perpendicular to both; a
// zero tangent gives the identity.
Matrix3 TangentRotation(const Point3& from, const Point3& to);

// The world position of vertex j dragged along the curve: current and attach are the vertex's
// current and attachment world positions, skin the bone's skin frame. False, with out untouched,
// when the binding has no shape, j is not bound, or the vertex's curve index is not a curve of
// the shape.
bool SplinePosition(const SplineBinding& s, const AffineFrame& skin, TimeValue t, int j, const Point3& current,
                    const Point3& attach, Point3& out);
