#pragma once
// The Orbicle object: a procedural ellipsoid (or half-ellipsoid) that skin modifiers push their
// vertices out of. It renders only when asked to and deforms nothing itself; it keeps one
// influence table per skin modifier it acts on. Reference 0, the only one, is the parameter
// block (orbicleParameters).

#include "host/sdk/ioapi.h"
#include "host/sdk/simpobj.h"
#include "module/registry/influence_interfaces.h"
#include "sources/influence_table.h"
#include "sources/influence_table_editor_impl.h"
#include "sources/orbicle_mesh.h"

class IParamMap2;

// Bit of the host-kept flag word that new orbicles carry: rings start at longitude π/2.
inline constexpr DWORD kOrbicleOrientationMarker = 0x400000;
// The chunk of an orbicle's influence tables.
inline constexpr USHORT kOrbicleTablesChunk = 0x5000;

class Orbicle : public SimpleObject2, public ObPublicInterface {
public:
  // The automatic parameter block with its declared defaults, empty tables, the orientation
  // marker set.
  Orbicle();
  ~Orbicle() override;

  // --- Identity ---
  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  void InitNodeName(MSTR& s) override;
  BaseInterface* GetInterface(Interface_ID id) override;

  // --- Geometry ---
  void BuildMesh(TimeValue t) override;
  // True when `length` at t is greater than 0.
  BOOL OKtoDisplay(TimeValue t) override;
  // The `renderable` switch at time 0.
  BOOL IsRenderable() override;
  BOOL IsParamSurface() override { return TRUE; }
  void SurfaceClosed(TimeValue t, int surface, BOOL& uClosed, BOOL& vClosed) override;
  Point3 GetSurfacePoint(TimeValue t, float u, float v, Interval& iv) override;
  // The variant with a surface number answers the origin.
  Point3 GetSurfacePoint(TimeValue t, int surface, float u, float v, Interval& iv) override;
  // The shape at t (parameter values), narrowing valid.
  OrbicleShape ShapeAt(TimeValue t, Interval& valid);

  // --- Creation and the command panel ---
  CreateMouseCallBack* GetCreateMouseCallBack() override;
  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;
  void InvalidateUI() override;

  // --- Copies and storage ---
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  // --- Published functions (the influence tables) ---
  float get_influence(ReferenceTarget* tessarin, int vertex) override;
  BOOL set_influence(ReferenceTarget* tessarin, int vertex, float value) override;

  InfluenceTables tables;
  int spare = 0;  // kept from construction, unused

private:
  InfluenceTableEditor tableEditor_{*this, tables};  // the internal editing interface over tables

protected:
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;
};

// The module's one Orbicle rollout (null while none is open) and the interface of the edit
// session that opened it (null outside one).
IParamMap2* OrbicleParamMap();
IObjParam* OrbicleEditInterface();
