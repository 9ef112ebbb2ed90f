#include "sources/wobblex_dlg_proc.h"

#include <string>

#include "host/sdk/iparamm2.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"
#include "sources/rollout_controls.h"

namespace {

static_assert(WobblexDlgProc::kButtons[0].control == IDC_WOBBLEX_ABOUT);

// The About box receives two values; these rollouts pass −1 for both.
constexpr LPARAM kAboutFirst = -1;
constexpr LPARAM kAboutSecond = -1;

// A copy of a string-table text (the loader's buffer is overwritten by the next load).
std::wstring Text(int id) {
  const MCHAR* s = GetString(id);
  return s ? std::wstring(s) : std::wstring();
}

}  // namespace

void WobblexDlgProc::TakeButtons(HWND dialog) {
  ReleaseButtons();  // a second initialisation must not leak the first one's interfaces
  const RolloutControls& controls = GetRolloutControls();
  if (!controls.takeButton) return;
  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    const std::wstring caption = Text(kButtons[i].caption);
    const std::wstring tooltip = Text(kButtons[i].tooltip);
    held_[i] = controls.takeButton(dialog, kButtons[i].control, caption.c_str(), tooltip.c_str());
  }
}

void WobblexDlgProc::ReleaseButtons() {
  const RolloutControls& controls = GetRolloutControls();
  for (ICustButton*& button : held_) {
    if (button && controls.releaseButton) controls.releaseButton(button);
    button = nullptr;
  }
}

INT_PTR WobblexDlgProc::DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  (void)t;
  (void)lParam;
  IParamBlock2* block = map ? map->GetParamBlock() : nullptr;
  if (!block || !block->GetOwner()) return FALSE;
  switch (msg) {
    case WM_INITDIALOG:
      TakeButtons(hWnd);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_WOBBLEX_ABOUT) {
        if (auto open = GetRolloutControls().openAboutBox) open(hWnd, kAboutFirst, kAboutSecond);
      }
      return FALSE;
    case WM_DESTROY:
      ReleaseButtons();
      return FALSE;
    default:
      return FALSE;
  }
}

WobblexDlgProc* GetWobblexDlgProc() {
  static WobblexDlgProc proc;
  return &proc;
}
