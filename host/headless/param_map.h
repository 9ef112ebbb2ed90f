#pragma once
// The headless parameter map: a block shown in a rollout without a window. EnterValue stands for
// the user typing into a parameter's control.

#include "host/sdk/iparamm2.h"

class ParamMap2 : public IParamMap2 {
public:
  // Shows block (becoming its map 0) with the dialog procedure proc (may be null).
  ParamMap2(IParamBlock2* block, ParamMap2UserDlgProc* proc);
  ~ParamMap2() override;
  ParamMap2(const ParamMap2&) = delete;
  ParamMap2& operator=(const ParamMap2&) = delete;

  IParamBlock2* GetParamBlock() override { return block_; }
  void SetParamBlock(IParamBlock2* pb) override;
  ParamMap2UserDlgProc* GetUserDlgProc() override { return proc_; }
  void SetUserDlgProc(ParamMap2UserDlgProc* proc) override { proc_ = proc; }
  void Invalidate() override { ++invalidations_; }
  // The rollout's dialog window (none when its template is missing).
  HWND GetHWnd() override { return window_; }
  void SetHWnd(HWND window) { window_ = window; }

  // A value typed into the control of parameter id at t: stored only when the parameter's
  // validator accepts it (SetValidatedValue).
  bool EnterValue(ParamID id, const PB2Value& v, TimeValue t);
  int Invalidations() const { return invalidations_; }

private:
  IParamBlock2* block_ = nullptr;
  ParamMap2UserDlgProc* proc_ = nullptr;
  int invalidations_ = 0;
  HWND window_ = nullptr;
};
