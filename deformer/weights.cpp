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
  double decay;         // FalloffDecay of the falloff distance
  double strengthTerm;  // StrengthTerm of the shape and strength
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
  const double largest = static_cast<double>(TwiceLargestRadius(shape)) * 0.5;
  const double reach =
      (largest + StrengthTerm(shape, strength) + 12.0 / FalloffDecay(falloffDistance)) * (1.0 + 1e-6) + 1e-9;
  return reach * reach;
}

std::uint8_t CodeAt(const WeightBone& bone, int v) { return v < bone.codeCount ? bone.codes[v] : kCodeDefault; }
float ForcedAt(const WeightBone& bone, int v) { return v < bone.forcedCount ? bone.forced[v] : 0.0f; }

// The factors of the forced and the computed shares of a vertex, from their sums: forced shares
// of 100 % or more are scaled to 100 % and leave nothing to the computed ones, which otherwise
// fill what the forced shares leave.
inline void ShareScales(double forcedSum, double computedSum, double& forcedScale, double& computedScale) {
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
}

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
      const double d = RadialDistanceOfLocal(bone.shape, l, bone.strengthTerm);
      raw[j] = FalloffWeightOfDecay(d, bone.decay);
      computedSum += raw[j];
    }
  }
  if (included == 1) {
    for (int j = 0; j < boneCount; ++j) row[j] = j == lastIncluded ? 1.0f : 0.0f;
    return;
  }
  double forcedScale, computedScale;
  ShareScales(forcedSum, computedSum, forcedScale, computedScale);
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

// A uniform grid over the bones' reach, so that a vertex measures only the bones that can give it
// a weight. Every bone whose reach may contain a point of a cell is listed in the cell, in bone
// order; bones whose reach cannot be bounded this way (not a number, unbounded, a frame that is
// not a rotation, data too large for the error bound) are listed in every cell and in `outside`,
// the list of a vertex outside the grid.
//
// The bound: for a rotation M (within 1e-4 per entry of MᵀM = I, so |M·x| ≥ (1 − 3e-4)·|x|) the
// local point computed in float differs from M·(p − c) by less than 2e-6·(|p − c| + |c| + |t|),
// c the centre and t the frame's translation. So a point farther from c than cullRadius below
// has a local point beyond the bone's reach, and the kernel's own reach test sets its weight to
// 0: leaving the bone out changes no bit of the result.
struct ReachGrid {
  double origin[3] = {0, 0, 0};
  double inverseCell = 1.0;
  int cells[3] = {0, 0, 0};              // 0: no grid, every vertex is outside
  std::vector<std::int32_t> cellStart;   // cells[0]·cells[1]·cells[2] + 1 entries, x fastest
  std::vector<std::int32_t> cellBones;   // bone indices, ascending within each cell
  std::vector<std::int32_t> outside;     // the unbounded bones, ascending

  // The cell coordinate along axis a, as a double so that far points do not overflow an int;
  // monotonic in x, which is what makes the listing conservative.
  double CellOf(int a, double x) const { return std::floor((x - origin[a]) * inverseCell); }
};

// Positions at or beyond this magnitude take the dense formula: their float transform could
// overflow, which the grid's bound does not cover.
constexpr double kGridPositionLimit = 1e18;

// The cull radius of bone (see ReachGrid), or a negative value when the bone is unbounded.
double CullRadius(const WeightBone& bone) {
  const double reachSquared = bone.reachSquared;
  if (!(reachSquared >= 0.0) || !std::isfinite(reachSquared)) return -1.0;
  const float(*m)[4] = bone.toLocal.m;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c)
      if (!std::isfinite(m[r][c]) || std::fabs(m[r][c]) > kGridPositionLimit) return -1.0;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      double dot = 0.0;
      for (int r = 0; r < 3; ++r) dot += static_cast<double>(m[r][a]) * m[r][b];
      if (std::fabs(dot - (a == b ? 1.0 : 0.0)) > 1e-4) return -1.0;
    }
  double centre = 0.0, translation = 0.0;
  for (int r = 0; r < 3; ++r) {
    const double cr = bone.shape.frame.m[r][3];
    if (!std::isfinite(cr) || std::fabs(cr) > kGridPositionLimit) return -1.0;
    centre += cr * cr;
    translation += static_cast<double>(m[r][3]) * m[r][3];
  }
  const double radius =
      (std::sqrt(reachSquared) + 1e-4 * (std::sqrt(centre) + std::sqrt(translation)) + 1e-9) * (1.0 + 2e-3);
  return radius <= kGridPositionLimit ? radius : -1.0;
}

// Builds grid for bones; cullRadius holds one entry per bone, filled here.
void BuildReachGrid(const std::vector<WeightBone>& bones, std::vector<double>& cullRadius, ReachGrid& grid) {
  const int boneCount = static_cast<int>(bones.size());
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  int bounded = 0;
  for (int j = 0; j < boneCount; ++j) {
    cullRadius[j] = CullRadius(bones[j]);
    if (cullRadius[j] < 0.0) {
      grid.outside.push_back(j);
      continue;
    }
    ++bounded;
    for (int a = 0; a < 3; ++a) {
      const double c = bones[j].shape.frame.m[a][3];
      lo[a] = std::min(lo[a], c - cullRadius[j]);
      hi[a] = std::max(hi[a], c + cullRadius[j]);
    }
  }
  if (bounded == 0) return;
  // About 64 cells along the longest side, fewer when there are many bones, so that the lists
  // stay within a few megabytes. The cell of every box's upper corner is inside the grid, so that
  // a point outside it is outside every box whatever the rounding.
  const double longest = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2], 1e-30});
  const double maxCells = std::clamp(static_cast<double>(1 << 20) / boneCount, 64.0, 8192.0);
  for (int a = 0; a < 3; ++a) grid.origin[a] = lo[a];
  double cell = longest / 64.0;
  int n[3];
  for (;;) {
    grid.inverseCell = 1.0 / cell;
    double total = 1.0;
    for (int a = 0; a < 3; ++a) {
      n[a] = static_cast<int>(grid.CellOf(a, hi[a])) + 1;
      total *= n[a];
    }
    if (total <= maxCells) break;
    cell *= 1.25;
  }
  for (int a = 0; a < 3; ++a) grid.cells[a] = n[a];
  const int cellCount = n[0] * n[1] * n[2];
  // The range of cells each bone's box covers, clamped to the grid; unbounded bones cover all.
  auto range = [&](int j, int a, int& first, int& last) {
    if (cullRadius[j] < 0.0) {
      first = 0;
      last = n[a] - 1;
      return;
    }
    const double c = bones[j].shape.frame.m[a][3];
    first = static_cast<int>(std::clamp(grid.CellOf(a, c - cullRadius[j]), 0.0, n[a] - 1.0));
    last = static_cast<int>(std::clamp(grid.CellOf(a, c + cullRadius[j]), 0.0, n[a] - 1.0));
  };
  grid.cellStart.assign(static_cast<std::size_t>(cellCount) + 1, 0);
  for (int pass = 0; pass < 2; ++pass) {
    for (int j = 0; j < boneCount; ++j) {
      int f[3], l[3];
      for (int a = 0; a < 3; ++a) range(j, a, f[a], l[a]);
      for (int z = f[2]; z <= l[2]; ++z)
        for (int y = f[1]; y <= l[1]; ++y)
          for (int x = f[0]; x <= l[0]; ++x) {
            const int k = (z * n[1] + y) * n[0] + x;
            if (pass == 0)
              ++grid.cellStart[k + 1];
            else
              grid.cellBones[grid.cellStart[k]++] = j;
          }
    }
    if (pass == 0) {
      for (int k = 0; k < cellCount; ++k) grid.cellStart[k + 1] += grid.cellStart[k];
      grid.cellBones.resize(grid.cellStart[cellCount]);
    } else {
      // The fill advanced every start to the next cell's; shift them back.
      for (int k = cellCount; k > 0; --k) grid.cellStart[k] = grid.cellStart[k - 1];
      grid.cellStart[0] = 0;
    }
  }
}

// Per-thread scratch for WeighBlock, each array boneCount entries.
struct BlockScratch {
  std::uint8_t* special;    // 1: the bone has a code other than the default in the block
  std::int32_t* specials;   // those bones, ascending
  std::int32_t* computed;   // the vertex's bones with a computed weight other than 0, ascending
  double* computedRaw;      // their raw weights
  std::int32_t* forced;     // the vertex's forced bones, ascending
  double* forcedRaw;        // their raw weights
  double* dense;            // WeighVertex's scratch row
};

// Rows first .. last − 1 of the weights; the same bits as WeighVertex on every row. Only the
// bones listed in the vertex's grid cell and the bones with codes other than the default are
// visited; whatever WeighVertex would do differently for the rest (a non-finite scale, a single
// included bone, a position the grid does not cover) sends the vertex to WeighVertex itself.
void WeighBlock(const std::vector<WeightBone>& bones, const ReachGrid& grid, const Point3* positions, int first,
                int last, const BlockScratch& s, float* weights) {
  const int boneCount = static_cast<int>(bones.size());
  int specialCount = 0;
  for (int j = 0; j < boneCount; ++j) {
    const WeightBone& bone = bones[j];
    const int end = std::min(last, bone.codeCount);
    std::uint8_t other = 0;
    for (int i = first; i < end; ++i) other |= bone.codes[i] ^ kCodeDefault;
    s.special[j] = other != 0;
    if (other) s.specials[specialCount++] = j;
  }
  for (int i = first; i < last; ++i) {
    const Point3& p = positions[i];
    float* row = weights + static_cast<std::size_t>(i) * boneCount;
    const double px = p.x, py = p.y, pz = p.z;
    if (!(std::fabs(px) < kGridPositionLimit && std::fabs(py) < kGridPositionLimit &&
          std::fabs(pz) < kGridPositionLimit)) {
      WeighVertex(bones, i, p, s.dense, row);
      continue;
    }
    const std::int32_t* list = grid.outside.data();
    int listSize = static_cast<int>(grid.outside.size());
    if (grid.cells[0] > 0) {
      const double cx = grid.CellOf(0, px), cy = grid.CellOf(1, py), cz = grid.CellOf(2, pz);
      if (cx >= 0.0 && cx < grid.cells[0] && cy >= 0.0 && cy < grid.cells[1] && cz >= 0.0 && cz < grid.cells[2]) {
        const int k = (static_cast<int>(cz) * grid.cells[1] + static_cast<int>(cy)) * grid.cells[0] + static_cast<int>(cx);
        list = grid.cellBones.data() + grid.cellStart[k];
        listSize = grid.cellStart[k + 1] - grid.cellStart[k];
      }
    }
    int excluded = 0, forcedCount = 0, computedCount = 0;
    double forcedSum = 0.0, computedSum = 0.0;
    for (int e = 0; e < specialCount; ++e) {
      const int j = s.specials[e];
      const std::uint8_t code = CodeAt(bones[j], i);
      if (!(code & kCodeIncluded)) {
        ++excluded;
      } else if (code == kCodeForced) {
        const double raw = static_cast<double>(ForcedAt(bones[j], i)) * 0.01;
        s.forced[forcedCount] = j;
        s.forcedRaw[forcedCount++] = raw;
        forcedSum += raw;
      }
    }
    if (boneCount - excluded <= 1) {
      WeighVertex(bones, i, p, s.dense, row);
      continue;
    }
    for (int e = 0; e < listSize; ++e) {
      const int j = list[e];
      const WeightBone& bone = bones[j];
      if (s.special[j]) {
        const std::uint8_t code = CodeAt(bone, i);
        if (!(code & kCodeIncluded) || code == kCodeForced) continue;
      }
      const Point3 l = Transform(bone.toLocal, p);
      const double lx = l.x, ly = l.y, lz = l.z;
      if (lx * lx + ly * ly + lz * lz > bone.reachSquared) continue;
      const double raw = FalloffWeightOfDecay(RadialDistanceOfLocal(bone.shape, l, bone.strengthTerm), bone.decay);
      // Zeros add nothing to any sum and scale to 0: they need not be kept.
      if (raw == 0.0) continue;
      s.computed[computedCount] = j;
      s.computedRaw[computedCount++] = raw;
      computedSum += raw;
    }
    double forcedScale, computedScale;
    ShareScales(forcedSum, computedSum, forcedScale, computedScale);
    // An infinite or undefined scale turns the zeros left out into NaN.
    if (!std::isfinite(forcedScale) || !std::isfinite(computedScale)) {
      WeighVertex(bones, i, p, s.dense, row);
      continue;
    }
    // The scaled shares summed in bone order, as WeighVertex sums them.
    double sum = 0.0;
    for (int a = 0, b = 0; a < forcedCount || b < computedCount;) {
      if (b >= computedCount || (a < forcedCount && s.forced[a] < s.computed[b])) {
        s.forcedRaw[a] *= forcedScale;
        sum += s.forcedRaw[a++];
      } else {
        s.computedRaw[b] *= computedScale;
        sum += s.computedRaw[b++];
      }
    }
    const double norm = sum > 1e-12 ? 1.0 / sum : 0.0;
    std::fill(row, row + boneCount, 0.0f);
    for (int a = 0; a < forcedCount; ++a) row[s.forced[a]] = static_cast<float>(s.forcedRaw[a] * norm);
    for (int b = 0; b < computedCount; ++b) row[s.computed[b]] = static_cast<float>(s.computedRaw[b] * norm);
  }
}

}  // namespace

double FalloffWeight(const Point3& p, const BoneShape& shape, float falloffDistance, float strength) {
  return FalloffWeightOfDecay(RadialDistance(shape, p, strength), FalloffDecay(falloffDistance));
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
  std::vector<double> cullRadius(boneCount);
  ReachGrid grid;
  const int threads = std::max(omp_get_max_threads(), 1);
  const std::size_t perThread = static_cast<std::size_t>(threads) * boneCount;
  std::vector<std::uint8_t> special;
  std::vector<std::int32_t> indices;
  std::vector<double> values;
  try {
    const std::size_t entries = static_cast<std::size_t>(boneCount) * static_cast<std::size_t>(vertexCount);
    if (cache.weights.size() != entries) cache.weights.resize(entries);
    if (cache.vertexColors.size() != static_cast<std::size_t>(vertexCount)) cache.vertexColors.resize(vertexCount);
    cache.weightsKey.assign({boneCount, vertexCount});
    // Every thread's scratch made before the loop, so that the loop allocates nothing.
    special.resize(perThread);
    indices.resize(3 * perThread);
    values.resize(3 * perThread);

    for (int j = 0; j < boneCount; ++j) {
      const BoneEntry& e = *table.bones[j];
      bones[j] = {e.bindShape,
                  RigidInverse(e.bindShape.frame),
                  FalloffDecay(e.falloffDistance),
                  StrengthTerm(e.bindShape, e.strength),
                  ReachSquared(e.bindShape, e.falloffDistance, e.strength),
                  e.vertexCodes.data(),
                  static_cast<int>(e.vertexCodes.size()),
                  e.forcedWeights.data(),
                  static_cast<int>(e.forcedWeights.size())};
    }
    BuildReachGrid(bones, cullRadius, grid);
  } catch (const std::bad_alloc&) {
    cache.Invalidate();
    return false;
  }

  const Point3* positions = table.attachPositions.data();
  float* weights = cache.weights.data();
  // Blocks of vertices share one scan of the codes.
  constexpr int kBlock = 256;
  const int blockCount = (vertexCount + kBlock - 1) / kBlock;

#pragma omp parallel if (ParallelWorthIt(vertexCount, 4 * static_cast<std::int64_t>(boneCount)))
  {
    const std::size_t t = static_cast<std::size_t>(omp_get_thread_num()) * boneCount;
    const BlockScratch scratch{special.data() + t,        indices.data() + 3 * t,
                               indices.data() + 3 * t + boneCount, values.data() + 3 * t,
                               indices.data() + 3 * t + 2 * boneCount, values.data() + 3 * t + boneCount,
                               values.data() + 3 * t + 2 * boneCount};
#pragma omp for schedule(static)
    for (int block = 0; block < blockCount; ++block)
      WeighBlock(bones, grid, positions, block * kBlock, std::min(vertexCount, (block + 1) * kBlock), scratch, weights);
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
