#pragma once
// Cloning a skin modifier: the copy keeps the bones (remapped) and re-attaches to the node that
// will carry it, at once when the clone operation already knows that node, otherwise once the
// clone has been placed in the scene (the post-patch callback).

#include "host/sdk/ref.h"

class Tessarin;

class TSClonePostPatchCallback : public PostPatchProc {
public:
  explicit TSClonePostPatchCallback(Tessarin* clone) : clone_(clone) {}
  // Finds the clone's node and re-attaches it there.
  int Proc(RemapDir& remap) override;

private:
  Tessarin* clone_;
};
