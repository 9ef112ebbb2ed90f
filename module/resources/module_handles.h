#pragma once
// Handles the module loads once when it is attached and reads everywhere afterwards: the arrow
// cursor, the cursor resources 1258 to 1266 and the accelerator table.

#include "host/sdk/windefs.h"

void SetArrowCursor(HCURSOR cursor);
HCURSOR ArrowCursor();
// resourceId 1258 to 1266; other numbers are ignored (set) or answer null (get).
void SetModuleCursor(int resourceId, HCURSOR cursor);
HCURSOR ModuleCursor(int resourceId);
void SetModuleAccelerators(HACCEL table);
HACCEL ModuleAccelerators();
