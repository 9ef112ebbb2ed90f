#include "deformer/spline_binding.h"

#include <algorithm>

#include "host/sdk/inode.h"

SplineTarget::SplineTarget(INode* node, TimeValue t) : t_(t) {
  if (!node) return;
  Object* obj = node->EvalWorldState(t).obj;
  if (!obj) return;
  if (obj->IsShapeObject()) {
    shape_ = dynamic_cast<ShapeObject*>(obj);
  } else if (obj->CanConvertToType(genericShapeClassID)) {
    Object* made = obj->ConvertToType(t, genericShapeClassID);
    if (made && made != obj) converted_ = made;
    shape_ = made && made->IsShapeObject() ? dynamic_cast<ShapeObject*>(made) : nullptr;
  }
  if (!shape_) return;
  inverseTM_ = Inverse(node->GetObjectTM(t));
  curveCount_ = shape_->NumberOfCurves(t);
}

SplineTarget::~SplineTarget() {
  if (converted_) converted_->DeleteThis();
}

void SplineTarget::Bind(BoneEntry& bone, int i, const Point3& worldPoint) const {
  if (!Usable() || i < 0) return;
  const std::size_t slot = static_cast<std::size_t>(i);
  if (slot >= bone.splineParam.size() || slot >= bone.splineCurve.size() || slot >= bone.splineOffset.size() ||
      slot >= bone.splineTangent.size())
    return;
  const Point3 q = worldPoint * inverseTM_;  // the curve's object space
  int bestCurve = -1;
  float bestParam = 0.5f;
  float bestDistance = 0.0f;
  for (int c = 0; c < curveCount_; ++c) {
    auto distance = [&](float u) { return (shape_->InterpCurve3D(t_, c, u) - q).LengthSquared(); };
    float u = 0.5f;
    float d = distance(u);
    RefineNearest(distance, 0.0f, 1.0f, kSplineSearchLevels, kSplineSearchHalfCount, u, d);
    if (bestCurve < 0 || d < bestDistance) {
      bestCurve = c;
      bestParam = u;
      bestDistance = d;
    }
  }
  const Point3 s = shape_->InterpCurve3D(t_, bestCurve, bestParam);
  bone.splineParam[i] = bestParam;
  bone.splineCurve[i] = bestCurve;
  bone.splineOffset[i] = q - s;
  bone.splineTangent[i] = shape_->TangentCurve3D(t_, bestCurve, std::clamp(bestParam, 1e-6f, 0.999999f));
}

void BindSplineVertices(BoneEntry& bone, TimeValue t, int n, const Point3* worldPoints) {
  bone.EnsureSplineCapacity(n);
  SplineTarget target(bone.node, t);
  if (!target.Usable()) return;
  for (int i = 0; i < n; ++i) target.Bind(bone, i, worldPoints[i]);
}
