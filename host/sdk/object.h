#pragma once
// Objects of the modifier pipeline: base objects, the object state handed up the stack,
// modifiers and derived objects (the stacks themselves).

#include <vector>

#include "host/sdk/box3.h"
#include "host/sdk/matrix3.h"
#include "host/sdk/ray.h"
#include "host/sdk/ref.h"
#include "host/sdk/subobject.h"

class INode;
class Object;
class ViewExp;
class CreateMouseCallBack;
class ModContext;

// What a stack evaluation yields: the object and, when the object is already in world space,
// no transform (tm null means identity).
class ObjectState {
public:
  Object* obj = nullptr;
  const Matrix3* tm = nullptr;
  Interval tmValid = FOREVER;

  ObjectState() = default;
  explicit ObjectState(Object* o) : obj(o) {}

  const Matrix3* GetTM() const { return tm; }
  Interval tmValidity() const { return tmValid; }
  Interval Validity(TimeValue t) const;
};

class BaseObject : public ReferenceTarget {
public:
  virtual const MCHAR* GetObjectName(bool localized = true) const { (void)localized; return L""; }
  virtual CreateMouseCallBack* GetCreateMouseCallBack() { return nullptr; }

  // --- Sub-object levels and selection (the host's defaults: no levels, nothing selected) ---
  virtual int NumSubObjTypes() { return 0; }
  // Level i (0 based); -1 asks for the current level's type. Null for none.
  virtual ISubObjType* GetSubObjType(int i) { (void)i; return nullptr; }
  // The active level: 0 is the object level.
  virtual int GetSubObjectLevel() { return 0; }
  virtual void ActivateSubobjSel(int level, XFormModes& modes) { (void)level; (void)modes; }
  // Hit test at sub-object level: the number of hits (recorded with the viewport).
  virtual int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p, ViewExp* vpt,
                      ModContext* mc) {
    (void)t; (void)inode; (void)type; (void)crossing; (void)flags; (void)p; (void)vpt; (void)mc;
    return 0;
  }
  virtual void SelectSubComponent(HitRecord* hitRec, BOOL selected, BOOL all, BOOL invert = FALSE) {
    (void)hitRec; (void)selected; (void)all; (void)invert;
  }
  virtual void ClearSelection(int selLevel) { (void)selLevel; }
  virtual void SelectAll(int selLevel) { (void)selLevel; }
  virtual void InvertSelection(int selLevel) { (void)selLevel; }
  virtual int SubObjectIndex(HitRecord* hitRec) { (void)hitRec; return 0; }
  // World bounding box of the sub-object selection.
  virtual void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vp, Box3& box, ModContext* mc) {
    (void)t; (void)inode; (void)vp; (void)mc;
    box.Init();
  }
  virtual void GetSubObjectCenters(SubObjAxisCallback* cb, TimeValue t, INode* node, ModContext* mc) {
    (void)cb; (void)t; (void)node; (void)mc;
  }
  virtual void GetSubObjectTMs(SubObjAxisCallback* cb, TimeValue t, INode* node, ModContext* mc) {
    (void)cb; (void)t; (void)node; (void)mc;
  }

  // Named sub-object selection sets.
  virtual BOOL SupportsNamedSubSels() { return FALSE; }
  virtual void ActivateSubSelSet(MSTR& setName) { (void)setName; }
  virtual void NewSetFromCurSel(MSTR& setName) { (void)setName; }
  virtual void RemoveSubSelSet(MSTR& setName) { (void)setName; }
  virtual void SetupNamedSelDropDown() {}
  virtual int NumNamedSelSets() { return 0; }
  virtual MSTR GetNamedSelSetName(int i) { (void)i; return MSTR(); }
  virtual void SetNamedSelSetName(int i, MSTR& newName) { (void)i; (void)newName; }
  // Combines the named sets `sets` by operator op (union, intersection, difference) into a new set.
  virtual void NewSetByOperator(MSTR& newName, Tab<int>& sets, int op) { (void)newName; (void)sets; (void)op; }
};

class Object : public BaseObject {
public:
  Object();

  // Evaluates the object at t (procedural objects rebuild themselves here).
  virtual ObjectState Eval(TimeValue t) = 0;

  // Per-channel validity of the object's current data.
  Interval ChannelValidity(TimeValue t, int nchan) const;
  void SetChannelValidity(int nchan, const Interval& v);
  void UpdateValidity(int nchan, const Interval& v);  // intersects
  void SetAllValidity(const Interval& v);
  Interval ObjectValidity(TimeValue t) const;

  virtual BOOL IsDeformable() { return FALSE; }
  virtual int NumPoints() { return 0; }
  virtual Point3 GetPoint(int i) { (void)i; return {}; }
  virtual void SetPoint(int i, const Point3& p) { (void)i; (void)p; }
  virtual void PointsWereChanged() {}
  // Bounding box of the deformable points; through tm when given.
  virtual void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE);

  virtual int CanConvertToType(Class_ID obtype) { return obtype == ClassID(); }
  // A new object of class obtype made from this one, or this object itself if it is of that class.
  virtual Object* ConvertToType(TimeValue t, Class_ID obtype) { (void)t; return obtype == ClassID() ? this : nullptr; }
  virtual BOOL IsShapeObject() { return FALSE; }
  virtual BOOL IsParamSurface() { return FALSE; }
  virtual Object* FindBaseObject() { return this; }

  // A complete copy for the pipeline to modify (the host evaluates stacks on copies).
  virtual Object* MakeShallowCopy(ChannelMask channels) { (void)channels; return nullptr; }

  // Nearest intersection of a ray (object space) with the object's surface.
  virtual int IntersectRay(TimeValue t, const Ray& ray, float& at, Point3& norm) {
    (void)t; (void)ray; (void)at; (void)norm;
    return FALSE;
  }

protected:
  // Copies the channel validities of another object (MakeShallowCopy implementations call it).
  void CopyValidity(const Object& from);

private:
  Interval validity_[NUM_OBJ_CHANS];
};

class GeomObject : public Object {
public:
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
  virtual BOOL IsRenderable() { return TRUE; }
};

class HelperObject : public Object {
public:
  SClass_ID SuperClassID() override { return HELPER_CLASS_ID; }
};

// Parameter types of curve queries.
inline constexpr int PARAM_SIMPLE = 0;      // per-segment parameter
inline constexpr int PARAM_NORMALIZED = 1;  // arc-length parameter

class ShapeObject : public GeomObject {
public:
  SClass_ID SuperClassID() override { return SHAPE_CLASS_ID; }
  BOOL IsShapeObject() override { return TRUE; }
  virtual int NumberOfCurves(TimeValue t) = 0;
  // Point and tangent of curve `curve` at parameter param in [0, 1], object space.
  virtual Point3 InterpCurve3D(TimeValue t, int curve, float param, int ptype = PARAM_SIMPLE) = 0;
  virtual Point3 TangentCurve3D(TimeValue t, int curve, float param, int ptype = PARAM_SIMPLE) = 0;
  virtual BOOL CurveClosed(TimeValue t, int curve) { (void)t; (void)curve; return FALSE; }
};

// The modifier's view of one application of it within a stack.
class LocalModData {
public:
  virtual ~LocalModData() = default;
  virtual LocalModData* Clone() = 0;
};

class ModContext {
public:
  Matrix3* tm = nullptr;
  Box3* box = nullptr;
  LocalModData* localData = nullptr;
  ModContext() = default;
  ModContext(const ModContext&) = delete;
  ModContext& operator=(const ModContext&) = delete;
  ~ModContext();
};

class Modifier : public BaseObject {
public:
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }
  virtual ChannelMask ChannelsUsed() = 0;
  virtual ChannelMask ChannelsChanged() = 0;
  virtual Class_ID InputType() = 0;
  virtual void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) = 0;
  virtual Interval LocalValidity(TimeValue t) { (void)t; return FOREVER; }
  virtual void NotifyInputChanged(const Interval& changeInt, PartID partID, RefMessage message, ModContext* mc) {
    (void)changeInt; (void)partID; (void)message; (void)mc;
  }
  virtual BOOL DependOnTopology(ModContext& mc) { (void)mc; return FALSE; }

  // The per-modifier off switch of the stack.
  BOOL IsEnabled() const { return enabled_; }
  void EnableMod() { enabled_ = TRUE; }
  void DisableMod() { enabled_ = FALSE; }

private:
  BOOL enabled_ = TRUE;
};

class WSModifier : public Modifier {
public:
  SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
};

// A modifier stack over an input object: index 0 is the top of the stack.
class IDerivedObject : public Object {
public:
  virtual int NumModifiers() = 0;
  virtual Modifier* GetModifier(int index) = 0;
  virtual ModContext* GetModContext(int index) = 0;
  // Inserts mod before position `before` (0 puts it on top).
  virtual void AddModifier(Modifier* mod, ModContext* mc = nullptr, int before = 0) = 0;
  virtual void DeleteModifier(int index = 0) = 0;
  virtual Object* GetObjRef() = 0;
  virtual RefResult ReferenceObject(Object* obj) = 0;
};

// A new derived object (object space, or world space for world-space modifiers) over obj.
IDerivedObject* CreateDerivedObject(Object* obj = nullptr);
IDerivedObject* CreateWSDerivedObject(Object* obj = nullptr);
