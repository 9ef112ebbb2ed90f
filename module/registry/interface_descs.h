#pragma once
// The descriptors of the three published interfaces (all mixins), each registered with its
// class descriptor: "Tessarin" (no functions), "Orbicle" and "Fluxel" (the influence functions).

#include "host/sdk/ifnpub.h"

FPInterfaceDesc* GetTessarinInterfaceDesc();
FPInterfaceDesc* GetOrbicleInterfaceDesc();
FPInterfaceDesc* GetFluxelInterfaceDesc();
