#pragma once
// The Orbicle's geometry: an ellipsoid of rings of vertices between two poles, or, with a
// direction set, the half of it on one side of a local coordinate plane, the other half flattened
// onto that plane. Computed in single precision except the parametric surface point.

#include "host/sdk/mesh.h"

// Direction codes of the `direction` parameters: the half that is kept.
enum InfluenceDirection : int {
  kDirectionOmni = 0,
  kDirectionForward = 1,   // +X
  kDirectionBackward = 2,  // −X
  kDirectionLeft = 3,      // +Y
  kDirectionRight = 4,     // −Y
  kDirectionUp = 5,        // +Z
  kDirectionDown = 6,      // −Z
};

// What the mesh is built from (parameter values at one time).
struct OrbicleShape {
  float length = 10.0f;   // full extents along local X, Y, Z
  float width = 10.0f;
  float height = 10.0f;
  int segments = 16;      // vertices per ring; clamped to 4 .. 200
  int direction = kDirectionOmni;
  bool orientationMarker = true;  // rings start at longitude π/2 (else 0)
};

inline constexpr int kMinOrbicleSegments = 4;
inline constexpr int kMaxOrbicleSegments = 200;

// Flattens the excluded half onto the cutting plane: 1 sets a negative x to 0, 2 a positive x,
// 3 a negative y, 4 a positive y, 5 a negative z, 6 (and any larger code) a positive z; 0 or
// below changes nothing.
Point3 ClampToDirection(Point3 p, int direction);

// Builds the mesh: S = clamped segments, R = S / 2 − 1 rings, S·R + 2 vertices (top pole, rings
// from the top down, bottom pole) and 2·S·R faces (top cap, bands, bottom cap), smoothing group
// 0 and material id 1, band diagonals hidden. Sizes are clamped to 0 .. 1e30 first.
void BuildOrbicleMesh(const OrbicleShape& shape, Mesh& mesh);

// The point of the ellipsoid at surface parameters u (longitude, 0 .. 1 once around) and v
// (latitude, 0 bottom pole .. 1 top pole), through the direction clamp. Double precision.
Point3 OrbicleSurfacePoint(const OrbicleShape& shape, float u, float v);
