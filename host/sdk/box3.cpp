#include "host/sdk/box3.h"

#include "host/sdk/matrix3.h"

Box3 Box3::operator*(const Matrix3& m) const {
  Box3 r;
  if (IsEmpty()) return r;
  for (int i = 0; i < 8; ++i) {
    const Point3 corner((i & 1) ? pmax.x : pmin.x, (i & 2) ? pmax.y : pmin.y, (i & 4) ? pmax.z : pmin.z);
    r += corner * m;
  }
  return r;
}
