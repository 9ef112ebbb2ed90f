#include "sources/orbicle.h"

#include "host/sdk/iparamm2.h"
#include "module/registry/class_descs.h"
#include "module/registry/class_ids.h"
#include "module/registry/orbicle_parameters.h"
#include "module/resources/resource_ids.h"
#include "sources/influence_table_functions.h"
#include "sources/influence_table_painting.h"
#include "sources/orbicle_create.h"
#include "sources/orbicle_dlg_proc.h"
#include "sources/parent_broadcast.h"

namespace {

using namespace orbicle_param;

IParamMap2* g_paramMap = nullptr;
IObjParam* g_editInterface = nullptr;
// Set while a refresh runs: the broadcast reaches this object's dependents and may come back.
bool g_refreshing = false;

}  // namespace

IParamMap2* OrbicleParamMap() { return g_paramMap; }
IObjParam* OrbicleEditInterface() { return g_editInterface; }

Orbicle::Orbicle() {
  SetAFlag(kOrbicleOrientationMarker);
  GetOrbicleDesc()->MakeAutoParamBlocks(this);
}

Orbicle::~Orbicle() {
  if (auto stop = GetInfluenceTablePainting().stop) stop(this);
  ForgetCreatedOrbicle(this);
  if (editOb == this) editOb = nullptr;
  DeleteAllRefs();
}

Class_ID Orbicle::ClassID() { return ORBICLE_CLASS_ID; }

void Orbicle::GetClassName(MSTR& s, bool localized) const {
  (void)localized;
  s = GetOrbicleDesc()->ClassName();
}

const MCHAR* Orbicle::GetObjectName(bool localized) const {
  (void)localized;
  return GetOrbicleDesc()->ClassName();
}

void Orbicle::InitNodeName(MSTR& s) { s = GetOrbicleDesc()->ClassName(); }

BaseInterface* Orbicle::GetInterface(Interface_ID id) {
  if (id == ORBICLE_INTERFACE_ID) return static_cast<ObPublicInterface*>(this);
  if (id == INFLUENCE_TABLE_EDITOR_INTERFACE_ID) return &tableEditor_;
  return SimpleObject2::GetInterface(id);
}

OrbicleShape Orbicle::ShapeAt(TimeValue t, Interval& valid) {
  OrbicleShape shape;
  shape.orientationMarker = TestAFlag(kOrbicleOrientationMarker) != FALSE;
  if (!pblock2) return shape;
  pblock2->GetValue(length, t, shape.length, valid);
  pblock2->GetValue(width, t, shape.width, valid);
  pblock2->GetValue(height, t, shape.height, valid);
  pblock2->GetValue(segments, t, shape.segments, valid);
  pblock2->GetValue(direction, t, shape.direction, valid);
  return shape;
}

void Orbicle::BuildMesh(TimeValue t) {
  ivalid = FOREVER;
  BuildOrbicleMesh(ShapeAt(t, ivalid), mesh);
}

BOOL Orbicle::OKtoDisplay(TimeValue t) {
  return pblock2 && pblock2->GetFloat(length, t) > 0.0f ? TRUE : FALSE;
}

BOOL Orbicle::IsRenderable() { return pblock2 && pblock2->GetInt(renderable, 0) ? TRUE : FALSE; }

void Orbicle::SurfaceClosed(TimeValue t, int surface, BOOL& uClosed, BOOL& vClosed) {
  (void)t; (void)surface;
  uClosed = vClosed = TRUE;
}

Point3 Orbicle::GetSurfacePoint(TimeValue t, float u, float v, Interval& iv) {
  return OrbicleSurfacePoint(ShapeAt(t, iv), u, v);
}

Point3 Orbicle::GetSurfacePoint(TimeValue t, int surface, float u, float v, Interval& iv) {
  (void)t; (void)surface; (void)u; (void)v; (void)iv;
  return Point3();
}

CreateMouseCallBack* Orbicle::GetCreateMouseCallBack() {
  OrbicleCreateCallBack* cb = GetOrbicleCreateCallBack();
  cb->SetObj(this);
  return cb;
}

void Orbicle::BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {
  SimpleObject2::BeginEditParams(ip, flags, prev);
  g_editInterface = ip;
  OrbicleDlgProc* proc = GetOrbicleDlgProc();
  if (g_paramMap) {
    g_paramMap->SetParamBlock(pblock2);
  } else {
    // The procedure goes in at once too, so that it hears the rollout's WM_INITDIALOG.
    g_paramMap = CreateCPParamMap2(pblock2, ip, GetOrbicleDesc()->HInstance(), IDD_ORBICLE, L"Orbicle Parameters", 0,
                                   proc, nullptr, ROLLUP_CAT_STANDARD);
  }
  if (g_paramMap) g_paramMap->SetUserDlgProc(proc);
}

void Orbicle::EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {
  SimpleObject2::EndEditParams(ip, flags, next);
  g_editInterface = nullptr;
  if ((flags & END_EDIT_REMOVEUI) && g_paramMap) {
    DestroyCPParamMap2(g_paramMap);
    g_paramMap = nullptr;
  }
}

void Orbicle::InvalidateUI() {
  if (g_paramMap) g_paramMap->Invalidate();
}

RefResult Orbicle::NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                    RefMessage message, BOOL propagate) {
  if (message == kSourceRefreshMessage && !g_refreshing) {
    g_refreshing = true;
    BroadcastToParents();
    g_refreshing = false;
  }
  return SimpleObject2::NotifyRefChanged(changeInt, hTarget, partID, message, propagate);
}

ReferenceTarget* Orbicle::Clone(RemapDir& remap) {
  auto* copy = new Orbicle();
  copy->ReplaceReference(0, remap.CloneRef(GetReference(0)));
  copy->ivalid.SetEmpty();
  BaseClone(this, copy, remap);
  PurgeStaleInfluenceTables(tables);
  copy->tables = tables;
  return copy;
}

float Orbicle::get_influence(ReferenceTarget* tessarin, int vertex) { return GetInfluence(tables, tessarin, vertex); }

BOOL Orbicle::set_influence(ReferenceTarget* tessarin, int vertex, float value) {
  return SetInfluence(tables, tessarin, vertex, value);
}
