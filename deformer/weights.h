#pragma once
// Bone weights: every bone's share of every vertex, from the attachment positions, the bones'
// attachment ellipsoids, falloff and strength, the vertex influence codes and forced weights.

#include <algorithm>
#include <cmath>

#include "deformer/affine_frame.h"

class Tessarin;

// The raw falloff weight of world point p against an ellipsoid with falloff distance D and
// strength S: 0 far outside (z ≥ 12), e^−z near the surface, up to e^12 deep inside, with
// z = 3.1 / max(D, 1e-12) × the radial distance outside the surface. Double precision.
double FalloffWeight(const Point3& p, const BoneShape& shape, float falloffDistance, float strength);
// The decay 3.1 / max(D, 1e-12) of falloff distance D: a constant of the bone, so that a loop
// over many points computes it once.
inline double FalloffDecay(float falloffDistance) {
  constexpr float kDecay = 3.1f;
  return static_cast<double>(kDecay) / std::max(static_cast<double>(falloffDistance), 1e-12);
}
// The weight for a radial distance d (RadialDistance) and the bone's decay (FalloffDecay).
// Inline: the weight computation calls it for every bone in reach of every vertex.
inline double FalloffWeightOfDecay(double d, double decay) {
  const double z = decay * d;
  if (d > 0.0) return z >= 12.0 ? 0.0 : std::exp(-z);
  return z <= -12.0 ? std::exp(12.0) : std::exp(-z);
}

// Fills skin.cache for b bones and v vertices (b ≤ 0: boneCount; v ≤ 0: vertexCount):
// weights (b × v, vertex-major, each row summing to 1 or all 0), weightsKey (b, v), the influence
// table built from them and the vertex colours. False, with nothing changed, when the table is
// not valid for (b, v); false with the cache emptied when memory runs out. The per-vertex loop
// runs in parallel; its result does not depend on the thread count.
bool ComputeWeights(Tessarin& skin, int b, int v);

// Succeeds at once when the cache was computed for (b, v), else computes it.
bool EnsureWeights(Tessarin& skin, int b, int v);

// The weight of bone on vertex; recomputes the cache once when the entry is missing, 0 when it
// is still missing or the indices are outside the table.
float WeightOf(Tessarin& skin, int bone, int vertex);
