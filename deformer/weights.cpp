#include "deformer/weights.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include <omp.h>

#include "deformer/parallel_policy.h"
#include "deformer/tessarin.h"
#include "deformer/weight_colors.h"

namespace {

// One bone's attachment data, flattened for the per-vertex loop.
struct WeightBone {
  BoneShape shape;
  AffineFrame toLocal;  // rigid inverse of the shape's frame
  float falloffDistance;
  float strength;
  // Beyond this squared distance from the centre the falloff weight is 0 for certain: the surface
  // lies within the largest radius of the centre, so the radial distance is at least the
  // distance less that radius and the strength term, and z ≥ 12 from 12 / decay onwards. Points
  // nearer, and any bone whose reach is not a number, take the full formula.
  double reachSquared;
  const std::uint8_t* codes;  // codeCount entries
  int codeCount;
  const float* forced;  // forcedCount entries, percent
  int forcedCount;
};

// The squared reach of a bone (see WeightBone), with a margin far above rounding.
double ReachSquared(const BoneShape& shape, float falloffDistance, float strength) {
  constexpr float kDecay = 3.1f;
  constexpr float kStrengthScale = 0.13f;
  const double decay = static_cast<double>(kDecay) / std::max(static_cast<double>(falloffDistance), 1e-12);
  const double largest = static_cast<double>(TwiceLargestRadius(shape)) * 0.5;
  const double strengthTerm = static_cast<double>(std::max(strength, 0.0f)) * static_cast<double>(kStrengthScale) *
                              static_cast<double>(TwiceLargestRadius(shape));
  const double reach = (largest + strengthTerm + 12.0 / decay) * (1.0 + 1e-6) + 1e-9;
  return reach * reach;
}

std::uint8_t CodeAt(const WeightBone& bone, int v) { return v < bone.codeCount ? bone.codes[v] : kCodeDefault; }
float ForcedAt(const WeightBone& bone, int v) { return v < bone.forcedCount ? bone.forced[v] : 0.0f; }

// Row i of the weights (boneCount entries) for vertex position p; raw holds boneCount scratch
// values.
void WeighVertex(const std::vector<WeightBone>& bones, int i, const Point3& p, double* raw, float* row) {
  const int boneCount = static_cast<int>(bones.size());
  double forcedSum = 0.0, computedSum = 0.0;
  int included = 0, lastIncluded = -1;
  for (int j = 0; j < boneCount; ++j) {
    const WeightBone& bone = bones[j];
    const std::uint8_t code = CodeAt(bone, i);
    if (!(code & kCodeIncluded)) {
      raw[j] = 0.0;
      continue;
    }
    ++included;
    lastIncluded = j;
    if (code == kCodeForced) {
      raw[j] = static_cast<double>(ForcedAt(bone, i)) * 0.01;
      forcedSum += raw[j];
    } else {
      const Point3 l = Transform(bone.toLocal, p);
      const double lx = l.x, ly = l.y, lz = l.z;
      if (lx * lx + ly * ly + lz * lz > bone.reachSquared) {
        raw[j] = 0.0;
        continue;
      }
      const double d = RadialDistanceLocal(bone.shape, l, bone.strength);
      raw[j] = FalloffWeightOfDistance(d, bone.falloffDistance);
      computedSum += raw[j];
    }
  }
  if (included == 1) {
    for (int j = 0; j < boneCount; ++j) row[j] = j == lastIncluded ? 1.0f : 0.0f;
    return;
  }
  double forcedScale, computedScale;
  if (forcedSum >= 1.0) {
    forcedScale = 1.0 / forcedSum;
    computedScale = 0.0;
  } else if (computedSum > 1e-12) {
    forcedScale = 1.0;
    computedScale = (1.0 - forcedSum) / computedSum;
  } else {
    forcedScale = forcedSum;
    computedScale = computedSum;
  }
  double sum = 0.0;
  for (int j = 0; j < boneCount; ++j) {
    const std::uint8_t code = CodeAt(bones[j], i);
    if (!(code & kCodeIncluded)) continue;
    raw[j] *= code == kCodeForced ? forcedScale : computedScale;
    sum += raw[j];
  }
  const double norm = sum > 1e-12 ? 1.0 / sum : 0.0;
  for (int j = 0; j < boneCount; ++j) row[j] = static_cast<float>(raw[j] * norm);
}

}  // namespace

double FalloffWeight(const Point3& p, const BoneShape& shape, float falloffDistance, float strength) {
  return FalloffWeightOfDistance(RadialDistance(shape, p, strength), falloffDistance);
}

bool ComputeWeights(Tessarin& skin, int b, int v) {
  const BoneTable& table = skin.table;
  if (!table.IsValidFor(b, v)) return false;
  const int boneCount = b > 0 ? b : table.boneCount;
  const int vertexCount = v > 0 ? v : table.vertexCount;
  if (static_cast<int>(table.attachPositions.size()) < vertexCount ||
      static_cast<int>(table.bones.size()) < boneCount)
    return false;

  WeightCache& cache = skin.cache;
  std::vector<WeightBone> bones(boneCount);
  std::vector<double> scratch;
  const int threads = std::max(omp_get_max_threads(), 1);
  try {
    const std::size_t entries = static_cast<std::size_t>(boneCount) * static_cast<std::size_t>(vertexCount);
    if (cache.weights.size() != entries) cache.weights.resize(entries);
    if (cache.vertexColors.size() != static_cast<std::size_t>(vertexCount)) cache.vertexColors.resize(vertexCount);
    cache.weightsKey.assign({boneCount, vertexCount});
    // One scratch row per thread, made before the loop so that the loop allocates nothing.
    scratch.resize(static_cast<std::size_t>(threads) * boneCount);
  } catch (const std::bad_alloc&) {
    cache.Invalidate();
    return false;
  }

  for (int j = 0; j < boneCount; ++j) {
    const BoneEntry& e = *table.bones[j];
    bones[j] = {e.bindShape,
                RigidInverse(e.bindShape.frame),
                e.falloffDistance,
                e.strength,
                ReachSquared(e.bindShape, e.falloffDistance, e.strength),
                e.vertexCodes.data(),
                static_cast<int>(e.vertexCodes.size()),
                e.forcedWeights.data(),
                static_cast<int>(e.forcedWeights.size())};
  }
  const Point3* positions = table.attachPositions.data();
  float* weights = cache.weights.data();
  double* rows = scratch.data();

#pragma omp parallel for schedule(static) if (ParallelWorthIt(vertexCount, 4 * static_cast<std::int64_t>(boneCount)))
  for (int i = 0; i < vertexCount; ++i) {
    double* raw = rows + static_cast<std::size_t>(omp_get_thread_num()) * boneCount;
    WeighVertex(bones, i, positions[i], raw, weights + static_cast<std::size_t>(i) * boneCount);
  }

  // The blend reads the weights in their sparse form.
  if (!cache.RebuildSparse()) {
    cache.Invalidate();
    return false;
  }
  ComputeVertexColors(skin);
  return true;
}

bool EnsureWeights(Tessarin& skin, int b, int v) {
  if (skin.cache.Matches(b, v)) return true;
  return ComputeWeights(skin, b, v);
}

float WeightOf(Tessarin& skin, int bone, int vertex) {
  const int boneCount = skin.table.boneCount;
  if (bone < 0 || bone >= boneCount || vertex < 0) return 0.0f;
  const std::size_t index = static_cast<std::size_t>(vertex) * boneCount + bone;
  if (index >= skin.cache.weights.size()) ComputeWeights(skin, boneCount, skin.table.vertexCount);
  return index < skin.cache.weights.size() ? skin.cache.weights[index] : 0.0f;
}
