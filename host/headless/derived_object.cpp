#include "host/headless/derived_object.h"

#include "host/sdk/inode.h"
#include "host/sdk/triobj.h"

namespace {

// A private copy of source for the modifiers: made in spare when it is a mesh object of the same
// class (assignment keeps the buffers whose sizes did not change), else a new shallow copy.
std::unique_ptr<Object> WorkingCopy(Object& source, std::unique_ptr<Object> spare) {
  const Class_ID id = source.ClassID();
  if (spare && spare.get() != &source && spare->ClassID() == id) {
    if (id == triObjectClassID) {
      auto* copy = static_cast<TriObject*>(spare.get());
      copy->mesh = static_cast<TriObject&>(source).mesh;
      copy->rayCache = MeshRayCache();  // built for the points the modifiers left last time
    } else if (id == polyObjectClassID) {
      static_cast<PolyObject*>(spare.get())->mm = static_cast<PolyObject&>(source).mm;
    } else if (id == patchObjectClassID) {
      static_cast<PatchObject*>(spare.get())->patch = static_cast<PatchObject&>(source).patch;
    } else {
      spare.reset();
    }
    if (spare) {
      for (int c = 0; c < NUM_OBJ_CHANS; ++c) spare->SetChannelValidity(c, source.ChannelValidity(0, c));
      return spare;
    }
  }
  return std::unique_ptr<Object>(source.MakeShallowCopy(ALL_CHANNELS));
}

}  // namespace

DerivedObject::DerivedObject(bool worldSpace) : worldSpace_(worldSpace) {}

DerivedObject::~DerivedObject() {
  result_.reset();
  spare_.reset();
  DeleteAllRefs();
}

Modifier* DerivedObject::GetModifier(int index) {
  return index >= 0 && index < NumModifiers() ? modifiers_[index].mod : nullptr;
}

ModContext* DerivedObject::GetModContext(int index) {
  return index >= 0 && index < NumModifiers() ? modifiers_[index].mc.get() : nullptr;
}

void DerivedObject::AddModifier(Modifier* mod, ModContext* mc, int before) {
  if (!mod) return;
  if (before < 0 || before > NumModifiers()) before = NumModifiers();
  Entry e;
  e.mc.reset(mc ? mc : new ModContext());
  modifiers_.insert(modifiers_.begin() + before, std::move(e));
  // The new slot's reference index is before + 1; the reference machinery fills it.
  ReplaceReference(before + 1, mod);
  InvalidateCache();
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  NotifyDependents(FOREVER, 0, REFMSG_SUBANIM_STRUCTURE_CHANGED);
}

void DerivedObject::DeleteModifier(int index) {
  if (index < 0 || index >= NumModifiers()) return;
  Modifier* mod = modifiers_[index].mod;
  // Release the reference before the slot goes, so that the modifier's dependents stay right.
  ReplaceReference(index + 1, nullptr);
  modifiers_.erase(modifiers_.begin() + index);
  (void)mod;
  InvalidateCache();
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  NotifyDependents(FOREVER, 0, REFMSG_SUBANIM_STRUCTURE_CHANGED);
}

RefResult DerivedObject::ReferenceObject(Object* obj) {
  RefResult r = ReplaceReference(0, obj);
  InvalidateCache();
  return r;
}

RefTargetHandle DerivedObject::GetReference(int i) {
  if (i == 0) return input_;
  if (i >= 1 && i <= NumModifiers()) return modifiers_[i - 1].mod;
  return nullptr;
}

void DerivedObject::SetReference(int i, RefTargetHandle rtarg) {
  if (i == 0) {
    input_ = static_cast<Object*>(rtarg);
  } else if (i >= 1 && i <= NumModifiers()) {
    modifiers_[i - 1].mod = static_cast<Modifier*>(rtarg);
  }
}

bool DerivedObject::PlacesInWorld() {
  if (!worldSpace_ || !input_) return false;
  bool anyOn = false;
  for (const Entry& e : modifiers_) anyOn = anyOn || (e.mod && e.mod->IsEnabled());
  if (!anyOn) return false;
  Object* base = input_->FindBaseObject();
  return base && (base->IsDeformable() || base->CanConvertToType(triObjectClassID));
}

void DerivedObject::PlaceInWorld(TimeValue t, ObjectState& os, std::unique_ptr<Object>& work, INode* node) {
  if (!os.obj->IsDeformable() && os.obj->CanConvertToType(triObjectClassID)) {
    Object* converted = os.obj->ConvertToType(t, triObjectClassID);
    if (converted && converted != os.obj) {
      work.reset(converted);
      os.obj = converted;
    }
  }
  Interval valid = FOREVER;
  const Matrix3 tm = node->GetObjTMBeforeWSM(t, &valid);
  Object* obj = os.obj;
  const int count = obj->NumPoints();
  for (int i = 0; i < count; ++i) obj->SetPoint(i, obj->GetPoint(i) * tm);
  obj->PointsWereChanged();
  // The placed points hold only while the node's transform does.
  obj->UpdateValidity(GEOM_CHAN_NUM, valid);
}

Object* DerivedObject::FindBaseObject() { return input_ ? input_->FindBaseObject() : nullptr; }

void DerivedObject::InvalidateCache() {
  ++generation_;
  if (result_) spare_ = std::move(result_);
  resultState_ = ObjectState();
  resultValid_ = NEVER;
  resultNode_ = nullptr;
}

RefResult DerivedObject::NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                          RefMessage message, BOOL propagate) {
  (void)propagate;
  if (message == REFMSG_CHANGE) {
    // Modifiers above a change in the input are told about it.
    if (hTarget == input_) {
      for (Entry& e : modifiers_)
        if (e.mod) e.mod->NotifyInputChanged(changeInt, partID, message, e.mc.get());
    }
    InvalidateCache();
  }
  if (message == REFMSG_TARGET_DELETED) {
    InvalidateCache();
    for (int i = 0; i < NumModifiers(); ++i) {
      if (modifiers_[i].mod == hTarget) {
        modifiers_.erase(modifiers_.begin() + i);
        break;
      }
    }
  }
  return REF_SUCCEED;
}

ObjectState DerivedObject::Eval(TimeValue t) {
  INode* node = nullptr;
  for (ReferenceMaker* m : Dependents())
    if (m->SuperClassID() == BASENODE_CLASS_ID) node = static_cast<INode*>(m);
  return EvalForNode(t, node);
}

ObjectState DerivedObject::EvalForNode(TimeValue t, INode* node) {
  if (resultState_.obj && resultNode_ == node && resultValid_.InInterval(t)) return resultState_;
  if (!input_ || evaluating_) return ObjectState();
  evaluating_ = true;
  InvalidateCache();

  ObjectState os;
  if (input_->SuperClassID() == GEN_DERIVOB_CLASS_ID || input_->SuperClassID() == WSM_DERIVOB_CLASS_ID)
    os = static_cast<DerivedObject*>(input_)->EvalForNode(t, node);
  else
    os = input_->Eval(t);

  if (modifiers_.empty() || !os.obj) {
    evaluating_ = false;
    resultState_ = os;
    resultValid_ = os.Validity(t);
    resultNode_ = node;
    // Nothing owned: the state points at the input's own result.
    return os;
  }

  // The modifiers work on a private copy of what came up the stack.
  std::unique_ptr<Object> work = WorkingCopy(*os.obj, std::move(spare_));
  if (!work) {
    evaluating_ = false;
    return os;
  }
  os.obj = work.get();
  bool toPlace = node && PlacesInWorld();
  for (int i = NumModifiers() - 1; i >= 0; --i) {
    Modifier* mod = modifiers_[i].mod;
    if (!mod || !mod->IsEnabled()) continue;
    if (toPlace) {
      PlaceInWorld(t, os, work, node);
      toPlace = false;
    }
    Class_ID input = mod->InputType();
    if (input != defObjectClassID && os.obj->ClassID() != input) {
      if (!os.obj->CanConvertToType(input)) continue;
      Object* converted = os.obj->ConvertToType(t, input);
      if (!converted) continue;
      if (converted != os.obj) {
        work.reset(converted);
        os.obj = converted;
      }
    }
    Object* before = os.obj;
    mod->ModifyObject(t, *modifiers_[i].mc, &os, node);
    if (os.obj != before) {
      // The modifier replaced the object (a conversion); the stack owns the new one.
      work.reset(os.obj);
    }
    if (os.obj) {
      ChannelMask changed = mod->ChannelsChanged();
      Interval local = mod->LocalValidity(t);
      for (int c = 0; c < NUM_OBJ_CHANS; ++c)
        if (changed & (1u << c)) os.obj->UpdateValidity(c, local);
    } else {
      break;
    }
  }

  result_ = std::move(work);
  resultState_ = os;
  resultValid_ = os.Validity(t);
  if (!resultValid_.InInterval(t)) resultValid_ = Interval(t, t);
  resultNode_ = node;
  evaluating_ = false;
  return resultState_;
}

ReferenceTarget* DerivedObject::Clone(RemapDir& remap) {
  auto* copy = new DerivedObject(worldSpace_);
  if (input_) copy->ReplaceReference(0, remap.CloneRef(input_));
  for (int i = NumModifiers() - 1; i >= 0; --i) {
    Modifier* mod = modifiers_[i].mod;
    if (!mod) continue;
    auto* modCopy = static_cast<Modifier*>(remap.CloneRef(mod));
    if (!modCopy) continue;
    auto* mc = new ModContext();
    if (modifiers_[i].mc->tm) mc->tm = new Matrix3(*modifiers_[i].mc->tm);
    if (modifiers_[i].mc->box) mc->box = new Box3(*modifiers_[i].mc->box);
    if (modifiers_[i].mc->localData) mc->localData = modifiers_[i].mc->localData->Clone();
    copy->AddModifier(modCopy, mc, 0);
  }
  BaseClone(this, copy, remap);
  return copy;
}

IDerivedObject* CreateDerivedObject(Object* obj) {
  auto* d = new DerivedObject(false);
  if (obj) d->ReferenceObject(obj);
  return d;
}

IDerivedObject* CreateWSDerivedObject(Object* obj) {
  auto* d = new DerivedObject(true);
  if (obj) d->ReferenceObject(obj);
  return d;
}
