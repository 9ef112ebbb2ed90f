#pragma once
// The dialog procedure of the Orbicle rollout (template 501). The rollout's values are fixed by
// the validator; the procedure refreshes the skins under the orbicle's parent when a control
// that would change the push-out is used, and serves the Paint, Options and About buttons.

#include "host/sdk/iparamb2.h"

class OrbicleDlgProc : public ParamMap2UserDlgProc {
public:
  // WM_INITDIALOG makes "Paint" a check button. WM_COMMAND from "Disabled", a direction button
  // (or control 1140) refreshes the skins under the parent; "Paint" toggles painting and
  // "Options" shows the brush options (both while the block has an owner); "About" opens the
  // About box. A spinner change of Blend, Length, Width or Height refreshes too. Every spinner
  // change answers TRUE, every other message FALSE.
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The one instance is static: nothing to free.
  void DeleteThis() override {}
};

// The procedure of the module's Orbicle rollout.
OrbicleDlgProc* GetOrbicleDlgProc();
