#pragma once
// The Wobblex modifier's parameter block: seventeen integers carrying a bone's secondary-motion
// settings. Every parameter names the shared validator, so values typed into the rollout or
// assigned by scripts are refused; the settings come from creation and from loaded scenes.

#include "host/sdk/iparamb2.h"

inline constexpr BlockID kWobblexParamsBlockId = 0;
inline constexpr int kWobblexParamsRef = 0;
inline constexpr int kWobblexParamsVersion = 400;

// Parameter ids. They are not in rollout order: the x axis holds 2, 3, 4, 8, the y axis 9 .. 12,
// the z axis 13 .. 16.
namespace wobblex_param {
enum Id : ParamID {
  delay = 0,       // ticks
  skid = 1,        // percent
  amplitude_x = 2, // percent of the bone's largest radius
  period_x = 3,    // ticks
  shift_x = 4,     // degrees
  lock_x = 5,      // stored, cloned and loaded; nothing reads the locks
  lock_y = 6,
  lock_z = 7,
  throbbing_x = 8, // percent
  amplitude_y = 9,
  period_y = 10,
  shift_y = 11,
  throbbing_y = 12,
  amplitude_z = 13,
  period_z = 14,
  shift_z = 15,
  throbbing_z = 16,
};
inline constexpr int kCount = 17;

// The per-axis ids (0 = x, 1 = y, 2 = z).
inline constexpr Id kAmplitude[3] = {amplitude_x, amplitude_y, amplitude_z};
inline constexpr Id kPeriod[3] = {period_x, period_y, period_z};
inline constexpr Id kShift[3] = {shift_x, shift_y, shift_z};
inline constexpr Id kThrobbing[3] = {throbbing_x, throbbing_y, throbbing_z};
}  // namespace wobblex_param

// Registered with the Wobblex class descriptor while the module's static data is built. The
// rollout's dialog procedure is set by the Wobblex class when it opens the rollout.
extern ParamBlockDesc2 wobblexParameters;
