#pragma once
// The host's reference-target container: an ordered list of references.

#include <vector>

#include "host/sdk/ref.h"

class IRefTargContainer : public ReferenceTarget {
public:
  SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
  Class_ID ClassID() override { return refTargContainerClassID; }
  virtual int GetNumItems() = 0;
  virtual ReferenceTarget* GetItem(int i) = 0;
  // Sets item i, growing the list as needed.
  virtual void SetItem(int i, ReferenceTarget* item) = 0;
  virtual int AppendItem(ReferenceTarget* item) = 0;
  virtual void RemoveItem(int i) = 0;
};
