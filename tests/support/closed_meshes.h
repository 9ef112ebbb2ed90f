#pragma once
// Closed triangle meshes for ray and push-out tests, and an inside test that does not cast rays:
// a point lies strictly inside a closed convex mesh when it is behind every face's plane.

#include <algorithm>
#include <cmath>

#include "host/sdk/mesh.h"

namespace tessarin_test {

// A latitude-longitude sphere of radius r about centre: segments around, segments / 2 rings,
// one vertex at each pole (2 + (segments / 2 − 1) · segments vertices), faces wound outward.
inline Mesh ClosedSphere(float r, int segments, const Point3& centre = Point3()) {
  const int rings = segments / 2;
  const float pi = 3.14159265358979f;
  Mesh m;
  m.verts.push_back(centre + Point3(0, 0, r));
  for (int i = 1; i < rings; ++i) {
    const float theta = pi * float(i) / float(rings);
    for (int j = 0; j < segments; ++j) {
      const float phi = 2.0f * pi * float(j) / float(segments);
      m.verts.push_back(centre +
                        Point3(r * std::sin(theta) * std::cos(phi), r * std::sin(theta) * std::sin(phi), r * std::cos(theta)));
    }
  }
  m.verts.push_back(centre + Point3(0, 0, -r));
  const int south = int(m.verts.size()) - 1;
  auto ring = [&](int i, int j) { return 1 + (i - 1) * segments + (j % segments); };
  auto add = [&](int a, int b, int c) {
    Face f;
    f.setVerts(a, b, c);
    m.faces.push_back(f);
  };
  for (int j = 0; j < segments; ++j) add(0, ring(1, j), ring(1, j + 1));
  for (int i = 1; i + 1 < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      add(ring(i, j), ring(i + 1, j), ring(i + 1, j + 1));
      add(ring(i, j), ring(i + 1, j + 1), ring(i, j + 1));
    }
  for (int j = 0; j < segments; ++j) add(ring(rings - 1, j), south, ring(rings - 1, j + 1));
  m.InvalidateGeomCache();
  return m;
}

// The largest signed distance of p to the planes of mesh's faces (outward normals from the
// winding): negative when p is strictly inside a closed convex mesh, by at least that much.
inline float LargestPlaneDistance(const Mesh& mesh, const Point3& p) {
  float largest = -1e30f;
  for (const Face& f : mesh.faces) {
    const Point3 a = mesh.verts[f.v[0]], b = mesh.verts[f.v[1]], c = mesh.verts[f.v[2]];
    const Point3 n = ((b - a) ^ (c - a)).Normalize();
    largest = std::max(largest, DotProd(p - a, n));
  }
  return largest;
}

}  // namespace tessarin_test
