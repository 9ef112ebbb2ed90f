// The Orbicle's mesh: counts, vertex positions, faces with their edge visibility, the direction
// clamp and the parametric surface point.

#include <gtest/gtest.h>

#include <cmath>

#include "sources/orbicle_mesh.h"
#include "support/tolerance.h"

namespace {

constexpr float kPi = 3.14159265f;

Mesh Built(OrbicleShape shape) {
  Mesh mesh;
  BuildOrbicleMesh(shape, mesh);
  return mesh;
}

OrbicleShape Segments(int s) {
  OrbicleShape shape;
  shape.segments = s;
  return shape;
}

TEST(OrbicleMesh, CountsFollowTheSegments) {
  struct Case {
    int segments;
    int verts;
    int faces;
  };
  // R = S / 2 − 1 rings (segments clamped to 4 .. 200); S·R + 2 vertices, 2·S·R faces.
  const Case cases[] = {{16, 114, 224}, {5, 7, 10}, {3, 6, 8}, {4, 6, 8}, {-7, 6, 8}, {200, 19802, 39600},
                        {201, 19802, 39600}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.segments);
    Mesh mesh = Built(Segments(c.segments));
    EXPECT_EQ(mesh.getNumVerts(), c.verts);
    EXPECT_EQ(mesh.getNumFaces(), c.faces);
  }
}

TEST(OrbicleMesh, PolesAndFirstRingOfTheDefaultOrbicle) {
  Mesh mesh = Built(OrbicleShape{});
  // The marker starts the rings at longitude π/2.
  EXPECT_TRUE(ExpectPoint3Near(mesh.getVert(0), Point3(0, 0, 5), 0.0f));
  EXPECT_TRUE(ExpectPoint3Near(mesh.getVert(1), Point3(0, std::sin(kPi / 8) * 5, std::cos(kPi / 8) * 5), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(mesh.getVert(113), Point3(0, 0, -5), 0.0f));
  // Vertex 1 + i of a ring is i steps further round; the ring below starts under vertex 1.
  EXPECT_TRUE(ExpectPoint3Near(mesh.getVert(5), Point3(-std::sin(kPi / 8) * 5, 0, std::cos(kPi / 8) * 5), 1e-5f));
  EXPECT_TRUE(
      ExpectPoint3Near(mesh.getVert(17), Point3(0, std::sin(kPi / 4) * 5, std::cos(kPi / 4) * 5), 1e-5f));
}

TEST(OrbicleMesh, WithoutTheMarkerRingsStartAtLongitudeZero) {
  OrbicleShape shape;
  shape.orientationMarker = false;
  Mesh mesh = Built(shape);
  EXPECT_TRUE(ExpectPoint3Near(mesh.getVert(1), Point3(std::sin(kPi / 8) * 5, 0, std::cos(kPi / 8) * 5), 1e-5f));
}

TEST(OrbicleMesh, SizesAreFullExtentsPerAxis) {
  OrbicleShape shape;
  shape.length = 4;
  shape.width = 6;
  shape.height = 8;
  shape.segments = 4;  // one ring on the equator: ±X and ±Y extremes
  shape.orientationMarker = false;
  Mesh mesh = Built(shape);
  Box3 box = mesh.getBoundingBox();
  EXPECT_TRUE(ExpectPoint3Near(box.pmin, Point3(-2, -3, -4), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(box.pmax, Point3(2, 3, 4), 1e-5f));
}

TEST(OrbicleMesh, SizesAreClampedToZeroAndUp) {
  OrbicleShape shape;
  shape.length = -10;
  shape.width = std::nanf("");
  shape.height = 1e38f;
  Mesh mesh = Built(shape);
  for (const Point3& p : mesh.verts) {
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_LE(std::fabs(p.z), 0.5e30f);
  }
}

TEST(OrbicleMesh, FacesCapsAndBandsWithHiddenDiagonals) {
  const int S = 16;
  Mesh mesh = Built(Segments(S));
  auto expect = [&](int f, int a, int b, int c, int vis) {
    SCOPED_TRACE(f);
    const Face& face = mesh.faces[f];
    EXPECT_EQ(face.v[0], DWORD(a));
    EXPECT_EQ(face.v[1], DWORD(b));
    EXPECT_EQ(face.v[2], DWORD(c));
    EXPECT_EQ(face.flags & EDGE_ALL, DWORD(vis));
    EXPECT_EQ(face.getMatID(), 1);
    EXPECT_EQ(face.smGroup, 0u);
  };
  expect(0, 0, 1, 2, EDGE_ALL);
  expect(S - 1, 0, S, 1, EDGE_ALL);  // the cap wraps round
  // First band, first quad: a = 1, b = 2.
  expect(S, 1, 1 + S, 2 + S, EDGE_A | EDGE_B);
  expect(S + 1, 1, 2 + S, 2, EDGE_B | EDGE_C);
  // Its last quad wraps to the ring's first vertex: a = 16, b = 1.
  expect(3 * S - 2, S, 2 * S, 1 + S, EDGE_A | EDGE_B);
  expect(3 * S - 1, S, 1 + S, 1, EDGE_B | EDGE_C);
  // Bottom cap: pole 113, last ring from 97.
  expect(224 - S, 113, 98, 97, EDGE_ALL);
  expect(223, 113, 97, 112, EDGE_ALL);
}

TEST(OrbicleMesh, EveryFaceTurnsOutward) {
  for (int s : {4, 5, 16}) {
    SCOPED_TRACE(s);
    Mesh mesh = Built(Segments(s));
    for (const Face& f : mesh.faces) {
      const Point3 a = mesh.verts[f.v[0]], b = mesh.verts[f.v[1]], c = mesh.verts[f.v[2]];
      const Point3 centre = (a + b + c) / 3.0f;
      EXPECT_GT(DotProd((b - a) ^ (c - a), centre), 0.0f);
    }
  }
}

TEST(OrbicleMesh, UpFlattensTheLowerHalfOntoTheCuttingPlane) {
  OrbicleShape shape;
  shape.direction = kDirectionUp;
  Mesh mesh = Built(shape);
  Mesh omni = Built(OrbicleShape{});
  for (int i = 0; i < mesh.getNumVerts(); ++i) {
    SCOPED_TRACE(i);
    const Point3& o = omni.verts[i];
    const Point3& p = mesh.verts[i];
    EXPECT_EQ(p.x, o.x);
    EXPECT_EQ(p.y, o.y);
    EXPECT_EQ(p.z, o.z < 0 ? 0.0f : o.z);
  }
  EXPECT_EQ(mesh.getVert(113).z, 0.0f) << "the bottom pole too";
}

TEST(OrbicleMesh, DirectionClampFlattensTheExcludedHalf) {
  const Point3 p(-1, 2, -3), q(1, -2, 3);
  struct Case {
    int direction;
    Point3 p;
    Point3 q;
  };
  const Case cases[] = {
      {kDirectionOmni, p, q},
      {kDirectionForward, Point3(0, 2, -3), q},
      {kDirectionBackward, p, Point3(0, -2, 3)},
      {kDirectionLeft, p, Point3(1, 0, 3)},
      {kDirectionRight, Point3(-1, 0, -3), q},
      {kDirectionUp, Point3(-1, 2, 0), q},
      {kDirectionDown, p, Point3(1, -2, 0)},
      {9, p, Point3(1, -2, 0)},  // beyond Down acts as Down
      {-1, p, q},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.direction);
    EXPECT_EQ(ClampToDirection(p, c.direction), c.p);
    EXPECT_EQ(ClampToDirection(q, c.direction), c.q);
  }
}

TEST(OrbicleMesh, SurfacePoint) {
  OrbicleShape shape;
  shape.length = 4;
  shape.width = 6;
  shape.height = 8;
  struct Case {
    float u, v;
    Point3 expected;
  };
  const Case cases[] = {
      {0.0f, 0.5f, Point3(2, 0, 0)},  {0.25f, 0.5f, Point3(0, 3, 0)}, {0.5f, 0.5f, Point3(-2, 0, 0)},
      {0.0f, 1.0f, Point3(0, 0, 4)},  {0.0f, 0.0f, Point3(0, 0, -4)},
      {0.125f, 0.75f, Point3(std::cos(kPi / 4) * 2 * std::cos(kPi / 4), std::sin(kPi / 4) * 3 * std::cos(kPi / 4),
                             std::sin(kPi / 4) * 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.u << ", " << c.v);
    EXPECT_TRUE(ExpectPoint3Near(OrbicleSurfacePoint(shape, c.u, c.v), c.expected, 1e-5f));
  }
  shape.direction = kDirectionBackward;
  EXPECT_TRUE(ExpectPoint3Near(OrbicleSurfacePoint(shape, 0.0f, 0.5f), Point3(0, 0, 0), 1e-6f));
}

}  // namespace
