#include "host/headless/rollup_pages.h"

#include <algorithm>

#include "host/headless/window_model.h"

namespace {

std::vector<RollupPageRecord>& Pages() {
  static std::vector<RollupPageRecord> pages;
  return pages;
}

// Numbered template names (MAKEINTRESOURCEW) as numbers; 0 for a textual name.
int TemplateNumber(const MCHAR* name) {
  auto v = reinterpret_cast<UINT_PTR>(name);
  return v <= 0xFFFF ? static_cast<int>(v) : 0;
}

}  // namespace

const std::vector<RollupPageRecord>& RollupPages() { return Pages(); }

HWND CommandPanelWindow() {
  static HWND panel = nullptr;
  if (!IsWindow(panel)) panel = CreatePlainWindow(L"Command Panel", 1700, 80, 220, 900);
  return panel;
}

HWND AddRollupPageTo(HINSTANCE instance, const MCHAR* dlgTemplate, DLGPROC proc, const MCHAR* title, LPARAM param,
                     DWORD flags, int category) {
  // Recorded before the dialog starts, so that its initialisation already finds its page.
  Pages().push_back({nullptr, instance, TemplateNumber(dlgTemplate), title ? title : L"", param, flags, category});
  const std::size_t index = Pages().size() - 1;
  HWND page = CreateDialogParamW(instance, dlgTemplate, CommandPanelWindow(), proc, param);
  if (!page) {
    Pages().erase(Pages().begin() + static_cast<std::ptrdiff_t>(index));
    return nullptr;
  }
  Pages()[index].window = page;
  return page;
}

void DeleteRollupPageOf(HWND page) {
  auto it = std::find_if(Pages().begin(), Pages().end(), [&](const RollupPageRecord& r) { return r.window == page; });
  if (!page || it == Pages().end()) return;
  Pages().erase(it);
  DestroyWindow(page);
}
