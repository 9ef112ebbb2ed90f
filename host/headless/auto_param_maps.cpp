// The automatic rollouts a class descriptor opens in the command panel while one of its objects
// is edited: one per block with automatic user interface, from the block's dialog template and
// title, served by its user dialog procedure.

#include <algorithm>
#include <vector>

#include "host/sdk/iparamm2.h"
#include "host/sdk/winresources.h"

namespace {

struct AutoRollout {
  ClassDesc2* owner = nullptr;
  ParamBlockDesc2* desc = nullptr;
  IParamMap2* map = nullptr;
};

std::vector<AutoRollout>& AutoRollouts() {
  static std::vector<AutoRollout> rollouts;
  return rollouts;
}

}  // namespace

void ClassDesc2::BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev) {
  (void)flags; (void)prev;
  if (!obj) return;
  std::vector<AutoRollout>& open = AutoRollouts();
  for (ParamBlockDesc2* desc : pbDescs_) {
    if (!(desc->flags & P_AUTO_UI)) continue;
    IParamBlock2* block = obj->GetParamBlockByID(desc->ID);
    if (!block) continue;
    auto it = std::find_if(open.begin(), open.end(),
                           [&](const AutoRollout& r) { return r.owner == this && r.desc == desc; });
    if (it != open.end()) {
      it->map->SetParamBlock(block);  // the panel moved on to another object of this class
      continue;
    }
    wchar_t title[256] = {};
    LoadStringW(HInstance(), static_cast<UINT>(desc->ui.title), title, 256);
    IParamMap2* map = CreateCPParamMap2(block, ip, HInstance(), desc->ui.dlg_template, title,
                                        static_cast<DWORD>(desc->ui.rollup_flags), desc->GetUserDlgProc());
    if (map) open.push_back({this, desc, map});
  }
}

void ClassDesc2::EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next) {
  (void)ip; (void)obj; (void)next;
  // Without the remove bit the rollouts stay for the next object of this class.
  if (!(flags & END_EDIT_REMOVEUI)) return;
  std::vector<AutoRollout>& open = AutoRollouts();
  std::vector<IParamMap2*> closing;
  for (auto it = open.begin(); it != open.end();) {
    if (it->owner == this) {
      closing.push_back(it->map);
      it = open.erase(it);
    } else {
      ++it;
    }
  }
  for (IParamMap2* map : closing) DestroyCPParamMap2(map);
}
