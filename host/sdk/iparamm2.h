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
