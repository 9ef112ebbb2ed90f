#pragma once
// An evaluated mesh taken out of the scene for writing: world positions, polygons and, where the
// skin wrote them, per-vertex colours. Faces are stored flat (all corners, then where each face
// starts), so that taking a snapshot frame after frame into the same object reuses its buffers.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "host/sdk/maxtypes.h"
#include "host/sdk/point3.h"

class INode;

struct MeshSnapshot {
  std::vector<Point3> positions;   // one per vertex, world space
  std::vector<int> faceVertices;   // the corners of every face, face after face (vertex indices)
  std::vector<int> faceStarts;     // FaceCount() + 1 entries: face f is faceVertices[faceStarts[f] .. faceStarts[f + 1])
  std::vector<Point3> colors;      // empty, or one per vertex: r, g, b in [0, 1]

  int VertexCount() const { return static_cast<int>(positions.size()); }
  int FaceCount() const { return faceStarts.empty() ? 0 : static_cast<int>(faceStarts.size()) - 1; }
  // The vertex indices of face f, in order.
  std::span<const int> Face(int f) const {
    return {faceVertices.data() + faceStarts[f], static_cast<std::size_t>(faceStarts[f + 1] - faceStarts[f])};
  }
  // Appends a face of vertex indices.
  void AddFace(std::span<const int> corners);
  // Empties the snapshot, keeping its buffers.
  void Clear();
};

// What a snapshot takes: everything, or the positions and colours only (faces left empty), for
// frames whose faces are known already.
enum class SnapshotParts { Everything, PositionsAndColors };

// The node's evaluated mesh at t (triangle, polygon or patch mesh), carried into world space by
// its object transform, into out (its buffers reused). Faces that name vertices outside the mesh,
// or have fewer than three corners, are left out. False with *error set when the node's result is
// not a mesh.
bool TakeSnapshot(INode* node, TimeValue t, MeshSnapshot& out, std::string* error,
                  SnapshotParts parts = SnapshotParts::Everything);

// Whether the node's result at t is a mesh TakeSnapshot can take (triangle, polygon or patch).
bool IsSnapshotMesh(INode* node, TimeValue t);

// Calls visit with the corners of each face of the node's evaluated mesh at t, as TakeSnapshot
// would take them (the same faces left out), without copying them all: OBJ frames of a big mesh
// write its faces from here. False when the node's result is not a mesh.
bool VisitEvaluatedFaces(INode* node, TimeValue t, const std::function<void(std::span<const int>)>& visit);

// The snapshot's faces as triangles (fans), three vertex indices each.
std::vector<std::uint32_t> SnapshotTriangles(const MeshSnapshot& mesh);
