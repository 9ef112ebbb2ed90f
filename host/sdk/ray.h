#pragma once
// A ray: origin p and direction dir (not necessarily unit).

#include "host/sdk/point3.h"

class Ray {
public:
  Point3 p;
  Point3 dir;
};
