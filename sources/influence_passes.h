#pragma once
// The push-out passes of the influence sources: after a skin modifier has blended its vertices,
// Orbicle ellipsoids and Fluxel meshes push world-space vertices outward onto (or, in a soft
// zone, just beyond) their surfaces, each move weighted by the source's influence table for the
// skin.

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "host/sdk/matrix3.h"
#include "host/sdk/maxtypes.h"
#include "host/sdk/point3.h"

class Tessarin;

// positions: n world-space positions, read and written; touched: n bytes, set to 1 for every
// vertex a pass moves. The orbicle pass runs its vertex loop in parallel (static schedule).
void ApplyOrbiclePass(Tessarin& skin, TimeValue t, int n, Point3* positions, std::uint8_t* touched);
void ApplyFluxelPass(Tessarin& skin, TimeValue t, int n, Point3* positions, std::uint8_t* touched);

// Both passes, orbicles first; the skin modifier calls it when `use_fluxels` is on.
void ApplyInfluenceSources(Tessarin& skin, TimeValue t, int n, Point3* positions, std::uint8_t* touched);

// Hands ApplyInfluenceSources to the skin modifier (the module's set-up and tests call it).
void InstallInfluencePasses();

// The radius a vertex at relative radius h (1 on the surface) is pushed to, for a soft zone of
// half-width d around the surface (d = blend · 0.01, blend ≥ 1): 1 at or below 1 − d, rising with
// slope 0 there to 1 + d with slope 1. Callers keep h within (0, 1 + d).
inline float SoftZoneRadius(float h, float d) {
  const float inner = 1.0f - d;
  if (h <= inner) return 1.0f;
  return 1.0f + (h - inner) * (h - inner) * 0.25f / d;
}

// The direction test of both sources: true when direction code D keeps the local point q = p · m
// (0 Omni and unknown codes keep everything; a coordinate that is not a number is never rejected).
// A coordinate within the rounding of its own computation from p counts as on the cutting plane,
// so a vertex on the plane of a turned source is kept whichever way q's rounding fell.
inline bool PassesDirection(int direction, const Point3& q, const Point3& p, const Matrix3& m) {
  if (direction < 1 || direction > 6) return true;
  const int axis = (direction - 1) / 2;
  const bool positive = direction % 2 == 1;
  // The sum of the magnitudes that make up q[axis], times a few units of rounding.
  const float slack = (std::fabs(p.x * m.m[0][axis]) + std::fabs(p.y * m.m[1][axis]) + std::fabs(p.z * m.m[2][axis]) +
                       std::fabs(m.m[3][axis])) * (8.0f * FLT_EPSILON);
  return positive ? !(q[axis] < -slack) : !(q[axis] > slack);
}
