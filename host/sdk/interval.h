#pragma once
// A closed interval of time; the validity of evaluated results.

#include <algorithm>

#include "host/sdk/maxtypes.h"

class Interval {
public:
  constexpr Interval() : start_(TIME_NegInfinity + 1), end_(TIME_NegInfinity) {}  // empty
  constexpr Interval(TimeValue s, TimeValue e) : start_(s), end_(e) {}

  constexpr TimeValue Start() const { return start_; }
  constexpr TimeValue End() const { return end_; }
  constexpr void Set(TimeValue s, TimeValue e) { start_ = s; end_ = e; }
  constexpr void SetStart(TimeValue s) { start_ = s; }
  constexpr void SetEnd(TimeValue e) { end_ = e; }
  constexpr void SetEmpty() { *this = Interval(); }
  constexpr void SetInfinite() { start_ = TIME_NegInfinity; end_ = TIME_PosInfinity; }
  constexpr void SetInstant(TimeValue t) { start_ = end_ = t; }
  constexpr bool Empty() const { return start_ > end_; }
  constexpr bool InInterval(TimeValue t) const { return !Empty() && t >= start_ && t <= end_; }
  constexpr bool operator==(const Interval&) const = default;
  // Intersection.
  constexpr Interval operator&(const Interval& o) const {
    if (Empty() || o.Empty()) return Interval();
    Interval r(std::max(start_, o.start_), std::min(end_, o.end_));
    return r.Empty() ? Interval() : r;
  }
  constexpr Interval& operator&=(const Interval& o) { return *this = *this & o; }

private:
  TimeValue start_;
  TimeValue end_;
};

inline constexpr Interval FOREVER{TIME_NegInfinity, TIME_PosInfinity};
inline constexpr Interval NEVER{};
