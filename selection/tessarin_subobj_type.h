#pragma once
// The sub-object levels the skin modifier announces: "Bone" and "Vertex". The modifier never
// enters them (it stays at object level), but the host lists them.

#include "host/sdk/subobject.h"

class TessarinISubObjType : public ISubObjType {
public:
  constexpr explicit TessarinISubObjType(const MCHAR* name) : name_(name) {}
  MaxIcon* GetIcon() override { return nullptr; }  // no icon
  const MCHAR* GetName() override { return name_; }

private:
  const MCHAR* name_;
};

inline constexpr int kTessarinSubObjTypeCount = 2;

// Level i: 0 "Bone", 1 "Vertex"; null for any other i (-1, the current level, included).
ISubObjType* TessarinSubObjType(int i);
