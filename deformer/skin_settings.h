#pragma once
// Settings, colour tables and selection state of a skin modifier, with their defaults.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "deformer/sparse_weights.h"

inline constexpr int kNamedSetSlots = 32;   // room per level; slots 0..30 are stored
inline constexpr int kStoredNamedSets = 31;

struct SkinSettings {
  float minRadius = 0.001f;
  float weightThreshold = 0.0f;  // percent
  std::uint8_t paintingColors = 0;  // not stored
  std::uint32_t selectedBoneColor = 0x000000FF;
  std::array<std::string, kNamedSetSlots> vertexSetNames;  // UTF-8
  std::array<std::string, kNamedSetSlots> boneSetNames;    // UTF-8
  // Kept values: stored and loaded, otherwise unused.
  std::int32_t frameOptionKind1 = 0;
  std::int32_t frameOptionKind3 = 1;
  float spareFloat1 = 1.0f;
  float spareFloat2 = 1.0f;
  std::int32_t spareInt = 3;
  std::int32_t loadedVersion = 0;  // not stored
  std::uint32_t noInfluenceColor = 0x00FFFFFF;
  std::array<std::uint32_t, 6> weightGradient = {0x00FF0000, 0x00FFFF00, 0x0000FF00,
                                                 0x0000FFFF, 0x000080FF, 0x000000FF};
  std::array<std::uint32_t, 6> mixGradient = {0x00000000, 0x00292929, 0x00525252,
                                              0x007B7B7B, 0x00A4A4A4, 0x00CDCDCD};  // not stored
  std::int32_t subObjectLevel = 0;  // not stored
  std::vector<std::int32_t> vertexSelection;  // one word per vertex: bit 31 selected, bits 0..30 sets
  std::int32_t vertexSelectionCount = 0;

  // 0 < weightThreshold < 100 gives weightThreshold / 100; anything else ignores no weight.
  float BlendThreshold() const {
    return weightThreshold > 0.0f && weightThreshold < 100.0f ? weightThreshold * 0.01f : 0.0f;
  }
};

// The cache of computed weights: boneCount × vertexCount floats, vertex-major (bone b of vertex v
// at v × boneCount + b), valid only for the key it was computed for. `sparse` holds the same
// weights as the blend reads them; whoever changes `weights` rebuilds it (RebuildSparse).
struct WeightCache {
  std::vector<float> weights;
  std::vector<std::int32_t> weightsKey;  // (boneCount, vertexCount) when filled
  std::vector<std::uint32_t> vertexColors;  // one per vertex
  SparseWeights sparse;                     // built from weights for weightsKey

  bool Matches(int boneCount, int vertexCount) const {
    return weightsKey.size() == 2 && weightsKey[0] == boneCount && weightsKey[1] == vertexCount;
  }
  void Invalidate() {
    weights.clear();
    weightsKey.clear();
    vertexColors.clear();
    sparse.Clear();
  }
  // Rebuilds `sparse` from `weights` for weightsKey; false (table empty) when the key does
  // not describe the weights or memory runs out.
  bool RebuildSparse() {
    if (weightsKey.size() != 2 || weightsKey[0] <= 0 || weightsKey[1] < 0 ||
        weights.size() < static_cast<std::size_t>(weightsKey[0]) * static_cast<std::size_t>(weightsKey[1])) {
      sparse.Clear();
      return false;
    }
    return BuildSparseWeights(weights.data(), weightsKey[0], weightsKey[1], sparse);
  }
};
