#include "cli/scene/skin_influences.h"

#include <algorithm>
#include <cassert>

std::vector<StrongWeight> TopWeights(const float* row, int boneCount, int n, float threshold) {
  std::vector<StrongWeight> out;
  if (n <= 0) return out;
  out.reserve(std::size_t(n) + 1);
  for (int b = 0; b < boneCount; ++b) {
    const float w = row[b];
    if (!(w > threshold)) continue;
    // Insertion keeps the list sorted; a later bone goes after earlier bones of equal weight.
    auto at = std::find_if(out.begin(), out.end(), [&](const StrongWeight& e) { return e.weight < w; });
    if (at == out.end() && int(out.size()) >= n) continue;
    out.insert(at, StrongWeight{b, w});
    if (int(out.size()) > n) out.pop_back();
  }
  return out;
}

SkinInfluences LimitInfluences(const std::vector<float>& weights, int boneCount, int vertexCount, int width,
                               float threshold, int unboundJoint) {
  assert(weights.size() == std::size_t(boneCount) * std::size_t(vertexCount));
  SkinInfluences out;
  out.width = width;
  out.joints.assign(std::size_t(vertexCount) * width, 0);
  out.weights.assign(std::size_t(vertexCount) * width, 0.0f);
  for (int v = 0; v < vertexCount; ++v) {
    std::vector<StrongWeight> top = TopWeights(&weights[std::size_t(v) * boneCount], boneCount, width, threshold);
    std::uint16_t* joints = &out.joints[std::size_t(v) * width];
    float* w = &out.weights[std::size_t(v) * width];
    if (top.empty()) {
      joints[0] = static_cast<std::uint16_t>(unboundJoint);
      w[0] = 1.0f;
      ++out.unbound;
      continue;
    }
    double sum = 0.0;
    for (const StrongWeight& e : top) sum += e.weight;
    // The strongest takes what the others leave, so the stored floats sum to 1 as closely as
    // floats can.
    float rest = 1.0f;
    for (std::size_t k = 1; k < top.size(); ++k) {
      joints[k] = static_cast<std::uint16_t>(top[k].bone);
      w[k] = float(top[k].weight / sum);
      rest -= w[k];
    }
    joints[0] = static_cast<std::uint16_t>(top[0].bone);
    w[0] = rest;
  }
  return out;
}
