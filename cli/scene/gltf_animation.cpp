#include "cli/scene/gltf_animation.h"

#include <algorithm>
#include <cmath>

namespace {

void Normalise(std::vector<double>& q) {
  double n = 0.0;
  for (double v : q) n += v * v;
  n = std::sqrt(n);
  if (n > 0.0)
    for (double& v : q) v /= n;
  else
    q = {0.0, 0.0, 0.0, 1.0};
}

std::vector<double> Slerp(const double* a, const double* b, double s) {
  double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  const double sign = dot < 0.0 ? -1.0 : 1.0;
  dot *= sign;
  double wa = 1.0 - s, wb = s;
  if (dot < 0.9999999) {
    const double theta = std::acos(std::min(dot, 1.0));
    const double sn = std::sin(theta);
    wa = std::sin((1.0 - s) * theta) / sn;
    wb = std::sin(s * theta) / sn;
  }
  std::vector<double> q(4);
  for (int i = 0; i < 4; ++i) q[i] = wa * a[i] + wb * sign * b[i];
  Normalise(q);
  return q;
}

}  // namespace

bool ParseInterpolation(const std::string& text, SamplerInterpolation& out) {
  if (text.empty() || text == "LINEAR") out = SamplerInterpolation::Linear;
  else if (text == "STEP") out = SamplerInterpolation::Step;
  else if (text == "CUBICSPLINE") out = SamplerInterpolation::CubicSpline;
  else return false;
  return true;
}

bool SamplerCurve::Check(std::string& why) const {
  if (times.empty()) {
    why = "has no keys";
    return false;
  }
  const std::size_t perKey = std::size_t(components) * (interpolation == SamplerInterpolation::CubicSpline ? 3 : 1);
  if (values.size() != times.size() * perKey) {
    why = "has " + std::to_string(times.size()) + " key times but " + std::to_string(values.size() / std::max<std::size_t>(perKey, 1)) +
          " key values";
    return false;
  }
  for (std::size_t k = 0; k < times.size(); ++k) {
    if (!std::isfinite(times[k])) {
      why = "has a key time that is not a finite number";
      return false;
    }
    if (k > 0 && !(times[k] > times[k - 1])) {
      why = "has key times that do not increase (key " + std::to_string(k) + ")";
      return false;
    }
  }
  for (double v : values)
    if (!std::isfinite(v)) {
      why = "has a key value that is not a finite number";
      return false;
    }
  return true;
}

std::vector<double> SamplerCurve::At(double t) const {
  const std::size_t n = std::size_t(components);
  const bool cubic = interpolation == SamplerInterpolation::CubicSpline;
  // The value of key k (the middle of a cubic key's triple).
  auto value = [&](std::size_t k) { return values.data() + (cubic ? (3 * k + 1) * n : k * n); };
  auto result = [&](const double* v) {
    std::vector<double> out(v, v + n);
    if (rotation) Normalise(out);
    return out;
  };
  if (t <= times.front()) return result(value(0));
  if (t >= times.back()) return result(value(times.size() - 1));
  const std::size_t k = std::size_t(std::upper_bound(times.begin(), times.end(), t) - times.begin()) - 1;
  const double t0 = times[k], t1 = times[k + 1], dt = t1 - t0;
  const double s = (t - t0) / dt;
  switch (interpolation) {
    case SamplerInterpolation::Step: return result(value(k));
    case SamplerInterpolation::Linear: {
      const double* a = value(k);
      const double* b = value(k + 1);
      if (rotation) return Slerp(a, b, s);
      std::vector<double> out(n);
      for (std::size_t c = 0; c < n; ++c) out[c] = a[c] + (b[c] - a[c]) * s;
      return out;
    }
    case SamplerInterpolation::CubicSpline: {
      const double* v0 = value(k);
      const double* out0 = values.data() + (3 * k + 2) * n;  // out-tangent of key k
      const double* in1 = values.data() + (3 * (k + 1)) * n;  // in-tangent of key k + 1
      const double* v1 = value(k + 1);
      const double s2 = s * s, s3 = s2 * s;
      const double h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
      std::vector<double> out(n);
      for (std::size_t c = 0; c < n; ++c)
        out[c] = h00 * v0[c] + h10 * dt * out0[c] + h01 * v1[c] + h11 * dt * in1[c];
      if (rotation) Normalise(out);
      return out;
    }
  }
  return result(value(k));
}
