#pragma once
// The host's own object classes that scenes are built from: helpers, splines, the two bone
// object classes and the reference-target container. Their scene storage is in
// builtin_storage.cpp.

#include <memory>
#include <vector>

#include "host/sdk/iparamb2.h"
#include "host/sdk/mesh.h"
#include "host/sdk/ref_container.h"
#include "host/sdk/triobj.h"

// A helper with a box (the dummy): its deformation box is the box.
class DummyObject : public HelperObject {
public:
  Box3 box{Point3(-0.5f, -0.5f, -0.5f), Point3(0.5f, 0.5f, 0.5f)};

  Class_ID ClassID() override { return dummyClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Dummy"; }
  ObjectState Eval(TimeValue t) override { (void)t; return ObjectState(this); }
  void GetDeformBBox(TimeValue t, Box3& b, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
};

// A point helper: no extent.
class PointHelperObject : public HelperObject {
public:
  Class_ID ClassID() override { return pointHelperClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Point"; }
  ObjectState Eval(TimeValue t) override { (void)t; return ObjectState(this); }
  void GetDeformBBox(TimeValue t, Box3& b, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
};

// A spline shape of one or more curves through knots, linear or smooth (Catmull-Rom).
struct SplineCurve {
  std::vector<Point3> knots;
  bool closed = false;
  bool smooth = true;
};

class SplineShapeObject : public ShapeObject {
public:
  std::vector<SplineCurve> curves;

  Class_ID ClassID() override { return splineShapeClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Line"; }
  ObjectState Eval(TimeValue t) override { (void)t; return ObjectState(this); }
  int NumberOfCurves(TimeValue t) override { (void)t; return static_cast<int>(curves.size()); }
  Point3 InterpCurve3D(TimeValue t, int curve, float param, int ptype = PARAM_SIMPLE) override;
  Point3 TangentCurve3D(TimeValue t, int curve, float param, int ptype = PARAM_SIMPLE) override;
  BOOL CurveClosed(TimeValue t, int curve) override;
  BOOL IsDeformable() override { return TRUE; }
  int NumPoints() override;
  Point3 GetPoint(int i) override;
  void SetPoint(int i, const Point3& p) override;
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

private:
  // The segment index and local parameter of a curve parameter in [0, 1].
  void Locate(const SplineCurve& c, float param, int ptype, int& segment, float& local) const;
  Point3 SegmentPoint(const SplineCurve& c, int segment, float local) const;
  Point3 SegmentDerivative(const SplineCurve& c, int segment, float local) const;
  Point3 Knot(const SplineCurve& c, int i) const;
};

// The host's bone geometry object (class 0x9125): a tapered box along +X of the given length.
class BoneGeometryObject : public GeomObject {
public:
  float length = 10.0f;
  float width = 2.0f;
  float height = 2.0f;

  Class_ID ClassID() override { return boneObjectClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Bone"; }
  ObjectState Eval(TimeValue t) override { (void)t; return ObjectState(this); }
  void GetDeformBBox(TimeValue t, Box3& b, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
};

// The host's legacy bone object (class 0x8a63c0): a joint marker whose bone is the link from its
// parent joint. It is neither geometry nor a helper.
inline constexpr SClass_ID LEGACY_BONE_SUPERCLASS_ID = 0x0060;

class LegacyBoneObject : public Object {
public:
  SClass_ID SuperClassID() override { return LEGACY_BONE_SUPERCLASS_ID; }
  Class_ID ClassID() override { return legacyBoneClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Legacy Bone"; }
  ObjectState Eval(TimeValue t) override { (void)t; return ObjectState(this); }
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
};

class RefTargContainer : public IRefTargContainer {
public:
  ~RefTargContainer() override;
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"RefTargContainer"; }
  int GetNumItems() override { return static_cast<int>(items_.size()); }
  ReferenceTarget* GetItem(int i) override;
  void SetItem(int i, ReferenceTarget* item) override;
  int AppendItem(ReferenceTarget* item) override;
  void RemoveItem(int i) override;
  int NumRefs() override { return GetNumItems(); }
  RefTargetHandle GetReference(int i) override { return GetItem(i); }
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

protected:
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;

private:
  std::vector<ReferenceTarget*> items_;
};

// Registers the host's own classes with the application's class directory.
void RegisterBuiltinClasses(std::vector<std::unique_ptr<ClassDesc>>& owned);
