#pragma once
// The Fluxel modifier's parameter block: where pushes start from, the soft blend zone, the side
// it acts on and two switches. Every parameter names the shared validator, so values typed into
// the rollout or assigned by scripts are refused; the settings come from creation and from
// loaded scenes.

#include "host/sdk/iparamb2.h"

inline constexpr BlockID kFluxelParamsBlockId = 0;
inline constexpr int kFluxelParamsRef = 0;

namespace fluxel_param {
enum Id : ParamID {
  origin = 0,     // on: the centre of the geometry's bounding box; off: the node's pivot
  blend = 1,      // percent: width of the soft zone around the surface
  direction = 2,  // 0 every side, 1 +X, 2 −X, 3 +Y, 4 −Y, 5 +Z, 6 −Z of the node's local origin
  disabled = 3,   // removes the fluxel from every skin evaluation
  real_time = 4,  // "real-time": stored, cloned and loaded; nothing reads it
};
inline constexpr int kCount = 5;
}  // namespace fluxel_param

// Registered with the Fluxel class descriptor while the module's static data is built. The
// rollout's dialog procedure is set by the Fluxel class when it opens the rollout.
extern ParamBlockDesc2 fluxelParameters;
