#pragma once
// The Orbicle object's parameter block: the ellipsoid's sizes, its ring segments, the soft
// blend zone, the half it keeps and three switches. Every parameter names the shared validator,
// so values typed into the rollout or assigned by scripts are refused; the settings come from
// creation and from loaded scenes.

#include "host/sdk/iparamb2.h"

inline constexpr BlockID kOrbicleParamsBlockId = 0;
inline constexpr int kOrbicleParamsRef = 0;

namespace orbicle_param {
enum Id : ParamID {
  length = 0,     // full extent along local X
  width = 1,      // full extent along local Y
  height = 2,     // full extent along local Z
  segments = 3,   // vertices around each ring
  blend = 4,      // percent: width of the soft zone around the surface
  direction = 5,  // 0 Omni, 1 +X, 2 −X, 3 +Y, 4 −Y, 5 +Z, 6 −Z
  disabled = 6,   // removes the orbicle from every skin evaluation
  renderable = 7, // the answer to IsRenderable (read at time 0)
  realtime = 8,   // stored, cloned and loaded; nothing reads it
};
inline constexpr int kCount = 9;
}  // namespace orbicle_param

// Registered with the Orbicle class descriptor while the module's static data is built. The
// rollout's dialog procedure is set by the Orbicle class when it opens the rollout.
extern ParamBlockDesc2 orbicleParameters;
