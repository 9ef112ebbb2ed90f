#include "cli/scene/primitives.h"

#include <array>
#include <cmath>
#include <map>
#include <numbers>

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;

// Rotates a z-up point so that z runs along the axis; cyclic permutations keep faces outward.
Point3 OnAxis(const Point3& p, Axis axis) {
  switch (axis) {
    case Axis::X: return Point3(p.z, p.x, p.y);
    case Axis::Y: return Point3(p.y, p.z, p.x);
    case Axis::Z: break;
  }
  return p;
}

void OrientAll(PolyMesh& mesh, Axis axis) {
  for (Point3& p : mesh.vertices) p = OnAxis(p, axis);
}

// (heightSegments + 1) rings of `sides` vertices at radius r, appended; returns the first index.
int AddRings(PolyMesh& mesh, float r, float height, int sides, int heightSegments) {
  int first = mesh.VertexCount();
  for (int i = 0; i <= heightSegments; ++i) {
    float z = height * float(i) / float(heightSegments);
    for (int j = 0; j < sides; ++j) {
      float a = kTwoPi * float(j) / float(sides);
      mesh.vertices.emplace_back(r * std::cos(a), r * std::sin(a), z);
    }
  }
  return first;
}

// Quads between consecutive rings, facing outwards (or inwards for an inner wall).
void AddWall(PolyMesh& mesh, int first, int sides, int heightSegments, bool inward) {
  auto at = [&](int i, int j) { return first + i * sides + (j % sides); };
  for (int i = 0; i < heightSegments; ++i) {
    for (int j = 0; j < sides; ++j) {
      if (inward) mesh.AddFace({at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), at(i, j)});
      else mesh.AddFace({at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)});
    }
  }
}

}  // namespace

long long BoxVertexCount(const int segs[3]) {
  long long x = segs[0] + 1, y = segs[1] + 1, z = segs[2] + 1;
  return x * y * z - (x - 2 > 0 ? x - 2 : 0) * (y - 2 > 0 ? y - 2 : 0) * (z - 2 > 0 ? z - 2 : 0);
}

long long SphereVertexCount(int segments) {
  long long bands = segments / 2;
  return (bands - 1) * segments + 2;
}

long long CylinderVertexCount(int sides, int heightSegments, bool capped) {
  return static_cast<long long>(heightSegments + 1) * sides + (capped ? 2 : 0);
}

long long TubeVertexCount(int sides, int heightSegments) { return 2LL * (heightSegments + 1) * sides; }

PolyMesh MakeBox(const Point3& size, const int segs[3]) {
  PolyMesh mesh;
  // Lattice points on the surface, welded by their lattice coordinates.
  std::map<std::array<int, 3>, int> index;
  auto vertex = [&](std::array<int, 3> l) {
    auto [it, added] = index.try_emplace(l, mesh.VertexCount());
    if (added) {
      Point3 p;
      for (int a = 0; a < 3; ++a) p[a] = size[a] * (float(l[a]) / float(segs[a]) - (a == 2 ? 0.0f : 0.5f));
      mesh.vertices.push_back(p);
    }
    return it->second;
  };
  for (int a = 0; a < 3; ++a) {
    const int u = (a + 1) % 3, v = (a + 2) % 3;  // (u, v, a) is right-handed
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < segs[u]; ++i) {
        for (int j = 0; j < segs[v]; ++j) {
          auto corner = [&](int di, int dj) {
            std::array<int, 3> l{};
            l[a] = side ? segs[a] : 0;
            l[u] = i + di;
            l[v] = j + dj;
            return vertex(l);
          };
          std::array<int, 4> q{corner(0, 0), corner(1, 0), corner(1, 1), corner(0, 1)};
          if (!side) q = {q[3], q[2], q[1], q[0]};
          mesh.AddFace(q);
        }
      }
    }
  }
  return mesh;
}

PolyMesh MakeSphere(float radius, int segments) {
  PolyMesh mesh;
  const int bands = segments / 2;
  mesh.vertices.emplace_back(0.0f, 0.0f, radius);  // north pole
  for (int b = 1; b < bands; ++b) {
    float polar = std::numbers::pi_v<float> * float(b) / float(bands);
    for (int j = 0; j < segments; ++j) {
      float a = kTwoPi * float(j) / float(segments);
      mesh.vertices.emplace_back(radius * std::sin(polar) * std::cos(a), radius * std::sin(polar) * std::sin(a),
                                 radius * std::cos(polar));
    }
  }
  const int south = mesh.VertexCount();
  mesh.vertices.emplace_back(0.0f, 0.0f, -radius);
  auto at = [&](int ring, int j) { return 1 + (ring - 1) * segments + (j % segments); };
  for (int j = 0; j < segments; ++j) mesh.AddFace({0, at(1, j), at(1, j + 1)});
  for (int b = 1; b + 1 < bands; ++b)
    for (int j = 0; j < segments; ++j) mesh.AddFace({at(b, j), at(b + 1, j), at(b + 1, j + 1), at(b, j + 1)});
  for (int j = 0; j < segments; ++j) mesh.AddFace({south, at(bands - 1, j + 1), at(bands - 1, j)});
  return mesh;
}

PolyMesh MakeCylinder(float radius, float height, int sides, int heightSegments, bool capped, Axis axis) {
  PolyMesh mesh;
  AddRings(mesh, radius, height, sides, heightSegments);
  AddWall(mesh, 0, sides, heightSegments, false);
  if (capped) {
    const int bottom = mesh.VertexCount(), top = bottom + 1, last = heightSegments * sides;
    mesh.vertices.emplace_back(0.0f, 0.0f, 0.0f);
    mesh.vertices.emplace_back(0.0f, 0.0f, height);
    for (int j = 0; j < sides; ++j) {
      int j1 = (j + 1) % sides;
      mesh.AddFace({bottom, j1, j});
      mesh.AddFace({top, last + j, last + j1});
    }
  }
  OrientAll(mesh, axis);
  return mesh;
}

PolyMesh MakeTube(float radius, float innerRadius, float height, int sides, int heightSegments, Axis axis) {
  PolyMesh mesh;
  const int outer = AddRings(mesh, radius, height, sides, heightSegments);
  const int inner = AddRings(mesh, innerRadius, height, sides, heightSegments);
  AddWall(mesh, outer, sides, heightSegments, false);
  AddWall(mesh, inner, sides, heightSegments, true);
  const int top = heightSegments * sides;
  for (int j = 0; j < sides; ++j) {
    int j1 = (j + 1) % sides;
    mesh.AddFace({outer + j, inner + j, inner + j1, outer + j1});
    mesh.AddFace({outer + top + j, outer + top + j1, inner + top + j1, inner + top + j});
  }
  OrientAll(mesh, axis);
  return mesh;
}
