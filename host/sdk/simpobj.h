#pragma once
// Procedural geometric objects: an object that builds its mesh from its parameters on demand and
// keeps it while the validity interval holds (SimpleObjectBase), and the variant whose
// parameters live in one parameter block, reference 0 (SimpleObject2). The host displays, hit
// tests, snaps and boxes the cached mesh; a stack above the object works on a triangle-mesh copy.

#include "host/sdk/iparamb2.h"
#include "host/sdk/mesh.h"
#include "host/sdk/object.h"

class SimpleObjectBase : public GeomObject {
public:
  // The cached mesh and the interval over which it is valid (empty: rebuild on the next use).
  Mesh mesh;
  Interval ivalid;
  // Set while the object is being created by mouse, so that snapping ignores it.
  BOOL suspendSnap = FALSE;

  // The object whose parameters the command panel shows (null when none), and the interface
  // it was opened with.
  static SimpleObjectBase* editOb;
  static IObjParam* ip;

  // Builds mesh for time t and sets ivalid.
  virtual void BuildMesh(TimeValue t) = 0;
  // False when the object is degenerate at t and should not be shown.
  virtual BOOL OKtoDisplay(TimeValue t) { (void)t; return TRUE; }
  // Refreshes the command panel's controls (the parameters changed).
  virtual void InvalidateUI() {}
  // Rebuilds the mesh unless ivalid holds t.
  void UpdateMesh(TimeValue t);

  // The name a new node carrying this object gets.
  virtual void InitNodeName(MSTR& s) { GetClassName(s); }

  // --- Parametric surface (the object as a surface in u and v, each in [0, 1]) ---
  virtual int NumSurfaces(TimeValue t) { (void)t; return 1; }
  virtual Point3 GetSurfacePoint(TimeValue t, float u, float v, Interval& iv) {
    (void)t; (void)u; (void)v; (void)iv;
    return Point3();
  }
  virtual Point3 GetSurfacePoint(TimeValue t, int surface, float u, float v, Interval& iv) {
    (void)surface;
    return GetSurfacePoint(t, u, v, iv);
  }
  virtual void SurfaceClosed(TimeValue t, int surface, BOOL& uClosed, BOOL& vClosed) {
    (void)t; (void)surface;
    uClosed = vClosed = FALSE;
  }

  // --- Object ---
  ObjectState Eval(TimeValue t) override;
  void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
  int CanConvertToType(Class_ID obtype) override;
  // A new triangle-mesh object holding the mesh at t.
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  // The pipeline's copy: a triangle-mesh object with the current mesh and validity.
  Object* MakeShallowCopy(ChannelMask channels) override;

  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;

protected:
  // A change of a parameter empties ivalid; the command panel is refreshed when it shows this.
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;
};

class SimpleObject2 : public SimpleObjectBase {
public:
  // The parameter block (null until one is set, or while reference 0 holds an old-style block
  // that a post-load conversion replaces).
  IParamBlock2* pblock2 = nullptr;

  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? ref0_ : nullptr; }
  int NumSubs() override { return 1; }
  Animatable* SubAnim(int i) override { return i == 0 ? pblock2 : nullptr; }
  MSTR SubAnimName(int i, bool localized = true) override;
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock2 : nullptr; }
  IParamBlock2* GetParamBlockByID(BlockID id) override;

protected:
  void SetReference(int i, RefTargetHandle rtarg) override;

private:
  ReferenceTarget* ref0_ = nullptr;
};
