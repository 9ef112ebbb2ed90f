#pragma once
// A parameter map: the rollout that shows a parameter block's parameters in its dialog
// controls. Values the user types into a control pass the parameter's validator first.

#include "host/sdk/iparamb2.h"

class IParamMap2 {
public:
  virtual ~IParamMap2() = default;
  virtual IParamBlock2* GetParamBlock() = 0;
  // Shows another block (of the same descriptor) in the map.
  virtual void SetParamBlock(IParamBlock2* pb) = 0;
  virtual ParamMap2UserDlgProc* GetUserDlgProc() = 0;
  virtual void SetUserDlgProc(ParamMap2UserDlgProc* proc) = 0;
  // Refreshes the controls from the block.
  virtual void Invalidate() = 0;
  virtual HWND GetHWnd() = 0;
};

// Rollout category of the command panel's standard pages.
inline constexpr int ROLLUP_CAT_STANDARD = 4000;

// Opens a rollout in the command panel showing pb through dialog template dlgTemplate of
// module hInst, titled title, with the user dialog procedure dlgProc (which hears WM_INITDIALOG
// now). The map belongs to the caller until DestroyCPParamMap2.
IParamMap2* CreateCPParamMap2(IParamBlock2* pb, IObjParam* ip, HINSTANCE hInst, int dlgTemplate, const MCHAR* title,
                              DWORD flags, ParamMap2UserDlgProc* dlgProc = nullptr, HWND hOldRollup = nullptr,
                              int category = ROLLUP_CAT_STANDARD);
// Closes the rollout (its dialog procedure hears WM_DESTROY first) and deletes the map.
void DestroyCPParamMap2(IParamMap2* map);
