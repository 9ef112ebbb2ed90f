// Ray casts against triangle meshes: rays through shared edges and vertices of closed meshes
// never slip between triangles, the hierarchy answers exactly as the brute-force cast, and the
// object's cache follows geometry changes.

#include <gtest/gtest.h>

#include <random>

#include "host/sdk/mesh_ray.h"
#include "host/sdk/triobj.h"
#include "support/closed_meshes.h"
#include "support/tolerance.h"

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

// Copies of one triangle in the plane z = 3 at the end of a random mesh, the first (the one to
// answer) wound the other way: the rays straight down onto the grid meet all copies at exactly the
// same distance (whole-number corners), and the normal shows which face answered.
Mesh FlippedCopies(std::mt19937& rng, int count) {
  Mesh m = RandomMesh(rng, count);
  const int base = m.getNumVerts();
  m.verts.push_back({-3.0f, -2.0f, 3.0f});
  m.verts.push_back({3.0f, -1.0f, 3.0f});
  m.verts.push_back({0.0f, 3.0f, 3.0f});
  for (int k = 0; k < 37; ++k) {
    Face f;
    if (k > 0) f.setVerts(base, base + 1, base + 2);
    else f.setVerts(base, base + 2, base + 1);
    m.faces.push_back(f);
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
  switch (i % 5) {
    case 1:  // straight down onto grid vertices and edges
      r.p = {float(cell(rng)), float(cell(rng)) + (i % 10 == 1 ? 0.5f : 0.0f), 5.0f};
      r.dir = {0, 0, -1};
      break;
    case 2:  // axis-parallel, long direction
      r.dir = {0, dir(rng) * 100.0f, 0};
      break;
    case 3:  // one axis flat
      r.dir[i % 3] = 0.0f;
      break;
    default:
      break;
  }
  return r;
}

struct AgreementCase {
  const char* name;
  Mesh (*make)(std::mt19937& rng, int count);
  int count;  // random triangles
  int rays;
  int minHits;
};

class HierarchyAgreementTest : public ::testing::TestWithParam<AgreementCase> {};

// The hierarchy answers every ray as the brute-force cast does, bit for bit: hit or not, distance
// and the face (by its normal).
TEST_P(HierarchyAgreementTest, AgreesWithBruteForceOnRandomRays) {
  const AgreementCase& c = GetParam();
  std::mt19937 rng(20261210);
  const Mesh mesh = c.make(rng, c.count);
  const TriangleBvh bvh(mesh);
  int hits = 0;
  for (int i = 0; i < c.rays; ++i) {
    const Ray ray = RandomRay(rng, i);
    float atRef = -1.0f, at = -1.0f;
    Point3 nRef, n;
    const bool ref = IntersectMeshBruteForce(mesh, ray, atRef, nRef);
    const bool got = bvh.Intersect(ray, at, n);
    ASSERT_EQ(got, ref) << "ray " << i;
    if (!ref) continue;
    ++hits;
    ASSERT_EQ(at, atRef) << "ray " << i;
    ASSERT_EQ(n, nRef) << "ray " << i;
  }
  EXPECT_GE(hits, c.minHits);
}

INSTANTIATE_TEST_SUITE_P(
    Meshes, HierarchyAgreementTest,
    ::testing::Values(AgreementCase{"GridOnly", RandomMesh, 0, 4000, 100},
                      AgreementCase{"OneTriangle", RandomMesh, 1, 4000, 100},
                      AgreementCase{"ThreeTriangles", RandomMesh, 3, 4000, 100},
                      AgreementCase{"FiftyTriangles", RandomMesh, 50, 4000, 100},
                      AgreementCase{"TwoThousandTriangles", RandomMesh, 2000, 4000, 1000},
                      AgreementCase{"TwentyThousandTriangles", RandomMesh, 20000, 500, 200},
                      AgreementCase{"FlippedCopies", FlippedCopies, 10, 4000, 500}),
    [](const ::testing::TestParamInfo<AgreementCase>& info) { return info.param.name; });

Mesh CubeMesh() {
  Mesh m;
  for (int k = 0; k < 8; ++k) m.verts.push_back({(k & 1) ? 2.0f : -1.5f, (k & 2) ? 1.7f : -1.1f, (k & 4) ? 0.9f : -2.3f});
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& q : quads) {
    Face a, b;
    a.setVerts(q[0], q[1], q[2]);
    b.setVerts(q[0], q[2], q[3]);
    m.faces.push_back(a);
    m.faces.push_back(b);
  }
  m.InvalidateGeomCache();
  return m;
}

struct ClosedMeshCase {
  const char* name;
  Mesh (*make)();
  Point3 inside;  // a point inside the mesh that the rays start from or aim at
};

class ClosedMeshRayTest : public ::testing::TestWithParam<ClosedMeshCase> {};

// Rays from inside through every vertex and through points along every edge, and rays from
// outside aimed inward through the same points: each must hit, in both casts, at that point.
TEST_P(ClosedMeshRayTest, RaysThroughEdgesAndVerticesHit) {
  const ClosedMeshCase& c = GetParam();
  const Mesh mesh = c.make();
  const TriangleBvh bvh(mesh);
  std::vector<Point3> targets(mesh.verts.begin(), mesh.verts.end());
  for (const Face& f : mesh.faces)
    for (int k = 0; k < 3; ++k)
      for (float s : {0.5f, 0.1f, 0.013f})
        targets.push_back(mesh.verts[f.v[k]] + (mesh.verts[f.v[(k + 1) % 3]] - mesh.verts[f.v[k]]) * s);
  int misses = 0;
  for (std::size_t k = 0; k < targets.size(); ++k) {
    const Point3 toward = targets[k] - c.inside;
    for (const Ray& ray : {Ray{c.inside, toward}, Ray{c.inside + toward * 3.0f, -toward}}) {
      float at = -1.0f, atRef = -1.0f;
      Point3 n, nRef;
      const bool got = bvh.Intersect(ray, at, n);
      // The brute-force cast on a sample of the rays, to keep the large meshes quick.
      if (k % 5 == 0) {
        const bool ref = IntersectMeshBruteForce(mesh, ray, atRef, nRef);
        EXPECT_EQ(got, ref);
        if (got && ref) {
          EXPECT_EQ(at, atRef);
        }
      }
      if (!got) {
        ++misses;
        continue;
      }
      EXPECT_TRUE(ExpectPoint3Near(ray.p + ray.dir * at, targets[k], 1e-4f * (1.0f + Length(toward))));
    }
  }
  EXPECT_EQ(misses, 0) << "of " << 2 * targets.size() << " rays";
}

INSTANTIATE_TEST_SUITE_P(
    Meshes, ClosedMeshRayTest,
    ::testing::Values(ClosedMeshCase{"Cube", CubeMesh, {0.1f, 0.2f, -0.3f}},
                      ClosedMeshCase{"Sphere8", [] { return tessarin_test::ClosedSphere(5.0f, 8); }, {}},
                      ClosedMeshCase{"Sphere32", [] { return tessarin_test::ClosedSphere(5.0f, 32); }, {}},
                      ClosedMeshCase{"Sphere64OffCentre",
                                     [] { return tessarin_test::ClosedSphere(5.0f, 64, {3.3f, -1.7f, 0.6f}); },
                                     {4.1f, -2.2f, 1.3f}}),
    [](const ::testing::TestParamInfo<ClosedMeshCase>& info) { return info.param.name; });

// An irregular flat quad split along its diagonal: every ray straight down onto the diagonal
// hits one of its two triangles.
TEST(MeshRayTest, RaysOntoTheSharedEdgeOfAFlatQuadHit) {
  Mesh m;
  m.verts = {{-1, -1, 1}, {1.3f, -0.7f, 1}, {0.9f, 1.1f, 1}, {-1.2f, 0.8f, 1}};
  Face a, b;
  a.setVerts(0, 1, 2);
  b.setVerts(0, 2, 3);
  m.faces = {a, b};
  const TriangleBvh bvh(m);
  int misses = 0;
  const int count = 20000;
  for (int i = 0; i < count; ++i) {
    const float s = (float(i) + 0.5f) / float(count);
    const Point3 onEdge = m.verts[0] + (m.verts[2] - m.verts[0]) * s;
    const Ray down{{onEdge.x, onEdge.y, 3.0f}, {0, 0, -1}};
    float at = 0.0f, atRef = 0.0f;
    Point3 n, nRef;
    const bool got = bvh.Intersect(down, at, n);
    if (got != IntersectMeshBruteForce(m, down, atRef, nRef) || !got || at != 2.0f) ++misses;
  }
  EXPECT_EQ(misses, 0) << "of " << count << " rays";
}

// Both triangles of the quad are hit at the same distance on their shared edge: the lower face
// answers, in both casts.
TEST(MeshRayTest, EqualDistancesGoToTheLowestFace) {
  Mesh m;
  m.verts = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
  Face lower, upper;
  lower.setVerts(0, 2, 3);  // normal +z
  upper.setVerts(0, 2, 1);  // normal -z
  m.faces = {lower, upper};
  const TriangleBvh bvh(m);
  const Ray down{{0.25f, 0.25f, 2.0f}, {0, 0, -1}};
  float at = 0.0f;
  Point3 n;
  ASSERT_TRUE(bvh.Intersect(down, at, n));
  EXPECT_EQ(n, Point3(0, 0, 1));
  ASSERT_TRUE(IntersectMeshBruteForce(m, down, at, n));
  EXPECT_EQ(n, Point3(0, 0, 1));
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

// Polygon and patch objects answer ray casts over their polygons (fans) and their patches'
// corner polygons, and follow their points once told they changed.
TEST(MeshRayTest, PolygonAndPatchObjectsAreHit) {
  // The square [-1, 1]² at z = 0 as one quad, with a fifth, unused vertex.
  const Point3 corners[5] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}, {7, 7, 7}};
  PolyObject* poly = CreateEditablePolyObject();
  for (const Point3& p : corners) poly->mm.v.push_back(MNVert{p});
  poly->mm.numv = poly->mm.VNum();
  poly->mm.f.push_back(MNFace{{0, 1, 2, 3}});
  PatchObject* patch = CreatePatchObject();
  for (const Point3& p : corners) patch->patch.verts.push_back(PatchVert{p});
  Patch quad;
  quad.type = 4;
  for (int k = 0; k < 4; ++k) quad.v[k] = k;
  patch->patch.patches.push_back(quad);

  for (Object* obj : {static_cast<Object*>(poly), static_cast<Object*>(patch)}) {
    float at = 0.0f;
    Point3 n;
    // Onto the fan's inner edge, beside the square, and after the square moved up by 1.
    ASSERT_TRUE(obj->IntersectRay(0, Ray{{0.3f, 0.3f, 4}, {0, 0, -2}}, at, n));
    EXPECT_FLOAT_EQ(at, 2.0f);
    EXPECT_EQ(n, Point3(0, 0, 1));
    EXPECT_FALSE(obj->IntersectRay(0, Ray{{1.5f, 0, 4}, {0, 0, -1}}, at, n));
    for (int i = 0; i < 4; ++i) obj->SetPoint(i, obj->GetPoint(i) + Point3(0, 0, 1));
    obj->PointsWereChanged();
    ASSERT_TRUE(obj->IntersectRay(0, Ray{{0.3f, 0.3f, 4}, {0, 0, -1}}, at, n));
    EXPECT_FLOAT_EQ(at, 3.0f);
    obj->DeleteThis();
  }
}

}  // namespace
