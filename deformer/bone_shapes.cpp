#include "deformer/bone_shapes.h"

#include <algorithm>
#include <cmath>

#include "deformer/tessarin.h"
#include "host/sdk/inode.h"
#include "module/registry/class_ids.h"

namespace {

// The bone node's object transform as the box and spline measurements use it.
Matrix3 BoneObjectTM(INode* node, TimeValue t) {
  if (node->GetObjTMAfterWSM(t).IsIdentity()) return Inverse(node->GetObjTMBeforeWSM(t));
  return node->GetObjectTM(t);
}

// Radii: half the extents of the object's deformation box taken through T's pure scaling.
void MeasureRadii(Object* obj, TimeValue t, const Matrix3& tm, float minRadius, BoneShape& target) {
  AffineParts parts;
  decomp_affine(tm, &parts);
  Matrix3 scaling;
  ApplyScaling(scaling, ScaleValue(parts.k * parts.f, parts.u));
  Box3 box;
  obj->GetDeformBBox(t, box, &scaling);
  const Point3 width = box.IsEmpty() ? Point3() : box.Width();
  for (int a = 0; a < 3; ++a) target.radius[a] = std::max(width[a] * 0.5f, minRadius);
}

void MeasureBoxBone(INode* node, TimeValue t, float minRadius, BoneShape& target) {
  Object* obj = node->EvalWorldState(t).obj;
  if (!obj) return;
  const Matrix3 tm = BoneObjectTM(node, t);
  MeasureRadii(obj, t, tm, minRadius, target);
  Box3 box;
  obj->GetDeformBBox(t, box, nullptr);
  const Point3 centre = (box.IsEmpty() ? Point3() : box.Center()) * tm;
  Matrix3 frame = tm;
  frame.NoScale();
  frame.SetTrans(centre);
  frame.Orthogonalize();
  target.frame = FrameFromMatrix(frame);
}

void MeasureSplineBone(INode* node, TimeValue t, float minRadius, BoneShape& target) {
  Object* obj = node->EvalWorldState(t).obj;
  if (!obj) return;
  const Matrix3 tm = BoneObjectTM(node, t);
  MeasureRadii(obj, t, tm, minRadius, target);
  Matrix3 frame = tm;
  frame.NoScale();
  target.frame = FrameFromMatrix(frame);
}

void MeasureLinkBone(INode* node, TimeValue t, float minRadius, BoneShape& target) {
  INode* parent = node->GetParentNode();
  if (!parent) return;
  const Point3 a = node->GetObjectTM(t).GetTrans();
  const Point3 c = parent->GetObjectTM(t).GetTrans();
  const Point3 m = (a + c) * 0.5f;
  const Point3 h = a - m;
  target.radius[0] = std::max(h.Length(), minRadius);
  target.radius[1] = minRadius;
  target.radius[2] = minRadius;
  Point3 x = h.Normalize();
  if (x.Length() < 0.7f) x = Point3(1, 0, 0);  // the joint sits on its parent
  Point3 y, z;
  if (std::fabs(x.y) >= std::fabs(x.z)) {
    y = Point3(0, 0, 1) ^ x;
    z = x ^ y;
  } else {
    z = x ^ Point3(0, 1, 0);
    y = z ^ x;
  }
  AffineFrame f;
  SetAxis(f, 0, x);
  SetAxis(f, 1, y.Normalize());
  SetAxis(f, 2, z.Normalize());
  SetOrigin(f, m);
  target.frame = f;
}

}  // namespace

int Classify(INode* node, TimeValue t) {
  if (!node) return 0;
  Object* obj = node->EvalWorldState(t).obj;
  if (!obj) return 0;
  if (obj->IsSubClassOf(ORBICLE_CLASS_ID)) return 0;
  if (obj->IsSubClassOf(boneObjectClassID)) return kBoneObjectBone;
  const SClass_ID sc = obj->SuperClassID();
  if (sc == GEOMOBJECT_CLASS_ID || sc == HELPER_CLASS_ID) return kBoxBone;
  if (sc == SHAPE_CLASS_ID) return kSplineBone;
  if (!obj->IsSubClassOf(legacyBoneClassID)) return 0;
  INode* parent = node->GetParentNode();
  if (!parent || parent->IsRootNode()) return 0;
  Object* parentObj = parent->GetObjectRef();
  return parentObj && parentObj->IsSubClassOf(legacyBoneClassID) ? kLinkBone : 0;
}

void MeasureShape(const BoneEntry& bone, TimeValue t, float minRadius, BoneShape& target) {
  if (!bone.node) return;
  switch (bone.kind) {
    case kLinkBone: MeasureLinkBone(bone.node, t, minRadius, target); break;
    case kSplineBone: MeasureSplineBone(bone.node, t, minRadius, target); break;
    default: MeasureBoxBone(bone.node, t, minRadius, target); break;
  }
}

void UpdateBoneShapes(Tessarin& skin, TimeValue t, bool useInertia, bool useOscillation) {
  (void)useInertia;
  (void)useOscillation;
  for (auto& bone : skin.table.bones) MeasureShape(*bone, t, skin.settings.minRadius, bone->shape);
}
