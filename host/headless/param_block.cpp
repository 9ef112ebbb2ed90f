#include "host/headless/param_block.h"

namespace {

bool g_animate = false;

bool IsIntegral(ParamType2 t) { return t == TYPE_INT || t == TYPE_BOOL || t == TYPE_TIMEVALUE; }
bool IsFloating(ParamType2 t) {
  return t == TYPE_FLOAT || t == TYPE_ANGLE || t == TYPE_PCNT_FRAC || t == TYPE_WORLD;
}
bool IsPoint(ParamType2 t) { return t == TYPE_POINT3 || t == TYPE_RGBA; }

bool Compatible(ParamType2 declared, ParamType2 requested) {
  return (IsIntegral(declared) && IsIntegral(requested)) || (IsFloating(declared) && IsFloating(requested)) ||
         (IsPoint(declared) && IsPoint(requested));
}

}  // namespace

bool HostAnimateMode() { return g_animate; }
void SetHostAnimateMode(bool on) { g_animate = on; }

ParamBlock2::ParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner) : desc_(desc), owner_(owner) {
  if (!desc_) return;
  slots_.resize(desc_->paramdefs.size());
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    slots_[i].constant = desc_->paramdefs[i].def;
    slots_[i].constant.type = desc_->paramdefs[i].type;
  }
}

ParamBlock2::Slot* ParamBlock2::Find(ParamID id, ParamType2 requested) {
  int index = desc_->IDtoIndex(id);
  if (index < 0) return nullptr;
  if (!Compatible(desc_->paramdefs[index].type, requested)) return nullptr;
  return &slots_[index];
}

BOOL ParamBlock2::Set(ParamID id, TimeValue t, const PB2Value& v) {
  Slot* slot = Find(id, v.type);
  if (!slot) return FALSE;
  int index = desc_->IDtoIndex(id);
  PB2Value value = v;
  value.type = desc_->paramdefs[index].type;
  bool animatable = desc_->paramdefs[index].flags & P_ANIMATABLE;
  if (!slot->keys.empty() || (g_animate && animatable))
    slot->keys[t] = value;
  else
    slot->constant = value;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  return TRUE;
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, float v, int tabIndex) {
  (void)tabIndex;
  return Set(id, t, PB2Value::Float(v));
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, int v, int tabIndex) {
  (void)tabIndex;
  return Set(id, t, PB2Value::Int(v));
}

BOOL ParamBlock2::SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex) {
  (void)tabIndex;
  return Set(id, t, PB2Value::Pt(v));
}

PB2Value ParamBlock2::ValueAt(const Slot& slot, TimeValue t, Interval& valid) const {
  if (slot.keys.empty()) return slot.constant;
  valid &= Interval(t, t);
  auto next = slot.keys.lower_bound(t);
  if (next == slot.keys.end()) return std::prev(next)->second;
  if (next->first == t || next == slot.keys.begin()) return next->second;
  auto prev = std::prev(next);
  const PB2Value& a = prev->second;
  const PB2Value& b = next->second;
  if (IsIntegral(a.type)) return a;
  // In double: key times may lie further apart than an int spans.
  float s = float((double(t) - prev->first) / (double(next->first) - prev->first));
  PB2Value r = a;
  r.f = a.f + (b.f - a.f) * s;
  r.p = a.p + (b.p - a.p) * s;
  return r;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex) {
  (void)tabIndex;
  Slot* slot = Find(id, TYPE_FLOAT);
  if (!slot) return FALSE;
  v = ValueAt(*slot, t, ivalid).f;
  return TRUE;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex) {
  (void)tabIndex;
  Slot* slot = Find(id, TYPE_INT);
  if (!slot) return FALSE;
  v = ValueAt(*slot, t, ivalid).i;
  return TRUE;
}

BOOL ParamBlock2::GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex) {
  (void)tabIndex;
  Slot* slot = Find(id, TYPE_POINT3);
  if (!slot) return FALSE;
  v = ValueAt(*slot, t, ivalid).p;
  return TRUE;
}

int ParamBlock2::NumKeys(ParamID id) {
  int index = desc_->IDtoIndex(id);
  return index < 0 ? 0 : static_cast<int>(slots_[index].keys.size());
}

void ParamBlock2::GetKey(ParamID id, int index, TimeValue& t, PB2Value& v) {
  int slot = desc_->IDtoIndex(id);
  if (slot < 0 || index < 0 || index >= NumKeys(id)) return;
  auto it = std::next(slots_[slot].keys.begin(), index);
  t = it->first;
  v = it->second;
}

void ParamBlock2::SetKey(ParamID id, TimeValue t, const PB2Value& v) {
  int slot = desc_->IDtoIndex(id);
  if (slot < 0) return;
  PB2Value value = v;
  value.type = desc_->paramdefs[slot].type;
  slots_[slot].keys[t] = value;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void ParamBlock2::ClearKeys(ParamID id) {
  int slot = desc_->IDtoIndex(id);
  if (slot >= 0) slots_[slot].keys.clear();
}

PB2Value ParamBlock2::GetConstant(ParamID id) {
  int slot = desc_->IDtoIndex(id);
  return slot < 0 ? PB2Value() : slots_[slot].constant;
}

void ParamBlock2::SetConstant(ParamID id, const PB2Value& v) {
  int slot = desc_->IDtoIndex(id);
  if (slot < 0) return;
  slots_[slot].constant = v;
  slots_[slot].constant.type = desc_->paramdefs[slot].type;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

ReferenceTarget* ParamBlock2::Clone(RemapDir& remap) {
  auto* copy = new ParamBlock2(desc_, nullptr);
  copy->slots_ = slots_;
  BaseClone(this, copy, remap);
  return copy;
}

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* owner) {
  return pdesc ? new ParamBlock2(pdesc, owner) : nullptr;
}
