#include "sources/orbicle_dlg_proc.h"

#include "host/sdk/custcont.h"
#include "host/sdk/iparamm2.h"
#include "module/resources/resource_ids.h"
#include "sources/influence_table_painting.h"
#include "sources/orbicle.h"
#include "sources/parent_broadcast.h"
#include "sources/rollout_controls.h"

namespace {

// A control the command handler names that template 501 does not have.
constexpr int kUnusedControl = 1140;
// The two values the About box receives from this rollout.
constexpr LPARAM kAboutFirst = 1064;
constexpr LPARAM kAboutSecond = 1137;

bool IsDirectionButton(int id) { return id >= IDC_ORBICLE_OMNI && id <= IDC_ORBICLE_DOWN; }

bool RefreshesOnSpinner(int id) {
  return id == IDC_ORBICLE_BLEND_SPIN || id == IDC_LENGTH_SPIN || id == IDC_WIDTH_SPIN || id == IDC_HEIGHT_SPIN;
}

}  // namespace

INT_PTR OrbicleDlgProc::DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  (void)t; (void)lParam;
  IParamBlock2* block = map ? map->GetParamBlock() : nullptr;
  ReferenceMaker* owner = block ? block->GetOwner() : nullptr;
  auto* orbicle = dynamic_cast<Orbicle*>(owner);
  const int id = LOWORD(wParam);
  switch (msg) {
    case WM_INITDIALOG:
      if (auto make = GetRolloutControls().makeCheckButton) make(hWnd, IDC_ORBICLE_PAINT);
      return FALSE;
    case WM_COMMAND:
      if (id == IDC_ORBICLE_DISABLED || IsDirectionButton(id) || id == kUnusedControl) {
        if (owner) BroadcastToParents();
      } else if (id == IDC_ORBICLE_ABOUT) {
        if (auto open = GetRolloutControls().openAboutBox) open(hWnd, kAboutFirst, kAboutSecond);
      } else if (id == IDC_ORBICLE_OPTIONS) {
        if (auto show = GetInfluenceTablePainting().showOptions; show && orbicle) show(orbicle);
      } else if (id == IDC_ORBICLE_PAINT) {
        if (auto toggle = GetInfluenceTablePainting().toggle; toggle && orbicle)
          toggle(orbicle, orbicle->tables, hWnd, IDC_ORBICLE_PAINT);
      }
      return FALSE;
    case CC_SPINNER_CHANGE:
      if (RefreshesOnSpinner(id) && owner) BroadcastToParents();
      return TRUE;
    default:
      return FALSE;
  }
}

OrbicleDlgProc* GetOrbicleDlgProc() {
  static OrbicleDlgProc proc;
  return &proc;
}
