#pragma once
// A plain polygon mesh, the common form of every mesh a description gives (inline, OBJ file or
// primitive), and its conversion into the host's triangle, polygon or patch mesh objects.

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "host/sdk/point3.h"

class Object;

// Faces are stored flat (all corners, then where each face starts): a mesh of millions of faces
// takes two arrays, not one allocation per face.
struct PolyMesh {
  std::vector<Point3> vertices;   // one per vertex
  std::vector<int> faceVertices;  // the corners of every face, face after face (vertex indices, counter-clockwise)
  std::vector<int> faceStarts;    // empty, or FaceCount() + 1 entries: face f is faceVertices[faceStarts[f] .. faceStarts[f + 1])

  int VertexCount() const { return static_cast<int>(vertices.size()); }
  int FaceCount() const { return faceStarts.empty() ? 0 : static_cast<int>(faceStarts.size()) - 1; }
  // The vertex indices of face f (three or more), in order.
  std::span<const int> Face(int f) const {
    return {faceVertices.data() + faceStarts[f], static_cast<std::size_t>(faceStarts[f + 1] - faceStarts[f])};
  }
  // Appends a face of vertex indices.
  void AddFace(std::span<const int> corners);
  void AddFace(std::initializer_list<int> corners) { AddFace(std::span<const int>(corners.begin(), corners.size())); }
  // Room for faces faces of corners corners in all, so that appending them does not reallocate.
  void ReserveFaces(std::size_t faces, std::size_t corners);
};

enum class MeshKind { Tri, Poly, Patch };

// "tri", "poly", "patch"; false for any other text.
bool ParseMeshKind(const std::string& text, MeshKind& kind);
const char* MeshKindName(MeshKind kind);

// A new host object holding the mesh: triangles (polygons fanned), polygons as they are, or
// patches (triangles and quads become patches; a larger polygon is fanned into triangle patches).
// The caller hands it to a node, which owns it from then on.
Object* CreateMeshObject(const PolyMesh& mesh, MeshKind kind);
