#include "host/headless/builtin_objects.h"
#include "host/headless/mesh_painter.h"

#include <algorithm>
#include <cmath>

namespace {

Box3 Through(const Box3& b, const Matrix3* tm) { return tm ? b * *tm : b; }

}  // namespace

// --- Helpers --------------------------------------------------------------------------------

void DummyObject::GetDeformBBox(TimeValue t, Box3& b, Matrix3* tm, BOOL useSel) {
  (void)t;
  (void)useSel;
  b = Through(box, tm);
}

Object* DummyObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  auto* copy = new DummyObject();
  copy->box = box;
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* DummyObject::Clone(RemapDir& remap) {
  auto* copy = new DummyObject();
  copy->box = box;
  BaseClone(this, copy, remap);
  return copy;
}

void PointHelperObject::GetDeformBBox(TimeValue t, Box3& b, Matrix3* tm, BOOL useSel) {
  (void)t;
  (void)useSel;
  Point3 origin = tm ? Point3() * *tm : Point3();
  b = Box3(origin, origin);
}

Object* PointHelperObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  auto* copy = new PointHelperObject();
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* PointHelperObject::Clone(RemapDir& remap) {
  auto* copy = new PointHelperObject();
  BaseClone(this, copy, remap);
  return copy;
}

// --- Splines --------------------------------------------------------------------------------

Point3 SplineShapeObject::Knot(const SplineCurve& c, int i) const {
  int n = static_cast<int>(c.knots.size());
  if (c.closed) return c.knots[((i % n) + n) % n];
  if (i < 0) return c.knots[0] * 2.0f - c.knots[std::min(1, n - 1)];  // reflected end
  if (i >= n) return c.knots[n - 1] * 2.0f - c.knots[std::max(n - 2, 0)];
  return c.knots[i];
}

void SplineShapeObject::Locate(const SplineCurve& c, float param, int ptype, int& segment, float& local) const {
  int n = static_cast<int>(c.knots.size());
  int segments = c.closed ? n : n - 1;
  param = std::clamp(param, 0.0f, 1.0f);
  if (segments <= 0) {
    segment = 0;
    local = 0.0f;
    return;
  }
  if (ptype == PARAM_NORMALIZED) {
    // By arc length, measured over a fixed sampling of each segment.
    constexpr int kSamples = 16;
    std::vector<float> lengths(segments, 0.0f);
    float total = 0.0f;
    for (int s = 0; s < segments; ++s) {
      Point3 prev = SegmentPoint(c, s, 0.0f);
      for (int k = 1; k <= kSamples; ++k) {
        Point3 p = SegmentPoint(c, s, float(k) / kSamples);
        lengths[s] += (p - prev).Length();
        prev = p;
      }
      total += lengths[s];
    }
    float target = param * total;
    for (int s = 0; s < segments; ++s) {
      if (target <= lengths[s] || s == segments - 1) {
        segment = s;
        local = lengths[s] > 0.0f ? std::clamp(target / lengths[s], 0.0f, 1.0f) : 0.0f;
        return;
      }
      target -= lengths[s];
    }
  }
  float scaled = param * float(segments);
  segment = std::min(static_cast<int>(std::floor(scaled)), segments - 1);
  local = scaled - float(segment);
}

Point3 SplineShapeObject::SegmentPoint(const SplineCurve& c, int s, float u) const {
  Point3 p1 = Knot(c, s), p2 = Knot(c, s + 1);
  if (!c.smooth || c.knots.size() < 3) return p1 + (p2 - p1) * u;
  Point3 p0 = Knot(c, s - 1), p3 = Knot(c, s + 2);
  float u2 = u * u, u3 = u2 * u;
  return (p1 * 2.0f + (p2 - p0) * u + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * u2 +
          (p1 * 3.0f - p0 - p2 * 3.0f + p3) * u3) *
         0.5f;
}

Point3 SplineShapeObject::SegmentDerivative(const SplineCurve& c, int s, float u) const {
  Point3 p1 = Knot(c, s), p2 = Knot(c, s + 1);
  if (!c.smooth || c.knots.size() < 3) return p2 - p1;
  Point3 p0 = Knot(c, s - 1), p3 = Knot(c, s + 2);
  float u2 = u * u;
  return ((p2 - p0) + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * (2.0f * u) +
          (p1 * 3.0f - p0 - p2 * 3.0f + p3) * (3.0f * u2)) *
         0.5f;
}

Point3 SplineShapeObject::InterpCurve3D(TimeValue t, int curve, float param, int ptype) {
  (void)t;
  if (curve < 0 || curve >= static_cast<int>(curves.size()) || curves[curve].knots.empty()) return {};
  const SplineCurve& c = curves[curve];
  if (c.knots.size() == 1) return c.knots[0];
  int s;
  float u;
  Locate(c, param, ptype, s, u);
  return SegmentPoint(c, s, u);
}

Point3 SplineShapeObject::TangentCurve3D(TimeValue t, int curve, float param, int ptype) {
  (void)t;
  if (curve < 0 || curve >= static_cast<int>(curves.size()) || curves[curve].knots.size() < 2) return {1, 0, 0};
  const SplineCurve& c = curves[curve];
  int s;
  float u;
  Locate(c, param, ptype, s, u);
  return SegmentDerivative(c, s, u).Normalize();
}

BOOL SplineShapeObject::CurveClosed(TimeValue t, int curve) {
  (void)t;
  return curve >= 0 && curve < static_cast<int>(curves.size()) && curves[curve].closed;
}

int SplineShapeObject::NumPoints() {
  int n = 0;
  for (const SplineCurve& c : curves) n += static_cast<int>(c.knots.size());
  return n;
}

Point3 SplineShapeObject::GetPoint(int i) {
  for (const SplineCurve& c : curves) {
    if (i < static_cast<int>(c.knots.size())) return c.knots[i];
    i -= static_cast<int>(c.knots.size());
  }
  return {};
}

void SplineShapeObject::SetPoint(int i, const Point3& p) {
  for (SplineCurve& c : curves) {
    if (i < static_cast<int>(c.knots.size())) {
      c.knots[i] = p;
      return;
    }
    i -= static_cast<int>(c.knots.size());
  }
}

int SplineShapeObject::CanConvertToType(Class_ID obtype) {
  return obtype == splineShapeClassID || obtype == genericShapeClassID || obtype == defObjectClassID;
}

Object* SplineShapeObject::ConvertToType(TimeValue t, Class_ID obtype) {
  (void)t;
  return CanConvertToType(obtype) ? this : nullptr;
}

Object* SplineShapeObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  auto* copy = new SplineShapeObject();
  copy->curves = curves;
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* SplineShapeObject::Clone(RemapDir& remap) {
  auto* copy = new SplineShapeObject();
  copy->curves = curves;
  BaseClone(this, copy, remap);
  return copy;
}

// --- Bones ----------------------------------------------------------------------------------

void BoneGeometryObject::GetDeformBBox(TimeValue t, Box3& b, Matrix3* tm, BOOL useSel) {
  (void)t;
  (void)useSel;
  b = Through(Box3(Point3(0.0f, -width / 2, -height / 2), Point3(length, width / 2, height / 2)), tm);
}

Object* BoneGeometryObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  auto* copy = new BoneGeometryObject();
  copy->length = length;
  copy->width = width;
  copy->height = height;
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* BoneGeometryObject::Clone(RemapDir& remap) {
  auto* copy = static_cast<BoneGeometryObject*>(MakeShallowCopy(ALL_CHANNELS));
  BaseClone(this, copy, remap);
  return copy;
}

Object* LegacyBoneObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  auto* copy = new LegacyBoneObject();
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* LegacyBoneObject::Clone(RemapDir& remap) {
  auto* copy = new LegacyBoneObject();
  BaseClone(this, copy, remap);
  return copy;
}

// --- Reference container --------------------------------------------------------------------

RefTargContainer::~RefTargContainer() { DeleteAllRefs(); }

ReferenceTarget* RefTargContainer::GetItem(int i) {
  return i >= 0 && i < GetNumItems() ? items_[i] : nullptr;
}

void RefTargContainer::SetItem(int i, ReferenceTarget* item) {
  if (i < 0) return;
  if (i >= GetNumItems()) items_.resize(i + 1, nullptr);
  ReplaceReference(i, item);
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

int RefTargContainer::AppendItem(ReferenceTarget* item) {
  items_.push_back(nullptr);
  int i = GetNumItems() - 1;
  ReplaceReference(i, item);
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CONTAINER_ELEMENT_ADDED);
  return i;
}

void RefTargContainer::RemoveItem(int i) {
  if (i < 0 || i >= GetNumItems()) return;
  // Shift the later references down one place, then drop the last slot.
  for (int k = i; k + 1 < GetNumItems(); ++k) {
    ReferenceTarget* next = items_[k + 1];
    ReplaceReference(k, next);
  }
  ReplaceReference(GetNumItems() - 1, nullptr);
  items_.pop_back();
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CONTAINER_ELEMENT_REMOVED);
}

void RefTargContainer::SetReference(int i, RefTargetHandle rtarg) {
  if (i >= 0 && i < GetNumItems()) items_[i] = rtarg;
}

RefResult RefTargContainer::NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                             RefMessage message, BOOL propagate) {
  (void)changeInt;
  (void)partID;
  (void)propagate;
  if (message == REFMSG_TARGET_DELETED) {
    for (ReferenceTarget*& item : items_)
      if (item == hTarget) item = nullptr;
  }
  return REF_SUCCEED;
}

ReferenceTarget* RefTargContainer::Clone(RemapDir& remap) {
  auto* copy = new RefTargContainer();
  for (int i = 0; i < GetNumItems(); ++i) {
    ReferenceTarget* mapped = items_[i] ? remap.FindMapping(items_[i]) : nullptr;
    copy->AppendItem(mapped ? mapped : items_[i]);
  }
  BaseClone(this, copy, remap);
  return copy;
}

// --- Class directory entries ----------------------------------------------------------------

namespace {

template <class T>
class BuiltinClassDesc : public ClassDesc2 {
public:
  BuiltinClassDesc(const wchar_t* name, SClass_ID super, Class_ID id) : name_(name), super_(super), id_(id) {}
  int IsPublic() override { return TRUE; }
  void* Create(BOOL loading) override {
    (void)loading;
    return new T();
  }
  const MCHAR* ClassName() override { return name_; }
  SClass_ID SuperClassID() override { return super_; }
  Class_ID ClassID() override { return id_; }
  const MCHAR* Category() override { return L"Standard"; }
  const MCHAR* InternalName() override { return name_; }

private:
  const wchar_t* name_;
  SClass_ID super_;
  Class_ID id_;
};

}  // namespace

void RegisterBuiltinClasses(std::vector<std::unique_ptr<ClassDesc>>& owned) {
  owned.push_back(std::make_unique<BuiltinClassDesc<TriObject>>(L"Editable Mesh", GEOMOBJECT_CLASS_ID, triObjectClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<PolyObject>>(L"Editable Poly", GEOMOBJECT_CLASS_ID, polyObjectClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<PatchObject>>(L"Editable Patch", GEOMOBJECT_CLASS_ID, patchObjectClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<DummyObject>>(L"Dummy", HELPER_CLASS_ID, dummyClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<PointHelperObject>>(L"Point", HELPER_CLASS_ID, pointHelperClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<SplineShapeObject>>(L"Line", SHAPE_CLASS_ID, splineShapeClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<BoneGeometryObject>>(L"Bone", GEOMOBJECT_CLASS_ID, boneObjectClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<LegacyBoneObject>>(L"Legacy Bone", LEGACY_BONE_SUPERCLASS_ID, legacyBoneClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<RefTargContainer>>(L"RefTargContainer", REF_TARGET_CLASS_ID, refTargContainerClassID));
  owned.push_back(std::make_unique<BuiltinClassDesc<PainterObject>>(L"Painter", REF_TARGET_CLASS_ID, PAINTER_CLASS_ID));
}
