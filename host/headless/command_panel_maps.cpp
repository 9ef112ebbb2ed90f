#include "host/headless/command_panel_maps.h"

#include <algorithm>

#include "host/headless/param_map.h"
#include "host/sdk/interface.h"

namespace {

std::vector<CommandPanelRollout>& Rollouts() {
  static std::vector<CommandPanelRollout> rollouts;
  return rollouts;
}

void Send(IParamMap2* map, UINT msg) {
  Interface* ip = GetCOREInterface();
  if (ParamMap2UserDlgProc* proc = map->GetUserDlgProc())
    proc->DlgProc(ip ? ip->GetTime() : 0, map, map->GetHWnd(), msg, 0, 0);
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
  Send(map, WM_INITDIALOG);
  return map;
}

void DestroyCPParamMap2(IParamMap2* map) {
  if (!map) return;
  std::vector<CommandPanelRollout>& open = Rollouts();
  auto it = std::find_if(open.begin(), open.end(), [&](const CommandPanelRollout& r) { return r.map == map; });
  if (it == open.end()) return;  // not one of ours: the caller keeps it
  open.erase(it);
  Send(map, WM_DESTROY);
  delete map;
}
