#include "host/sdk/simpobj.h"

#include "host/sdk/triobj.h"

SimpleObjectBase* SimpleObjectBase::editOb = nullptr;
IObjParam* SimpleObjectBase::ip = nullptr;

void SimpleObjectBase::UpdateMesh(TimeValue t) {
  if (!ivalid.InInterval(t)) BuildMesh(t);
}

ObjectState SimpleObjectBase::Eval(TimeValue t) {
  UpdateMesh(t);
  // Every channel of the built object holds over the mesh's interval.
  SetAllValidity(ivalid);
  return ObjectState(this);
}

void SimpleObjectBase::GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm, BOOL useSel) {
  (void)useSel;
  UpdateMesh(t);
  box = mesh.getBoundingBox(tm);
}

int SimpleObjectBase::CanConvertToType(Class_ID obtype) {
  return obtype == ClassID() || obtype == triObjectClassID || obtype == defObjectClassID;
}

Object* SimpleObjectBase::ConvertToType(TimeValue t, Class_ID obtype) {
  if (obtype == ClassID()) return this;
  if (obtype != triObjectClassID && obtype != defObjectClassID) return nullptr;
  UpdateMesh(t);
  TriObject* tri = CreateNewTriObject();
  tri->mesh = mesh;
  tri->SetAllValidity(ivalid);
  return tri;
}

Object* SimpleObjectBase::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  TriObject* tri = CreateNewTriObject();
  tri->mesh = mesh;
  for (int c = 0; c < NUM_OBJ_CHANS; ++c) tri->SetChannelValidity(c, ChannelValidity(0, c));
  return tri;
}

void SimpleObjectBase::BeginEditParams(IObjParam* iface, ULONG flags, Animatable* prev) {
  (void)flags; (void)prev;
  ip = iface;
  editOb = this;
}

void SimpleObjectBase::EndEditParams(IObjParam* iface, ULONG flags, Animatable* next) {
  (void)iface; (void)flags; (void)next;
  if (editOb == this) editOb = nullptr;
  ip = nullptr;
}

RefResult SimpleObjectBase::NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                             RefMessage message, BOOL propagate) {
  (void)changeInt; (void)hTarget; (void)partID; (void)propagate;
  if (message == REFMSG_CHANGE) {
    ivalid.SetEmpty();
    if (editOb == this) InvalidateUI();
  }
  return REF_SUCCEED;
}

MSTR SimpleObject2::SubAnimName(int i, bool localized) {
  (void)localized;
  return i == 0 ? MSTR(L"Parameters") : MSTR();
}

IParamBlock2* SimpleObject2::GetParamBlockByID(BlockID id) {
  return pblock2 && pblock2->ID() == id ? pblock2 : nullptr;
}

void SimpleObject2::SetReference(int i, RefTargetHandle rtarg) {
  if (i != 0) return;
  ref0_ = rtarg;
  // An old-style block loaded from an older scene is not a current block; it waits as reference
  // 0 until the post-load conversion replaces it.
  pblock2 = dynamic_cast<IParamBlock2*>(rtarg);
  // A cloned block comes without its owner; its validator and rollout ask for it.
  if (pblock2 && !pblock2->GetOwner()) pblock2->SetOwner(this);
}
