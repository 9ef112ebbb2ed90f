// Parametric meshes: the vertex counts promised before generating, valid faces, welded closed
// surfaces facing outwards (a positive enclosed volume close to the ideal solid's).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "cli/scene/primitives.h"

namespace {

constexpr double kPi = std::numbers::pi;

// Volume enclosed by a closed mesh of outward faces (divergence theorem over fanned triangles).
double SignedVolume(const PolyMesh& m) {
  double v = 0.0;
  for (int k = 0; k < m.FaceCount(); ++k)
    for (std::size_t i = 1, n = m.Face(k).size(); i + 1 < n; ++i) {
      const std::span<const int> f = m.Face(k);
      const Point3 &a = m.vertices[f[0]], &b = m.vertices[f[i]], &c = m.vertices[f[i + 1]];
      v += DotProd(a, CrossProd(b, c)) / 6.0;
    }
  return v;
}

// Every edge of a closed, consistently oriented surface is used once in each direction.
bool ClosedAndConsistent(const PolyMesh& m) {
  std::map<std::pair<int, int>, int> edges;
  for (int k = 0; k < m.FaceCount(); ++k)
    for (std::size_t i = 0, n = m.Face(k).size(); i < n; ++i) ++edges[{m.Face(k)[i], m.Face(k)[(i + 1) % n]}];
  for (const auto& [e, n] : edges) {
    auto back = edges.find({e.second, e.first});
    if (n != 1 || back == edges.end() || back->second != 1) return false;
  }
  return true;
}

struct Primitive {
  const char* name;
  PolyMesh mesh;
  long long expectedVertices;
  double idealVolume;
  double volumeTolerance;  // relative: faceting makes the mesh smaller than the solid
};

class Primitives : public ::testing::TestWithParam<Primitive> {};

TEST_P(Primitives, CountsFacesAndOrientation) {
  const Primitive& p = GetParam();
  EXPECT_EQ(p.mesh.VertexCount(), p.expectedVertices);
  for (int k = 0; k < p.mesh.FaceCount(); ++k) {
    const std::span<const int> f = p.mesh.Face(k);
    ASSERT_GE(f.size(), 3u);
    for (int v : f) ASSERT_TRUE(v >= 0 && v < p.mesh.VertexCount());
  }
  EXPECT_TRUE(ClosedAndConsistent(p.mesh)) << "welded, no holes, one orientation";
  EXPECT_NEAR(SignedVolume(p.mesh), p.idealVolume, p.idealVolume * p.volumeTolerance) << "faces point outwards";
}

const int kBoxSegs[3] = {2, 3, 4};

INSTANTIATE_TEST_SUITE_P(
    Table, Primitives,
    ::testing::Values(
        Primitive{"Box", MakeBox(Point3(2, 3, 4), kBoxSegs), BoxVertexCount(kBoxSegs), 24.0, 1e-5},
        Primitive{"Sphere", MakeSphere(2.0f, 32), SphereVertexCount(32), 4.0 / 3.0 * kPi * 8.0, 0.03},
        Primitive{"Cylinder", MakeCylinder(1.0f, 5.0f, 48, 3, true, Axis::Z), CylinderVertexCount(48, 3, true),
                  kPi * 5.0, 0.01},
        Primitive{"TubeAlongX", MakeTube(2.0f, 1.5f, 6.0f, 64, 5, Axis::X), TubeVertexCount(64, 5),
                  kPi * (4.0 - 2.25) * 6.0, 0.01}),
    [](const ::testing::TestParamInfo<Primitive>& info) { return info.param.name; });

TEST(Primitives, AxisChoosesTheLengthDirection) {
  for (Axis axis : {Axis::X, Axis::Y, Axis::Z}) {
    PolyMesh m = MakeCylinder(1.0f, 10.0f, 8, 1, false, axis);
    Point3 hi(-1e9f, -1e9f, -1e9f);
    for (const Point3& p : m.vertices)
      for (int c = 0; c < 3; ++c) hi[c] = std::max(hi[c], p[c]);
    const int along = axis == Axis::X ? 0 : axis == Axis::Y ? 1 : 2;
    EXPECT_FLOAT_EQ(hi[along], 10.0f);
    EXPECT_NEAR(hi[(along + 1) % 3], 1.0f, 1e-6f);
  }
}

TEST(Primitives, BoxStandsOnItsBase) {
  const int segs[3] = {1, 1, 1};
  PolyMesh m = MakeBox(Point3(2, 2, 3), segs);
  EXPECT_EQ(m.VertexCount(), 8);
  float lo = 1e9f, hi = -1e9f;
  for (const Point3& p : m.vertices) {
    lo = std::min(lo, p.z);
    hi = std::max(hi, p.z);
  }
  EXPECT_EQ(lo, 0.0f);
  EXPECT_EQ(hi, 3.0f);
}

}  // namespace
