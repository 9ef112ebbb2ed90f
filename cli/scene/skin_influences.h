#pragma once
// A vertex's strongest bones, as glTF skins and pipelines take them: a few (bone, weight) pairs
// per vertex instead of a weight for every bone.

#include <cstdint>
#include <vector>

struct StrongWeight {
  int bone = 0;
  float weight = 0.0f;
};

// The n largest weights of one vertex's row (boneCount weights), strongest first; among equal
// weights the lower bone index comes first. Weights at or below threshold are left out, so the
// result may hold fewer than n entries.
std::vector<StrongWeight> TopWeights(const float* row, int boneCount, int n, float threshold = 0.0f);

// Fixed-width influences of every vertex for a skin: joints and weights each hold
// vertexCount × width entries, vertex-major. Each vertex's weights are its `width` largest above
// threshold, renormalised to sum to 1; unused slots hold joint 0 with weight 0. A vertex with no
// weight above threshold is given entirely to joint `unboundJoint`; `unbound` counts them.
struct SkinInfluences {
  int width = 4;
  std::vector<std::uint16_t> joints;
  std::vector<float> weights;
  int unbound = 0;
};

// weights: vertexCount × boneCount, vertex-major (bone b of vertex v at v × boneCount + b).
SkinInfluences LimitInfluences(const std::vector<float>& weights, int boneCount, int vertexCount, int width,
                               float threshold, int unboundJoint);
