#pragma once
// A node's local transform over time: position, rotation and scale, each constant or keyed
// (keys at ticks, interpolated linearly; rotations spherically).

#include <map>

#include "host/sdk/interval.h"
#include "host/sdk/matrix3.h"

class TransformTrack {
public:
  Point3 position;
  Quat rotation;
  Point3 scale{1.0f, 1.0f, 1.0f};
  std::map<TimeValue, Point3> positionKeys;
  std::map<TimeValue, Quat> rotationKeys;
  std::map<TimeValue, Point3> scaleKeys;

  bool IsAnimated() const { return !positionKeys.empty() || !rotationKeys.empty() || !scaleKeys.empty(); }
  Point3 PositionAt(TimeValue t) const;
  Quat RotationAt(TimeValue t) const;
  Point3 ScaleAt(TimeValue t) const;
  // scale, then rotation, then translation (row vectors); valid narrows to [t, t] when keyed.
  Matrix3 LocalAt(TimeValue t, Interval* valid = nullptr) const;
  // Sets the parts of a local matrix at t: keys where the part is keyed, else the constant.
  void SetLocal(TimeValue t, const Matrix3& local, bool makeKeys);
};

// Spherical interpolation between unit quaternions, along the shorter arc.
Quat Slerp(const Quat& a, const Quat& b, float s);
