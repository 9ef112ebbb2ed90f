#pragma once
// The skin modifier's parameter block: seven animatable switches.

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

extern ParamBlockDesc2 tessarinParameters;
