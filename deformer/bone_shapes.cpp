#include "deformer/bone_shapes.h"

#include <algorithm>
#include <cmath>

#include "deformer/tessarin.h"
#include "host/sdk/inode.h"
#include "module/registry/class_ids.h"

namespace {

// How the box and spline measurements see a bone node's evaluated object at t: tm carries the
// object's own coordinates to world space, and toObject carries the evaluated points to those
// coordinates. After world-space modifiers that left the node an identity transform the points are
// already in world space: tm is then the transform that placed them (GetObjTMBeforeWSM) and
// toObject its inverse, so that such a bone measures as it would without them.
struct BoneObjectSpace {
  Matrix3 tm;
  Matrix3 toObject;
  bool placed = false;
};

BoneObjectSpace BoneObjectTM(INode* node, TimeValue t) {
  BoneObjectSpace s;
  if (node->GetObjTMAfterWSM(t).IsIdentity()) {
    s.tm = node->GetObjTMBeforeWSM(t);
    s.toObject = Inverse(s.tm);
    s.placed = true;
  } else {
    s.tm = node->GetObjectTM(t);
  }
  return s;
}

// Radii: half the extents of the object's deformation box taken through T's pure scaling.
void MeasureRadii(Object* obj, TimeValue t, const BoneObjectSpace& space, float minRadius, BoneShape& target) {
  AffineParts parts;
  decomp_affine(space.tm, &parts);
  Matrix3 scaling;
  ApplyScaling(scaling, ScaleValue(parts.k * parts.f, parts.u));
  if (space.placed) scaling = space.toObject * scaling;
  Box3 box;
  obj->GetDeformBBox(t, box, &scaling);
  const Point3 width = box.IsEmpty() ? Point3() : box.Width();
  for (int a = 0; a < 3; ++a) target.radius[a] = std::max(width[a] * 0.5f, minRadius);
}

void MeasureBoxBone(INode* node, TimeValue t, float minRadius, BoneShape& target) {
  Object* obj = node->EvalWorldState(t).obj;
  if (!obj) return;
  const BoneObjectSpace space = BoneObjectTM(node, t);
  MeasureRadii(obj, t, space, minRadius, target);
  Box3 box;
  Matrix3 toObject = space.toObject;
  obj->GetDeformBBox(t, box, space.placed ? &toObject : nullptr);
  const Point3 centre = (box.IsEmpty() ? Point3() : box.Center()) * space.tm;
  Matrix3 frame = space.tm;
  frame.NoScale();
  frame.SetTrans(centre);
  frame.Orthogonalize();
  target.frame = FrameFromMatrix(frame);
}

void MeasureSplineBone(INode* node, TimeValue t, float minRadius, BoneShape& target) {
  Object* obj = node->EvalWorldState(t).obj;
  if (!obj) return;
  const BoneObjectSpace space = BoneObjectTM(node, t);
  MeasureRadii(obj, t, space, minRadius, target);
  Matrix3 frame = space.tm;
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
