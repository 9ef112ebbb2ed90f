#pragma once
// A viewport as creation and editing code sees it: screen positions carried onto the
// construction plane, and the host's point and angle snapping.

#include "host/sdk/matrix3.h"
#include "host/sdk/subobject.h"

// Snap flags.
inline constexpr DWORD SNAP_IN_3D = 0;
inline constexpr DWORD SNAP_IN_PLANE = 1 << 0;

class ViewExp {
public:
  virtual ~ViewExp() = default;
  // The world point under screen position ps on the construction plane, not snapped.
  virtual Point3 GetPointOnCP(const IPoint2& ps) = 0;
  // The world point under in, snapped when point snapping is on; out receives the screen
  // position of the snapped point.
  virtual Point3 SnapPoint(const IPoint2& in, IPoint2& out, Matrix3* plane2d = nullptr, DWORD flags = 0) = 0;
  // Shows where a point at in would snap to (a marker in the viewport).
  virtual void SnapPreview(const IPoint2& in, IPoint2& out, Matrix3* plane2d = nullptr, DWORD flags = 0) = 0;
  // angle (radians) rounded to the host's angle step when angle snapping is on.
  virtual float SnapAngle(float angle, BOOL fastSnap = TRUE, BOOL forceSnap = FALSE) = 0;
};
