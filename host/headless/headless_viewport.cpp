#include "host/headless/headless_viewport.h"

#include <cmath>

#include "host/sdk/interface.h"

namespace {

float RoundTo(float v, float step) { return step > 0.0f ? std::round(v / step) * step : v; }

}  // namespace

Point3 HeadlessViewport::GetPointOnCP(const IPoint2& ps) {
  return Point3(static_cast<float>(ps.x - centre_.x) * unitsPerPixel_,
                static_cast<float>(centre_.y - ps.y) * unitsPerPixel_, 0.0f);
}

IPoint2 HeadlessViewport::ScreenOf(const Point3& p) const {
  return IPoint2{centre_.x + static_cast<int>(std::lround(p.x / unitsPerPixel_)),
                 centre_.y - static_cast<int>(std::lround(p.y / unitsPerPixel_))};
}

Point3 HeadlessViewport::SnapPoint(const IPoint2& in, IPoint2& out, Matrix3* plane2d, DWORD flags) {
  (void)plane2d; (void)flags;
  Point3 p = GetPointOnCP(in);
  p.x = RoundTo(p.x, grid_);
  p.y = RoundTo(p.y, grid_);
  out = grid_ > 0.0f ? ScreenOf(p) : in;
  return p;
}

void HeadlessViewport::SnapPreview(const IPoint2& in, IPoint2& out, Matrix3* plane2d, DWORD flags) {
  SnapPoint(in, out, plane2d, flags);
  previews_.push_back(out);
}

float HeadlessViewport::SnapAngle(float angle, BOOL fastSnap, BOOL forceSnap) {
  (void)fastSnap; (void)forceSnap;
  if (angleStep_ <= 0.0f) return angle;
  const float step = angleStep_ * 3.14159265358979f / 180.0f;
  return RoundTo(angle, step);
}

std::vector<MouseEvent> PressMovePress(IPoint2 first, IPoint2 second, int flags, int moves) {
  std::vector<MouseEvent> events;
  events.push_back({MOUSE_POINT, 0, flags, first});
  for (int i = 1; i <= moves; ++i) {
    IPoint2 m{first.x + (second.x - first.x) * i / moves, first.y + (second.y - first.y) * i / moves};
    events.push_back({MOUSE_MOVE, 1, flags, m});
  }
  events.push_back({MOUSE_POINT, 1, flags, second});
  return events;
}

CreationRun DriveCreation(CreateMouseCallBack* cb, ViewExp* vpt, const std::vector<MouseEvent>& events,
                          Matrix3& mat) {
  CreationRun run;
  if (!cb) {
    run.result = CREATE_ABORT;
    return run;
  }
  for (const MouseEvent& e : events) {
    ++run.eventsUsed;
    run.result = cb->proc(vpt, e.msg, e.point, e.flags, e.m, mat);
    if (run.result != CREATE_CONTINUE) break;
  }
  return run;
}

INode* CreateByMouse(Object* obj, ViewExp* vpt, const std::vector<MouseEvent>& events) {
  if (!obj) return nullptr;
  Matrix3 mat;
  CreationRun run = DriveCreation(obj->GetCreateMouseCallBack(), vpt, events, mat);
  if (run.result != CREATE_STOP) {
    obj->DeleteThis();
    return nullptr;
  }
  INode* node = GetCOREInterface()->CreateObjectNode(obj);
  if (node) node->SetNodeTM(0, mat);
  return node;
}
