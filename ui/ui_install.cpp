#include "ui/ui_install.h"

#include "deformer/skin_services.h"
#include "host/sdk/custcont.h"
#include "host/sdk/winuser.h"
#include "module/registry/class_descs.h"
#include "module/resources/module_handles.h"
#include "module/resources/resource_ids.h"
#include "sources/rollout_controls.h"
#include "ui/about_box.h"
#include "ui/about_texts.h"
#include "ui/action_table.h"
#include "ui/skin_page.h"

namespace {

ICustButton* TakeButton(HWND dialog, int control, const MCHAR* caption, const MCHAR* tooltip) {
  ICustButton* button = GetICustButton(GetDlgItem(dialog, control));
  if (!button) return nullptr;
  button->SetType(CBT_PUSH);
  button->SetTooltip(TRUE, tooltip);
  button->SetText(caption);
  return button;
}

void MakeCheckButton(HWND dialog, int control) {
  if (ICustButton* button = GetICustButton(GetDlgItem(dialog, control))) {
    button->SetType(CBT_CHECK);
    ReleaseICustButton(button);
  }
}

void OpenSourceAboutBox(HWND owner, LPARAM first, LPARAM second) {
  OpenAboutBox(owner, IDD_ABOUT_TESSARIN, first, second, ModuleCursor(IDC_LINK_CURSOR));
}

}  // namespace

void InstallUserInterface(std::int64_t moduleBuildTime) {
  SetModuleBuildTime(moduleBuildTime);

  SkinServices& skin = GetSkinServices();
  skin.beginEditParams = [](Tessarin& s, IObjParam* ip, ULONG, Animatable*) { BeginSkinPage(s, ip); };
  skin.endEditParams = [](Tessarin& s, IObjParam* ip, ULONG, Animatable*) { EndSkinPage(s, ip); };

  RolloutControls& controls = GetRolloutControls();
  controls.takeButton = &TakeButton;
  controls.releaseButton = &ReleaseICustButton;
  controls.makeCheckButton = &MakeCheckButton;
  controls.openAboutBox = &OpenSourceAboutBox;

  GetTessarinDesc()->SetActionTableFactory(&BuildTessarinActionTable);
}
