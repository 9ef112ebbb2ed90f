#pragma once
// The skin modifier's published interface: it identifies a skin to scripts and to the host and
// publishes no function. The modifier carries it as a base (a mixin).

#include "host/sdk/ifnpub.h"
#include "module/registry/class_ids.h"
#include "module/registry/interface_descs.h"

class TS_Public_Interface : public FPMixinInterface {
public:
  Interface_ID GetID() override { return TESSARIN_INTERFACE_ID; }
  FPInterfaceDesc* GetDesc() override { return GetTessarinInterfaceDesc(); }
};
