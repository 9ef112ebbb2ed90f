#include "host/headless/command_panel_maps.h"

#include <algorithm>

#include "host/headless/param_map.h"
#include "host/headless/rollup_pages.h"
#include "host/sdk/interface.h"
#include "host/sdk/winresources.h"

namespace {

std::vector<CommandPanelRollout>& Rollouts() {
  static std::vector<CommandPanelRollout> rollouts;
  return rollouts;
}

void Send(IParamMap2* map, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  Interface* ip = GetCOREInterface();
  if (ParamMap2UserDlgProc* proc = map->GetUserDlgProc())
    proc->DlgProc(ip ? ip->GetTime() : 0, map, map->GetHWnd(), msg, wParam, lParam);
}

// The rollout window's procedure: every message goes to the map's user dialog procedure. The
// map arrives with WM_INITDIALOG; the user procedure hears that message with no parameter.
INT_PTR MapDialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* map = reinterpret_cast<ParamMap2*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
    map->SetHWnd(window);
    Send(map, WM_INITDIALOG);
    return TRUE;
  }
  auto* map = reinterpret_cast<ParamMap2*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!map) return FALSE;
  Interface* ip = GetCOREInterface();
  ParamMap2UserDlgProc* proc = map->GetUserDlgProc();
  return proc ? proc->DlgProc(ip ? ip->GetTime() : 0, map, window, msg, wParam, lParam) : FALSE;
}

}  // namespace

const std::vector<CommandPanelRollout>& CommandPanelRollouts() { return Rollouts(); }

const CommandPanelRollout* FindCommandPanelRollout(const IParamMap2* map) {
  for (const CommandPanelRollout& r : Rollouts())
    if (r.map == map) return &r;
  return nullptr;
}

IParamMap2* CreateCPParamMap2(IParamBlock2* pb, IObjParam* ip, HINSTANCE hInst, int dlgTemplate, const MCHAR* title,
                              DWORD flags, ParamMap2UserDlgProc* dlgProc, HWND hOldRollup, int category) {
  (void)ip; (void)flags; (void)hOldRollup;
  auto* map = new ParamMap2(pb, dlgProc);
  Rollouts().push_back({map, hInst, dlgTemplate, title ? std::wstring(title) : std::wstring(), category});
  // Without its template the rollout has no window, and its procedure hears the messages alone.
  if (!CreateDialogParamW(hInst, MAKEINTRESOURCEW(dlgTemplate), CommandPanelWindow(), &MapDialogProc,
                          reinterpret_cast<LPARAM>(map)))
    Send(map, WM_INITDIALOG);
  return map;
}

void DestroyCPParamMap2(IParamMap2* map) {
  if (!map) return;
  std::vector<CommandPanelRollout>& open = Rollouts();
  auto it = std::find_if(open.begin(), open.end(), [&](const CommandPanelRollout& r) { return r.map == map; });
  if (it == open.end()) return;  // not one of ours: the caller keeps it
  open.erase(it);
  auto* headless = static_cast<ParamMap2*>(map);
  if (HWND window = headless->GetHWnd()) {
    DestroyWindow(window);  // the user procedure hears WM_DESTROY through the window
    headless->SetHWnd(nullptr);
  } else {
    Send(map, WM_DESTROY);
  }
  delete map;
}
