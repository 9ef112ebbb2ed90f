#pragma once
// The dialog procedure of the Wobblex rollout (template 509). The rollout's values are fixed, so
// the procedure only dresses and serves its custom buttons: the About button.

#include <array>

#include "host/sdk/iparamb2.h"

class ICustButton;

class WobblexDlgProc : public ParamMap2UserDlgProc {
public:
  // WM_INITDIALOG sets up every custom button (TRUE); WM_COMMAND from the About button opens the
  // About box; WM_DESTROY releases the buttons. Only while the map shows a block that has an
  // owner; every other case answers FALSE.
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The one instance is static: nothing to free.
  void DeleteThis() override {}

  // One custom button of the rollout: its control and string-table texts.
  struct ButtonRow {
    int control;
    int caption;  // string-table entry
    int tooltip;  // string-table entry
  };
  static constexpr std::array<ButtonRow, 1> kButtons = {{{1079, 96, 78}}};

private:
  void TakeButtons(HWND dialog);
  void ReleaseButtons();

  // The interfaces held while the dialog lives, one per row of kButtons.
  std::array<ICustButton*, kButtons.size()> held_{};
};

// The procedure every Wobblex rollout uses.
WobblexDlgProc* GetWobblexDlgProc();
