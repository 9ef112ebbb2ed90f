#pragma once
// The dialog procedure of the Fluxel rollout (template 530). The rollout's values are fixed by
// the validator; the procedure refreshes the skins under the fluxel's parent when a control that
// would change the push-out is used, and serves the Paint, Options and About buttons.

#include "host/sdk/iparamb2.h"

class ICustButton;

class FluxelDlgProc : public ParamMap2UserDlgProc {
public:
  // WM_INITDIALOG dresses the About button (while the block has an owner) and makes "Paint" a
  // check button, answering TRUE. Commands act only while the block has an owner: "Bounding Box
  // Center", a direction button, "Disabled" (or control 1165) refresh the skins under the
  // parent; "About" opens the About box; "Paint" toggles painting; "Options" shows the brush
  // options. A Blend spinner change refreshes too. WM_DESTROY releases the About button. Every
  // spinner change answers TRUE, every other message but WM_INITDIALOG FALSE.
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The one instance is static: nothing to free.
  void DeleteThis() override {}

private:
  void ReleaseAbout();
  ICustButton* about_ = nullptr;  // held from WM_INITDIALOG to WM_DESTROY
};

// The procedure every Fluxel rollout uses.
FluxelDlgProc* GetFluxelDlgProc();
