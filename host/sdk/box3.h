#pragma once
// Axis-aligned bounding box of the host; empty until a point is added.

#include <algorithm>

#include "host/sdk/point3.h"

class Matrix3;

class Box3 {
public:
  Point3 pmin{1e30f, 1e30f, 1e30f};
  Point3 pmax{-1e30f, -1e30f, -1e30f};

  constexpr Box3() = default;
  constexpr Box3(const Point3& a, const Point3& b) : pmin(a), pmax(b) {}

  constexpr void Init() { *this = Box3(); }
  constexpr bool IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }
  constexpr Point3 Min() const { return pmin; }
  constexpr Point3 Max() const { return pmax; }
  constexpr Point3 Center() const { return (pmin + pmax) * 0.5f; }
  constexpr Point3 Width() const { return pmax - pmin; }
  Box3& operator+=(const Point3& p) {
    pmin = {std::min(pmin.x, p.x), std::min(pmin.y, p.y), std::min(pmin.z, p.z)};
    pmax = {std::max(pmax.x, p.x), std::max(pmax.y, p.y), std::max(pmax.z, p.z)};
    return *this;
  }
  Box3& operator+=(const Box3& b) {
    if (b.IsEmpty()) return *this;
    *this += b.pmin;
    return *this += b.pmax;
  }
  // Enlarges the box by s on every side.
  void EnlargeBy(float s) {
    pmin -= Point3(s, s, s);
    pmax += Point3(s, s, s);
  }
  constexpr bool Contains(const Point3& p) const {
    return p.x >= pmin.x && p.x <= pmax.x && p.y >= pmin.y && p.y <= pmax.y && p.z >= pmin.z && p.z <= pmax.z;
  }
  // The box around the eight corners of this box carried by m.
  Box3 operator*(const Matrix3& m) const;
};
