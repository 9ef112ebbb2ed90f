// The orbicle and fluxel passes: which sources act on a skin, how far vertices move, and the
// influence weighting.

#include <gtest/gtest.h>
#include <omp.h>

#include <random>

#include "sources/influence_source_lists.h"
#include "push_out_fixture.h"
#include "support/closed_meshes.h"

namespace {

// A node transform: scale, then a turn about z (degrees), then a move.
Matrix3 Placement(Point3 scale, float turnDegrees, Point3 move) {
  Matrix3 tm = ScaleMatrix(scale) * RotateZMatrix(turnDegrees * 3.14159265f / 180.0f);
  tm.SetTrans(move);
  tm.ValidateFlags();
  return tm;
}


struct OrbicleCase {
  const char* name;
  int blend;
  int direction;
  Point3 local;
  Point3 expected;
};

class OrbiclePassTest : public PushOutTest, public ::testing::WithParamInterface<OrbicleCase> {};

// Semi-axes (5, 5, 5) at world (10, 0, 0), influence 1.
TEST_P(OrbiclePassTest, MovesVertexToItsRadius) {
  const OrbicleCase& c = GetParam();
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  const Point3 offset{10, 0, 0};
  AddSource(skin, OrbicleNode(L"Orbicle", {5, 5, 5}, c.blend, c.direction, offset));
  std::vector<std::uint8_t> moved;
  const std::vector<Point3> out = Run(ApplyOrbiclePass, skin, {c.local + offset}, &moved);
  EXPECT_TRUE(ExpectPoint3Near(out[0], c.expected + offset, 1e-4f));
  EXPECT_EQ(moved[0] != 0, !(c.local == c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrbiclePassTest,
    ::testing::Values(OrbicleCase{"InsideToSurface", 0, 0, {1, 0, 0}, {5, 0, 0}},
                      OrbicleCase{"OutsideStays", 0, 0, {6, 0, 0}, {6, 0, 0}},
                      OrbicleCase{"CentreStays", 0, 0, {0, 0, 0}, {0, 0, 0}},
                      OrbicleCase{"SoftZoneInside", 20, 0, {4.5f, 0, 0}, {5.0625f, 0, 0}},
                      OrbicleCase{"SoftZoneOutside", 20, 0, {5.5f, 0, 0}, {5.5625f, 0, 0}},
                      OrbicleCase{"SoftZoneOuterEdgeStays", 20, 0, {6, 0, 0}, {6, 0, 0}},
                      OrbicleCase{"DeepInsideSoftToSurface", 20, 0, {0, 2, 0}, {0, 5, 0}},
                      OrbicleCase{"UpKeepsLowerHalf", 0, 5, {0, 0, -1}, {0, 0, -1}},
                      OrbicleCase{"UpMovesUpperHalf", 0, 5, {0, 0, 1}, {0, 0, 5}},
                      OrbicleCase{"ForwardKeepsBack", 0, 1, {-1, 0, 0}, {-1, 0, 0}},
                      OrbicleCase{"DownMovesLowerHalf", 0, 6, {0, 0, -2}, {0, 0, -5}}),
    [](const ::testing::TestParamInfo<OrbicleCase>& info) { return info.param.name; });

TEST_F(PushOutTest, OrbicleInfluenceWeightsTheMove) {
  Tessarin* skin = SkinOnNode(L"Skin", 2);
  SceneNode* node = OrbicleNode(L"Orbicle", {5, 5, 5});
  AddSource(skin, node);
  std::vector<float>& w = AccessInfluenceTable(OrbicleOf(node)->tables, skin->instanceStamp, 2);
  w = {0.5f, 0.0f};
  std::vector<std::uint8_t> moved;
  const std::vector<Point3> out = Run(ApplyOrbiclePass, skin, {{1, 0, 0}, {0, 1, 0}}, &moved);
  EXPECT_TRUE(ExpectPoint3Near(out[0], {3, 0, 0}, 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(out[1], {0, 1, 0}, 1e-6f));
  EXPECT_EQ(moved[1], 1);  // weighted by 0 it is still a vertex the pass handled
}

TEST_F(PushOutTest, OrbicleWithAZeroSizeIsSkipped) {
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  AddSource(skin, OrbicleNode(L"Flat", {5, 5, 0}));
  std::vector<std::uint8_t> moved;
  const std::vector<Point3> out = Run(ApplyOrbiclePass, skin, {{1, 0, 0}}, &moved);
  EXPECT_TRUE(ExpectPoint3Near(out[0], {1, 0, 0}, 0));
  EXPECT_EQ(moved[0], 0);
}

TEST_F(PushOutTest, DisabledOrbicleIsSkipped) {
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  SceneNode* node = OrbicleNode(L"Orbicle", {5, 5, 5});
  OrbicleOf(node)->GetParamBlock(0)->SetValue(orbicle_param::disabled, 0, 1);
  AddSource(skin, node);
  EXPECT_TRUE(ExpectPoint3Near(Run(ApplyOrbiclePass, skin, {{1, 0, 0}})[0], {1, 0, 0}, 0));
}

TEST_F(PushOutTest, OrbicleOnANonUniformlyScaledEllipsoid) {
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  AddSource(skin, OrbicleNode(L"Orbicle", {2, 4, 8}));
  // h = |(0, 1/4, 2/8)| = √(1/8): pushed along the same local direction onto the surface.
  const Point3 out = Run(ApplyOrbiclePass, skin, {{0, 1, 2}})[0];
  EXPECT_TRUE(ExpectPoint3Near(out, Point3(0, 1, 2) * std::sqrt(8.0f), 1e-4f));
}

TEST_F(PushOutTest, LinkedOrbiclesFollowUseLinkedAndActOnce) {
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  SceneNode* bone = host().CreateNode(L"Bone");
  skin->table.ResizeBones(1);
  skin->SetBoneNode(0, bone);
  SceneNode* linked = OrbicleNode(L"Linked", {5, 5, 5}, 0, 0, {}, bone);
  auto& w = AccessInfluenceTable(OrbicleOf(linked)->tables, skin->instanceStamp, 1);
  w = {0.5f};  // twice applied would land at 4 instead of 3

  skin->pblock->SetValue(use_linked, 0, 0);
  EXPECT_TRUE(CollectInfluenceSources(*skin, 0, SourceKind::orbicle).empty());
  EXPECT_TRUE(ExpectPoint3Near(Run(ApplyOrbiclePass, skin, {{1, 0, 0}})[0], {1, 0, 0}, 0));

  skin->pblock->SetValue(use_linked, 0, 1);
  AddSource(skin, linked);
  EXPECT_EQ(CollectInfluenceSources(*skin, 0, SourceKind::orbicle), std::vector<INode*>{linked});
  EXPECT_TRUE(ExpectPoint3Near(Run(ApplyOrbiclePass, skin, {{1, 0, 0}})[0], {3, 0, 0}, 1e-5f));
}

TEST_F(PushOutTest, CollectionKeepsContainerOrderThenLinkedChildrenAndTestsKind) {
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  SceneNode* bone = host().CreateNode(L"Bone");
  skin->table.ResizeBones(1);
  skin->SetBoneNode(0, bone);
  SceneNode* second = OrbicleNode(L"Second", {1, 1, 1});
  SceneNode* first = OrbicleNode(L"First", {1, 1, 1});
  SceneNode* child = OrbicleNode(L"Child", {1, 1, 1}, 0, 0, {}, bone);
  SceneNode* fluxel = FluxelNode(L"Fluxel", BoxMesh({-1, -1, -1}, {1, 1, 1}), 0);
  host().CreateNode(L"Plain", MeshOf({{0, 0, 0}}), bone);
  skin->sourceContainer->AppendItem(nullptr);
  AddSource(skin, second);
  AddSource(skin, fluxel);
  AddSource(skin, first);
  AddSource(skin, second);
  EXPECT_EQ(CollectInfluenceSources(*skin, 0, SourceKind::orbicle), (std::vector<INode*>{second, first, child}));
  EXPECT_EQ(CollectInfluenceSources(*skin, 0, SourceKind::fluxel), std::vector<INode*>{fluxel});
}

TEST_F(PushOutTest, SkinsUsingASourceAreTheSkinsThatListIt) {
  Tessarin* a = SkinOnNode(L"A", 1);
  SkinOnNode(L"B", 1);
  Tessarin* c = SkinOnNode(L"C", 1);
  SceneNode* node = OrbicleNode(L"Orbicle", {1, 1, 1});
  AddSource(a, node);
  AddSource(c, node);
  AddSource(c, node);
  const std::vector<ModifierMatch> skins = SkinsUsingSource(OrbicleOf(node));
  ASSERT_EQ(skins.size(), 2u);
  EXPECT_EQ(skins[0].modifier, a);
  EXPECT_EQ(skins[1].modifier, c);
  EXPECT_EQ(skins[1].node, host().GetINodeByName(L"C"));
  EXPECT_TRUE(SkinsUsingSource(nullptr).empty());
}

struct FluxelCase {
  const char* name;
  int blend;
  Point3 vertex;
  Point3 expected;
};

class FluxelPassTest : public PushOutTest, public ::testing::WithParamInterface<FluxelCase> {};

// A box from −5 to 5 centred on the node's pivot (origin on: the box centre).
TEST_P(FluxelPassTest, PushesOutOfTheBox) {
  const FluxelCase& c = GetParam();
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  AddSource(skin, FluxelNode(L"Box", BoxMesh({-5, -5, -5}, {5, 5, 5}), c.blend));
  const Point3 out = Run(ApplyFluxelPass, skin, {c.vertex})[0];
  EXPECT_TRUE(ExpectPoint3Near(out, c.expected, 1e-4f));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FluxelPassTest,
    ::testing::Values(FluxelCase{"InsideToSurface", 0, {2, 0, 0}, {5, 0, 0}},
                      FluxelCase{"OutsideStaysWithBlend0", 0, {7, 0, 0}, {7, 0, 0}},
                      FluxelCase{"CentreStays", 0, {0, 0, 0}, {0, 0, 0}},
                      // y = 4.5 / 5 = 0.9: radius 1.0125 of the surface distance 5.
                      FluxelCase{"SoftZoneInside", 20, {0, 4.5f, 0}, {0, 5.0625f, 0}},
                      FluxelCase{"SoftZoneOutside", 20, {0, 0, 5.5f}, {0, 0, 5.5625f}},
                      FluxelCase{"BeyondSoftZoneStays", 20, {6, 0, 0}, {6, 0, 0}}),
    [](const ::testing::TestParamInfo<FluxelCase>& info) { return info.param.name; });

TEST_F(PushOutTest, FluxelInfluenceWeightsTheMove) {
  Tessarin* skin = SkinOnNode(L"Skin", 3);
  Fluxel* fx = nullptr;
  AddSource(skin, FluxelNode(L"Box", BoxMesh({-5, -5, -5}, {5, 5, 5}), 0, &fx));
  AccessInfluenceTable(fx->tables, skin->instanceStamp, 3) = {0.5f, 0.0f, 0.25f};
  const std::vector<Point3> out = Run(ApplyFluxelPass, skin, {{2, 0, 0}, {0, 2, 0}, {0, 0, -1}});
  EXPECT_TRUE(ExpectPoint3Near(out[0], {3.5f, 0, 0}, 1e-4f));
  EXPECT_TRUE(ExpectPoint3Near(out[1], {0, 2, 0}, 0));
  EXPECT_TRUE(ExpectPoint3Near(out[2], {0, 0, -2}, 1e-4f));
}

TEST_F(PushOutTest, FluxelRayThatMissesLeavesTheVertex) {
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  AddSource(skin, FluxelNode(L"Plane", PlaneMesh(5), 20));
  std::vector<std::uint8_t> moved;
  // The ray runs inside the plane: edge-on, no hit.
  const Point3 out = Run(ApplyFluxelPass, skin, {{2, 0, 0}}, &moved)[0];
  EXPECT_TRUE(ExpectPoint3Near(out, {2, 0, 0}, 0));
  EXPECT_EQ(moved[0], 0);
}

TEST_F(PushOutTest, FluxelDirectionAndDisabled) {
  Tessarin* skin = SkinOnNode(L"Skin", 2);
  Fluxel* fx = nullptr;
  AddSource(skin, FluxelNode(L"Box", BoxMesh({-5, -5, -5}, {5, 5, 5}), 0, &fx, 5));
  std::vector<Point3> out = Run(ApplyFluxelPass, skin, {{0, 0, 2}, {0, 0, -2}});
  EXPECT_TRUE(ExpectPoint3Near(out[0], {0, 0, 5}, 1e-4f));
  EXPECT_TRUE(ExpectPoint3Near(out[1], {0, 0, -2}, 0));
  fx->pblock->SetValue(fluxel_param::disabled, 0, 1);
  out = Run(ApplyFluxelPass, skin, {{0, 0, 2}});
  EXPECT_TRUE(ExpectPoint3Near(out[0], {0, 0, 2}, 0));
  fx->pblock->SetValue(fluxel_param::disabled, 0, 0);
  fx->DisableMod();
  out = Run(ApplyFluxelPass, skin, {{0, 0, 2}});
  EXPECT_TRUE(ExpectPoint3Near(out[0], {0, 0, 2}, 0));
}

TEST_F(PushOutTest, TableOfAnOldVertexCountIsResetBeforeUse) {
  Tessarin* skin = SkinOnNode(L"Skin", 2);
  Fluxel* fx = nullptr;
  SceneNode* orbicle = OrbicleNode(L"Orbicle", {1, 1, 1}, 0, 0, {20, 0, 0});
  AddSource(skin, FluxelNode(L"Box", BoxMesh({-5, -5, -5}, {5, 5, 5}), 0, &fx));
  AddSource(skin, orbicle);
  fx->tables[skin->instanceStamp] = {0.0f, 0.0f, 0.0f};
  OrbicleOf(orbicle)->tables[skin->instanceStamp] = {0.0f};
  std::vector<Point3> out = Run(ApplyInfluenceSources, skin, {{2, 0, 0}, {20.5f, 0, 0}});
  EXPECT_TRUE(ExpectPoint3Near(out[0], {5, 0, 0}, 1e-4f));
  EXPECT_TRUE(ExpectPoint3Near(out[1], {21, 0, 0}, 1e-4f));
  EXPECT_EQ(fx->tables[skin->instanceStamp], std::vector<float>(2, 1.0f));
  EXPECT_EQ(OrbicleOf(orbicle)->tables[skin->instanceStamp], std::vector<float>(2, 1.0f));
}

// Sources on transformed nodes, against points worked out by hand. The fluxel mesh is the box
// x in [-1, 3], y and z in [-1, 1] (its centre (1, 0, 0)); the orbicle has semi-axes (1, 2, 3).
struct TransformedCase {
  const char* name;
  bool fluxel;
  Point3 scale;
  float turn;  // degrees about z: local x becomes world y, local y world -x
  Point3 move;
  int origin;  // the fluxel's `origin`
  Point3 vertex;
  Point3 expected;
};

class TransformedSourceTest : public PushOutTest, public ::testing::WithParamInterface<TransformedCase> {};

TEST_P(TransformedSourceTest, PushesToTheWorldSpaceSurface) {
  const TransformedCase& c = GetParam();
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  SceneNode* node = nullptr;
  if (c.fluxel) {
    Fluxel* fx = nullptr;
    node = FluxelNode(L"Fluxel", BoxMesh({-1, -1, -1}, {3, 1, 1}), 0, &fx);
    fx->pblock->SetValue(fluxel_param::origin, 0, c.origin);
  } else {
    node = OrbicleNode(L"Orbicle", {1, 2, 3});
  }
  node->SetNodeTM(0, Placement(c.scale, c.turn, c.move));
  AddSource(skin, node);
  const Point3 out = Run(c.fluxel ? ApplyFluxelPass : ApplyOrbiclePass, skin, {c.vertex})[0];
  EXPECT_TRUE(ExpectPoint3Near(out, c.expected, 1e-4f * (1.0f + Length(c.expected))));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransformedSourceTest,
    ::testing::Values(
        // Scaled x10 about a pivot at the origin: world x from -10 to 30, y and z from -10 to 10.
        TransformedCase{"FluxelScaledForward", true, {10, 10, 10}, 0, {}, 0, {2, 0, 0}, {30, 0, 0}},
        TransformedCase{"FluxelScaledBackward", true, {10, 10, 10}, 0, {}, 0, {-2, 0, 0}, {-10, 0, 0}},
        TransformedCase{"FluxelScaledUp", true, {10, 10, 10}, 0, {}, 0, {0, 0, 3}, {0, 0, 10}},
        // Turned: world y from -1 to 3, x from -1 to 1.
        TransformedCase{"FluxelTurned", true, {1, 1, 1}, 90, {}, 0, {0, 2, 0}, {0, 3, 0}},
        TransformedCase{"FluxelTurnedSide", true, {1, 1, 1}, 90, {}, 0, {0.5f, 0, 0}, {1, 0, 0}},
        // Moved: world x from 99 to 103 about the pivot (100, 0, 0).
        TransformedCase{"FluxelMoved", true, {1, 1, 1}, 0, {100, 0, 0}, 0, {101, 0, 0}, {103, 0, 0}},
        TransformedCase{"FluxelMovedBack", true, {1, 1, 1}, 0, {100, 0, 0}, 0, {99.5f, 0, 0}, {99, 0, 0}},
        // All three: world x from -2 to 2, y from -2 to 6, z from 48 to 52.
        TransformedCase{"FluxelPlaced", true, {2, 2, 2}, 90, {0, 0, 50}, 0, {0, 4, 50}, {0, 6, 50}},
        TransformedCase{"FluxelPlacedSide", true, {2, 2, 2}, 90, {0, 0, 50}, 0, {1, 0, 50}, {2, 0, 50}},
        // `origin` on: the rays run from the box centre, (10, 0, 0) once scaled.
        TransformedCase{"FluxelOriginScaled", true, {10, 10, 10}, 0, {}, 1, {12, 0, 0}, {30, 0, 0}},
        TransformedCase{"FluxelOriginScaledBack", true, {10, 10, 10}, 0, {}, 1, {8, 0, 0}, {-10, 0, 0}},
        TransformedCase{"FluxelOriginScaledUp", true, {10, 10, 10}, 0, {}, 1, {10, 0, 5}, {10, 0, 10}},
        // Orbicle semi-axes (1, 2, 3) scaled x10: (10, 20, 30).
        TransformedCase{"OrbicleScaled", false, {10, 10, 10}, 0, {}, 0, {2, 0, 0}, {10, 0, 0}},
        TransformedCase{"OrbicleScaledUnevenly", false, {4, 1, 1}, 0, {}, 0, {0, 0, 1}, {0, 0, 3}},
        TransformedCase{"OrbicleScaledUnevenlyX", false, {4, 1, 1}, 0, {}, 0, {-1, 0, 0}, {-4, 0, 0}},
        TransformedCase{"OrbicleTurned", false, {1, 1, 1}, 90, {}, 0, {0, 0.5f, 0}, {0, 1, 0}},
        TransformedCase{"OrbicleTurnedSide", false, {1, 1, 1}, 90, {}, 0, {1, 0, 0}, {2, 0, 0}},
        TransformedCase{"OrbicleMoved", false, {1, 1, 1}, 0, {100, 0, 0}, 0, {100, 1, 0}, {100, 2, 0}},
        // Scaled x2, turned, moved: world radii 2 along y, 4 along x, 6 along z about (0, 0, 50).
        TransformedCase{"OrbiclePlaced", false, {2, 2, 2}, 90, {0, 0, 50}, 0, {0, 1, 50}, {0, 2, 50}},
        TransformedCase{"OrbiclePlacedSide", false, {2, 2, 2}, 90, {0, 0, 50}, 0, {-1, 0, 50}, {-4, 0, 50}},
        TransformedCase{"OrbiclePlacedUp", false, {2, 2, 2}, 90, {0, 0, 50}, 0, {0, 0, 47}, {0, 0, 44}}),
    [](const ::testing::TestParamInfo<TransformedCase>& info) { return info.param.name; });

// A turned orbicle with `direction` Up keeps every vertex that lies on its cutting plane, although
// the vertex's local z comes out of the inverse transform a few rounding steps either side of 0.
TEST_F(PushOutTest, VerticesOnATurnedCuttingPlaneAreKept) {
  Tessarin* skin = SkinOnNode(L"Skin", 1);
  SceneNode* node = OrbicleNode(L"Orbicle", {5, 5, 5}, 0, 5);
  const Matrix3 tm = [] {
    Matrix3 m = RotAngleAxisMatrix(Point3(0.3f, -0.8f, 0.5f).Normalize(), 0.77f);
    m.SetTrans({1.7f, -2.3f, 0.9f});
    m.ValidateFlags();
    return m;
  }();
  node->SetNodeTM(0, tm);
  AddSource(skin, node);
  // Points of the orbicle's local plane z = 0, carried to world space.
  std::vector<Point3> onPlane;
  for (int i = 0; i < 40; ++i)
    for (int j = 0; j < 40; ++j) onPlane.push_back(Point3(float(i - 20) * 0.11f, float(j - 20) * 0.13f, 0.0f) * tm);
  std::vector<std::uint8_t> moved;
  const std::vector<Point3> out = Run(ApplyOrbiclePass, skin, onPlane, &moved);
  int kept = 0;
  for (std::size_t k = 0; k < onPlane.size(); ++k) kept += moved[k] || onPlane[k] == tm.GetTrans();
  EXPECT_EQ(kept, int(onPlane.size()));
}

// The closed-mesh criterion, judged without casting rays: every skin vertex that a closed fluxel
// sphere (radius 5) pushes out of it ends on or outside at least one of its faces' planes,
// for a skin sphere of radius 4 with the same and with other segment counts.
struct ClosedFluxelCase {
  const char* name;
  int skinSegments;
  int fluxelSegments;
  Point3 at;  // where the fluxel node is placed (the skin sphere is centred there too)
};

class ClosedFluxelTest : public PushOutTest, public ::testing::WithParamInterface<ClosedFluxelCase> {};

TEST_P(ClosedFluxelTest, EveryPushedVertexLiesOnOrOutsideTheSurface) {
  const ClosedFluxelCase& c = GetParam();
  const Mesh skinSphere = tessarin_test::ClosedSphere(4.0f, c.skinSegments, c.at);
  TriObject* surface = CreateNewTriObject();
  surface->mesh = tessarin_test::ClosedSphere(5.0f, c.fluxelSegments);
  const Mesh worldSurface = tessarin_test::ClosedSphere(5.0f, c.fluxelSegments, c.at);
  Tessarin* skin = SkinOnNode(L"Skin", skinSphere.getNumVerts());
  SceneNode* node = FluxelNode(L"Fluxel", surface, 0);
  node->SetNodeTM(0, Placement({1, 1, 1}, 0, c.at));
  AddSource(skin, node);
  std::vector<std::uint8_t> moved;
  const std::vector<Point3> out =
      Run(ApplyFluxelPass, skin, std::vector<Point3>(skinSphere.verts.begin(), skinSphere.verts.end()), &moved);
  int inside = 0, unmoved = 0;
  for (std::size_t k = 0; k < out.size(); ++k) {
    unmoved += moved[k] == 0;
    inside += tessarin_test::LargestPlaneDistance(worldSurface, out[k]) < -1e-4f;
  }
  EXPECT_EQ(unmoved, 0) << "of " << out.size();
  EXPECT_EQ(inside, 0) << "of " << out.size() << " vertices left inside";
}

INSTANTIATE_TEST_SUITE_P(
    Spheres, ClosedFluxelTest,
    ::testing::Values(ClosedFluxelCase{"Equal32", 32, 32, {}}, ClosedFluxelCase{"Equal64", 64, 64, {}},
                      ClosedFluxelCase{"Equal64Moved", 64, 64, {30, -20, 10}},
                      ClosedFluxelCase{"FinerSkin", 120, 60, {}}, ClosedFluxelCase{"CoarserSkin", 24, 64, {}},
                      ClosedFluxelCase{"Twice", 96, 48, {}}),
    [](const ::testing::TestParamInfo<ClosedFluxelCase>& info) { return info.param.name; });

// The fluxel pass casts its vertices from several threads: the same result, bit for bit, on one
// thread and on two.
TEST_F(PushOutTest, FluxelPassIsTheSameOnOneAndTwoThreads) {
  const int n = 20000;
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> pos(-6.0f, 6.0f);
  std::vector<Point3> rest(n);
  for (Point3& p : rest) p = {pos(rng), pos(rng), pos(rng)};
  Tessarin* skin = SkinOnNode(L"Skin", n);
  TriObject* surface = CreateNewTriObject();
  surface->mesh = tessarin_test::ClosedSphere(5.0f, 48);
  Fluxel* fx = nullptr;
  SceneNode* node = FluxelNode(L"Fluxel", surface, 30, &fx);
  node->SetNodeTM(0, Placement({1.2f, 0.8f, 1}, 20, {0.5f, -0.3f, 0.2f}));
  AddSource(skin, node);
  std::vector<float>& w = AccessInfluenceTable(fx->tables, skin->instanceStamp, n);
  for (int i = 0; i < n; ++i) w[i] = float(i % 7) / 6.0f;
  const int threads = omp_get_max_threads();
  std::vector<std::uint8_t> movedOne, movedTwo;
  omp_set_num_threads(1);
  const std::vector<Point3> one = Run(ApplyFluxelPass, skin, rest, &movedOne);
  omp_set_num_threads(2);
  const std::vector<Point3> two = Run(ApplyFluxelPass, skin, rest, &movedTwo);
  omp_set_num_threads(threads);
  EXPECT_EQ(movedOne, movedTwo);
  int differ = 0, moved = 0;
  for (int i = 0; i < n; ++i) {
    differ += !(one[i] == two[i]);
    moved += !(one[i] == rest[i]);
  }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(moved, n / 10);
}

}  // namespace
