#pragma once
// The post-load conversion of old-style parameter blocks. An object's Load registers one for
// the reference that may hold an old block, with every older layout of that block; once the
// whole scene is loaded it replaces an old block found there by a block of the current
// descriptor (declared defaults), copying each old entry to the parameter of the entry's id.

#include <vector>

#include "host/sdk/ioapi.h"
#include "host/sdk/iparamb.h"

class ParamBlock2PLCB : public PostLoadCallback {
public:
  // versions: cnt layouts (copied here); pd: the current descriptor; targ: the object whose
  // reference refNum may hold an old block.
  ParamBlock2PLCB(ParamVersionDesc* versions, int cnt, ParamBlockDesc2* pd, ReferenceTarget* targ, int refNum);

  // Conversions run before other post-load work, so that it sees current blocks.
  int Priority() override { return 0; }
  void proc(ILoad* iload) override;

private:
  struct Layout {
    DWORD version = 0;
    std::vector<ParamBlockDescID> entries;
  };
  std::vector<Layout> layouts_;
  ParamBlockDesc2* desc_;
  ReferenceTarget* targ_;
  int refNum_;
};
