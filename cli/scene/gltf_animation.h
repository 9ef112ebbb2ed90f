#pragma once
// Sampling one glTF animation sampler at any time: STEP, LINEAR (spherical for rotations) and
// CUBICSPLINE (Hermite, rotations normalised afterwards). Before the first key and after the last
// the end key's value holds.

#include <string>
#include <vector>

enum class SamplerInterpolation { Step, Linear, CubicSpline };

struct SamplerCurve {
  SamplerInterpolation interpolation = SamplerInterpolation::Linear;
  int components = 0;          // 3 (translation, scale) or 4 (rotation: x, y, z, w)
  bool rotation = false;
  std::vector<double> times;   // one per key, increasing
  std::vector<double> values;  // keys x components; CUBICSPLINE: keys x 3 x components (in-tangent, value, out-tangent)

  // Checks the counts and the order of the times; false with why set.
  bool Check(std::string& why) const;
  // The value at time t (seconds), components entries; Check must have passed.
  std::vector<double> At(double t) const;
  double LastTime() const { return times.empty() ? 0.0 : times.back(); }
};

// "LINEAR", "STEP", "CUBICSPLINE" (empty is LINEAR); false for anything else.
bool ParseInterpolation(const std::string& text, SamplerInterpolation& out);
