#include "deformer/blend_spline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/sdk/inode.h"

namespace {

// A shape made from obj: obj itself when it is one, else its conversion to a generic shape
// (a new object is kept in `converted`). Null when obj cannot serve as a shape.
ShapeObject* AsShape(Object* obj, TimeValue t, std::unique_ptr<Object, HostObjectRelease>& converted) {
  if (!obj) return nullptr;
  if (obj->IsShapeObject()) return dynamic_cast<ShapeObject*>(obj);
  if (!obj->CanConvertToType(genericShapeClassID)) return nullptr;
  Object* made = obj->ConvertToType(t, genericShapeClassID);
  if (!made) return nullptr;
  auto* shape = made->IsShapeObject() ? dynamic_cast<ShapeObject*>(made) : nullptr;
  if (made != obj) {
    converted.reset(made);
  }
  return shape;
}

}  // namespace

SplineBinding PrepareSplineBinding(const BoneEntry& bone, TimeValue t, int positionCount) {
  SplineBinding s;
  INode* node = bone.node;
  if (!node) return s;
  // Evaluated here, on the calling thread, so that the workers find the node's state cached.
  const ObjectState& os = node->EvalWorldState(t);
  s.shape = AsShape(os.obj, t, s.converted);
  if (!s.shape) {
    s.converted.reset();
    s.shape = AsShape(node->GetObjectRef(), t, s.converted);
  }
  if (!s.shape) return s;

  s.objectTM = node->GetObjectTM(t);
  s.inverseTM = Inverse(s.objectTM);
  s.curveCount = s.shape->NumberOfCurves(t);
  // The arrays can disagree with splineCount in data from older files; never read past any.
  std::size_t bound = static_cast<std::size_t>(std::max(bone.splineCount, 0));
  bound = std::min({bound, bone.splineParam.size(), bone.splineCurve.size(), bone.splineOffset.size(),
                    bone.splineTangent.size(), static_cast<std::size_t>(std::max(positionCount, 0))});
  s.boundCount = static_cast<int>(bound);
  s.param = bone.splineParam.data();
  s.curve = bone.splineCurve.data();
  s.offset = bone.splineOffset.data();
  s.tangent = bone.splineTangent.data();
  return s;
}

Matrix3 TangentRotation(const Point3& from, const Point3& to) {
  const Point3 a = Normalize(from);
  const Point3 b = Normalize(to);
  const Point3 axis = Normalize(a ^ b);
  const float dot = DotProd(b, a);
  if (axis == Point3() && dot < 0.0f) {
    // Exactly opposite: there is no cross product, but any axis perpendicular to the tangent
    // turns it around by half a turn; take the one across the coordinate axis least aligned
    // with it. (The dot product of the rounded unit vectors may miss −1 slightly; the turn is
    // exactly half.)
    const Point3 ref = std::fabs(a.x) <= std::fabs(a.y) && std::fabs(a.x) <= std::fabs(a.z) ? Point3(1, 0, 0)
                       : std::fabs(a.y) <= std::fabs(a.z)                                   ? Point3(0, 1, 0)
                                                                                            : Point3(0, 0, 1);
    return RotAngleAxisMatrix(Normalize(a ^ ref), std::numbers::pi_v<float>);
  }
  return RotAngleAxisMatrix(axis, std::acos(std::clamp(dot, -1.0f, 1.0f)));
}

bool SplinePosition(const SplineBinding& s, const AffineFrame& skin, TimeValue t, int j, const Point3& current,
                    const Point3& attach, Point3& out) {
  if (!s.shape || j < 0 || j >= s.boundCount) return false;
  const int curve = s.curve[j];
  if (curve < 0 || curve >= s.curveCount) return false;

  // Both positions carried by the bone and brought into the curve's object space.
  const Point3 c = Transform(skin, current) * s.inverseTM;
  const Point3 b = Transform(skin, attach) * s.inverseTM;
  const Point3 offset = c + s.offset[j] - b;

  const float u = s.param[j];
  const Point3 pos = s.shape->InterpCurve3D(t, curve, u);
  const Point3 tangent = s.shape->TangentCurve3D(t, curve, std::clamp(u, 1e-6f, 0.999999f));
  const Matrix3 turn = TangentRotation(s.tangent[j], tangent);
  out = (offset * turn + pos) * s.objectTM;
  return true;
}
