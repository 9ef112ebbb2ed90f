#include "deformer/sparse_weights.h"

#include <cstddef>
#include <limits>
#include <new>

#include "deformer/parallel_policy.h"

namespace {

// Zero and negative weights never count in a blend (its threshold is never below zero); anything
// else does, a weight that is not a number included.
inline bool Counts(float w) { return !(w <= 0.0f); }

}  // namespace

void SparseWeights::Clear() {
  boneCount = 0;
  vertexCount = 0;
  offsets.clear();
  offsets.shrink_to_fit();
  entries.clear();
  entries.shrink_to_fit();
}

bool BuildSparseWeights(const float* weights, int boneCount, int vertexCount, SparseWeights& out) {
  out.boneCount = 0;
  out.vertexCount = 0;
  if (boneCount <= 0 || vertexCount < 0 || (!weights && vertexCount > 0)) {
    out.Clear();
    return false;
  }
  const auto bones = static_cast<std::size_t>(boneCount);
  try {
    out.offsets.resize(static_cast<std::size_t>(vertexCount) + 1);
  } catch (const std::bad_alloc&) {
    out.Clear();
    return false;
  }
  std::uint32_t* offsets = out.offsets.data();

  // Counts per vertex, then their running sum: offsets[j + 1] = influences of vertices 0 .. j.
  offsets[0] = 0;
#pragma omp parallel for schedule(static) if (ParallelWorthIt(vertexCount, boneCount))
  for (int j = 0; j < vertexCount; ++j) {
    const float* row = weights + static_cast<std::size_t>(j) * bones;
    std::uint32_t count = 0;
    for (int k = 0; k < boneCount; ++k) count += Counts(row[k]) ? 1u : 0u;
    offsets[j + 1] = count;
  }
  std::uint64_t total = 0;
  for (int j = 0; j < vertexCount; ++j) {
    total += offsets[j + 1];
    if (total > std::numeric_limits<std::uint32_t>::max()) {
      out.Clear();
      return false;
    }
    offsets[j + 1] = static_cast<std::uint32_t>(total);
  }
  try {
    // Exactly as many entries as there are influences: no slack kept from an earlier table.
    if (out.entries.size() != total) {
      out.entries.clear();
      out.entries.shrink_to_fit();
      out.entries.resize(total);
    }
  } catch (const std::bad_alloc&) {
    out.Clear();
    return false;
  }
  BoneWeight* entries = out.entries.data();

#pragma omp parallel for schedule(static) if (ParallelWorthIt(vertexCount, boneCount))
  for (int j = 0; j < vertexCount; ++j) {
    const float* row = weights + static_cast<std::size_t>(j) * bones;
    BoneWeight* e = entries + offsets[j];
    for (int k = 0; k < boneCount; ++k)
      if (Counts(row[k])) *e++ = {k, row[k]};
  }
  out.boneCount = boneCount;
  out.vertexCount = vertexCount;
  return true;
}
