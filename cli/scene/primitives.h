#pragma once
// Parametric meshes: box, sphere, cylinder and tube, as welded polygon meshes with outward
// counter-clockwise faces. Cylinders and tubes stand on their base at the origin and extend
// along their axis; boxes stand on their base face; spheres are centred.

#include "cli/scene/poly_mesh.h"

enum class Axis { X, Y, Z };

// width, length and height along x, y, z; segs[i] ≥ 1 divisions along each.
PolyMesh MakeBox(const Point3& size, const int segs[3]);
// segments ≥ 4 around; segments / 2 bands from pole to pole.
PolyMesh MakeSphere(float radius, int segments);
// sides ≥ 3 around, heightSegments ≥ 1 along the axis; capped ends are triangle fans around a
// centre vertex.
PolyMesh MakeCylinder(float radius, float height, int sides, int heightSegments, bool capped, Axis axis);
// A hollow cylinder: outer and inner walls of (heightSegments + 1) × sides vertices each, closed by
// rings at both ends. 2 × (heightSegments + 1) × sides vertices.
PolyMesh MakeTube(float radius, float innerRadius, float height, int sides, int heightSegments, Axis axis);

// Vertex counts the generators give, for checks before generating.
long long BoxVertexCount(const int segs[3]);
long long SphereVertexCount(int segments);
long long CylinderVertexCount(int sides, int heightSegments, bool capped);
long long TubeVertexCount(int sides, int heightSegments);
