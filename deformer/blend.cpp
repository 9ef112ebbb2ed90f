#include "deformer/blend.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "deformer/blend_bone.h"
#include "deformer/blend_spline.h"
#include "deformer/tessarin.h"

namespace {

// How a bone takes part in the blend.
inline constexpr int kRigidBone = -1;    // moves points by its skin transform
inline constexpr int kSkippedBone = -2;  // a spline bone while blending by dual quaternions
// Any other role r ≥ 0 is a spline bone whose curve state is splines[r].

// Everything the per-vertex loop reads; prepared on the calling thread, read-only afterwards.
struct BlendInputs {
  int boneCount = 0;
  const float* weights = nullptr;  // boneCount × n, vertex-major
  const BlendBone* bones = nullptr;  // boneCount
  const int* roles = nullptr;        // boneCount
  const SplineBinding* splines = nullptr;
  const Point3* source = nullptr;  // n
  const Point3* current = nullptr;  // currentPositions, read by spline bones only
  const Point3* attach = nullptr;   // attachPositions, read by spline bones only
  const float* blendMix = nullptr;  // mixCount entries; vertices past them take 1
  int mixCount = 0;
  float threshold = 0.0f;
  TimeValue t = 0;
};

// Blends vertex j; writes destination[j] and touched[j] only when the vertex has influence.
template <bool kDual>
void BlendVertex(const BlendInputs& in, int j, Point3* destination, std::uint8_t* touched) {
  const float* w = in.weights + static_cast<std::size_t>(j) * static_cast<std::size_t>(in.boneCount);
  const Point3 a = in.source[j];
  float total = 0.0f;
  Point3 linear;
  Point3 scaled;
  float real[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float dual[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  bool first = true;

  for (int k = 0; k < in.boneCount; ++k) {
    const float wk = w[k];
    if (wk <= in.threshold) continue;
    const int role = in.roles[k];
    if (kDual && role != kRigidBone) continue;
    const BlendBone& bone = in.bones[k];
    total += wk;
    Point3 p;
    if (kDual || role < 0 ||
        !SplinePosition(in.splines[role], bone.skin, in.t, j, in.current[j], in.attach[j], p))
      p = Transform(bone.skin, a);
    linear += wk * p;
    if constexpr (kDual) {
      scaled += wk * Point3(bone.scale.x * a.x, bone.scale.y * a.y, bone.scale.z * a.z);
      if (first) {
        for (int c = 0; c < 4; ++c) {
          real[c] = wk * bone.real[c];
          dual[c] = wk * bone.dual[c];
        }
        first = false;
      } else {
        // Keep every rotation in the hemisphere of the sum so far (q and −q are one rotation).
        const float dot = bone.real[0] * real[0] + bone.real[1] * real[1] + bone.real[2] * real[2] +
                          bone.real[3] * real[3];
        const float sign = dot >= 0.0f ? wk : -wk;
        for (int c = 0; c < 4; ++c) {
          real[c] += sign * bone.real[c];
          dual[c] += sign * bone.dual[c];
        }
      }
    }
  }

  if (total <= 1e-12f) return;
  const Point3 lin = linear / total;
  if constexpr (!kDual) {
    destination[j] = lin;
  } else {
    const float m = j < in.mixCount ? in.blendMix[j] : 1.0f;
    const Point3 s = scaled / total;
    const float length =
        std::sqrt(real[0] * real[0] + real[1] * real[1] + real[2] * real[2] + real[3] * real[3]);
    Point3 dq = lin;  // no rotation left to normalise (cannot happen with unit bone rotations)
    if (length > 0.0f) {
      for (int c = 0; c < 4; ++c) {
        real[c] /= length;
        dual[c] /= length;
      }
      dq = DualQuatTransform(real, dual, s);
    }
    destination[j] = m * dq + (1.0f - m) * lin;
  }
  touched[j] = 1;
}

template <bool kDual>
void BlendAll(const BlendInputs& in, int n, Point3* destination, std::uint8_t* touched) {
#pragma omp parallel for schedule(static)
  for (int j = 0; j < n; ++j) BlendVertex<kDual>(in, j, destination, touched);
}

}  // namespace

void BlendSkin(Tessarin& skin, TimeValue t, int n, const Point3* source, Point3* destination,
               std::uint8_t* touched, float threshold, bool useDualQuaternion) {
  BoneTable& table = skin.table;
  const int boneCount = table.boneCount;
  if (n <= 0 || boneCount <= 0 || !source || !destination || !touched) return;
  const auto bones = static_cast<std::size_t>(boneCount);
  if (table.bones.size() < bones || table.currentFrames.size() < bones || table.bindFrames.size() < bones ||
      skin.cache.weights.size() < bones * static_cast<std::size_t>(n))
    return;

  // Per-bone preparation, once per evaluation.
  std::vector<BlendBone> prepared(bones);
  std::vector<int> roles(bones, kRigidBone);
  std::vector<SplineBinding> splines;
  const int positionCount = static_cast<int>(std::min(table.currentPositions.size(), table.attachPositions.size()));
  for (int i = 0; i < boneCount; ++i) {
    prepared[i] = PrepareBlendBone(table.currentFrames[i], table.bindFrames[i], useDualQuaternion);
    if (table.bones[i]->kind != kSplineBone) continue;
    if (useDualQuaternion) {
      roles[i] = kSkippedBone;
    } else {
      roles[i] = static_cast<int>(splines.size());
      splines.push_back(PrepareSplineBinding(*table.bones[i], t, positionCount));
    }
  }

  BlendInputs in;
  in.boneCount = boneCount;
  in.weights = skin.cache.weights.data();
  in.bones = prepared.data();
  in.roles = roles.data();
  in.splines = splines.data();
  in.source = source;
  in.current = table.currentPositions.data();
  in.attach = table.attachPositions.data();
  in.blendMix = table.blendMix.data();
  in.mixCount = static_cast<int>(std::min(table.blendMix.size(), static_cast<std::size_t>(n)));
  in.threshold = threshold;
  in.t = t;

  if (useDualQuaternion)
    BlendAll<true>(in, n, destination, touched);
  else
    BlendAll<false>(in, n, destination, touched);
}
