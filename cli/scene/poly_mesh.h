#pragma once
// A plain polygon mesh, the common form of every mesh a description gives (inline, OBJ file or
// primitive), and its conversion into the host's triangle, polygon or patch mesh objects.

#include <string>
#include <vector>

#include "host/sdk/point3.h"

class Object;

struct PolyMesh {
  std::vector<Point3> vertices;
  std::vector<std::vector<int>> faces;  // each face: three or more vertex indices, counter-clockwise

  int VertexCount() const { return static_cast<int>(vertices.size()); }
};

enum class MeshKind { Tri, Poly, Patch };

// "tri", "poly", "patch"; false for any other text.
bool ParseMeshKind(const std::string& text, MeshKind& kind);
const char* MeshKindName(MeshKind kind);

// A new host object holding the mesh: triangles (polygons fanned), polygons as they are, or
// patches (triangles and quads become patches; a larger polygon is fanned into triangle patches).
// The caller hands it to a node, which owns it from then on.
Object* CreateMeshObject(const PolyMesh& mesh, MeshKind kind);
