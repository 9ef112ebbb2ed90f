#pragma once
// Old-style parameter blocks: a block of unnamed entries addressed by index, laid out by a
// versioned list of entry descriptions. Scenes written by older versions of a class hold them;
// on load they are replaced by current blocks (ParamBlock2PLCB, iparamb2_plcb.h).

#include "host/sdk/iparamb2.h"

class UserType;

// One entry of an old block's layout: its type (TYPE_FLOAT, TYPE_INT, TYPE_RGBA, TYPE_POINT3
// or TYPE_BOOL), whether it may be keyed, and the id of the current parameter it maps to.
struct ParamBlockDescID {
  ParamType2 type = TYPE_INT;
  UserType* user = nullptr;
  BOOL animatable = FALSE;
  DWORD id = 0;
};

// One version of an old block's layout: count entries, desc[0] .. desc[count - 1].
class ParamVersionDesc {
public:
  ParamBlockDescID* desc = nullptr;
  int count = 0;
  DWORD version = 0;
  ParamVersionDesc(ParamBlockDescID* d, int c, int v) : desc(d), count(c), version(static_cast<DWORD>(v)) {}
};

inline constexpr SClass_ID PARAMETER_BLOCK_CLASS_ID = 0x0008;
inline constexpr Class_ID paramBlockClassID{0x0008, 0};

class IParamBlock : public ReferenceTarget {
public:
  SClass_ID SuperClassID() override { return PARAMETER_BLOCK_CLASS_ID; }
  Class_ID ClassID() override { return paramBlockClassID; }

  // The layout version the block was made with.
  virtual DWORD GetVersion() = 0;
  virtual int NumParams() = 0;
  virtual ParamType2 GetParameterType(int i) = 0;
  virtual BOOL IsAnimatable(int i) = 0;

  // Sets entry i at t: a key when the entry is already keyed, else the constant value. FALSE
  // for an index out of range or a value of another kind than the entry's.
  virtual BOOL SetValue(int i, TimeValue t, float v) = 0;
  virtual BOOL SetValue(int i, TimeValue t, int v) = 0;
  virtual BOOL SetValue(int i, TimeValue t, const Point3& v) = 0;
  virtual BOOL GetValue(int i, TimeValue t, float& v, Interval& ivalid) = 0;
  virtual BOOL GetValue(int i, TimeValue t, int& v, Interval& ivalid) = 0;
  virtual BOOL GetValue(int i, TimeValue t, Point3& v, Interval& ivalid) = 0;

  // Keys of an animatable entry, in time order; SetKey is FALSE on an entry that is not
  // animatable.
  virtual int NumKeys(int i) = 0;
  virtual void GetKey(int i, int index, TimeValue& t, PB2Value& v) = 0;
  virtual BOOL SetKey(int i, TimeValue t, const PB2Value& v) = 0;
  virtual PB2Value GetConstant(int i) = 0;
};

// A new old-style block of the layout pdesc[0 .. count - 1], values zero; null when an entry
// has a type old blocks cannot hold.
IParamBlock* CreateParameterBlock(ParamBlockDescID* pdesc, int count, DWORD version);
