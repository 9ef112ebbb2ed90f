#pragma once
// The module's load-time set-up and its class list.

#include "host/sdk/iparamb2.h"

inline constexpr int kModuleClassCount = 4;

// Index 0 Tessarin, 1 Wobblex, 2 Orbicle, 3 Fluxel; null for any other index.
ClassDesc* ModuleClassDesc(int i);

// Built once while the library is loaded: stores the module instance handle (the address of the
// module's resource directory), loads the arrow cursor, the cursor resources 1258 to 1266 and
// the accelerator table 508, and installs the object factories into the class descriptors.
class ModuleAttachment {
public:
  ModuleAttachment();
};
