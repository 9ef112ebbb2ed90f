// The orbicle and fluxel passes: which sources act on a skin, how far vertices move, and the
// influence weighting.

#include <gtest/gtest.h>

#include "sources/influence_source_lists.h"
#include "push_out_fixture.h"

namespace {


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

}  // namespace
