#pragma once
// The skin modifier's parameter block: seven animatable switches, none validated.

#include "host/sdk/iparamb2.h"

inline constexpr BlockID kTessarinParamsBlockId = 0;
inline constexpr int kTessarinParamsRef = 0;

enum TessarinParamId : ParamID {
  use_inertia = 0,
  use_oscillation = 1,
  use_stack = 2,
  use_orbicles = 3,
  use_fluxels = 4,
  use_dual_quaternion = 5,
  use_linked = 6,
};

// Host parameter flag bit that use_orbicles carries besides P_ANIMATABLE (its meaning is the host's).
inline constexpr int kHostParamFlag40000000 = 0x40000000;

// The user dialog procedure of the block's automatic rollout. That rollout is never opened (the
// skin's page is its own rollout): it answers FALSE to every message and owns nothing.
class TessarinDlgProc : public ParamMap2UserDlgProc {
public:
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  void DeleteThis() override {}
};

extern ParamBlockDesc2 tessarinParameters;
