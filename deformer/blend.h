#pragma once
// Blending: moves every vertex by its weighted bones, linearly, by dual quaternions, or by each
// vertex's mix of the two; spline bones drag their vertices along their curves.

#include <cstdint>

#include "host/sdk/maxtypes.h"
#include "host/sdk/point3.h"

class Tessarin;

// Blends n vertices at time t. source and destination: n world positions each; touched: n flags.
// Reads skin.table (frames, the bones' kinds and spline arrays, blendMix, and for spline bones
// currentPositions and attachPositions, by vertex index) and skin.cache.weights (boneCount × n,
// vertex-major). Each vertex reads only its own entries before writing its own, so destination
// may be source or currentPositions. Every vertex with some weight above threshold gets
// destination[j] overwritten and touched[j] = 1; the others are left as they are. With
// useDualQuaternion spline bones take no part. Does nothing when the weights or frames do not
// cover n vertices and boneCount bones. The weights are read from skin.cache.sparse, which is
// built here first when it does not match (boneCount, n); callers that change the weights in
// place rebuild it (WeightCache::RebuildSparse). A threshold below zero counts as zero.
void BlendSkin(Tessarin& skin, TimeValue t, int n, const Point3* source, Point3* destination,
               std::uint8_t* touched, float threshold, bool useDualQuaternion);

// The same blend walking the dense weight rows, every bone slot, instead of the sparse weights:
// the same arithmetic in the same order, kept as the reference the table is checked against.
void BlendSkinDense(Tessarin& skin, TimeValue t, int n, const Point3* source, Point3* destination,
                    std::uint8_t* touched, float threshold, bool useDualQuaternion);
