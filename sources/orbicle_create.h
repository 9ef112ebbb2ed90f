#pragma once
// Interactive creation of an orbicle: the first press places the centre, the mouse then sets
// the radius d (all three sizes become 2·d) until the second press ends the creation. With Ctrl
// held the object turns about Z toward the mouse (the angle snapped as the host snaps angles).
// A creation whose second press lands within 3 pixels or 0.1 units of the first is aborted.

#include "host/sdk/mouseman.h"
#include "host/sdk/point3.h"

class Orbicle;

class OrbicleCreateCallBack : public CreateMouseCallBack {
public:
  void SetObj(Orbicle* obj) { ob_ = obj; }
  Orbicle* Obj() const { return ob_; }
  int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) override;

private:
  Orbicle* ob_ = nullptr;
  IPoint2 sp0_;  // screen position of the first press
  Point3 p0_;    // world position of the first press (snapped): the centre
};

// The module's one creation callback.
OrbicleCreateCallBack* GetOrbicleCreateCallBack();
// Forgets obj if the callback holds it (obj is being destroyed).
void ForgetCreatedOrbicle(Orbicle* obj);
