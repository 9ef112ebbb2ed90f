#pragma once
// Tolerance comparisons of host value types for tests. Each returns an AssertionResult that names
// both values, for use as EXPECT_TRUE(ExpectPoint3Near(a, b, 1e-5f)).

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "host/sdk/matrix3.h"
#include "host/sdk/point3.h"
#include "host/sdk/quat.h"

namespace tessarin_test {

inline std::string ToString(const Point3& p) {
  std::ostringstream s;
  s.precision(9);
  s << "(" << p.x << ", " << p.y << ", " << p.z << ")";
  return s.str();
}

inline std::string ToString(const Quat& q) {
  std::ostringstream s;
  s.precision(9);
  s << "(" << q.x << ", " << q.y << ", " << q.z << ", " << q.w << ")";
  return s.str();
}

inline std::string ToString(const Matrix3& m) {
  std::string s = "[";
  for (int i = 0; i < 4; ++i) {
    if (i) s += ' ';
    s += ToString(m.GetRow(i));
  }
  return s + "]";
}

inline bool Near(float a, float b, float tol) { return std::fabs(a - b) <= tol; }

}  // namespace tessarin_test

inline ::testing::AssertionResult ExpectPoint3Near(const Point3& a, const Point3& b, float tol) {
  using tessarin_test::Near;
  if (Near(a.x, b.x, tol) && Near(a.y, b.y, tol) && Near(a.z, b.z, tol)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << tessarin_test::ToString(a) << " vs " << tessarin_test::ToString(b)
                                       << " differ by more than " << tol;
}

// Compares the twelve values; the flags are not compared.
inline ::testing::AssertionResult ExpectMatrix3Near(const Matrix3& a, const Matrix3& b, float tol) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j)
      if (!tessarin_test::Near(a.m[i][j], b.m[i][j], tol))
        return ::testing::AssertionFailure() << tessarin_test::ToString(a) << " vs " << tessarin_test::ToString(b)
                                             << " differ at [" << i << "][" << j << "] by more than " << tol;
  return ::testing::AssertionSuccess();
}

// q and −q encode the same rotation and compare equal.
inline ::testing::AssertionResult ExpectQuatNear(const Quat& a, const Quat& b, float tol) {
  using tessarin_test::Near;
  const bool same = Near(a.x, b.x, tol) && Near(a.y, b.y, tol) && Near(a.z, b.z, tol) && Near(a.w, b.w, tol);
  const bool opposite = Near(a.x, -b.x, tol) && Near(a.y, -b.y, tol) && Near(a.z, -b.z, tol) && Near(a.w, -b.w, tol);
  if (same || opposite) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << tessarin_test::ToString(a) << " vs " << tessarin_test::ToString(b)
                                       << " differ (up to sign) by more than " << tol;
}
