#include "module/resources/module_handles.h"

#include <array>

#include "module/resources/resource_ids.h"

namespace {

HCURSOR g_arrow = nullptr;
std::array<HCURSOR, IDC_LAST_CURSOR - IDC_FIRST_CURSOR + 1> g_cursors{};  // one per cursor resource
HACCEL g_accelerators = nullptr;

bool IsCursorResource(int id) { return id >= IDC_FIRST_CURSOR && id <= IDC_LAST_CURSOR; }

}  // namespace

void SetArrowCursor(HCURSOR cursor) { g_arrow = cursor; }
HCURSOR ArrowCursor() { return g_arrow; }

void SetModuleCursor(int resourceId, HCURSOR cursor) {
  if (IsCursorResource(resourceId)) g_cursors[resourceId - IDC_FIRST_CURSOR] = cursor;
}

HCURSOR ModuleCursor(int resourceId) {
  return IsCursorResource(resourceId) ? g_cursors[resourceId - IDC_FIRST_CURSOR] : nullptr;
}

void SetModuleAccelerators(HACCEL table) { g_accelerators = table; }
HACCEL ModuleAccelerators() { return g_accelerators; }
