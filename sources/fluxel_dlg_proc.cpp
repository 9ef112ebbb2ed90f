#include "sources/fluxel_dlg_proc.h"

#include <string>

#include "host/sdk/custcont.h"
#include "host/sdk/iparamm2.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"
#include "sources/fluxel.h"
#include "sources/influence_table_painting.h"
#include "sources/parent_broadcast.h"
#include "sources/rollout_controls.h"

namespace {

// A control the command handler names that template 530 does not have.
constexpr int kUnusedControl = 1165;
// The two values the About box receives from this rollout.
constexpr LPARAM kAboutFirst = 1064;
constexpr LPARAM kAboutSecond = 1137;
// String-table texts of the About button.
constexpr int kAboutCaption = 96;
constexpr int kAboutTooltip = 78;

// A copy of a string-table text (the loader's buffer is overwritten by the next load).
std::wstring Text(int id) {
  const MCHAR* s = GetString(id);
  return s ? std::wstring(s) : std::wstring();
}

bool Refreshes(int id) {
  return id == IDC_FLUXEL_ORIGIN || (id >= IDC_FLUXEL_OMNI && id <= IDC_FLUXEL_DOWN) || id == IDC_FLUXEL_DISABLED ||
         id == kUnusedControl;
}

}  // namespace

void FluxelDlgProc::ReleaseAbout() {
  if (about_)
    if (auto release = GetRolloutControls().releaseButton) release(about_);
  about_ = nullptr;
}

INT_PTR FluxelDlgProc::DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  (void)t; (void)lParam;
  IParamBlock2* block = map ? map->GetParamBlock() : nullptr;
  ReferenceMaker* owner = block ? block->GetOwner() : nullptr;
  auto* fluxel = dynamic_cast<Fluxel*>(owner);
  const RolloutControls& controls = GetRolloutControls();
  const int id = LOWORD(wParam);
  switch (msg) {
    case WM_INITDIALOG:
      if (owner && controls.takeButton) {
        ReleaseAbout();  // a second initialisation must not leak the first one's interface
        const std::wstring caption = Text(kAboutCaption);
        const std::wstring tooltip = Text(kAboutTooltip);
        about_ = controls.takeButton(hWnd, IDC_FLUXEL_ABOUT, caption.c_str(), tooltip.c_str());
      }
      if (controls.makeCheckButton) controls.makeCheckButton(hWnd, IDC_FLUXEL_PAINT);
      return TRUE;
    case WM_COMMAND:
      if (!owner) return FALSE;
      if (Refreshes(id)) {
        BroadcastToParents();
      } else if (id == IDC_FLUXEL_ABOUT) {
        if (controls.openAboutBox) controls.openAboutBox(hWnd, kAboutFirst, kAboutSecond);
      } else if (id == IDC_FLUXEL_PAINT) {
        if (auto toggle = GetInfluenceTablePainting().toggle; toggle && fluxel)
          toggle(fluxel, fluxel->tables, hWnd, IDC_FLUXEL_PAINT);
      } else if (id == IDC_FLUXEL_OPTIONS) {
        if (auto show = GetInfluenceTablePainting().showOptions; show && fluxel) show(fluxel);
      }
      return FALSE;
    case CC_SPINNER_CHANGE:
      if (id == IDC_FLUXEL_BLEND_SPIN && owner) BroadcastToParents();
      return TRUE;
    case WM_DESTROY:
      ReleaseAbout();
      return FALSE;
    default:
      return FALSE;
  }
}

FluxelDlgProc* GetFluxelDlgProc() {
  static FluxelDlgProc proc;
  return &proc;
}
