#include "host/headless/legacy_param_block.h"

#include "host/headless/chunk_load.h"
#include "host/headless/param_value_io.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/stream_values.h"

bool LegacyParamBlock::HoldsType(int type) {
  return type == TYPE_FLOAT || type == TYPE_INT || type == TYPE_RGBA || type == TYPE_POINT3 || type == TYPE_BOOL;
}

LegacyParamBlock::LegacyParamBlock(const ParamBlockDescID* pdesc, int count, DWORD version) : version_(version) {
  entries_.resize(count > 0 ? count : 0);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    entries_[i].type = pdesc[i].type;
    entries_[i].animatable = pdesc[i].animatable != FALSE;
    entries_[i].constant.type = pdesc[i].type;
  }
}

IParamBlock* CreateParameterBlock(ParamBlockDescID* pdesc, int count, DWORD version) {
  if (count < 0 || (count > 0 && !pdesc)) return nullptr;
  for (int i = 0; i < count; ++i)
    if (!LegacyParamBlock::HoldsType(pdesc[i].type)) return nullptr;
  return new LegacyParamBlock(pdesc, count, version);
}

ParamType2 LegacyParamBlock::GetParameterType(int i) {
  return i >= 0 && i < NumParams() ? entries_[i].type : TYPE_INT;
}

BOOL LegacyParamBlock::IsAnimatable(int i) { return i >= 0 && i < NumParams() && entries_[i].animatable; }

LegacyParamBlock::Entry* LegacyParamBlock::Find(int i, ParamType2 requested) {
  if (i < 0 || i >= NumParams() || KindOf(entries_[i].type) != KindOf(requested)) return nullptr;
  return &entries_[i];
}

BOOL LegacyParamBlock::Set(int i, TimeValue t, const PB2Value& v) {
  Entry* e = Find(i, v.type);
  if (!e) return FALSE;
  PB2Value value = v;
  value.type = e->type;
  if (!e->keys.empty())
    e->keys[t] = value;
  else
    e->constant = value;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  return TRUE;
}

BOOL LegacyParamBlock::SetValue(int i, TimeValue t, float v) { return Set(i, t, PB2Value::Float(v)); }
BOOL LegacyParamBlock::SetValue(int i, TimeValue t, int v) { return Set(i, t, PB2Value::Int(v)); }
BOOL LegacyParamBlock::SetValue(int i, TimeValue t, const Point3& v) { return Set(i, t, PB2Value::Pt(v)); }

PB2Value LegacyParamBlock::ValueAt(const Entry& e, TimeValue t, Interval& valid) const {
  if (e.keys.empty()) return e.constant;
  valid &= Interval(t, t);
  auto next = e.keys.lower_bound(t);
  if (next == e.keys.end()) return std::prev(next)->second;
  if (next->first == t || next == e.keys.begin()) return next->second;
  auto prev = std::prev(next);
  if (KindOf(e.type) == ParamKind::Integer) return prev->second;
  // In double: key times may lie further apart than an int spans.
  float s = float((double(t) - prev->first) / (double(next->first) - prev->first));
  PB2Value r = prev->second;
  r.f = prev->second.f + (next->second.f - prev->second.f) * s;
  r.p = prev->second.p + (next->second.p - prev->second.p) * s;
  return r;
}

BOOL LegacyParamBlock::GetValue(int i, TimeValue t, float& v, Interval& ivalid) {
  Entry* e = Find(i, TYPE_FLOAT);
  if (!e) return FALSE;
  v = ValueAt(*e, t, ivalid).f;
  return TRUE;
}

BOOL LegacyParamBlock::GetValue(int i, TimeValue t, int& v, Interval& ivalid) {
  Entry* e = Find(i, TYPE_INT);
  if (!e) return FALSE;
  v = ValueAt(*e, t, ivalid).i;
  return TRUE;
}

BOOL LegacyParamBlock::GetValue(int i, TimeValue t, Point3& v, Interval& ivalid) {
  Entry* e = Find(i, TYPE_POINT3);
  if (!e) return FALSE;
  v = ValueAt(*e, t, ivalid).p;
  return TRUE;
}

int LegacyParamBlock::NumKeys(int i) {
  return i >= 0 && i < NumParams() ? static_cast<int>(entries_[i].keys.size()) : 0;
}

void LegacyParamBlock::GetKey(int i, int index, TimeValue& t, PB2Value& v) {
  if (index < 0 || index >= NumKeys(i)) return;
  auto it = std::next(entries_[i].keys.begin(), index);
  t = it->first;
  v = it->second;
}

BOOL LegacyParamBlock::SetKey(int i, TimeValue t, const PB2Value& v) {
  Entry* e = Find(i, v.type);
  if (!e || !e->animatable) return FALSE;
  PB2Value value = v;
  value.type = e->type;
  e->keys[t] = value;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  return TRUE;
}

PB2Value LegacyParamBlock::GetConstant(int i) { return i >= 0 && i < NumParams() ? entries_[i].constant : PB2Value(); }

ReferenceTarget* LegacyParamBlock::Clone(RemapDir& remap) {
  auto* copy = new LegacyParamBlock();
  copy->version_ = version_;
  copy->entries_ = entries_;
  BaseClone(this, copy, remap);
  return copy;
}

IOResult LegacyParamBlock::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kLegacyBlockLayoutChunk, [&] {
    if (!Put(isave, std::uint32_t(version_)) || !Put(isave, std::uint32_t(entries_.size()))) return false;
    for (const Entry& e : entries_)
      if (!Put(isave, std::uint8_t(e.type)) || !Put(isave, std::uint8_t(e.animatable ? 1 : 0))) return false;
    return true;
  });
  ok = ok && PutChunk(isave, scenefile::kLegacyBlockValuesChunk, [&] {
    for (const Entry& e : entries_) {
      if (!PutParamValue(isave, e.type, e.constant) || !Put(isave, std::uint32_t(e.keys.size()))) return false;
      for (const auto& [t, v] : e.keys)
        if (!Put(isave, std::int32_t(t)) || !PutParamValue(isave, e.type, v)) return false;
    }
    return true;
  });
  return ok ? IO_OK : IO_ERROR;
}

IOResult LegacyParamBlock::Load(ILoad* iload) {
  bool haveLayout = false;
  IOResult result = ForEachChunk(iload, [&](USHORT id) {
    if (id == scenefile::kLegacyBlockLayoutChunk) {
      std::uint32_t version = 0, count = 0;
      if (!Get(iload, version) || !GetCount(iload, count, 2)) return false;
      version_ = version;
      entries_.assign(count, Entry());
      for (Entry& e : entries_) {
        std::uint8_t type = 0, animatable = 0;
        if (!Get(iload, type) || !Get(iload, animatable)) return false;
        if (!HoldsType(type)) {
          NoteLoadProblem(iload, "an old-style block entry of type " + std::to_string(type));
          return false;
        }
        e.type = static_cast<ParamType2>(type);
        e.constant.type = e.type;
        e.animatable = animatable != 0;
      }
      haveLayout = true;
      return true;
    }
    if (id != scenefile::kLegacyBlockValuesChunk) return true;
    if (!haveLayout) {
      NoteLoadProblem(iload, "old-style block values come before its layout");
      return false;
    }
    for (Entry& e : entries_) {
      std::uint32_t keyCount = 0;
      if (!GetParamValue(iload, e.type, e.constant) || !GetCount(iload, keyCount, 4 + MinStoredValueBytes(e.type)))
        return false;
      if (keyCount > 0 && !e.animatable) {
        NoteLoadProblem(iload, "keys on an old-style block entry that is not animatable");
        return false;
      }
      e.keys.clear();
      for (std::uint32_t k = 0; k < keyCount; ++k) {
        std::int32_t t = 0;
        PB2Value v;
        if (!Get(iload, t) || !GetParamValue(iload, e.type, v)) return false;
        e.keys[t] = v;
      }
    }
    return true;
  });
  if (result == IO_OK && !haveLayout) {
    NoteLoadProblem(iload, "the old-style block has no layout");
    return IO_ERROR;
  }
  return result;
}
