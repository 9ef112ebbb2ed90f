#include "deformer/reattachment.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

#include "deformer/spline_binding.h"
#include "deformer/tessarin.h"
#include "deformer/weights.h"

namespace {

constexpr float kMatchDistanceSquared = 1e-4f;
// A little over the match distance, so that every match lies in a neighbouring cell.
constexpr double kCellSize = 0.0101;

// Old attachment positions bucketed in cells; each cell lists its vertex indices ascending, so
// that the first unclaimed match in index order is found without scanning every old vertex.
class PositionGrid {
public:
  explicit PositionGrid(const std::vector<Point3>& points) : points_(points) {
    for (int j = 0; j < static_cast<int>(points.size()); ++j) {
      Key k;
      if (CellOf(points[j], k)) cells_[k].push_back(j);
    }
  }

  // The lowest unclaimed index within the match distance of p, or -1.
  int FirstMatch(const Point3& p, const std::vector<std::uint8_t>& claimed) const {
    Key centre;
    if (!CellOf(p, centre)) return -1;
    int best = -1;
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy)
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
          auto it = cells_.find({centre.x + dx, centre.y + dy, centre.z + dz});
          if (it == cells_.end()) continue;
          for (int j : it->second) {
            if (best >= 0 && j >= best) break;
            if (claimed[j] || (points_[j] - p).LengthSquared() > kMatchDistanceSquared) continue;
            best = j;
            break;
          }
        }
    return best;
  }

private:
  struct Key {
    std::int64_t x, y, z;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
      h ^= static_cast<std::uint64_t>(k.y) + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
      h ^= static_cast<std::uint64_t>(k.z) + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
      return static_cast<std::size_t>(h);
    }
  };

  // Non-finite points match nothing and get no cell.
  static bool CellOf(const Point3& p, Key& k) {
    constexpr double kLimit = 1e15;  // keeps the cell numbers inside 64 bits
    double c[3];
    for (int a = 0; a < 3; ++a) {
      if (!std::isfinite(p[a])) return false;
      c[a] = std::floor(std::fmax(-kLimit, std::fmin(kLimit, p[a] / kCellSize)));
    }
    k = {static_cast<std::int64_t>(c[0]), static_cast<std::int64_t>(c[1]), static_cast<std::int64_t>(c[2])};
    return true;
  }

  const std::vector<Point3>& points_;
  std::unordered_map<Key, std::vector<int>, KeyHash> cells_;
};

// One bone's per-vertex data for the new vertex list.
struct NewBoneData {
  std::vector<std::uint8_t> codes;
  std::vector<float> forced;
  std::vector<float> param;
  std::vector<std::int32_t> curve;
  std::vector<Point3> offset;
  std::vector<Point3> tangent;
};

template <class T>
T At(const std::vector<T>& v, int i, T fallback) {
  return i >= 0 && i < static_cast<int>(v.size()) ? v[i] : fallback;
}

}  // namespace

void ReattachToVertices(Tessarin& skin, int n, const Point3* positions, TimeValue t) {
  BoneTable& table = skin.table;
  if (n <= 0 || !positions) return;

  std::vector<Point3> world(n);
  for (int i = 0; i < n; ++i) world[i] = positions[i] * table.attachObjectTM;

  // match[i]: the old vertex new vertex i takes over, or -1.
  const int oldCount = static_cast<int>(table.attachPositions.size());
  std::vector<std::uint8_t> claimed(oldCount, 0);
  std::vector<int> match(n, -1);
  {
    PositionGrid grid(table.attachPositions);
    for (int i = 0; i < n; ++i) {
      int j = grid.FirstMatch(world[i], claimed);
      if (j < 0) continue;
      claimed[j] = 1;
      match[i] = j;
    }
  }

  std::vector<NewBoneData> fresh(table.bones.size());
  for (std::size_t b = 0; b < table.bones.size(); ++b) {
    BoneEntry& bone = *table.bones[b];
    NewBoneData& d = fresh[b];
    d.codes.resize(n);
    d.forced.resize(n);
    const bool spline = bone.kind == kSplineBone;
    if (spline) {
      d.param.assign(n, 0.0f);
      d.curve.assign(n, 0);
      d.offset.assign(n, Point3());
      d.tangent.assign(n, Point3());
    }
    for (int i = 0; i < n; ++i) {
      const int j = match[i];
      d.codes[i] = j >= 0 ? bone.CodeOf(j) : kCodeDefault;
      d.forced[i] = j >= 0 ? At(bone.forcedWeights, j, 0.0f) : 0.0f;
      if (spline && j >= 0 && j < bone.splineCount) {
        d.param[i] = At(bone.splineParam, j, 0.0f);
        d.curve[i] = At(bone.splineCurve, j, 0);
        d.offset[i] = At(bone.splineOffset, j, Point3());
        d.tangent[i] = At(bone.splineTangent, j, Point3());
      }
    }
    if (!spline) continue;
    // Unmatched vertices are bound anew; the target is gathered once for all of them.
    bool anyNew = false;
    for (int i = 0; i < n && !anyNew; ++i) anyNew = match[i] < 0;
    if (!anyNew) continue;
    SplineTarget target(bone.node, t);
    if (!target.Usable()) continue;
    BoneEntry scratch;
    scratch.EnsureSplineCapacity(1);
    for (int i = 0; i < n; ++i) {
      if (match[i] >= 0) continue;
      target.Bind(scratch, 0, world[i]);
      d.param[i] = scratch.splineParam[0];
      d.curve[i] = scratch.splineCurve[0];
      d.offset[i] = scratch.splineOffset[0];
      d.tangent[i] = scratch.splineTangent[0];
    }
  }

  table.ResizeVertexArrays(n);
  for (int i = 0; i < n; ++i) table.attachPositions[i] = table.currentPositions[i] = world[i];
  skin.settings.vertexSelection.resize(n, 0);
  skin.settings.vertexSelectionCount = n;

  for (std::size_t b = 0; b < table.bones.size(); ++b) {
    BoneEntry& bone = *table.bones[b];
    NewBoneData& d = fresh[b];
    bone.vertexCodes = std::move(d.codes);
    bone.forcedWeights = std::move(d.forced);
    bone.vertexCount = n;
    if (bone.kind != kSplineBone) continue;
    bone.splineParam = std::move(d.param);
    bone.splineCurve = std::move(d.curve);
    bone.splineOffset = std::move(d.offset);
    bone.splineTangent = std::move(d.tangent);
    bone.splineCount = n;
  }

  ComputeWeights(skin, table.boneCount, table.vertexCount);
}
