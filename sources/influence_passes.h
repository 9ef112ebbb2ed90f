#pragma once
// The push-out passes of the influence sources: after a skin modifier has blended its vertices,
// Orbicle ellipsoids and Fluxel meshes push world-space vertices outward onto (or, in a soft
// zone, just beyond) their surfaces, each move weighted by the source's influence table for the
// skin.

#include <cstdint>

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

// The direction test of both sources: true when direction code D keeps a local point q (0 Omni
// and unknown codes keep everything; a coordinate that is not a number is never rejected).
inline bool PassesDirection(int direction, const Point3& q) {
  switch (direction) {
    case 1: return !(q.x < 0.0f);
    case 2: return !(q.x > 0.0f);
    case 3: return !(q.y < 0.0f);
    case 4: return !(q.y > 0.0f);
    case 5: return !(q.z < 0.0f);
    case 6: return !(q.z > 0.0f);
    default: return true;
  }
}
