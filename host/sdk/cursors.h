#pragma once
// The platform's cursor calls: the cursor shown. SetCursor returns the previous one; the
// headless host only records it.

#include "host/sdk/windefs.h"

HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
