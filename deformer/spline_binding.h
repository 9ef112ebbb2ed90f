#pragma once
// Binding vertices to a spline bone: where each vertex sits along the nearest of the shape's
// curves at attachment (parameter, curve, offset from the curve point, tangent there).

#include <memory>

#include "deformer/bone_table.h"
#include "host/sdk/object.h"

// The spline node's shape at one time, gathered once for a whole binding pass.
class SplineTarget {
public:
  // Null shape when the node has no evaluated object that is, or converts to, a shape.
  SplineTarget(INode* node, TimeValue t);
  ~SplineTarget();
  SplineTarget(const SplineTarget&) = delete;
  SplineTarget& operator=(const SplineTarget&) = delete;

  bool Usable() const { return shape_ != nullptr && curveCount_ > 0; }
  // Binds vertex i of bone to world point p: stores its spline parameter, curve, offset and
  // tangent. Nothing is stored when the target is not usable or i is past the spline arrays.
  void Bind(BoneEntry& bone, int i, const Point3& worldPoint) const;

private:
  TimeValue t_;
  ShapeObject* shape_ = nullptr;
  Object* converted_ = nullptr;  // a shape made by conversion, released with the target
  Matrix3 inverseTM_;
  int curveCount_ = 0;
};

// Binds every vertex of a spline bone to the world points (one per vertex, n entries); the
// bone's spline arrays are first extended to n entries when shorter.
void BindSplineVertices(BoneEntry& bone, TimeValue t, int n, const Point3* worldPoints);

// The nearest point search along one curve: refinement of a best parameter on [lo, hi] with
// `levels` further levels and 2·halfCount samples a pass; distanceSquared(u) is the squared
// distance of the curve point at u. bestU and bestD come in as the current best and go out
// improved.
inline constexpr int kSplineSearchLevels = 16;
inline constexpr int kSplineSearchHalfCount = 256;

template <class DistanceSquared>
void RefineNearest(DistanceSquared&& distanceSquared, float lo, float hi, int levels, int halfCount, float& bestU,
                   float& bestD) {
  for (;;) {
    const float step = (hi - lo) / static_cast<float>(2 * halfCount + 1);
    int bestI = -1;
    for (int i = 0; i <= 2 * halfCount; ++i) {
      if (i == halfCount) continue;  // the middle sample is the current best
      const float u = lo + static_cast<float>(i) * step + step / 2;
      const float d = distanceSquared(u);
      if (d < bestD) {
        bestD = d;
        bestU = u;
        bestI = i;
      }
    }
    if (levels <= 0 || bestI < 0) return;
    lo = lo + static_cast<float>(bestI) * step;
    hi = lo + step;
    --levels;
  }
}
