#pragma once
// The headless viewport: a top view whose construction plane is the world's z = 0 plane. A
// screen position (x, y) in pixels, y downwards, is the world point
// ((x − centre.x) · unitsPerPixel, (centre.y − y) · unitsPerPixel, 0). Point snapping rounds x
// and y to a grid; angle snapping rounds an angle to a step. Snap previews are recorded.

#include <vector>

#include "host/sdk/mouseman.h"
#include "host/sdk/viewexp.h"

class Object;
class INode;

class HeadlessViewport : public ViewExp {
public:
  explicit HeadlessViewport(float unitsPerPixel = 1.0f, IPoint2 centre = {0, 0})
      : unitsPerPixel_(unitsPerPixel), centre_(centre) {}

  // Grid spacing in world units; 0 turns point snapping off (the default).
  void SetGridSnap(float spacing) { grid_ = spacing; }
  // Angle step in degrees; 0 turns angle snapping off (the default).
  void SetAngleSnap(float stepDegrees) { angleStep_ = stepDegrees; }

  Point3 GetPointOnCP(const IPoint2& ps) override;
  Point3 SnapPoint(const IPoint2& in, IPoint2& out, Matrix3* plane2d = nullptr, DWORD flags = 0) override;
  void SnapPreview(const IPoint2& in, IPoint2& out, Matrix3* plane2d = nullptr, DWORD flags = 0) override;
  float SnapAngle(float angle, BOOL fastSnap = TRUE, BOOL forceSnap = FALSE) override;

  // Screen positions of the snap previews shown so far.
  const std::vector<IPoint2>& Previews() const { return previews_; }

private:
  IPoint2 ScreenOf(const Point3& p) const;

  float unitsPerPixel_;
  IPoint2 centre_;
  float grid_ = 0.0f;
  float angleStep_ = 0.0f;
  std::vector<IPoint2> previews_;
};

// One mouse event of an interactive creation.
struct MouseEvent {
  int msg = MOUSE_POINT;
  int point = 0;
  int flags = 0;
  IPoint2 m;
};

// The events of the usual two-click creation: a press at first, moves toward second (the last
// one at second), and a press at second, all with flags (MOUSE_CTRL, ...).
std::vector<MouseEvent> PressMovePress(IPoint2 first, IPoint2 second, int flags = 0, int moves = 1);

struct CreationRun {
  int result = CREATE_CONTINUE;  // the callback's last answer
  int eventsUsed = 0;            // events fed before it stopped or aborted (or all)
};

// Feeds events to cb in order until it answers CREATE_STOP or CREATE_ABORT; mat is the
// creation matrix carried from event to event.
CreationRun DriveCreation(CreateMouseCallBack* cb, ViewExp* vpt, const std::vector<MouseEvent>& events, Matrix3& mat);

// The host's create mode for obj (made by its class descriptor): drives obj's creation callback
// with events from the identity matrix; when it stops, a new node carries obj with the creation
// matrix as its transform and is returned. When it aborts, or no callback exists, or the events
// run out first, obj is deleted and the answer is null.
INode* CreateByMouse(Object* obj, ViewExp* vpt, const std::vector<MouseEvent>& events);
