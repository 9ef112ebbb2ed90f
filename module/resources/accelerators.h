#pragma once
// The module's accelerator table (the default shortcuts of the skin modifier's actions).

#include "host/sdk/winresources.h"

const AcceleratorTableResource& TessarinAccelerators();
