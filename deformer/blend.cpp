#include "deformer/blend.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "deformer/blend_bone.h"
#include "deformer/blend_spline.h"
#include "deformer/parallel_policy.h"
#include "deformer/tessarin.h"

namespace {

// How a bone takes part in the blend.
inline constexpr int kRigidBone = -1;    // moves points by its skin transform
inline constexpr int kSkippedBone = -2;  // a spline bone while blending by dual quaternions
// Any other role r ≥ 0 is a spline bone whose curve state is splines[r].

// A spline bone costs about this many plain influences (curve queries through the host).
inline constexpr int kSplineSteps = 200;

// Everything the per-vertex loop reads; prepared on the calling thread, read-only afterwards.
struct BlendInputs {
  const LinearBone* linear = nullptr;  // one per bone
  const DualBone* dual = nullptr;      // one per bone (dual-quaternion blending only)
  const int* roles = nullptr;          // one per bone
  const AffineFrame* skins = nullptr;  // one per bone, read for spline bones only
  const SplineBinding* splines = nullptr;
  const Point3* source = nullptr;   // n
  const Point3* current = nullptr;  // currentPositions, read by spline bones only
  const Point3* attach = nullptr;   // attachPositions, read by spline bones only
  const float* blendMix = nullptr;  // mixCount entries; vertices past them take 1
  int mixCount = 0;
  float threshold = 0.0f;  // ≥ 0
  bool dualQuaternion = false;
  TimeValue t = 0;
};

// The weights of one vertex from the sparse weights: the bones above zero, in table order.
struct SparseRows {
  static constexpr bool kSparse = true;
  const BoneWeight* entries;
  const std::uint32_t* offsets;  // vertexCount + 1

  template <class Visit>
  void ForEach(int j, float threshold, Visit&& visit) const {
    const BoneWeight* end = entries + offsets[j + 1];
    for (const BoneWeight* e = entries + offsets[j]; e != end; ++e) {
      const float w = e->weight;
      if (w <= threshold) continue;
      visit(e->bone, w);
    }
  }
};

// The same when the threshold is zero: every entry counts (each is above zero, or not a number,
// which w <= 0 lets through as well), so the test is left out of the innermost loop.
struct SparseRowsAboveZero {
  static constexpr bool kSparse = true;
  const BoneWeight* entries;
  const std::uint32_t* offsets;  // vertexCount + 1

  template <class Visit>
  void ForEach(int j, float, Visit&& visit) const {
    const BoneWeight* end = entries + offsets[j + 1];
    for (const BoneWeight* e = entries + offsets[j]; e != end; ++e) visit(e->bone, e->weight);
  }
};

// The same from the dense vertex-major weights: every bone slot of the row.
struct DenseRows {
  static constexpr bool kSparse = false;
  const float* weights;  // boneCount × vertexCount, vertex-major
  int boneCount;

  template <class Visit>
  void ForEach(int j, float threshold, Visit&& visit) const {
    const float* row = weights + static_cast<std::size_t>(j) * static_cast<std::size_t>(boneCount);
    for (int k = 0; k < boneCount; ++k) {
      const float w = row[k];
      if (w <= threshold) continue;
      visit(k, w);
    }
  }
};

inline Lanes Splat(float v) { return Lanes{v, v, v, v}; }
inline Lanes LanesOf(const Point3& p) { return Lanes{p.x, p.y, p.z, 0.0f}; }
inline Point3 PointOf(const Lanes& v) { return {v[0], v[1], v[2]}; }

// Lane r: the row-r sum m[r][0]·x + m[r][1]·y + m[r][2]·z + m[r][3], in that order.
inline Lanes Carry(const LinearBone& b, const Lanes& x, const Lanes& y, const Lanes& z) {
  return b.column[0] * x + b.column[1] * y + b.column[2] * z + b.column[3];
}

// Running sums of one vertex.
struct Sums {
  float total = 0.0f;
  Lanes linear = {0.0f, 0.0f, 0.0f, 0.0f};
  Lanes scaled = {0.0f, 0.0f, 0.0f, 0.0f};
  Lanes real = {0.0f, 0.0f, 0.0f, 0.0f};
  Lanes dual = {0.0f, 0.0f, 0.0f, 0.0f};
  bool first = true;
};

// Sums vertex j's influences. kLinear: the linear sum; kDual: the dual-quaternion sums;
// kSplines: some bone is not rigid (roles must be read).
template <bool kLinear, bool kDual, bool kSplines, class Rows>
inline Sums SumInfluences(const BlendInputs& in, const Rows& rows, int j) {
  const Point3 a = in.source[j];
  const Lanes x = Splat(a.x), y = Splat(a.y), z = Splat(a.z), al = LanesOf(a);
  // Plain locals, not the returned struct: they stay in registers across the loop.
  float total = 0.0f;
  Lanes linear = {0.0f, 0.0f, 0.0f, 0.0f}, scaled = linear, real = linear, dual = linear;
  bool first = true;
  rows.ForEach(j, in.threshold, [&](int k, float w) {
    int role = kRigidBone;
    if constexpr (kSplines) {
      role = in.roles[k];
      if (role == kSkippedBone) return;
    }
    total += w;
    const Lanes wl = Splat(w);
    if constexpr (kLinear) {
      Lanes p;
      Point3 along;
      if (kSplines && role >= 0 &&
          SplinePosition(in.splines[role], in.skins[k], in.t, j, in.current[j], in.attach[j], along))
        p = LanesOf(along);
      else
        p = Carry(in.linear[k], x, y, z);
      linear += wl * p;
    }
    if constexpr (kDual) {
      const DualBone& bone = in.dual[k];
      scaled += wl * (bone.scale * al);
      if (first) {
        real = wl * bone.real;
        dual = wl * bone.dual;
        first = false;
      } else {
        // Keep every rotation in the hemisphere of the sum so far (q and −q are one rotation).
        const Lanes product = bone.real * real;
        const float dot = product[0] + product[1] + product[2] + product[3];
        const Lanes sign = Splat(dot >= 0.0f ? w : -w);
        real += sign * bone.real;
        dual += sign * bone.dual;
      }
    }
  });
  return Sums{total, linear, scaled, real, dual, first};
}

// The linear position from the sums: the weighted mean of the carried points.
inline Point3 LinearPosition(const Sums& s) { return PointOf(s.linear / Splat(s.total)); }

// The dual-quaternion position from the sums; false when no rotation is left to normalise
// (cannot happen with unit bone rotations).
inline bool DualPosition(const Sums& s, Point3& out) {
  const Point3 scaled = PointOf(s.scaled / Splat(s.total));
  const float length =
      std::sqrt(s.real[0] * s.real[0] + s.real[1] * s.real[1] + s.real[2] * s.real[2] + s.real[3] * s.real[3]);
  if (!(length > 0.0f)) return false;
  const Lanes real = s.real / Splat(length), dual = s.dual / Splat(length);
  const float r[4] = {real[0], real[1], real[2], real[3]};
  const float d[4] = {dual[0], dual[1], dual[2], dual[3]};
  out = DualQuatTransform(r, d, scaled);
  return true;
}

// Blends vertex j; writes destination[j] and touched[j] only when the vertex has influence.
// A mix of exactly 1 or 0 takes only the one blend it asks for.
template <bool kSplines, class Rows>
inline void BlendVertex(const BlendInputs& in, const Rows& rows, int j, Point3* destination, std::uint8_t* touched) {
  const float m = !in.dualQuaternion ? 0.0f : (j < in.mixCount ? in.blendMix[j] : 1.0f);
  if (m == 0.0f) {
    const Sums s = SumInfluences<true, false, kSplines>(in, rows, j);
    if (s.total <= 1e-12f) return;
    destination[j] = LinearPosition(s);
  } else if (m == 1.0f) {
    const Sums s = SumInfluences<false, true, kSplines>(in, rows, j);
    if (s.total <= 1e-12f) return;
    Point3 dq;
    if (!DualPosition(s, dq)) dq = LinearPosition(SumInfluences<true, false, kSplines>(in, rows, j));
    destination[j] = dq;
  } else {
    const Sums s = SumInfluences<true, true, kSplines>(in, rows, j);
    if (s.total <= 1e-12f) return;
    const Point3 lin = LinearPosition(s);
    Point3 dq = lin;
    DualPosition(s, dq);
    destination[j] = m * dq + (1.0f - m) * lin;
  }
  touched[j] = 1;
}

// --- Four vertices at once ---------------------------------------------------------------------
// The normalisation and the rigid motion that end a dual-quaternion blend cost as much as four
// influences. Four vertices' sums are therefore finished side by side, lane l of every Lanes
// for vertex j0 + l: every lane performs the very operations of DualPosition on one vertex, in
// the same order, so that it gets the same bits.

// b[0..3] become their transpose: b[c] holds component c of the four inputs.
inline void Transpose(Lanes b[4]) {
  __m128 r0 = b[0], r1 = b[1], r2 = b[2], r3 = b[3];
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  b[0] = r0;
  b[1] = r1;
  b[2] = r2;
  b[3] = r3;
}

// Three coordinates of four points, one Lanes each.
struct Points4 {
  Lanes x, y, z;
};

inline Points4 Cross(const Points4& a, const Points4& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// DualQuatTransform on four lanes: real and dual as (w, x, y, z) components.
inline Points4 DualQuatTransform4(const Lanes real[4], const Lanes dual[4], const Points4& s) {
  const Lanes rw = real[0], dw = dual[0];
  const Points4 rv{real[1], real[2], real[3]}, dv{dual[1], dual[2], dual[3]};
  const Points4 rvs = Cross(rv, s);
  const Points4 c{rvs.x + s.x * rw, rvs.y + s.y * rw, rvs.z + s.z * rw};
  const Points4 rvc = Cross(rv, c), rvd = Cross(rv, dv);
  const Lanes two = Splat(2.0f);
  return {(s.x + rvc.x * two) + ((dv.x * rw - rv.x * dw) + rvd.x) * two,
          (s.y + rvc.y * two) + ((dv.y * rw - rv.y * dw) + rvd.y) * two,
          (s.z + rvc.z * two) + ((dv.z * rw - rv.z * dw) + rvd.z) * two};
}

// Blends vertices j0 .. j0 + 3 (those below n) as BlendVertex would, dual quaternions enabled.
// Vertices of mix 0, and those whose rotation sum cannot be normalised, take BlendVertex itself.
template <bool kSplines, class Rows>
inline void BlendFourDual(const BlendInputs& in, const Rows& rows, int j0, int n, Point3* destination,
                          std::uint8_t* touched) {
  float mix[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // 0: the lane is done (or has no vertex)
  Sums sums[4];
  for (int l = 0; l < 4 && j0 + l < n; ++l) {
    const int j = j0 + l;
    mix[l] = j < in.mixCount ? in.blendMix[j] : 1.0f;
    if (mix[l] == 0.0f) {
      BlendVertex<kSplines>(in, rows, j, destination, touched);
      continue;
    }
    sums[l] = mix[l] == 1.0f ? SumInfluences<false, true, kSplines>(in, rows, j)
                             : SumInfluences<true, true, kSplines>(in, rows, j);
    if (sums[l].total <= 1e-12f) mix[l] = 0.0f;  // no influence: nothing is written
  }
  if (mix[0] == 0.0f && mix[1] == 0.0f && mix[2] == 0.0f && mix[3] == 0.0f) return;

  const Lanes total = {sums[0].total, sums[1].total, sums[2].total, sums[3].total};
  Lanes scaled[4] = {sums[0].scaled, sums[1].scaled, sums[2].scaled, sums[3].scaled};
  Lanes real[4] = {sums[0].real, sums[1].real, sums[2].real, sums[3].real};
  Lanes dual[4] = {sums[0].dual, sums[1].dual, sums[2].dual, sums[3].dual};
  Transpose(scaled);
  Transpose(real);
  Transpose(dual);
  const Points4 s{scaled[0] / total, scaled[1] / total, scaled[2] / total};
  const Lanes length = _mm_sqrt_ps(((real[0] * real[0] + real[1] * real[1]) + real[2] * real[2]) + real[3] * real[3]);
  for (int c = 0; c < 4; ++c) {
    real[c] = real[c] / length;
    dual[c] = dual[c] / length;
  }
  const Points4 moved = DualQuatTransform4(real, dual, s);

  for (int l = 0; l < 4; ++l) {
    if (mix[l] == 0.0f) continue;
    const int j = j0 + l;
    if (!(length[l] > 0.0f)) {
      BlendVertex<kSplines>(in, rows, j, destination, touched);
      continue;
    }
    const Point3 dq(moved.x[l], moved.y[l], moved.z[l]);
    destination[j] = mix[l] == 1.0f ? dq : mix[l] * dq + (1.0f - mix[l]) * LinearPosition(sums[l]);
    touched[j] = 1;
  }
}

template <bool kSplines, class Rows>
void BlendAll(const BlendInputs& in, const Rows& rows, int n, std::int64_t stepsPerVertex, Point3* destination,
              std::uint8_t* touched) {
  if constexpr (Rows::kSparse) {
    if (in.dualQuaternion) {
      const int groups = (n + 3) / 4;
#pragma omp parallel for schedule(static) if (ParallelWorthIt(n, stepsPerVertex))
      for (int g = 0; g < groups; ++g) BlendFourDual<kSplines>(in, rows, 4 * g, n, destination, touched);
      return;
    }
  }
#pragma omp parallel for schedule(static) if (ParallelWorthIt(n, stepsPerVertex))
  for (int j = 0; j < n; ++j) BlendVertex<kSplines>(in, rows, j, destination, touched);
}

// Fills the workspace's per-bone data; false when the table cannot be blended for n vertices.
bool Prepare(Tessarin& skin, TimeValue t, int n, bool useDualQuaternion, bool& anySpline) {
  BoneTable& table = skin.table;
  const int boneCount = table.boneCount;
  const auto bones = static_cast<std::size_t>(boneCount);
  if (table.bones.size() < bones || table.currentFrames.size() < bones || table.bindFrames.size() < bones ||
      skin.cache.weights.size() < bones * static_cast<std::size_t>(n))
    return false;

  BlendWorkspace& work = skin.blendWork;
  work.linear.resize(bones);
  work.dual.resize(useDualQuaternion ? bones : 0);
  work.skins.resize(bones);
  work.roles.assign(bones, kRigidBone);
  work.splines.clear();
  anySpline = false;
  const int positionCount = static_cast<int>(std::min(table.currentPositions.size(), table.attachPositions.size()));
  for (int i = 0; i < boneCount; ++i) {
    const BlendBone bone = PrepareBlendBone(table.currentFrames[i], table.bindFrames[i], useDualQuaternion);
    const auto& m = bone.skin.m;
    for (int c = 0; c < 4; ++c) work.linear[i].column[c] = Lanes{m[0][c], m[1][c], m[2][c], 0.0f};
    if (useDualQuaternion)
      work.dual[i] = {LanesOf(bone.scale), Lanes{bone.real[0], bone.real[1], bone.real[2], bone.real[3]},
                      Lanes{bone.dual[0], bone.dual[1], bone.dual[2], bone.dual[3]}};
    work.skins[i] = bone.skin;
    if (table.bones[i]->kind != kSplineBone) continue;
    anySpline = true;
    if (useDualQuaternion) {
      work.roles[i] = kSkippedBone;
    } else {
      work.roles[i] = static_cast<int>(work.splines.size());
      work.splines.push_back(PrepareSplineBinding(*table.bones[i], t, positionCount));
    }
  }
  return true;
}

template <class Rows>
void Run(Tessarin& skin, TimeValue t, int n, const Point3* source, Point3* destination, std::uint8_t* touched,
         float threshold, bool useDualQuaternion, const Rows& rows, std::int64_t stepsPerVertex) {
  BoneTable& table = skin.table;
  BlendWorkspace& work = skin.blendWork;
  bool anySpline = false;
  if (!Prepare(skin, t, n, useDualQuaternion, anySpline)) return;

  BlendInputs in;
  in.linear = work.linear.data();
  in.dual = work.dual.data();
  in.roles = work.roles.data();
  in.skins = work.skins.data();
  in.splines = work.splines.data();
  in.source = source;
  in.current = table.currentPositions.data();
  in.attach = table.attachPositions.data();
  in.blendMix = table.blendMix.data();
  in.mixCount = static_cast<int>(std::min(table.blendMix.size(), static_cast<std::size_t>(n)));
  // A blend never counts a weight of zero or below.
  in.threshold = std::max(threshold, 0.0f);
  in.dualQuaternion = useDualQuaternion;
  in.t = t;

  if (anySpline)
    BlendAll<true>(in, rows, n, stepsPerVertex * (useDualQuaternion ? 1 : kSplineSteps), destination, touched);
  else
    BlendAll<false>(in, rows, n, stepsPerVertex, destination, touched);
  // Converted shapes go now, not at the next evaluation.
  work.splines.clear();
}

bool Usable(const Tessarin& skin, int n, const Point3* source, const Point3* destination, const std::uint8_t* touched) {
  return n > 0 && skin.table.boneCount > 0 && source && destination && touched;
}

}  // namespace

void BlendSkin(Tessarin& skin, TimeValue t, int n, const Point3* source, Point3* destination,
               std::uint8_t* touched, float threshold, bool useDualQuaternion) {
  if (!Usable(skin, n, source, destination, touched)) return;
  const int boneCount = skin.table.boneCount;
  WeightCache& cache = skin.cache;
  if (cache.weights.size() < static_cast<std::size_t>(boneCount) * static_cast<std::size_t>(n)) return;
  // Weights filled without their table (by hand, or for another key) get it here, once.
  if (!cache.sparse.Matches(boneCount, n) &&
      !BuildSparseWeights(cache.weights.data(), boneCount, n, cache.sparse))
    return;
  const SparseWeights& table = cache.sparse;
  const std::int64_t stepsPerVertex = 1 + static_cast<std::int64_t>(table.entries.size()) / n;
  if (threshold > 0.0f)
    Run(skin, t, n, source, destination, touched, threshold, useDualQuaternion,
        SparseRows{table.entries.data(), table.offsets.data()}, stepsPerVertex);
  else
    Run(skin, t, n, source, destination, touched, threshold, useDualQuaternion,
        SparseRowsAboveZero{table.entries.data(), table.offsets.data()}, stepsPerVertex);
}

void BlendSkinDense(Tessarin& skin, TimeValue t, int n, const Point3* source, Point3* destination,
                    std::uint8_t* touched, float threshold, bool useDualQuaternion) {
  if (!Usable(skin, n, source, destination, touched)) return;
  const int boneCount = skin.table.boneCount;
  Run(skin, t, n, source, destination, touched, threshold, useDualQuaternion,
      DenseRows{skin.cache.weights.data(), boneCount}, boneCount);
}
