// Ray casts against triangle meshes: the hierarchy answers exactly as the brute-force cast, and
// the object's cache follows geometry changes.

#include <gtest/gtest.h>

#include <random>

#include "host/sdk/mesh_ray.h"
#include "host/sdk/triobj.h"

namespace {

// count random triangles inside the cube [−10, 10]³, some tiny, plus shared-edge fans so that
// rays meet edges and equal distances.
Mesh RandomMesh(std::mt19937& rng, int count) {
  std::uniform_real_distribution<float> pos(-10.0f, 10.0f), small(-0.2f, 0.2f);
  Mesh m;
  for (int i = 0; i < count; ++i) {
    const Point3 a{pos(rng), pos(rng), pos(rng)};
    const bool tiny = i % 5 == 0;
    auto near = [&] { return tiny ? a + Point3(small(rng), small(rng), small(rng)) : Point3(pos(rng), pos(rng), pos(rng)); };
    const int base = m.getNumVerts();
    m.verts.push_back(a);
    m.verts.push_back(near());
    m.verts.push_back(near());
    Face f;
    f.setVerts(base, base + 1, base + 2);
    m.faces.push_back(f);
  }
  // A grid in the plane z = 0 whose cells share edges and vertices.
  const int grid = 8, base = m.getNumVerts();
  for (int y = 0; y <= grid; ++y)
    for (int x = 0; x <= grid; ++x) m.verts.push_back({float(x) - 4.0f, float(y) - 4.0f, 0.0f});
  for (int y = 0; y < grid; ++y)
    for (int x = 0; x < grid; ++x) {
      const int v = base + y * (grid + 1) + x;
      Face a, b;
      a.setVerts(v, v + 1, v + grid + 2);
      b.setVerts(v, v + grid + 2, v + grid + 1);
      m.faces.push_back(a);
      m.faces.push_back(b);
    }
  m.InvalidateGeomCache();
  return m;
}

Ray RandomRay(std::mt19937& rng, int i) {
  std::uniform_real_distribution<float> pos(-15.0f, 15.0f), dir(-1.0f, 1.0f);
  std::uniform_int_distribution<int> cell(-4, 4);
  Ray r;
  r.p = {pos(rng), pos(rng), pos(rng)};
  r.dir = {dir(rng), dir(rng), dir(rng)};
  switch (i % 4) {
    case 1:  // straight down onto grid vertices and edges
      r.p = {float(cell(rng)), float(cell(rng)) + (i % 8 == 1 ? 0.5f : 0.0f), 5.0f};
      r.dir = {0, 0, -1};
      break;
    case 2:  // axis-parallel, long direction
      r.dir = {0, dir(rng) * 100.0f, 0};
      break;
    default:
      break;
  }
  return r;
}

TEST(MeshRayTest, HierarchyAgreesWithBruteForceOnRandomRays) {
  std::mt19937 rng(20261210);
  for (int count : {0, 1, 3, 50, 2000}) {
    const Mesh mesh = RandomMesh(rng, count);
    const TriangleBvh bvh(mesh);
    int hits = 0;
    for (int i = 0; i < 4000; ++i) {
      const Ray ray = RandomRay(rng, i);
      float atRef = -1.0f, at = -1.0f;
      Point3 nRef, n;
      const bool ref = IntersectMeshBruteForce(mesh, ray, atRef, nRef);
      const bool got = bvh.Intersect(ray, at, n);
      ASSERT_EQ(got, ref) << "faces " << mesh.getNumFaces() << " ray " << i;
      if (!ref) continue;
      ++hits;
      ASSERT_EQ(at, atRef) << "ray " << i;
      ASSERT_EQ(n, nRef) << "ray " << i;
    }
    EXPECT_GT(hits, 100) << "faces " << mesh.getNumFaces();
  }
}

TEST(MeshRayTest, BadFacesAndDegenerateRaysNeverHit) {
  Mesh m;
  m.verts = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
  Face good, bad;
  good.setVerts(0, 1, 2);
  bad.setVerts(0, 1, 7);
  m.faces = {bad, good};
  const TriangleBvh bvh(m);
  float at = -1.0f;
  Point3 n;
  Ray down{{0, 0, 3}, {0, 0, -2}};
  ASSERT_TRUE(bvh.Intersect(down, at, n));
  EXPECT_FLOAT_EQ(at, 1.5f);  // distance in ray-direction units
  Ray behind{{0, 0, 3}, {0, 0, 1}}, still{{0, 0, 3}, {0, 0, 0}};
  EXPECT_FALSE(bvh.Intersect(behind, at, n));
  EXPECT_FALSE(bvh.Intersect(still, at, n));
  EXPECT_FALSE(IntersectMeshBruteForce(m, still, at, n));
}

TEST(MeshRayTest, ObjectCacheIsReusedUntilTheGeometryChanges) {
  TriObject* tri = CreateNewTriObject();
  tri->mesh.verts = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
  Face f;
  f.setVerts(0, 1, 2);
  tri->mesh.faces = {f};
  Ray down{{0, 0, 3}, {0, 0, -1}};
  float at = 0.0f;
  Point3 n;
  ASSERT_TRUE(tri->IntersectRay(0, down, at, n));
  EXPECT_FLOAT_EQ(at, 3.0f);
  ASSERT_TRUE(tri->IntersectRay(0, down, at, n));
  EXPECT_EQ(tri->rayCache.Builds(), 1);

  for (Point3& p : tri->mesh.verts) p.z = 1.0f;
  tri->PointsWereChanged();
  ASSERT_TRUE(tri->IntersectRay(0, down, at, n));
  EXPECT_FLOAT_EQ(at, 2.0f);
  EXPECT_EQ(tri->rayCache.Builds(), 2);
  tri->DeleteThis();
}

}  // namespace
