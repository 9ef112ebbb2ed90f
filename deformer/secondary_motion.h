#pragma once
// Secondary motion: bones that carry motion settings lag behind their nodes (inertia, with an
// optional overshoot called skid) and wobble around them (oscillation and throbbing). Nothing is
// kept between evaluations: inertia samples the bone at earlier times and oscillation is a
// closed-form function of the evaluation time, so the same t always gives the same shapes.

#include <array>

#include "deformer/affine_frame.h"
#include "host/sdk/maxtypes.h"

class Tessarin;

// A bone's secondary-motion settings at one time, already clamped to the ranges the motion uses.
// The caller says which parts it needs (the skin's switches that are on); the lookup fills only
// those and leaves the others at their zero defaults.
struct MotionSettings {
  bool wantInertia = false;
  bool wantOscillation = false;

  TimeValue delay = 0;  // ticks; only a delay above 0 lags the bone
  int skid = 0;         // percent, 0 .. 100

  struct Axis {
    int amplitude = 0;     // percent of the shape's largest radius, 0 .. 100000
    TimeValue period = 0;  // ticks; below 1 the axis does not oscillate
    int shift = 0;         // phase in degrees, any value
    int throbbing = 0;     // percent, 0 .. 100
  };
  std::array<Axis, 3> axis;  // x, y, z
};

// The second inertia sample: t − delay + ((delay / 2) × skid) / 100, truncating toward zero.
// Computed in 64 bits and held to the range of a time value, so long delays cannot overflow.
TimeValue SkidTime(TimeValue t, TimeValue delay, int skid);

// Oscillation of one shape at t: moves its origin along its axes and scales its radii by the
// per-axis cosines. Does nothing unless some amplitude and some period are above 0.
void ApplyOscillation(BoneShape& shape, TimeValue t, const MotionSettings& settings);

// Every bone's current shape at t, in table order: measured rigidly, or, for bones whose nodes
// carry motion settings while the matching switch is on, lagged and oscillated.
void UpdateBoneShapesWithMotion(Tessarin& skin, TimeValue t, bool useInertia, bool useOscillation);
