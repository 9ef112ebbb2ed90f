#pragma once
// An evaluated mesh taken out of the scene for writing: world positions, polygons and, where the
// skin wrote them, per-vertex colours.

#include <string>
#include <vector>

#include "host/sdk/maxtypes.h"
#include "host/sdk/point3.h"

class INode;

struct MeshSnapshot {
  std::vector<Point3> positions;        // one per vertex, world space
  std::vector<std::vector<int>> faces;  // polygons of vertex indices
  std::vector<Point3> colors;           // empty, or one per vertex: r, g, b in [0, 1]

  int VertexCount() const { return static_cast<int>(positions.size()); }
};

// The node's evaluated mesh at t (triangle, polygon or patch mesh), carried into world space by
// its object transform. False with *error set when the node's result is not a mesh.
bool TakeSnapshot(INode* node, TimeValue t, MeshSnapshot& out, std::string* error);
