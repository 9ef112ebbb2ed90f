#include "host/sdk/object.h"

Interval ObjectState::Validity(TimeValue t) const {
  Interval v = obj ? obj->ObjectValidity(t) : FOREVER;
  return v & tmValid;
}

Object::Object() { SetAllValidity(FOREVER); }

Interval Object::ChannelValidity(TimeValue t, int nchan) const {
  (void)t;
  return (nchan >= 0 && nchan < NUM_OBJ_CHANS) ? validity_[nchan] : NEVER;
}

void Object::SetChannelValidity(int nchan, const Interval& v) {
  if (nchan >= 0 && nchan < NUM_OBJ_CHANS) validity_[nchan] = v;
}

void Object::UpdateValidity(int nchan, const Interval& v) {
  if (nchan >= 0 && nchan < NUM_OBJ_CHANS) validity_[nchan] &= v;
}

void Object::SetAllValidity(const Interval& v) {
  for (Interval& i : validity_) i = v;
}

Interval Object::ObjectValidity(TimeValue t) const {
  Interval v = FOREVER;
  for (int c = 0; c < NUM_OBJ_CHANS; ++c) v &= ChannelValidity(t, c);
  return v;
}

void Object::CopyValidity(const Object& from) {
  for (int c = 0; c < NUM_OBJ_CHANS; ++c) validity_[c] = from.validity_[c];
}

void Object::GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm, BOOL useSel) {
  (void)t;
  (void)useSel;
  box.Init();
  int n = NumPoints();
  for (int i = 0; i < n; ++i) box += tm ? GetPoint(i) * *tm : GetPoint(i);
}

ModContext::~ModContext() {
  delete tm;
  delete box;
  delete localData;
}
