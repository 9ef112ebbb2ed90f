#pragma once
// The headless host's parameter block: values by parameter id, constant or keyed over time.

#include <map>
#include <vector>

#include "host/sdk/iparamb2.h"

class ParamBlock2 : public IParamBlock2 {
public:
  // desc may be null only for a block about to be loaded: its Load finds the descriptor.
  ParamBlock2(ParamBlockDesc2* desc, ReferenceMaker* owner);

  ParamBlockDesc2* GetDesc() override { return desc_; }
  BlockID ID() override { return desc_->ID; }
  ReferenceMaker* GetOwner() override { return owner_; }
  void SetOwner(ReferenceMaker* owner) override { owner_ = owner; }
  int NumParams() override { return desc_->Count(); }

  BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) override;
  BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) override;
  BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) override;
  BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex = 0) override;
  BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) override;
  BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex = 0) override;

  int NumKeys(ParamID id) override;
  void GetKey(ParamID id, int index, TimeValue& t, PB2Value& v) override;
  void SetKey(ParamID id, TimeValue t, const PB2Value& v) override;
  void ClearKeys(ParamID id) override;
  PB2Value GetConstant(ParamID id) override;
  void SetConstant(ParamID id, const PB2Value& v) override;

  IParamMap2* GetMap(int mapID = 0) override { return mapID == 0 ? map_ : nullptr; }
  void SetMap(IParamMap2* map, int mapID = 0) override { if (mapID == 0) map_ = map; }

  ReferenceTarget* Clone(RemapDir& remap) override;
  // The owner's class and the block id name the descriptor; values and keys go by parameter id
  // (param_block_storage.cpp).
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"ParamBlock2"; }

private:
  struct Slot {
    PB2Value constant;
    std::map<TimeValue, PB2Value> keys;
  };
  Slot* Find(ParamID id, ParamType2 requested);
  BOOL Set(ParamID id, TimeValue t, const PB2Value& v);
  // The value at t: the constant, or the keys interpolated (numbers linearly, integers and
  // booleans held from the previous key).
  PB2Value ValueAt(const Slot& slot, TimeValue t, Interval& valid) const;

  ParamBlockDesc2* desc_;
  ReferenceMaker* owner_;
  IParamMap2* map_ = nullptr;
  std::vector<Slot> slots_;  // one per parameter definition, in descriptor order
};

// Whether the host is animating: sets on animatable parameters then make keys.
bool HostAnimateMode();
void SetHostAnimateMode(bool on);
