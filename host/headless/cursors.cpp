// The cursor shown: recorded only, nothing is drawn.

#include <atomic>

#include "host/sdk/cursors.h"

namespace {

std::atomic<HCURSOR> g_current{nullptr};

}  // namespace

HCURSOR SetCursor(HCURSOR cursor) { return g_current.exchange(cursor); }

HCURSOR GetCursor() { return g_current.load(); }
