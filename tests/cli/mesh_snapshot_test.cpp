// Snapshots of evaluated meshes: flat faces without the ones naming missing vertices, world
// positions, and the same snapshot object taken again frame after frame.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/scene/mesh_snapshot.h"
#include "host/scene_fixture.h"
#include "host/sdk/triobj.h"

namespace {

using Faces = std::vector<std::vector<int>>;

Faces FacesOf(const MeshSnapshot& s) {
  Faces out;
  for (int f = 0; f < s.FaceCount(); ++f) out.emplace_back(s.Face(f).begin(), s.Face(f).end());
  return out;
}

Object* Tri() {
  TriObject* tri = CreateNewTriObject();
  tri->mesh.verts = {Point3(0, 0, 0), Point3(1, 0, 0), Point3(1, 1, 0), Point3(0, 1, 0)};
  tri->mesh.faces.resize(3);
  tri->mesh.faces[0].setVerts(0, 1, 2);
  tri->mesh.faces[1].setVerts(0, 1, 9);  // names a vertex the mesh does not have
  tri->mesh.faces[2].setVerts(2, 3, 0);
  return tri;
}

Object* Poly() {
  PolyObject* poly = CreateEditablePolyObject();
  poly->mm.setNumVerts(4);
  for (int i = 0; i < 4; ++i) poly->mm.P(i) = Point3(float(i & 1), float(i >> 1), 0);
  poly->mm.f = {MNFace{{0, 1, 3, 2}}, MNFace{{0, 1}}, MNFace{{0, -1, 2}}, MNFace{{1, 3, 2}}};
  return poly;
}

Object* PatchQuadAndTriangle() {
  PatchObject* patch = CreatePatchObject();
  patch->patch.verts.resize(4);
  for (int i = 0; i < 4; ++i) patch->patch.verts[i].p = Point3(float(i), 0, 0);
  patch->patch.patches.resize(3);
  patch->patch.patches[0] = Patch{4, {0, 1, 2, 3}, {}, {}};
  patch->patch.patches[1] = Patch{3, {0, 2, 3, 99}, {}, {}};  // a triangle: the fourth index is unused
  patch->patch.patches[2] = Patch{4, {0, 1, 2, 7}, {}, {}};
  return patch;
}

using SnapshotTest = SceneTest;

TEST_F(SnapshotTest, FlatFacesLeaveOutBadOnesAndRetakingReusesTheSnapshot) {
  struct Case {
    const char* name;
    Object* (*make)();
    Faces faces;
  };
  const Case cases[] = {
      {"triangle mesh", Tri, {{0, 1, 2}, {2, 3, 0}}},
      {"polygon mesh", Poly, {{0, 1, 3, 2}, {1, 3, 2}}},
      {"patch mesh", PatchQuadAndTriangle, {{0, 1, 2, 3}, {0, 2, 3}}},
  };
  MeshSnapshot snap;  // one snapshot for all: each take replaces the last
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SceneNode* node = host().CreateNode(L"mesh", c.make());
    node->SetNodeTM(0, TransMatrix(Point3(0, 0, 10)));
    std::string why;
    for (int take = 0; take < 2; ++take) {
      ASSERT_TRUE(TakeSnapshot(node, 0, snap, &why)) << why;
      EXPECT_EQ(FacesOf(snap), c.faces);
      ASSERT_EQ(snap.VertexCount(), 4);
      EXPECT_EQ(snap.positions[1].z, 10.0f);
    }
    ASSERT_TRUE(TakeSnapshot(node, 0, snap, &why, SnapshotParts::PositionsAndColors)) << why;
    EXPECT_EQ(snap.FaceCount(), 0);
    EXPECT_EQ(snap.VertexCount(), 4);
    // The faces OBJ frames write without a copy: the same ones, bad ones left out alike.
    Faces visited;
    ASSERT_TRUE(VisitEvaluatedFaces(node, 0, [&](std::span<const int> f) { visited.emplace_back(f.begin(), f.end()); }));
    EXPECT_EQ(visited, c.faces);
  }
}

TEST(SnapshotTriangles, FansEveryFace) {
  MeshSnapshot s;
  s.positions.resize(6);
  s.AddFace(std::vector<int>{0, 1, 2});
  s.AddFace(std::vector<int>{1, 2, 3, 4, 5});
  EXPECT_EQ(SnapshotTriangles(s), (std::vector<std::uint32_t>{0, 1, 2, 1, 2, 3, 1, 3, 4, 1, 4, 5}));
}

}  // namespace
