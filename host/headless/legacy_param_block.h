#pragma once
// The headless host's old-style parameter block: entries by index, each constant or keyed.
// Scenes of older class versions hold these; tests make them to write such scenes for real.

#include <map>
#include <vector>

#include "host/sdk/iparamb.h"

class LegacyParamBlock : public IParamBlock {
public:
  LegacyParamBlock() = default;  // empty, for loading
  // pdesc: count entry descriptions; values start at zero.
  LegacyParamBlock(const ParamBlockDescID* pdesc, int count, DWORD version);

  DWORD GetVersion() override { return version_; }
  int NumParams() override { return static_cast<int>(entries_.size()); }
  ParamType2 GetParameterType(int i) override;
  BOOL IsAnimatable(int i) override;

  BOOL SetValue(int i, TimeValue t, float v) override;
  BOOL SetValue(int i, TimeValue t, int v) override;
  BOOL SetValue(int i, TimeValue t, const Point3& v) override;
  BOOL GetValue(int i, TimeValue t, float& v, Interval& ivalid) override;
  BOOL GetValue(int i, TimeValue t, int& v, Interval& ivalid) override;
  BOOL GetValue(int i, TimeValue t, Point3& v, Interval& ivalid) override;

  int NumKeys(int i) override;
  void GetKey(int i, int index, TimeValue& t, PB2Value& v) override;
  BOOL SetKey(int i, TimeValue t, const PB2Value& v) override;
  PB2Value GetConstant(int i) override;

  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"ParamBlock"; }

  // The entry types an old-style block can hold.
  static bool HoldsType(int type);

private:
  struct Entry {
    ParamType2 type = TYPE_INT;
    bool animatable = false;
    PB2Value constant;
    std::map<TimeValue, PB2Value> keys;
  };
  Entry* Find(int i, ParamType2 requested);
  BOOL Set(int i, TimeValue t, const PB2Value& v);
  // The constant, or the keys at t: reals and points linear between keys, integers held.
  PB2Value ValueAt(const Entry& e, TimeValue t, Interval& valid) const;

  DWORD version_ = 0;
  std::vector<Entry> entries_;
};
