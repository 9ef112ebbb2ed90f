#include "host/headless/transform_track.h"

#include <cmath>

namespace {

template <class T, class Lerp>
T Sample(const std::map<TimeValue, T>& keys, const T& constant, TimeValue t, Lerp lerp) {
  if (keys.empty()) return constant;
  auto next = keys.lower_bound(t);
  if (next == keys.end()) return std::prev(next)->second;
  if (next->first == t || next == keys.begin()) return next->second;
  auto prev = std::prev(next);
  // In double: key times may lie further apart than an int spans.
  float s = float((double(t) - prev->first) / (double(next->first) - prev->first));
  return lerp(prev->second, next->second, s);
}

Point3 LerpPoint(const Point3& a, const Point3& b, float s) { return a + (b - a) * s; }

}  // namespace

Quat Slerp(const Quat& a, const Quat& b, float s) {
  double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z + double(a.w) * b.w;
  Quat end = b;
  if (dot < 0.0) {
    dot = -dot;
    end = Quat(-b.x, -b.y, -b.z, -b.w);
  }
  double wa, wb;
  if (dot > 0.9995) {
    wa = 1.0 - s;
    wb = s;
  } else {
    double theta = std::acos(dot);
    double sn = std::sin(theta);
    wa = std::sin((1.0 - s) * theta) / sn;
    wb = std::sin(s * theta) / sn;
  }
  Quat r(float(wa * a.x + wb * end.x), float(wa * a.y + wb * end.y), float(wa * a.z + wb * end.z),
         float(wa * a.w + wb * end.w));
  return r.Normalize();
}

Point3 TransformTrack::PositionAt(TimeValue t) const { return Sample(positionKeys, position, t, LerpPoint); }
Quat TransformTrack::RotationAt(TimeValue t) const { return Sample(rotationKeys, rotation, t, Slerp); }
Point3 TransformTrack::ScaleAt(TimeValue t) const { return Sample(scaleKeys, scale, t, LerpPoint); }

Matrix3 TransformTrack::LocalAt(TimeValue t, Interval* valid) const {
  if (valid && IsAnimated()) *valid &= Interval(t, t);
  Matrix3 m = ScaleMatrix(ScaleAt(t));
  Matrix3 r;
  RotationAt(t).MakeMatrix(r);
  m = m * r;
  m.Translate(PositionAt(t));
  m.ValidateFlags();
  return m;
}

void TransformTrack::SetLocal(TimeValue t, const Matrix3& local, bool makeKeys) {
  AffineParts parts;
  decomp_affine(local, &parts);
  // The stretch is taken along the node's own axes; shear does not survive a node transform.
  Point3 s = parts.k * parts.f;
  if (makeKeys || !positionKeys.empty()) positionKeys[t] = parts.t; else position = parts.t;
  if (makeKeys || !rotationKeys.empty()) rotationKeys[t] = parts.q; else rotation = parts.q;
  if (makeKeys || !scaleKeys.empty()) scaleKeys[t] = s; else scale = s;
}
