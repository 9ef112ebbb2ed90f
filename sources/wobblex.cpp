#include "sources/wobblex.h"

#include <new>

#include "host/sdk/iparamb2_plcb.h"
#include "host/sdk/iparamm2.h"
#include "host/sdk/interface.h"
#include "module/registry/class_descs.h"
#include "module/registry/class_ids.h"
#include "module/registry/wobblex_parameters.h"
#include "sources/wobblex_dlg_proc.h"

namespace {

using namespace wobblex_param;

// The interface of the rollout being edited; only this class uses it.
IObjParam* g_editInterface = nullptr;

// Older layouts of the block, all integers, entry i mapping to parameter id i. Version 1 had
// the eight parameters up to the locks, with skid and the locks not animatable; version 2 added
// throbbing_x and made every entry animatable.
ParamBlockDescID g_layout1[] = {
    {TYPE_INT, nullptr, TRUE, delay},   {TYPE_INT, nullptr, FALSE, skid},
    {TYPE_INT, nullptr, TRUE, amplitude_x}, {TYPE_INT, nullptr, TRUE, period_x},
    {TYPE_INT, nullptr, TRUE, shift_x}, {TYPE_INT, nullptr, FALSE, lock_x},
    {TYPE_INT, nullptr, FALSE, lock_y}, {TYPE_INT, nullptr, FALSE, lock_z},
};
ParamBlockDescID g_layout2[] = {
    {TYPE_INT, nullptr, TRUE, delay},   {TYPE_INT, nullptr, TRUE, skid},
    {TYPE_INT, nullptr, TRUE, amplitude_x}, {TYPE_INT, nullptr, TRUE, period_x},
    {TYPE_INT, nullptr, TRUE, shift_x}, {TYPE_INT, nullptr, TRUE, lock_x},
    {TYPE_INT, nullptr, TRUE, lock_y},  {TYPE_INT, nullptr, TRUE, lock_z},
    {TYPE_INT, nullptr, TRUE, throbbing_x},
};
ParamVersionDesc g_oldVersions[] = {
    ParamVersionDesc(g_layout1, 8, 1),
    ParamVersionDesc(g_layout2, 9, 2),
};

}  // namespace

Wobblex::Wobblex() {
  GetWobblexDesc()->MakeAutoParamBlocks(this);
  if (!pblock) return;
  // The declared defaults are all 0; these are the creation values, in id order.
  pblock->SetValue(delay, 0, 0);
  pblock->SetValue(skid, 0, 0);
  pblock->SetValue(amplitude_x, 0, 0);
  pblock->SetValue(period_x, 0, 10 * GetTicksPerFrame());
  pblock->SetValue(shift_x, 0, 0);
  pblock->SetValue(lock_x, 0, 0);
  pblock->SetValue(lock_y, 0, 100);
  pblock->SetValue(lock_z, 0, 100);
  pblock->SetValue(throbbing_x, 0, 0);
  pblock->SetValue(amplitude_y, 0, 0);
  pblock->SetValue(period_y, 0, 10 * GetTicksPerFrame());
  pblock->SetValue(shift_y, 0, 0);
  pblock->SetValue(throbbing_y, 0, 0);
  pblock->SetValue(amplitude_z, 0, 0);
  pblock->SetValue(period_z, 0, 10 * GetTicksPerFrame());
  pblock->SetValue(shift_z, 0, 0);
  pblock->SetValue(throbbing_z, 0, 0);
}

Wobblex::~Wobblex() {
  DeleteAllRefs();
  pblock = nullptr;
}

void Wobblex::GetClassName(MSTR& s, bool localized) const {
  (void)localized;
  s = GetWobblexDesc()->ClassName();
}

const MCHAR* Wobblex::GetObjectName(bool localized) const {
  (void)localized;
  return GetWobblexDesc()->ClassName();
}

Class_ID Wobblex::ClassID() { return WOBBLEX_CLASS_ID; }

Class_ID Wobblex::InputType() { return triObjectClassID; }

void Wobblex::BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {
  g_editInterface = ip;
  GetWobblexDesc()->SetUserDlgProc(&wobblexParameters, GetWobblexDlgProc());
  GetWobblexDesc()->BeginEditParams(ip, this, flags, prev);
}

void Wobblex::EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {
  if (pblock && pblock->GetMap(0)) GetWobblexDesc()->EndEditParams(ip, this, flags | END_EDIT_REMOVEUI, next);
  g_editInterface = nullptr;
}

Animatable* Wobblex::SubAnim(int i) { return i == 0 ? pblock : nullptr; }

MSTR Wobblex::SubAnimName(int i, bool localized) {
  (void)localized;
  return i == 0 ? MSTR(L"Parameters") : MSTR();
}

IParamBlock2* Wobblex::GetParamBlock(int i) { return i == 0 ? pblock : nullptr; }

IParamBlock2* Wobblex::GetParamBlockByID(BlockID id) { return pblock && pblock->ID() == id ? pblock : nullptr; }

RefTargetHandle Wobblex::GetReference(int i) { return i == kWobblexParamsRef ? ref0_ : nullptr; }

void Wobblex::SetReference(int i, RefTargetHandle rtarg) {
  if (i != kWobblexParamsRef) return;
  ref0_ = rtarg;
  pblock = rtarg && rtarg->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID ? static_cast<IParamBlock2*>(rtarg) : nullptr;
  // A cloned or converted block may come without its owner; the validator and the rollout ask
  // for it.
  if (pblock && !pblock->GetOwner()) pblock->SetOwner(this);
}

ReferenceTarget* Wobblex::Clone(RemapDir& remap) {
  auto* copy = new (std::nothrow) Wobblex();
  if (!copy) return nullptr;
  if (pblock) copy->ReplaceReference(kWobblexParamsRef, remap.CloneRef(pblock));
  BaseClone(this, copy, remap);
  return copy;
}

IOResult Wobblex::Save(ISave* isave) {
  (void)isave;
  return IO_OK;
}

IOResult Wobblex::Load(ILoad* iload) {
  if (iload) {
    iload->RegisterPostLoadCallback(
        new ParamBlock2PLCB(g_oldVersions, 2, &wobblexParameters, this, kWobblexParamsRef));
  }
  return IO_OK;
}

void Wobblex::ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) {
  (void)mc;
  (void)node;
  if (os && os->obj) os->obj->UpdateValidity(GEOM_CHAN_NUM, Interval(t, t));
}

IObjParam* WobblexEditInterface() { return g_editInterface; }
