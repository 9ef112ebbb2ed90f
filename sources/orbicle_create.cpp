#include "sources/orbicle_create.h"

#include <cmath>

#include "host/sdk/iparamm2.h"
#include "host/sdk/viewexp.h"
#include "module/registry/orbicle_parameters.h"
#include "sources/orbicle.h"

namespace {

constexpr double kMinScreenDistance = 3.0;  // pixels
constexpr float kMinWorldDistance = 0.1f;

void SetSizes(Orbicle* ob, float size) {
  if (!ob->pblock2) return;
  ob->pblock2->SetValue(orbicle_param::length, 0, size);
  ob->pblock2->SetValue(orbicle_param::width, 0, size);
  ob->pblock2->SetValue(orbicle_param::height, 0, size);
}

}  // namespace

int OrbicleCreateCallBack::proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) {
  if (!ob_ || !vpt) return CREATE_ABORT;
  switch (msg) {
    case MOUSE_FREEMOVE:
      vpt->SnapPreview(m, m, nullptr, SNAP_IN_3D);
      return CREATE_CONTINUE;
    case MOUSE_ABORT:
      return CREATE_ABORT;
    case MOUSE_POINT:
    case MOUSE_MOVE:
      break;
    default:
      return CREATE_CONTINUE;
  }

  if (point == 0) {
    if (msg != MOUSE_POINT) return CREATE_CONTINUE;
    SetSizes(ob_, 0.0f);
    ob_->suspendSnap = TRUE;
    sp0_ = m;
    p0_ = vpt->SnapPoint(m, m, nullptr, SNAP_IN_3D);
    mat.SetTrans(p0_);
    return CREATE_CONTINUE;
  }
  if (point != 1) return CREATE_CONTINUE;

  const IPoint2 pressed = m;
  mat.IdentityMatrix();
  const Point3 p1 = vpt->SnapPoint(m, m, nullptr, SNAP_IN_3D);
  const float d = Length(p1 - p0_);
  // Rotating before placing keeps the centre where the first press put it.
  if (flags & MOUSE_CTRL) mat.RotateZ(vpt->SnapAngle(std::atan2(p1.y - p0_.y, p1.x - p0_.x)));
  mat.SetTrans(p0_);
  SetSizes(ob_, 2.0f * d);
  if (IParamMap2* map = OrbicleParamMap()) map->Invalidate();

  if (msg != MOUSE_POINT) return CREATE_CONTINUE;
  ob_->suspendSnap = FALSE;
  const double screen = std::hypot(static_cast<double>(pressed.x - sp0_.x), static_cast<double>(pressed.y - sp0_.y));
  return screen < kMinScreenDistance || d < kMinWorldDistance ? CREATE_ABORT : CREATE_STOP;
}

OrbicleCreateCallBack* GetOrbicleCreateCallBack() {
  static OrbicleCreateCallBack callback;
  return &callback;
}

void ForgetCreatedOrbicle(Orbicle* obj) {
  OrbicleCreateCallBack* cb = GetOrbicleCreateCallBack();
  if (cb->Obj() == obj) cb->SetObj(nullptr);
}
