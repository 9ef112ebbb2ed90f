#include "sources/fluxel.h"

#include "host/sdk/inode.h"
#include "host/sdk/iparamm2.h"
#include "module/registry/class_descs.h"
#include "module/registry/class_ids.h"
#include "module/registry/fluxel_parameters.h"
#include "sources/fluxel_dlg_proc.h"
#include "sources/influence_table_functions.h"
#include "sources/influence_table_painting.h"
#include "sources/parent_broadcast.h"

namespace {

using namespace fluxel_param;

IObjParam* g_editInterface = nullptr;
// Set while a refresh runs: the broadcast reaches this object's dependents and may come back.
bool g_refreshing = false;

}  // namespace

IObjParam* FluxelEditInterface() { return g_editInterface; }

Fluxel::Fluxel() {
  GetFluxelDesc()->MakeAutoParamBlocks(this);
  if (!pblock) return;
  pblock->SetValue(origin, 0, 1);
  pblock->SetValue(blend, 0, 0);
  pblock->SetValue(direction, 0, 0);
  pblock->SetValue(disabled, 0, 0);
  pblock->SetValue(real_time, 0, 1);
}

Fluxel::~Fluxel() {
  if (auto stop = GetInfluenceTablePainting().stop) stop(this);
  DeleteAllRefs();
  pblock = nullptr;
}

void Fluxel::GetClassName(MSTR& s, bool localized) const {
  (void)localized;
  s = GetFluxelDesc()->ClassName();
}

const MCHAR* Fluxel::GetObjectName(bool localized) const {
  (void)localized;
  return GetFluxelDesc()->ClassName();
}

Class_ID Fluxel::ClassID() { return FLUXEL_CLASS_ID; }

BaseInterface* Fluxel::GetInterface(Interface_ID id) {
  if (id == FLUXEL_INTERFACE_ID) return static_cast<FxPublicInterface*>(this);
  if (id == INFLUENCE_TABLE_EDITOR_INTERFACE_ID) return &tableEditor_;
  return WSModifier::GetInterface(id);
}

Class_ID Fluxel::InputType() { return triObjectClassID; }

void Fluxel::ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) {
  (void)mc;
  if (!firstEvaluationDone) {
    firstEvaluationDone = true;
    // The collision mesh is not painted: it never shows vertex colours.
    if (node) node->SetCVertMode(FALSE);
  }
  if (os && os->obj) os->obj->UpdateValidity(GEOM_CHAN_NUM, Interval(t, t));
}

void Fluxel::BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {
  g_editInterface = ip;
  GetFluxelDesc()->SetUserDlgProc(&fluxelParameters, GetFluxelDlgProc());
  GetFluxelDesc()->BeginEditParams(ip, this, flags, prev);
}

void Fluxel::EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {
  if (pblock && pblock->GetMap()) GetFluxelDesc()->EndEditParams(ip, this, flags | END_EDIT_REMOVEUI, next);
  g_editInterface = nullptr;
}

Animatable* Fluxel::SubAnim(int i) { return i == 0 ? pblock : nullptr; }

MSTR Fluxel::SubAnimName(int i, bool localized) {
  (void)localized;
  return i == 0 ? MSTR(L"Parameters") : MSTR();
}

IParamBlock2* Fluxel::GetParamBlock(int i) { return i == 0 ? pblock : nullptr; }

IParamBlock2* Fluxel::GetParamBlockByID(BlockID id) { return pblock && pblock->ID() == id ? pblock : nullptr; }

RefTargetHandle Fluxel::GetReference(int i) { return i == 0 ? ref0_ : nullptr; }

void Fluxel::SetReference(int i, RefTargetHandle rtarg) {
  if (i != 0) return;
  ref0_ = rtarg;
  pblock = dynamic_cast<IParamBlock2*>(rtarg);
  // A cloned block comes without its owner; its validator and rollout ask for it.
  if (pblock && !pblock->GetOwner()) pblock->SetOwner(this);
}

RefResult Fluxel::NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                   RefMessage message, BOOL propagate) {
  (void)changeInt; (void)hTarget; (void)partID; (void)propagate;
  if (message == kSourceRefreshMessage && !g_refreshing) {
    g_refreshing = true;
    BroadcastToParents();
    g_refreshing = false;
  }
  return REF_SUCCEED;
}

ReferenceTarget* Fluxel::Clone(RemapDir& remap) {
  auto* copy = new Fluxel();
  copy->ReplaceReference(0, remap.CloneRef(ref0_));
  BaseClone(this, copy, remap);
  PurgeStaleInfluenceTables(tables);
  copy->tables = tables;
  return copy;
}

float Fluxel::get_influence(ReferenceTarget* tessarin, int vertex) { return GetInfluence(tables, tessarin, vertex); }

BOOL Fluxel::set_influence(ReferenceTarget* tessarin, int vertex, float value) {
  return SetInfluence(tables, tessarin, vertex, value);
}
