#include "deformer/secondary_motion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "deformer/bone_shapes.h"
#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "host/sdk/inode.h"

namespace {

TimeValue ClampTime(std::int64_t t) {
  return static_cast<TimeValue>(std::clamp<std::int64_t>(t, std::int64_t{TIME_NegInfinity} + 1, TIME_PosInfinity));
}

// The node transform at t without scale: the rigid motion inertia compares across times.
Matrix3 RigidNodeTM(INode* node, TimeValue t) {
  Matrix3 m = node->GetNodeTM(t);
  m.NoScale();
  return m;
}

// A link bone lags by taking its shape from the past: measured at t − delay, or, with skid,
// extrapolated from the frames at t − delay and at the skid time the way the node path does
// (frame at e, undo the frame at t − delay, frame at e again), with the radii measured at e.
void LagLinkBone(BoneEntry& bone, TimeValue t, const MotionSettings& s, float minRadius) {
  const TimeValue past = ClampTime(std::int64_t{t} - s.delay);
  MeasureShape(bone, past, minRadius, bone.shape);
  if (s.skid <= 0) return;
  BoneShape atSkid = bone.shape;
  MeasureShape(bone, SkidTime(t, s.delay, s.skid), minRadius, atSkid);
  atSkid.frame = Multiply(atSkid.frame, Multiply(RigidInverse(bone.shape.frame), atSkid.frame));
  bone.shape = atSkid;
}

// Any other bone is measured at t and then carried by Δ = C⁻¹ · Wd (row vectors: undo the node
// transform at t, apply the lagged one), so a bone that has not moved keeps its frame exactly
// and its radii are those of time t.
void LagNodeBone(BoneEntry& bone, TimeValue t, const MotionSettings& s, float minRadius) {
  MeasureShape(bone, t, minRadius, bone.shape);
  INode* node = bone.node;
  const Matrix3 current = RigidNodeTM(node, t);
  Matrix3 lagged = RigidNodeTM(node, ClampTime(std::int64_t{t} - s.delay));
  const bool skids = s.skid > 0;
  const Matrix3 atSkid = skids ? RigidNodeTM(node, SkidTime(t, s.delay, s.skid)) : current;
  // Unmoved: the frame stays exactly as measured (the round trips through inverses would not).
  if (lagged == current && atSkid == current) return;
  // Beyond the skid sample by as much as that sample is ahead of the delayed one.
  if (skids) lagged = atSkid * Inverse(lagged) * atSkid;
  const Matrix3 delta = Inverse(current) * lagged;
  bone.shape.frame = Multiply(FrameFromMatrix(delta), bone.shape.frame);
}

}  // namespace

TimeValue SkidTime(TimeValue t, TimeValue delay, int skid) {
  const std::int64_t d = delay;
  return ClampTime(std::int64_t{t} - d + ((d / 2) * skid) / 100);
}

void ApplyOscillation(BoneShape& shape, TimeValue t, const MotionSettings& settings) {
  std::int64_t amplitudes = 0;
  std::int64_t periods = 0;
  for (const MotionSettings::Axis& a : settings.axis) {
    amplitudes += a.amplitude;
    periods += a.period;
  }
  if (amplitudes <= 0 || periods <= 0) return;

  const float largest = std::max({shape.radius[0], shape.radius[1], shape.radius[2]});
  Point3 origin = GetOrigin(shape.frame);
  for (int c = 0; c < 3; ++c) {
    const MotionSettings::Axis& a = settings.axis[c];
    const float omega = a.period >= 1 ? 6.2831855f / static_cast<float>(a.period) : 0.0f;
    const double angle = static_cast<double>(omega) * t + a.shift * 0.017453292519943295;
    const float wave = static_cast<float>(std::cos(angle));
    // Throbbing takes its share away from the displacement: at 100 % the axis only pulses.
    const float move = wave * (static_cast<float>(a.amplitude) * 0.01f) * largest *
                       (static_cast<float>(100 - a.throbbing) * 0.01f);
    origin += GetAxis(shape.frame, c) * move;
    if (a.throbbing > 0 && a.amplitude > 0) {
      const float depth = static_cast<float>(std::min(a.amplitude, 90)) * 0.01f;
      shape.radius[c] *= 1.0f + depth * (static_cast<float>(a.throbbing) * 0.01f) * wave;
    }
  }
  SetOrigin(shape.frame, origin);
}

void UpdateBoneShapesWithMotion(Tessarin& skin, TimeValue t, bool useInertia, bool useOscillation) {
  const float minRadius = skin.settings.minRadius;
  const auto findSettings = GetSkinServices().findMotionSettings;
  for (auto& entry : skin.table.bones) {
    BoneEntry& bone = *entry;
    MotionSettings settings;
    settings.wantInertia = useInertia;
    settings.wantOscillation = useOscillation;
    const bool moving = (useInertia || useOscillation) && bone.node && findSettings &&
                        findSettings(bone.node, t, &settings);
    if (moving && useInertia && settings.delay > 0) {
      if (bone.kind == kLinkBone)
        LagLinkBone(bone, t, settings, minRadius);
      else
        LagNodeBone(bone, t, settings, minRadius);
    } else {
      MeasureShape(bone, t, minRadius, bone.shape);
    }
    if (moving && useOscillation) ApplyOscillation(bone.shape, t, settings);
  }
}
