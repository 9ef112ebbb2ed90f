#pragma once
// Re-attachment after the mesh's vertex count changed: each new vertex takes over the data of an
// old vertex at its position, or starts afresh.

#include "host/sdk/maxtypes.h"
#include "host/sdk/point3.h"

class Tessarin;

// Re-binds the per-vertex data to n new vertices at positions (n entries, the carrying node's
// object space, carried to world by the attachment object transform). A new vertex matches the
// first unclaimed old vertex within 0.01 units and takes over its codes, forced weights and
// spline data from every bone; an unmatched vertex is included in every bone with a computed
// weight and bound anew to every spline bone at t. The weights are then recomputed; the caller
// rebuilds the bind frames.
void ReattachToVertices(Tessarin& skin, int n, const Point3* positions, TimeValue t);
