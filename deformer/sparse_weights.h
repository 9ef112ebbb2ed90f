#pragma once
// The weights as the blend reads them: per vertex, the bones whose weight is above zero, in
// bone-table order (compressed rows). Built once whenever the weights change, read every
// evaluation; the dense vertex-major weights stay the modifier's state.

#include <cstdint>
#include <vector>

struct BoneWeight {
  std::int32_t bone;  // index into the bone table
  float weight;       // above zero (or not a number: kept, as the dense walk would count it)
};

struct SparseWeights {
  int boneCount = 0;
  int vertexCount = 0;
  // vertexCount + 1 entries: vertex j's influences are entries[offsets[j] .. offsets[j + 1]).
  std::vector<std::uint32_t> offsets;
  std::vector<BoneWeight> entries;

  bool Matches(int bones, int vertices) const {
    return boneCount == bones && vertexCount == vertices &&
           offsets.size() == static_cast<std::size_t>(vertices) + 1;
  }
  void Clear();
};

// Builds the table from weights (boneCount × vertexCount, vertex-major). False, with the table
// cleared, when memory runs out or the entries would not fit 32-bit offsets.
bool BuildSparseWeights(const float* weights, int boneCount, int vertexCount, SparseWeights& out);
